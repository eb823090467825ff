#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "documents/vocabulary.h"

class TEnvironment;
class TParamFile;

// The report of one compared pair of documents.
class TReport {
 public:
  TReport() = default;
  virtual ~TReport() = default;
  TReport(const TReport&) = delete;
  TReport& operator=(const TReport&) = delete;

  // Writes the report file into directory. False for an empty directory or a
  // file that could not be written whole.
  virtual bool save(const std::string& directory) = 0;
  // The same as an output of the study that outputs runs, the text built in
  // buffer: a name the study used already is renamed.
  virtual bool save(const std::string& directory, TEnvironment& outputs, std::string& buffer) = 0;
  // Appends the bytes of the report file, named file1Name() + "." +
  // file2Name(), to text. Reports of different pairs may do so at once.
  virtual void appendFileText(std::string& text) const = 0;
  // Takes the values of a comparison result.
  virtual void fill(const TParamFile& result) = 0;
  // Takes ownership of the pair's shared-chunk vocabulary.
  virtual void setCommonVocabulary(std::unique_ptr<TVocabulary> vocabulary) = 0;
  virtual TVocabulary* commonVocabulary() const = 0;

  const std::string& file1Name() const { return file1Name_; }
  const std::string& file2Name() const { return file2Name_; }
  void setFile1Name(std::string name) { file1Name_ = std::move(name); }
  void setFile2Name(std::string name) { file2Name_ = std::move(name); }

 private:
  std::string file1Name_;
  std::string file2Name_;
};

// The report of a chunk comparison. Its file, named file1Name + "." +
// file2Name, holds six "label: value" lines without a final line break.
class TReportGrams : public TReport {
 public:
  TReportGrams() = default;

  bool save(const std::string& directory) override;
  bool save(const std::string& directory, TEnvironment& outputs, std::string& buffer) override;
  void fill(const TParamFile& result) override;
  void setCommonVocabulary(std::unique_ptr<TVocabulary> vocabulary) override {
    commonVocabulary_ = std::move(vocabulary);
  }
  TVocabulary* commonVocabulary() const override { return commonVocabulary_.get(); }

  double similarity() const { return similarity_; }
  std::int32_t chunksInDoc1() const { return chunksInDoc1_; }
  std::int32_t chunksInDoc2() const { return chunksInDoc2_; }
  std::int32_t commonChunks() const { return commonChunks_; }
  void setSimilarity(double value) { similarity_ = value; }
  void setChunksInDoc1(std::int32_t value) { chunksInDoc1_ = value; }
  void setChunksInDoc2(std::int32_t value) { chunksInDoc2_ = value; }
  void setCommonChunks(std::int32_t value) { commonChunks_ = value; }

  bool isValid() const;
  // The bytes of the report file.
  std::string fileText() const;
  void appendFileText(std::string& text) const override;

 private:
  double similarity_ = 0;
  std::int32_t chunksInDoc1_ = 0;
  std::int32_t chunksInDoc2_ = 0;
  std::int32_t commonChunks_ = 0;
  std::unique_ptr<TVocabulary> commonVocabulary_;
};

#pragma once

#include <cstdint>

struct TConfig;
class TDoc;
class TFiles;
class TChunkCounter;

// The chunk extraction stage: fills every document's vocabulary from its text.
class TExtract {
 public:
  virtual ~TExtract() = default;
  virtual void configure(const TConfig& config) = 0;
  // Returns the number of documents left, or -1 when a document's file no
  // longer exists.
  virtual std::int32_t run(TFiles& files) = 0;
};

// Extraction of word n-grams: a word is a run of bytes that are not "C" locale
// white space; a chunk is gramsSize consecutive words joined by one blank. A
// text of fewer words than gramsSize gives one chunk of all of them.
class TExtractGrams : public TExtract {
 public:
  TExtractGrams() = default;

  void configure(const TConfig& config) override;
  std::int32_t run(TFiles& files) override;

  // Adds the chunks of doc's text to its vocabulary. Returns its chunk count,
  // or -1 for no document or an empty text.
  std::int32_t extractDocument(TDoc* doc) const;
  // The same, counting with counter, which serves a run of documents.
  std::int32_t extractDocument(TDoc* doc, TChunkCounter& counter) const;

  void setGramsSize(std::int32_t size) { gramsSize_ = size; }

 private:
  // run with documents' chunks cut on threads_ threads.
  std::int32_t runOnThreads(TFiles& files);

  std::int32_t gramsSize_ = 3;
  std::int32_t threads_ = 1;
  // Whether a document's text is freed once its chunks are counted: only the
  // results pages read it again.
  bool releaseTexts_ = false;
};

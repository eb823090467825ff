#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "documents/vocabulary.h"

class TEnvironment;

// A file name up to, not including, its last "."; the whole name when it has
// none.
std::string_view stemOf(std::string_view fileName);

// One input document: where its file lies, its text and its chunk vocabulary.
class TDoc {
 public:
  // dictionary, when given, is the study's chunk dictionary and must outlive
  // the document; without one the vocabulary keeps its own.
  TDoc(const std::string& fileName, const std::string& directory,
       TChunkDictionary* dictionary = nullptr);
  TDoc(const TDoc&) = delete;
  TDoc& operator=(const TDoc&) = delete;

  TVocabulary* vocabulary() const { return vocabulary_.get(); }
  // The number of distinct chunks; 0 without a vocabulary.
  std::int32_t chunkCount() const { return vocabulary_ ? vocabulary_->size() : 0; }

  const std::string& fileName() const { return fileName_; }
  const std::string& directory() const { return directory_; }
  const std::string& text() const { return text_; }
  // The setters ignore an empty value.
  void setFileName(const std::string& value);
  void setDirectory(const std::string& value);
  void setText(std::string value);
  // Frees the text once nothing will read it again.
  void releaseText() { std::string().swap(text_); }

  // True for a reference document of an archive of earlier work, which the
  // comparison pairs with the study's own documents but not with other
  // reference documents.
  bool archive() const { return archive_; }
  void setArchive(bool value) { archive_ = value; }

  // directory + separator + fileName.
  std::string fullPath() const;
  // fileName up to its last "."; the whole name when it has none.
  std::string_view stem() const;
  // True when something exists at the full path.
  bool exists() const;

  void addChunk(std::string_view chunk) {
    if (vocabulary_) vocabulary_->addChunk(chunk);
  }

  // Reads the file into text. Returns false, with a warning when warnings are
  // on, for a file that cannot be read (warning_file_not_found) or holds no
  // byte (warning_empty_File).
  [[nodiscard]] bool loadText();
  // What reading the file came to.
  enum class TRead { kRead, kUnnamed, kNotFound, kEmpty };
  // loadText without its warning, which warnUnread then logs: files may then
  // be read on several threads, and their warnings logged in order.
  [[nodiscard]] TRead readText();
  void warnUnread(TRead outcome) const;

  // Writes the vocabulary file into targetDirectory under the stem with
  // ".voc". Returns false for an empty directory or a failed write.
  [[nodiscard]] bool saveVocabulary(const std::string& targetDirectory) const;
  // The same as an output of the study that outputs runs, with the buffers
  // of scratch: a name the study used already is renamed.
  [[nodiscard]] bool saveVocabulary(const std::string& targetDirectory, TEnvironment& outputs,
                                    TVocabularyScratch& scratch) const;

 private:
  std::unique_ptr<TVocabulary> vocabulary_;
  std::string fileName_;
  std::string directory_;
  std::string text_;
  bool archive_ = false;
};

#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "documents/doc.h"

class TEnvironment;
class TParamFile;

// The documents of one study in the order the configuration lists them
// (file1, file2, ...). Documents that cannot be read leave the list.
class TFiles {
 public:
  TFiles() = default;
  TFiles(const TFiles&) = delete;
  TFiles& operator=(const TFiles&) = delete;

  std::int32_t count() const { return static_cast<std::int32_t>(docs_.size()); }
  // The document at index, or null when index is out of range.
  TDoc* get(std::int32_t index) const;
  // Appends a document; -1 when either name is empty.
  std::int32_t add(const std::string& fileName, const std::string& directory);
  // Adds the documents listed under file1, file2, ... up to the first absent
  // or empty key, then those of the folder dirDocuments (addFromFolder).
  // Returns the number added, or -1 for an empty map.
  std::int32_t addFromConfig(const TParamFile& map);
  // Adds the files of the folder dirDocuments names whose names match
  // documentPattern (a shell glob, "*" when absent), from its subfolders too
  // when documentsRecursive is 1, in the byte order of their paths; hidden
  // names are skipped, and a file the set holds already (under any
  // spelling) is skipped with a warning. Returns the number added.
  std::int32_t addFromFolder(const TParamFile& map);
  // Loads every text, removing the documents that cannot be read. Returns the
  // number of documents left.
  std::int32_t loadTexts();
  // Destroys the document at index and closes the gap.
  bool remove(std::int32_t index);
  // True when every document's path exists (true for an empty list).
  bool allExist() const;
  // Writes every vocabulary into dirVocabularies. Returns the number saved,
  // or -1 when dirVocabularies is empty.
  std::int32_t saveVocabularies();
  void configure(const TEnvironment& /*env*/) {}

  // The chunk dictionary every document's vocabulary uses.
  TChunkDictionary& dictionary() const { return *dictionary_; }

 private:
  std::unique_ptr<TChunkDictionary> dictionary_ = std::make_unique<TChunkDictionary>();
  std::vector<std::unique_ptr<TDoc>> docs_;
};

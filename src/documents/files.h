#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "documents/doc.h"

class TEnvironment;
class TParamFile;

// The documents of one study in the order the configuration lists them
// (file1, file2, ..., then dirDocuments), followed by the reference documents
// of the archive (archiveFile1, ..., then dirArchive). Documents that cannot
// be read leave the list.
class TFiles {
 public:
  // A set with a chunk dictionary of its own.
  TFiles();
  // A set whose documents count their chunks into dictionary, which must
  // outlive the set: chunks of documents of two sets then have the same ids.
  explicit TFiles(TChunkDictionary& dictionary);
  TFiles(const TFiles&) = delete;
  TFiles& operator=(const TFiles&) = delete;

  std::int32_t count() const { return static_cast<std::int32_t>(docs_.size()); }
  // The document at index, or null when index is out of range.
  TDoc* get(std::int32_t index) const;
  // Appends a document, marked as an archive document when archive; -1 when
  // either name is empty.
  std::int32_t add(const std::string& fileName, const std::string& directory,
                   bool archive = false);
  // Adds the documents listed under file1, file2, ... (addListed), then
  // those of the folder dirDocuments (addFromFolder), then the archive's:
  // archiveFile1, archiveFile2, ... and the folder dirArchive. Returns the
  // number added, or -1 for an empty map.
  std::int32_t addFromConfig(const TParamFile& map);
  // Adds the documents listed under key1, key2, ... up to the first absent or
  // empty key. A value without a folder and a file name is skipped with
  // warning_file_not_added. Returns the number added.
  std::int32_t addListed(const TParamFile& map, std::string_view key, bool archive = false);
  // Adds the files of the folder that folderKey names whose names match
  // documentPattern (a shell glob, "*" when absent), from its subfolders too
  // when documentsRecursive is 1, in the byte order of their paths; hidden
  // names are skipped, and a file the set holds already (under any
  // spelling) is skipped with a warning. Returns the number added.
  std::int32_t addFromFolder(const TParamFile& map, std::string_view folderKey = "dirDocuments",
                             bool archive = false);
  // Loads every text, removing the documents that cannot be read. Returns the
  // number of documents left.
  std::int32_t loadTexts();
  // The same, with no entry besides the warnings of TDoc::loadText.
  std::int32_t loadReadableTexts();
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
  // saveVocabularies with the files formatted and written on workers threads.
  std::int32_t saveVocabulariesOnThreads(const std::string& directory, std::size_t workers);

  std::unique_ptr<TChunkDictionary> ownDictionary_;
  TChunkDictionary* dictionary_;
  std::vector<std::unique_ptr<TDoc>> docs_;
};

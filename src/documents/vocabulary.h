#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "documents/chunk_dictionary.h"

// The chunks of one text with the number of times each occurs.
//
// Chunks are held as ids of a chunk dictionary that the vocabularies of one
// study share (a vocabulary made without one keeps its own). Counting and
// comparing then work on integers; the texts are needed only when the file
// is written.
class TVocabulary {
 public:
  // A vocabulary with a dictionary of its own.
  TVocabulary();
  // A vocabulary whose chunks go into dictionary, which must outlive it.
  explicit TVocabulary(TChunkDictionary& dictionary);
  TVocabulary(const TVocabulary&) = delete;
  TVocabulary& operator=(const TVocabulary&) = delete;
  ~TVocabulary();

  // Counts one more occurrence of chunk; an empty chunk is ignored.
  void addChunk(std::string_view chunk);
  // Counts one more occurrence of the chunk with this id of dictionary().
  void addChunkId(std::uint32_t id);
  // Counts one more occurrence of each id, as addChunkId on each would.
  void addChunkIds(const std::vector<std::uint32_t>& ids);
  // -1 for an empty chunk, 0 when absent, else its count.
  [[nodiscard]] std::int32_t countOf(std::string_view chunk) const;
  // 0 when absent, else the count of the chunk with this id.
  [[nodiscard]] std::int32_t countOfId(std::uint32_t id) const;
  // The number of distinct chunks.
  std::int32_t size() const { return static_cast<std::int32_t>(ids_.size()); }
  void clear();

  // Visits every (chunk, count) once, in no particular order.
  template <typename Visitor>
  void forEachEntry(Visitor&& visit) const {
    for (std::size_t i = 0; i < ids_.size(); ++i) visit(dictionary_->text(ids_[i]), countAt(i));
  }
  // Visits every (id, count) once, in the order the chunks were first added.
  template <typename Visitor>
  void forEachId(Visitor&& visit) const {
    for (std::size_t i = 0; i < ids_.size(); ++i) visit(ids_[i], countAt(i));
  }

  // Replaces the content with the given distinct ids, each counted once: the
  // compact form of a pair's shared chunks.
  void assignShared(std::vector<std::uint32_t> ids);

  TChunkDictionary& dictionary() const { return *dictionary_; }

  // Writes the vocabulary file at path, replacing it. Returns the number of
  // entries written, or -1 when the file could not be written whole.
  std::int32_t saveToFile(const std::string& path) const;

  // Appends the bytes saveToFile writes to out.
  void appendFileText(std::string& out) const;
  std::string fileText() const {
    std::string text;
    appendFileText(text);
    return text;
  }

 private:
  std::int32_t countAt(std::size_t i) const { return counts_.empty() ? 1 : counts_[i]; }
  // The entry index of id, or -1.
  std::int64_t indexOf(std::uint32_t id) const;
  // Builds the lookup table for the current entries.
  void index() const;

  std::unique_ptr<TChunkDictionary> ownDictionary_;
  TChunkDictionary* dictionary_;
  // Entries in the order first added: the chunk id and its count. counts_ is
  // empty in the compact form, where every count is 1.
  std::vector<std::uint32_t> ids_;
  std::vector<std::int32_t> counts_;
  // Open addressing from id to entry index + 1 (0 is an empty slot), built
  // when a lookup first needs it: filling and comparing don't.
  mutable std::vector<std::uint32_t> slots_;
};

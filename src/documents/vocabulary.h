#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "documents/chunk_dictionary.h"

class TChunkCounter;

// The buffers that writing a vocabulary file needs. One scratch, handed to
// each write in turn, serves every file that its owner writes; it belongs to
// one thread at a time.
class TVocabularyScratch {
 public:
  TVocabularyScratch();
  ~TVocabularyScratch();
  TVocabularyScratch(const TVocabularyScratch&) = delete;
  TVocabularyScratch& operator=(const TVocabularyScratch&) = delete;

  // A text buffer of the scratch's own, for the file's bytes.
  std::string& text();

 private:
  friend class TVocabulary;
  struct Buffers;
  std::unique_ptr<Buffers> buffers_;
};

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
  // Counts one more occurrence of each id, as addChunkId on each would,
  // keeping its marks in counter, which may serve many vocabularies of the
  // same dictionary.
  void addChunkIds(const std::vector<std::uint32_t>& ids, TChunkCounter& counter);
  // Room for count entries, claimed on the calling thread.
  void reserveEntries(std::size_t count);
  // Counting in parts, as addChunkIds does at once: beginCounting marks the
  // entries held in counter, countIds counts one part, and endCounting
  // clears the marks for the next vocabulary. idCount is above every id
  // counted so far. None of them reads the dictionary, so that another
  // thread may add chunks to it meanwhile.
  void beginCounting(TChunkCounter& counter, std::uint32_t idCount);
  void countIds(const std::uint32_t* ids, std::size_t count, TChunkCounter& counter,
                std::uint32_t idCount);
  void endCounting(TChunkCounter& counter);
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

  // Removes every entry whose id is marked in leftOut (indexed by id; ids
  // past its end are kept). The other entries keep their order and counts.
  // Returns the number of entries removed.
  std::int32_t removeChunkIds(const std::vector<bool>& leftOut);

  TChunkDictionary& dictionary() const { return *dictionary_; }

  // Writes the vocabulary file at path, replacing it, with the buffers of
  // scratch. Returns the number of entries written, or -1 when the file could
  // not be written whole.
  std::int32_t saveToFile(const std::string& path, TVocabularyScratch& scratch) const;

  // Appends the bytes saveToFile writes to out.
  void appendFileText(std::string& out, TVocabularyScratch& scratch) const;
  std::string fileText() const;
  // Writes the bytes saveToFile writes to fd, a block at a time, so that a
  // large file is never held whole. Returns false when a write fails.
  bool writeFileText(int fd, TVocabularyScratch& scratch) const;

 private:
  std::int32_t countAt(std::size_t i) const { return counts_.empty() ? 1 : counts_[i]; }
  // The entry index of id, or -1.
  std::int64_t indexOf(std::uint32_t id) const;
  // Builds the lookup table for the current entries.
  void index() const;
  // The first two phases of writing the file: rank the distinct counts by
  // their padded text, then place the entries by rank and chunk (returns the
  // file's size). The entries are then written out in place order.
  void rankCounts(TVocabularyScratch::Buffers& buffers) const;
  std::size_t placeEntries(TVocabularyScratch::Buffers& buffers) const;
  // Writes the placed entries through sink (see vocabulary.cpp).
  template <typename Sink>
  static bool writeEntries(const TVocabularyScratch::Buffers& buffers, Sink& sink);

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

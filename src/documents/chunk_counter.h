#pragma once

#include <cstdint>
#include <vector>

// Counts chunk ids into vocabularies. It keeps, per id of the dictionary,
// where that id's entry stands in the vocabulary being counted (0 for none,
// else the entry + 1): the ids of a text come mostly in rising order, so
// counting walks this memory almost in sequence where a hash table would jump.
// One counter serves a run of vocabularies of one dictionary, one at a time,
// and frees its memory when it goes; it holds four bytes per id.
class TChunkCounter {
 public:
  TChunkCounter() = default;
  TChunkCounter(const TChunkCounter&) = delete;
  TChunkCounter& operator=(const TChunkCounter&) = delete;

  // Starts counting one vocabulary over a dictionary of ids below idCount.
  // isMarked(id) is false for every id until mark(id) is called, provided
  // the last vocabulary counted was ended with end().
  void begin(std::uint32_t idCount);
  // Room for ids below idCount, claimed from the system only as ids come.
  void reserve(std::size_t idCount) { entries_.reserve(idCount); }
  bool isMarked(std::uint32_t id) const { return entries_[id] != 0; }
  void mark(std::uint32_t id, std::uint32_t entry) { entries_[id] = entry + 1; }
  // The entry given with mark(id) since the last begin().
  std::uint32_t entryOf(std::uint32_t id) const { return entries_[id] - 1; }
  // Ends counting a vocabulary whose ids are ids, every id marked since
  // begin(): their marks are cleared for the next one.
  void end(const std::vector<std::uint32_t>& ids);

 private:
  std::vector<std::uint32_t> entries_;
};

#pragma once

#include <cstdint>
#include <vector>

// Counts chunk ids into vocabularies. It keeps, per id of the dictionary, the
// mark of the vocabulary being counted and where that id's entry stands there:
// the ids of a text come mostly in rising order, so counting walks this
// memory almost in sequence where a hash table would jump. One counter serves
// a run of vocabularies of one dictionary and frees its memory when it goes.
class TChunkCounter {
 public:
  TChunkCounter() = default;
  TChunkCounter(const TChunkCounter&) = delete;
  TChunkCounter& operator=(const TChunkCounter&) = delete;

  // Starts counting one vocabulary over a dictionary of ids below idCount.
  // Afterwards isMarked(id) is false for every id until mark(id) is called.
  void begin(std::uint32_t idCount);
  bool isMarked(std::uint32_t id) const { return marks_[id] == mark_; }
  void mark(std::uint32_t id, std::uint32_t entry) {
    marks_[id] = mark_;
    entries_[id] = entry;
  }
  // The entry given with mark(id) since the last begin().
  std::uint32_t entryOf(std::uint32_t id) const { return entries_[id]; }

 private:
  std::vector<std::uint32_t> marks_;
  std::vector<std::uint32_t> entries_;
  std::uint32_t mark_ = 0;
};

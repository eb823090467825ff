#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "documents/large_pages.h"

// Every distinct chunk text of a study, stored once and numbered from 0 in the
// order first seen. Vocabularies hold these numbers (ids) instead of strings,
// so that counting and comparing chunks works on integers.
class TChunkDictionary {
 public:
  static constexpr std::uint32_t kNone = UINT32_MAX;

  TChunkDictionary();
  TChunkDictionary(const TChunkDictionary&) = delete;
  TChunkDictionary& operator=(const TChunkDictionary&) = delete;

  // The id of text, adding it when new.
  std::uint32_t intern(std::string_view text) {
    return intern(text, static_cast<std::uint32_t>(hash(text)));
  }
  // The same, for a text whose hash() is known (its low 32 bits).
  std::uint32_t intern(std::string_view text, std::uint32_t hash);
  // Starts loading the table slot where a text of this hash begins its search,
  // so that an intern shortly after does not wait for memory.
  void prefetch(std::uint32_t hash) const { __builtin_prefetch(&slots_[hash & mask_]); }
  // The next steps for a text whose slot was prefetched a while ago: when the
  // first slot it looks at holds a text of the same hash (as it does for a
  // text already added), start loading where that text is kept, then, a while
  // later again, the text, which intern compares with.
  void prefetchWhereFound(std::uint32_t hash) const {
    const std::uint32_t id = firstWithHash(hash);
    if (id != kNone) __builtin_prefetch(&starts_[id]);
  }
  void prefetchTextFound(std::uint32_t hash) const {
    const std::uint32_t id = firstWithHash(hash);
    if (id != kNone) __builtin_prefetch(starts_[id] - sizeof(std::uint32_t));
  }
  // The id of text, or kNone when it was never added.
  std::uint32_t find(std::string_view text) const;
  // The text of id; valid while the dictionary lives.
  std::string_view text(std::uint32_t id) const {
    const char* start = starts_[id];
    std::uint32_t length;
    std::memcpy(&length, start - sizeof length, sizeof length);
    return {start, length};
  }
  std::uint32_t size() const { return static_cast<std::uint32_t>(starts_.size()); }
  // Start loading where the text of id is found, then (some steps later, once
  // that has arrived) the text itself, so that a later text(id) does not wait
  // for memory.
  void prefetchWhere(std::uint32_t id) const { __builtin_prefetch(&starts_[id]); }
  void prefetchText(std::uint32_t id) const {
    __builtin_prefetch(starts_[id] - sizeof(std::uint32_t));
  }

  static std::uint64_t hash(std::string_view text);

  // Scratch space for counting ids into a vocabulary, one pair of numbers per
  // id: the mark of the count in progress and where the id's entry stands.
  // Valid until the next call; releaseScratch frees it.
  struct Scratch {
    std::uint32_t mark;
    std::uint32_t* marks;
    std::uint32_t* entries;
  };
  Scratch scratch();
  void releaseScratch();

 private:
  // The id in the first slot a text of this hash looks at, when that slot
  // holds a text of the same hash; otherwise kNone.
  std::uint32_t firstWithHash(std::uint32_t hash) const {
    const std::uint64_t slot = slots_[hash & mask_];
    if (slot == 0 || static_cast<std::uint32_t>(slot >> 32) != hash) return kNone;
    return static_cast<std::uint32_t>(slot) - 1;
  }
  const char* store(std::string_view text);
  void grow();

  // Texts live in large blocks, each preceded by its 32-bit length.
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* free_ = nullptr;
  std::size_t freeBytes_ = 0;
  std::vector<const char*, LargePageAllocator<const char*>> starts_;
  // Open addressing, a power of two of slots: 0 for an empty slot, otherwise
  // the text's 32-bit hash in the high half and id + 1 in the low half.
  std::vector<std::uint64_t, LargePageAllocator<std::uint64_t>> slots_;
  std::size_t mask_ = 0;
  std::vector<std::uint32_t> marks_;
  std::vector<std::uint32_t> entries_;
  std::uint32_t mark_ = 0;
};

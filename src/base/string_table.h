#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/large_pages.h"

// A set of byte strings, each stored once in an arena and numbered from 0 in
// the order first seen (its id). Any bytes may be stored, NUL included, and
// the empty text is a text like any other. Texts stay where they are while
// the table lives, so the views text() gives stay valid.
//
// Look-ups go through open addressing on a power-of-two table of slots. A
// table that grows large puts its slots and its text index on 2 MiB pages.
class TStringTable {
 public:
  static constexpr std::uint32_t kNone = UINT32_MAX;

  // expected: about how many texts the table will hold; it grows past that.
  explicit TStringTable(std::size_t expected = 512);
  TStringTable(const TStringTable&) = delete;
  TStringTable& operator=(const TStringTable&) = delete;

  // The id of text, adding it when new.
  std::uint32_t intern(std::string_view text);
  // The id of text, or kNone when it was never added. Without the look-up
  // index (see dropIndex) every text is compared in turn.
  std::uint32_t find(std::string_view text) const;
  // Makes room for count texts in all where each text is found by its id, so
  // that adding them never moves that list; its memory is claimed only as
  // texts come.
  void reserve(std::size_t count);
  // Sizes the look-up index for count texts in all, so that adding them never
  // grows it on the way. An index sized here may fill to three quarters
  // rather than half. Called with what the next batch of texts could add
  // (rather than once with an upper bound for all of them), it grows in
  // steps that follow the texts actually held: every slot is cleared when
  // made, which costs time and memory for each slot whether used or not.
  void reserveLookups(std::size_t count);
  // Frees the look-up index, the larger part of a large table, once the
  // caller has no more texts to look up; texts and ids stay. The next
  // intern builds the index again.
  void dropIndex();
  // The text of id (below size()).
  std::string_view text(std::uint32_t id) const {
    const char* start = starts_[id];
    std::uint32_t length;
    std::memcpy(&length, start - sizeof length, sizeof length);
    return {start, length};
  }
  std::uint32_t size() const { return static_cast<std::uint32_t>(starts_.size()); }
  // The hash the table files text under, for handing in with Batch::add.
  static std::uint32_t hashOf(std::string_view text);

  // Calls visit(i, text(ids[i])) for i from 0 to count - 1. Ids spread over
  // a large table are looked up ahead of their turn, so that the visits do
  // not wait for memory one after another.
  template <typename Visitor>
  void visitTexts(const std::uint32_t* ids, std::size_t count, Visitor&& visit) const {
    for (std::size_t i = 0; i < count; ++i) {
      if (i + kWhereAhead < count) prefetchWhere(ids[i + kWhereAhead]);
      if (i + kTextAhead < count) prefetchText(ids[i + kTextAhead]);
      visit(i, text(ids[i]));
    }
  }

  // Interns a stream of texts, each a few texts after it was handed in, with
  // the memory its look-up needs requested meanwhile: the look-ups of a batch
  // then overlap their waits for memory. The ids are appended to ids in the
  // order the texts came.
  class Batch {
   public:
    Batch(TStringTable& table, std::vector<std::uint32_t>& ids);
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    // Hands in the next text, a view that must stay valid until flush().
    void add(std::string_view text) {
      makeRoom();
      push(text, hashOf(text));
    }
    // The same, with hashOf(text) worked out already.
    void add(std::string_view text, std::uint32_t hash) {
      makeRoom();
      push(text, hash);
    }
    // A buffer of the batch's own to build the next text in, then handed in
    // with addBuilt().
    std::string& buildBuffer() {
      makeRoom();
      return built_[next_];
    }
    void addBuilt() { push(built_[next_], hashOf(built_[next_])); }
    // Interns every text still pending.
    void flush();

   private:
    static constexpr std::size_t kDepth = 16;
    static constexpr std::size_t kWhereStep = 5;
    static constexpr std::size_t kTextStep = 10;
    // Below this size the table stays in cache, where the later two requests
    // would only cost.
    static constexpr std::uint32_t kDeep = 1 << 16;

    void makeRoom();
    void push(std::string_view text, std::uint32_t hash);

    TStringTable& table_;
    std::vector<std::uint32_t>& ids_;
    const bool deep_;
    std::string_view texts_[kDepth];
    std::uint32_t hashes_[kDepth] = {};
    std::string built_[kDepth];
    std::size_t next_ = 0;
    std::size_t pending_ = 0;
  };

 private:
  static constexpr std::size_t kWhereAhead = 32;
  static constexpr std::size_t kTextAhead = 16;

  std::uint32_t intern(std::string_view text, std::uint32_t hash);
  // The slot where a text of this hash begins its search.
  void prefetchSlot(std::uint32_t hash) const { __builtin_prefetch(&slots_[hash & mask_]); }
  // When the first slot a text of this hash looks at holds a text of the same
  // hash (as it does for a text already added): where that text is kept, and
  // the text itself.
  void prefetchWhereFound(std::uint32_t hash) const {
    const std::uint32_t id = firstWithHash(hash);
    if (id != kNone) prefetchWhere(id);
  }
  void prefetchTextFound(std::uint32_t hash) const {
    const std::uint32_t id = firstWithHash(hash);
    if (id != kNone) prefetchText(id);
  }
  void prefetchWhere(std::uint32_t id) const { __builtin_prefetch(&starts_[id]); }
  void prefetchText(std::uint32_t id) const {
    __builtin_prefetch(starts_[id] - sizeof(std::uint32_t));
  }
  // The id in the first slot a text of this hash looks at, when that slot
  // holds a text of the same hash; otherwise kNone.
  std::uint32_t firstWithHash(std::uint32_t hash) const {
    const std::uint64_t slot = slots_[hash & mask_];
    if (slot == 0 || static_cast<std::uint32_t>(slot >> 32) != hash) return kNone;
    return static_cast<std::uint32_t>(slot) - 1;
  }
  const char* store(std::string_view text);
  void grow();
  // Moves the index into capacity slots.
  void rehash(std::size_t capacity);
  void rebuildIndex();

  // Texts live in blocks, each text preceded by its 32-bit length; blocks
  // double in size up to 1 MiB, so that a small table stays small.
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t nextBlock_;
  char* free_ = nullptr;
  std::size_t freeBytes_ = 0;
  std::vector<const char*, LargePageAllocator<const char*>> starts_;
  // 0 for an empty slot, otherwise the text's 32-bit hash in the high half
  // and id + 1 in the low half.
  std::vector<std::uint64_t, LargePageAllocator<std::uint64_t>> slots_;
  std::size_t mask_ = 0;
  // The size at which the index grows.
  std::size_t limit_ = 0;
};

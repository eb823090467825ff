#include "base/string_table.h"

#include <algorithm>

#include "base/hash.h"

namespace {
constexpr std::size_t kLargestBlock = std::size_t{1} << 20;
constexpr std::size_t kSmallestBlock = std::size_t{1} << 12;

// Files a slot (hash in the high half) in the first free place of its search
// in slots, a table of mask + 1 that holds no equal text.
template <typename Slots>
void placeSlot(Slots& slots, std::size_t mask, std::uint64_t slot) {
  std::size_t at = (slot >> 32) & mask;
  while (slots[at] != 0) at = (at + 1) & mask;
  slots[at] = slot;
}
}  // namespace

TStringTable::TStringTable(std::size_t expected) {
  std::size_t slots = 16;
  while (slots < expected * 2) slots *= 2;
  slots_.assign(slots, 0);
  mask_ = slots - 1;
  limit_ = slots / 2;
  nextBlock_ = kSmallestBlock;
  while (nextBlock_ < kLargestBlock && nextBlock_ < expected * 16) nextBlock_ *= 2;
}

namespace {
// Copies n bytes, most texts being short: up to 32 bytes in two overlapping
// moves of a fixed size rather than through a call.
inline void copyText(char* to, const char* from, std::size_t n) {
  const auto twice = [&](auto word) {
    std::memcpy(to, from, sizeof word);
    std::memcpy(to + n - sizeof word, from + n - sizeof word, sizeof word);
  };
  struct Sixteen {
    char bytes[16];
  };
  if (n > 32) {
    std::memcpy(to, from, n);
  } else if (n >= 16) {
    twice(Sixteen{});
  } else if (n >= 8) {
    twice(std::uint64_t{});
  } else if (n >= 4) {
    twice(std::uint32_t{});
  } else {
    for (std::size_t i = 0; i < n; ++i) to[i] = from[i];
  }
}
}  // namespace

const char* TStringTable::store(std::string_view text) {
  const std::size_t need = sizeof(std::uint32_t) + text.size();
  if (need > freeBytes_) {
    const std::size_t size = need > nextBlock_ ? need : nextBlock_;
    if (nextBlock_ < kLargestBlock) nextBlock_ *= 2;
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    free_ = blocks_.back().get();
    freeBytes_ = size;
  }
  const auto length = static_cast<std::uint32_t>(text.size());
  std::memcpy(free_, &length, sizeof length);
  copyText(free_ + sizeof length, text.data(), text.size());
  const char* start = free_ + sizeof length;
  free_ += need;
  freeBytes_ -= need;
  return start;
}

void TStringTable::rebuildIndex() {
  std::size_t capacity = 16;
  while (capacity < starts_.size() * 2 + 2) capacity *= 2;
  slots_.assign(capacity, 0);
  mask_ = capacity - 1;
  limit_ = capacity / 2;
  for (std::uint32_t id = 0; id < size(); ++id) {
    placeSlot(slots_, mask_, (std::uint64_t{hashOf(text(id))} << 32) | (id + 1));
  }
}

void TStringTable::reserve(std::size_t count) {
  if (count > starts_.capacity()) starts_.reserve(count);
}

void TStringTable::reserveLookups(std::size_t count) {
  if (slots_.empty() || count <= limit_) return;
  std::size_t capacity = slots_.size();
  while (count > capacity / 4 * 3) capacity *= 2;
  if (capacity > slots_.size()) rehash(capacity);
  limit_ = std::max(limit_, capacity / 4 * 3);
}

void TStringTable::grow() { rehash(slots_.size() * 2); }

void TStringTable::rehash(std::size_t capacity) {
  std::vector<std::uint64_t, LargePageAllocator<std::uint64_t>> slots(capacity, 0);
  const std::size_t mask = capacity - 1;
  for (const std::uint64_t slot : slots_) {
    if (slot != 0) placeSlot(slots, mask, slot);
  }
  slots_.swap(slots);
  mask_ = mask;
  limit_ = capacity / 2;
}

void TStringTable::dropIndex() {
  decltype(slots_)().swap(slots_);
  mask_ = 0;
}

std::uint32_t TStringTable::find(std::string_view text) const {
  if (slots_.empty()) {
    for (std::uint32_t id = 0; id < size(); ++id) {
      if (this->text(id) == text) return id;
    }
    return kNone;
  }
  const auto h = static_cast<std::uint32_t>(hashBytes(text));
  for (std::size_t at = h & mask_;; at = (at + 1) & mask_) {
    const std::uint64_t slot = slots_[at];
    if (slot == 0) return kNone;
    const auto id = static_cast<std::uint32_t>(slot) - 1;
    if (static_cast<std::uint32_t>(slot >> 32) == h && this->text(id) == text) return id;
  }
}

std::uint32_t TStringTable::intern(std::string_view text) {
  return intern(text, static_cast<std::uint32_t>(hashBytes(text)));
}

std::uint32_t TStringTable::intern(std::string_view text, std::uint32_t h) {
  if (slots_.empty()) rebuildIndex();
  std::size_t at = h & mask_;
  for (;; at = (at + 1) & mask_) {
    const std::uint64_t slot = slots_[at];
    if (slot == 0) break;
    const auto id = static_cast<std::uint32_t>(slot) - 1;
    if (static_cast<std::uint32_t>(slot >> 32) == h && this->text(id) == text) return id;
  }
  const auto id = static_cast<std::uint32_t>(starts_.size());
  starts_.push_back(store(text));
  slots_[at] = (std::uint64_t{h} << 32) | (id + 1);
  if (starts_.size() > limit_) grow();
  return id;
}

std::uint32_t TStringTable::hashOf(std::string_view text) {
  return static_cast<std::uint32_t>(hashBytes(text));
}

TStringTable::Batch::Batch(TStringTable& table, std::vector<std::uint32_t>& ids)
    : table_(table), ids_(ids), deep_(table.size() >= kDeep) {
  // Look-ups ahead read the index.
  if (table_.slots_.empty()) table_.rebuildIndex();
}

void TStringTable::Batch::flush() {
  for (std::size_t i = 0; i < pending_; ++i) {
    const std::size_t slot = (next_ + kDepth - pending_ + i) % kDepth;
    ids_.push_back(table_.intern(texts_[slot], hashes_[slot]));
  }
  pending_ = 0;
}

void TStringTable::Batch::makeRoom() {
  if (pending_ == kDepth) {
    ids_.push_back(table_.intern(texts_[next_], hashes_[next_]));
    --pending_;
  }
}

void TStringTable::Batch::push(std::string_view text, std::uint32_t hash) {
  // Each pending text goes through three loads, a few texts apart: its table
  // slot, then where the text found there is kept, then that text.
  if (deep_ && pending_ > kWhereStep) {
    table_.prefetchWhereFound(hashes_[(next_ + kDepth - kWhereStep) % kDepth]);
  }
  if (deep_ && pending_ > kTextStep) {
    table_.prefetchTextFound(hashes_[(next_ + kDepth - kTextStep) % kDepth]);
  }
  hashes_[next_] = hash;
  table_.prefetchSlot(hashes_[next_]);
  texts_[next_] = text;
  next_ = (next_ + 1) % kDepth;
  ++pending_;
}

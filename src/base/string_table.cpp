#include "base/string_table.h"

#include "base/hash.h"

namespace {
constexpr std::size_t kLargestBlock = std::size_t{1} << 20;
constexpr std::size_t kSmallestBlock = std::size_t{1} << 12;
}  // namespace

TStringTable::TStringTable(std::size_t expected) {
  std::size_t slots = 16;
  while (slots < expected * 2) slots *= 2;
  slots_.assign(slots, 0);
  mask_ = slots - 1;
  nextBlock_ = kSmallestBlock;
  while (nextBlock_ < kLargestBlock && nextBlock_ < expected * 16) nextBlock_ *= 2;
}

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
  if (!text.empty()) std::memcpy(free_ + sizeof length, text.data(), text.size());
  const char* start = free_ + sizeof length;
  free_ += need;
  freeBytes_ -= need;
  return start;
}

void TStringTable::grow() {
  const std::size_t capacity = slots_.size() * 2;
  std::vector<std::uint64_t, LargePageAllocator<std::uint64_t>> slots(capacity, 0);
  const std::size_t mask = capacity - 1;
  for (const std::uint64_t slot : slots_) {
    if (slot == 0) continue;
    std::size_t at = (slot >> 32) & mask;
    while (slots[at] != 0) at = (at + 1) & mask;
    slots[at] = slot;
  }
  slots_.swap(slots);
  mask_ = mask;
}

std::uint32_t TStringTable::find(std::string_view text) const {
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
  if (starts_.size() * 2 > slots_.size()) grow();
  return id;
}

std::uint32_t TStringTable::hashOf(std::string_view text) {
  return static_cast<std::uint32_t>(hashBytes(text));
}

TStringTable::Batch::Batch(TStringTable& table, std::vector<std::uint32_t>& ids)
    : table_(table), ids_(ids), deep_(table.size() >= kDeep) {}

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

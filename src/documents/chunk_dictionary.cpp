#include "documents/chunk_dictionary.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::size_t kBlockSize = std::size_t{1} << 20;
constexpr std::size_t kFirstSlots = 1024;

inline std::uint64_t load64(const char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline std::uint64_t mix(std::uint64_t a, std::uint64_t b) {
  const __uint128_t product = static_cast<__uint128_t>(a) * b;
  return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}
}  // namespace

std::uint64_t TChunkDictionary::hash(std::string_view text) {
  constexpr std::uint64_t k0 = 0xa0761d6478bd642fULL, k1 = 0xe7037ed1a0b428dbULL,
                          k2 = 0x8ebc6af09c88c6e3ULL;
  const char* p = text.data();
  std::size_t n = text.size();
  std::uint64_t h = k0 ^ n;
  while (n >= 16) {
    h = mix(load64(p) ^ k1, load64(p + 8) ^ h);
    p += 16;
    n -= 16;
  }
  std::uint64_t a = 0, b = 0;
  if (n >= 8) {
    a = load64(p);
    b = load64(p + n - 8);
  } else if (n > 0) {
    std::memcpy(&a, p, n);
  }
  return mix(a ^ k1, b ^ h ^ k2);
}

TChunkDictionary::TChunkDictionary() : slots_(kFirstSlots, 0), mask_(kFirstSlots - 1) {}

const char* TChunkDictionary::store(std::string_view text) {
  const std::size_t need = sizeof(std::uint32_t) + text.size();
  if (need > freeBytes_) {
    const std::size_t size = need > kBlockSize ? need : kBlockSize;
    blocks_.push_back(std::make_unique<char[]>(size));
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

void TChunkDictionary::grow() {
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

std::uint32_t TChunkDictionary::find(std::string_view text) const {
  const auto h = static_cast<std::uint32_t>(hash(text));
  for (std::size_t at = h & mask_;; at = (at + 1) & mask_) {
    const std::uint64_t slot = slots_[at];
    if (slot == 0) return kNone;
    const auto id = static_cast<std::uint32_t>(slot) - 1;
    if (static_cast<std::uint32_t>(slot >> 32) == h && this->text(id) == text) return id;
  }
}

std::uint32_t TChunkDictionary::intern(std::string_view text, std::uint32_t h) {
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

TChunkDictionary::Scratch TChunkDictionary::scratch() {
  if (marks_.size() < starts_.size()) {
    const std::size_t size = starts_.size() + starts_.size() / 2 + 1024;
    marks_.resize(size, 0);
    entries_.resize(size, 0);
  }
  if (++mark_ == 0) {  // wrapped: old marks could be mistaken for the new one
    std::fill(marks_.begin(), marks_.end(), 0);
    mark_ = 1;
  }
  return {mark_, marks_.data(), entries_.data()};
}

void TChunkDictionary::releaseScratch() {
  marks_ = {};
  entries_ = {};
}

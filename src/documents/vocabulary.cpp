// The vocabulary file: one entry per distinct chunk, two lines each,
//
//   <count, left-padded with "0" to the number of digits of the entry count>
//   <chunk>
//
// with "\n" between lines and none at the end; an empty vocabulary is an empty
// file. Entries are in descending unsigned byte order of the string
// padded count + "\n" + chunk, so by falling count while every count fits the
// padding.
#include "documents/vocabulary.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "control/text_file.h"

namespace {

inline std::size_t slotOf(std::uint32_t id, std::size_t mask) {
  return static_cast<std::size_t>((id * 0x9E3779B97F4A7C15ULL) >> 32) & mask;
}

std::size_t decimalDigits(std::size_t n) {
  std::size_t digits = 0;
  for (; n > 0; n /= 10) ++digits;
  return digits;
}

// Big-endian load of up to 8 bytes, zero-filled: integer order of two such
// keys is the byte order of their texts' first eight bytes.
inline std::uint64_t prefixKey(const char* p, std::size_t n) {
  unsigned char bytes[8] = {};
  std::memcpy(bytes, p, n < 8 ? n : 8);
  std::uint64_t key = 0;
  for (unsigned char b : bytes) key = (key << 8) | b;
  return key;
}

// What orders one entry of the file: the padded count with its "\n" (at most
// 11 bytes, as two zero-filled big-endian keys), then the chunk text, whose
// first sixteen bytes are kept here too so that most comparisons need not
// look the text up.
struct SortEntry {
  std::uint64_t countHigh;
  std::uint64_t countLow;
  std::uint64_t chunkHigh;
  std::uint64_t chunkLow;
  const char* text;
  std::uint32_t length;
  std::uint32_t entry;
};

}  // namespace

TVocabulary::TVocabulary()
    : ownDictionary_(std::make_unique<TChunkDictionary>()), dictionary_(ownDictionary_.get()) {}

TVocabulary::TVocabulary(TChunkDictionary& dictionary) : dictionary_(&dictionary) {}

TVocabulary::~TVocabulary() = default;

void TVocabulary::index() const {
  std::size_t capacity = 16;
  while (capacity < ids_.size() * 2 + 2) capacity *= 2;
  slots_.assign(capacity, 0);
  const std::size_t mask = capacity - 1;
  for (std::size_t i = 0; i < ids_.size(); ++i) {
    std::size_t at = slotOf(ids_[i], mask);
    while (slots_[at] != 0) at = (at + 1) & mask;
    slots_[at] = static_cast<std::uint32_t>(i + 1);
  }
}

std::int64_t TVocabulary::indexOf(std::uint32_t id) const {
  if (ids_.empty()) return -1;
  if (slots_.empty()) index();
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = slotOf(id, mask);; at = (at + 1) & mask) {
    const std::uint32_t slot = slots_[at];
    if (slot == 0) return -1;
    if (ids_[slot - 1] == id) return slot - 1;
  }
}

void TVocabulary::addChunkId(std::uint32_t id) {
  if (counts_.size() != ids_.size()) counts_.assign(ids_.size(), 1);
  const std::int64_t at = indexOf(id);
  if (at >= 0) {
    ++counts_[static_cast<std::size_t>(at)];
    return;
  }
  ids_.push_back(id);
  counts_.push_back(1);
  if (ids_.size() * 2 + 2 > slots_.size()) {
    index();
    return;
  }
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = slotOf(id, mask);
  while (slots_[slot] != 0) slot = (slot + 1) & mask;
  slots_[slot] = static_cast<std::uint32_t>(ids_.size());
}

void TVocabulary::addChunkIds(const std::vector<std::uint32_t>& ids) {
  if (ids.empty()) return;
  if (counts_.size() != ids_.size()) counts_.assign(ids_.size(), 1);
  // The dictionary's scratch tells for each id whether, and where, it has an
  // entry here: new ids of a text come in rising order, so this walks memory
  // almost in sequence where a hash table would jump.
  const TChunkDictionary::Scratch scratch = dictionary_->scratch();
  for (std::size_t i = 0; i < ids_.size(); ++i) {
    scratch.marks[ids_[i]] = scratch.mark;
    scratch.entries[ids_[i]] = static_cast<std::uint32_t>(i);
  }
  for (const std::uint32_t id : ids) {
    if (scratch.marks[id] == scratch.mark) {
      ++counts_[scratch.entries[id]];
    } else {
      scratch.marks[id] = scratch.mark;
      scratch.entries[id] = static_cast<std::uint32_t>(ids_.size());
      ids_.push_back(id);
      counts_.push_back(1);
    }
  }
  slots_.clear();
}

void TVocabulary::addChunk(std::string_view chunk) {
  if (chunk.empty()) return;
  addChunkId(dictionary_->intern(chunk));
}

std::int32_t TVocabulary::countOfId(std::uint32_t id) const {
  const std::int64_t i = indexOf(id);
  return i < 0 ? 0 : countAt(static_cast<std::size_t>(i));
}

std::int32_t TVocabulary::countOf(std::string_view chunk) const {
  if (chunk.empty()) return -1;
  const std::uint32_t id = dictionary_->find(chunk);
  return id == TChunkDictionary::kNone ? 0 : countOfId(id);
}

void TVocabulary::clear() {
  ids_.clear();
  counts_.clear();
  slots_.clear();
}

void TVocabulary::assignShared(std::vector<std::uint32_t> ids) {
  ids_ = std::move(ids);
  counts_.clear();
  slots_.clear();
}

void TVocabulary::appendFileText(std::string& out) const {
  const std::size_t n = ids_.size();
  if (n == 0) return;
  const std::size_t width = decimalDigits(n);

  // One buffer serves every vocabulary a study writes.
  static thread_local std::vector<SortEntry> entries;
  entries.resize(n);
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < n; ++i) {
    char key[16] = {};
    char digits[12];
    const auto count = countAt(i);
    const auto length = static_cast<std::size_t>(
        std::to_chars(digits, digits + sizeof digits, count).ptr - digits);
    const std::size_t pad = length < width ? width - length : 0;
    std::memset(key, '0', pad);
    std::memcpy(key + pad, digits, length);
    key[pad + length] = '\n';
    const std::string_view chunk = dictionary_->text(ids_[i]);
    entries[i] = {prefixKey(key, 8), prefixKey(key + 8, 8), prefixKey(chunk.data(), chunk.size()),
                  chunk.size() > 8 ? prefixKey(chunk.data() + 8, chunk.size() - 8) : 0,
                  chunk.data(), static_cast<std::uint32_t>(chunk.size()),
                  static_cast<std::uint32_t>(i)};
    bytes += pad + length + 2 + chunk.size();
  }
  // Descending: the larger key first; chunks that agree in their first
  // sixteen bytes are told apart by their whole text.
  std::sort(entries.begin(), entries.end(), [](const SortEntry& a, const SortEntry& b) {
    if (a.countHigh != b.countHigh) return a.countHigh > b.countHigh;
    if (a.countLow != b.countLow) return a.countLow > b.countLow;
    if (a.chunkHigh != b.chunkHigh) return a.chunkHigh > b.chunkHigh;
    if (a.chunkLow != b.chunkLow) return a.chunkLow > b.chunkLow;
    const std::string_view x(a.text, a.length);
    const std::string_view y(b.text, b.length);
    return x.compare(y) > 0;  // char_traits<char> compares as unsigned char
  });

  out.reserve(out.size() + bytes);
  // The texts are read in sorted order, that is all over the dictionary:
  // ask for each a few entries ahead.
  constexpr std::size_t kAhead = 8;
  for (std::size_t k = 0; k < n; ++k) {
    const SortEntry& e = entries[k];
    if (k + kAhead < n) __builtin_prefetch(entries[k + kAhead].text);
    if (k != 0) out += '\n';
    char digits[12];
    const auto count = countAt(e.entry);
    const auto length = static_cast<std::size_t>(
        std::to_chars(digits, digits + sizeof digits, count).ptr - digits);
    if (length < width) out.append(width - length, '0');
    out.append(digits, length);
    out += '\n';
    out.append(e.text, e.length);
  }
}

std::int32_t TVocabulary::saveToFile(const std::string& path) const {
  if (path.empty()) return -1;
  // One buffer serves every file a study writes.
  static thread_local std::string buffer;
  buffer.clear();
  appendFileText(buffer);
  if (!writeWholeFile(path, buffer)) return -1;
  return size();
}

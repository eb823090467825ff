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
  std::uint64_t key = 0;
  std::memcpy(&key, p, n < 8 ? n : 8);
  return __builtin_bswap64(key);
}

// One entry of the file as it is sorted: the rank of its padded count (0 for
// the count whose padded text comes last in byte order, so first in the file)
// and its chunk, whose first sixteen bytes are kept here so that most
// comparisons need not look the text up.
struct SortEntry {
  std::uint64_t chunkHigh;
  std::uint64_t chunkLow;
  const char* text;
  std::uint32_t length;
  std::uint32_t rank;
};

// Descending byte order of the chunks.
inline bool chunkAfter(const SortEntry& a, const SortEntry& b) {
  if (a.chunkHigh != b.chunkHigh) return a.chunkHigh > b.chunkHigh;
  if (a.chunkLow != b.chunkLow) return a.chunkLow > b.chunkLow;
  // char_traits<char> compares as unsigned char.
  return std::string_view(a.text, a.length).compare(std::string_view(b.text, b.length)) > 0;
}

// Sorts [first, last) by chunkAfter. A large range is first spread over
// buckets by the chunks' first two bytes, so that the comparison sort that
// finishes each bucket works on a part that stays in cache.
void sortChunks(SortEntry* first, SortEntry* last) {
  const auto n = static_cast<std::size_t>(last - first);
  constexpr std::size_t kBucketed = std::size_t{1} << 13;
  if (n < kBucketed) {
    std::sort(first, last, chunkAfter);
    return;
  }
  constexpr std::size_t kBuckets = std::size_t{1} << 16;
  static thread_local std::vector<std::uint32_t> starts;
  static thread_local std::vector<SortEntry> spread;
  starts.assign(kBuckets + 1, 0);
  spread.resize(n);
  const auto bucketOf = [](const SortEntry& e) {
    return kBuckets - 1 - static_cast<std::size_t>(e.chunkHigh >> 48);
  };
  for (const SortEntry* e = first; e != last; ++e) ++starts[bucketOf(*e) + 1];
  for (std::size_t b = 1; b <= kBuckets; ++b) starts[b] += starts[b - 1];
  for (const SortEntry* e = first; e != last; ++e) spread[starts[bucketOf(*e)]++] = *e;
  // starts[b] is now where bucket b ends.
  std::size_t begin = 0;
  for (std::size_t b = 0; b < kBuckets; ++b) {
    const std::size_t end = starts[b];
    if (end - begin > 1) std::sort(spread.data() + begin, spread.data() + end, chunkAfter);
    begin = end;
  }
  std::copy(spread.begin(), spread.end(), first);
}

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

  // The distinct counts, each with its padded text and "\n", ranked by that
  // text in descending byte order: the entries then sort by rank, then chunk.
  // One set of buffers serves every vocabulary a study writes.
  // Counts up to kTabled are found through a table indexed by count; a
  // vocabulary with larger ones sorts its counts and searches them.
  constexpr std::int32_t kTabled = 1 << 16;
  static thread_local std::vector<std::int32_t> counts;
  static thread_local std::vector<std::uint32_t> tabled;
  counts.clear();
  std::int32_t largest = 1;
  for (const std::int32_t count : counts_) largest = std::max(largest, count);
  const bool useTable = largest <= kTabled;
  if (useTable) {
    tabled.assign(static_cast<std::size_t>(largest) + 1, 0);
    if (counts_.empty()) tabled[1] = 1;
    for (const std::int32_t count : counts_) tabled[static_cast<std::size_t>(count)] = 1;
    for (std::int32_t count = 1; count <= largest; ++count) {
      if (tabled[static_cast<std::size_t>(count)]) counts.push_back(count);
    }
  } else {
    counts.assign(counts_.begin(), counts_.end());
    std::sort(counts.begin(), counts.end());
    counts.erase(std::unique(counts.begin(), counts.end()), counts.end());
  }
  struct CountText {
    std::int32_t count;
    std::uint32_t length;
    // The padded count and "\n": at most 11 bytes, since neither the padding
    // width nor a count's own digits exceed 10.
    char text[16];
  };
  static thread_local std::vector<CountText> texts;
  texts.resize(counts.size());
  for (std::size_t c = 0; c < counts.size(); ++c) {
    CountText& t = texts[c];
    char digits[12];
    const auto length = static_cast<std::size_t>(
        std::to_chars(digits, digits + sizeof digits, counts[c]).ptr - digits);
    const std::size_t pad = length < width ? width - length : 0;
    std::memset(t.text, '0', pad);
    std::memcpy(t.text + pad, digits, length);
    t.text[pad + length] = '\n';
    t.count = counts[c];
    t.length = static_cast<std::uint32_t>(pad + length + 1);
  }
  std::sort(texts.begin(), texts.end(), [](const CountText& a, const CountText& b) {
    return std::string_view(a.text, a.length).compare(std::string_view(b.text, b.length)) > 0;
  });
  // The rank of each count: in the table, or by the count's place in counts.
  static thread_local std::vector<std::uint32_t> rankOf;
  rankOf.resize(counts.size());
  for (std::size_t r = 0; r < texts.size(); ++r) {
    const auto rank = static_cast<std::uint32_t>(r);
    if (useTable) {
      tabled[static_cast<std::size_t>(texts[r].count)] = rank;
    } else {
      rankOf[static_cast<std::size_t>(
          std::lower_bound(counts.begin(), counts.end(), texts[r].count) - counts.begin())] = rank;
    }
  }
  const auto rankAt = [&](std::size_t i) -> std::uint32_t {
    if (counts_.empty()) return 0;
    const std::int32_t count = counts_[i];
    if (useTable) return tabled[static_cast<std::size_t>(count)];
    return rankOf[static_cast<std::size_t>(std::lower_bound(counts.begin(), counts.end(), count) -
                                           counts.begin())];
  };

  // The entries, placed by rank at once (a counting sort), then each rank's
  // run sorted by chunk.
  static thread_local std::vector<std::size_t> rankStarts;
  static thread_local std::vector<std::uint32_t> ranks;
  rankStarts.assign(texts.size() + 1, 0);
  ranks.resize(n);
  std::size_t bytes = n - 1;  // the "\n" between entries
  for (std::size_t i = 0; i < n; ++i) {
    ranks[i] = rankAt(i);
    ++rankStarts[ranks[i] + 1];
    bytes += texts[ranks[i]].length;
  }
  for (std::size_t r = 1; r < rankStarts.size(); ++r) rankStarts[r] += rankStarts[r - 1];
  static thread_local std::vector<SortEntry> entries;
  static thread_local std::vector<std::size_t> next;
  entries.resize(n);
  next.assign(rankStarts.begin(), rankStarts.end() - 1);
  // A pair's shared chunks lie all over the dictionary: ask for each text's
  // place, then for the text, some entries ahead.
  constexpr std::size_t kWhereAhead = 32, kTextAhead = 16;
  for (std::size_t i = 0; i < n; ++i) {
    if (i + kWhereAhead < n) dictionary_->prefetchWhere(ids_[i + kWhereAhead]);
    if (i + kTextAhead < n) dictionary_->prefetchText(ids_[i + kTextAhead]);
    const std::string_view chunk = dictionary_->text(ids_[i]);
    bytes += chunk.size();
    entries[next[ranks[i]]++] = {
        prefixKey(chunk.data(), chunk.size()),
        chunk.size() > 8 ? prefixKey(chunk.data() + 8, chunk.size() - 8) : 0, chunk.data(),
        static_cast<std::uint32_t>(chunk.size()), ranks[i]};
  }
  for (std::size_t r = 0; r + 1 < rankStarts.size(); ++r) {
    sortChunks(entries.data() + rankStarts[r], entries.data() + rankStarts[r + 1]);
  }

  // A chunk of up to sixteen bytes is written back from its sort keys; longer
  // ones are read from the dictionary in sorted order, that is from all over
  // it, so each is asked for a few entries ahead. Both kinds of copy move a
  // whole sixteen bytes at a time, hence the room left after the text.
  constexpr std::size_t kSlack = 16;
  const std::size_t start = out.size();
  out.resize(start + bytes + kSlack);
  char* p = out.data() + start;
  constexpr std::size_t kAhead = 16;
  for (std::size_t k = 0; k < n; ++k) {
    const SortEntry& e = entries[k];
    if (k + kAhead < n && entries[k + kAhead].length > 16) {
      __builtin_prefetch(entries[k + kAhead].text);
    }
    if (k != 0) *p++ = '\n';
    const CountText& t = texts[e.rank];
    std::memcpy(p, t.text, sizeof t.text);
    p += t.length;
    if (e.length <= 16) {
      const std::uint64_t high = __builtin_bswap64(e.chunkHigh);
      const std::uint64_t low = __builtin_bswap64(e.chunkLow);
      std::memcpy(p, &high, sizeof high);
      std::memcpy(p + sizeof high, &low, sizeof low);
    } else {
      std::memcpy(p, e.text, e.length);
    }
    p += e.length;
  }
  out.resize(start + bytes);
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

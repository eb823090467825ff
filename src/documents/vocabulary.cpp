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

#include "base/hash.h"
#include "base/text_file.h"
#include "documents/chunk_counter.h"

namespace {

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

// Byte d (below 16) of an entry's kept chunk bytes.
inline unsigned keyByte(const SortEntry& e, std::size_t d) {
  const std::uint64_t half = d < 8 ? e.chunkHigh : e.chunkLow;
  return static_cast<unsigned>(half >> (56 - 8 * (d % 8))) & 0xFFu;
}

// Sorts [first, last), whose entries agree on their first d kept bytes, by
// chunkAfter: spread by byte d over 256 buckets, largest byte first, each
// then sorted from byte d + 1 (a radix sort from the most significant byte),
// until a part is small or the kept bytes run out. temp holds as many
// entries as the range.
void sortFromByte(SortEntry* first, SortEntry* last, std::size_t d, SortEntry* temp) {
  constexpr std::size_t kSmall = 48;
  for (;;) {
    const auto n = static_cast<std::size_t>(last - first);
    if (n <= kSmall || d >= 16) {
      std::sort(first, last, chunkAfter);
      return;
    }
    std::size_t starts[257] = {};
    for (const SortEntry* e = first; e != last; ++e) ++starts[256 - keyByte(*e, d)];
    // All alike in this byte: nothing to move.
    if (starts[256 - keyByte(*first, d)] == n) {
      ++d;
      continue;
    }
    for (std::size_t b = 1; b <= 256; ++b) starts[b] += starts[b - 1];
    std::size_t next[256];
    std::copy(starts, starts + 256, next);
    for (const SortEntry* e = first; e != last; ++e) temp[next[255 - keyByte(*e, d)]++] = *e;
    std::copy(temp, temp + n, first);
    for (std::size_t b = 0; b < 256; ++b) {
      if (starts[b + 1] - starts[b] > 1) {
        sortFromByte(first + starts[b], first + starts[b + 1], d + 1, temp);
      }
    }
    return;
  }
}

// Sorts [first, last) by chunkAfter. A large range is first spread over
// buckets by the chunks' first two bytes, then each bucket is sorted from its
// third byte on, in a part that stays in cache.
void sortChunks(SortEntry* first, SortEntry* last, std::vector<std::uint32_t>& starts,
                std::vector<SortEntry>& spread) {
  const auto n = static_cast<std::size_t>(last - first);
  constexpr std::size_t kBucketed = std::size_t{1} << 13;
  if (n < kBucketed) {
    std::sort(first, last, chunkAfter);
    return;
  }
  constexpr std::size_t kBuckets = std::size_t{1} << 16;
  starts.assign(kBuckets + 1, 0);
  spread.resize(n);
  const auto bucketOf = [](const SortEntry& e) {
    return kBuckets - 1 - static_cast<std::size_t>(e.chunkHigh >> 48);
  };
  for (const SortEntry* e = first; e != last; ++e) ++starts[bucketOf(*e) + 1];
  for (std::size_t b = 1; b <= kBuckets; ++b) starts[b] += starts[b - 1];
  for (const SortEntry* e = first; e != last; ++e) spread[starts[bucketOf(*e)]++] = *e;
  // starts[b] is now where bucket b ends. The range itself, copied out,
  // serves as each bucket's scratch.
  std::size_t begin = 0;
  for (std::size_t b = 0; b < kBuckets; ++b) {
    const std::size_t end = starts[b];
    if (end - begin > 1) sortFromByte(spread.data() + begin, spread.data() + end, 2, first + begin);
    begin = end;
  }
  std::copy(spread.begin(), spread.end(), first);
}

// The padded text of one distinct count, with "\n": at most 11 bytes, since
// neither the padding width nor a count's own digits exceed 10.
struct CountText {
  std::int32_t count;
  std::uint32_t length;
  char text[16];
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
    std::size_t at = slotOfKey(ids_[i], mask);
    while (slots_[at] != 0) at = (at + 1) & mask;
    slots_[at] = static_cast<std::uint32_t>(i + 1);
  }
}

std::int64_t TVocabulary::indexOf(std::uint32_t id) const {
  if (ids_.empty()) return -1;
  if (slots_.empty()) index();
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = slotOfKey(id, mask);; at = (at + 1) & mask) {
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
  std::size_t slot = slotOfKey(id, mask);
  while (slots_[slot] != 0) slot = (slot + 1) & mask;
  slots_[slot] = static_cast<std::uint32_t>(ids_.size());
}

void TVocabulary::addChunkIds(const std::vector<std::uint32_t>& ids) {
  TChunkCounter counter;
  addChunkIds(ids, counter);
}

void TVocabulary::reserveEntries(std::size_t count) {
  ids_.reserve(count);
  counts_.reserve(count);
}

void TVocabulary::addChunkIds(const std::vector<std::uint32_t>& ids, TChunkCounter& counter) {
  if (ids.empty()) return;
  // A first batch sizes the vocabulary once rather than through doublings,
  // each of which would hold the old and the new copy at once.
  if (ids_.empty()) reserveEntries(ids.size());
  const std::uint32_t idCount = dictionary_->size();
  beginCounting(counter, idCount);
  countIds(ids.data(), ids.size(), counter, idCount);
  endCounting(counter);
}

void TVocabulary::beginCounting(TChunkCounter& counter, std::uint32_t idCount) {
  if (counts_.size() != ids_.size()) counts_.assign(ids_.size(), 1);
  counter.begin(idCount);
  for (std::size_t i = 0; i < ids_.size(); ++i) {
    counter.mark(ids_[i], static_cast<std::uint32_t>(i));
  }
}

void TVocabulary::countIds(const std::uint32_t* ids, std::size_t count, TChunkCounter& counter,
                           std::uint32_t idCount) {
  counter.begin(idCount);
  for (std::size_t k = 0; k < count; ++k) {
    const std::uint32_t id = ids[k];
    if (counter.isMarked(id)) {
      ++counts_[counter.entryOf(id)];
    } else {
      counter.mark(id, static_cast<std::uint32_t>(ids_.size()));
      ids_.push_back(id);
      counts_.push_back(1);
    }
  }
}

void TVocabulary::endCounting(TChunkCounter& counter) {
  counter.end(ids_);
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

std::int32_t TVocabulary::removeChunkIds(const std::vector<bool>& leftOut) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < ids_.size(); ++i) {
    if (ids_[i] < leftOut.size() && leftOut[ids_[i]]) continue;
    ids_[kept] = ids_[i];
    if (!counts_.empty()) counts_[kept] = counts_[i];
    ++kept;
  }
  const auto removed = static_cast<std::int32_t>(ids_.size() - kept);
  ids_.resize(kept);
  if (!counts_.empty()) counts_.resize(kept);
  if (removed > 0) slots_.clear();
  return removed;
}

// The buffers of writing vocabulary files, kept from one file to the next.
struct TVocabularyScratch::Buffers {
  // The distinct counts in rising order, and the rank of each (by count
  // through the table when every count is small, else by place in counts).
  std::vector<std::int32_t> counts;
  std::vector<std::uint32_t> tabled;
  std::vector<std::uint32_t> rankOf;
  bool useTable = true;
  // The padded counts in file order: index = rank.
  std::vector<CountText> texts;
  // Each entry's rank, where each rank's run begins, and the entries placed.
  std::vector<std::uint32_t> ranks;
  std::vector<std::size_t> rankStarts;
  std::vector<std::size_t> next;
  std::vector<SortEntry> entries;
  // The spread of a large run over buckets.
  std::vector<std::uint32_t> bucketStarts;
  std::vector<SortEntry> spread;
  // The text of the file.
  std::string text;
};

TVocabularyScratch::TVocabularyScratch() : buffers_(std::make_unique<Buffers>()) {}
TVocabularyScratch::~TVocabularyScratch() = default;

std::string& TVocabularyScratch::text() { return buffers_->text; }

void TVocabulary::rankCounts(TVocabularyScratch::Buffers& b) const {
  const std::size_t width = decimalDigits(ids_.size());
  // Counts up to kTabled are found through a table indexed by count; a
  // vocabulary with larger ones sorts its counts and searches them.
  constexpr std::int32_t kTabled = 1 << 16;
  b.counts.clear();
  std::int32_t largest = 1;
  for (const std::int32_t count : counts_) largest = std::max(largest, count);
  b.useTable = largest <= kTabled;
  if (b.useTable) {
    b.tabled.assign(static_cast<std::size_t>(largest) + 1, 0);
    if (counts_.empty()) b.tabled[1] = 1;
    for (const std::int32_t count : counts_) b.tabled[static_cast<std::size_t>(count)] = 1;
    for (std::int32_t count = 1; count <= largest; ++count) {
      if (b.tabled[static_cast<std::size_t>(count)]) b.counts.push_back(count);
    }
  } else {
    b.counts.assign(counts_.begin(), counts_.end());
    std::sort(b.counts.begin(), b.counts.end());
    b.counts.erase(std::unique(b.counts.begin(), b.counts.end()), b.counts.end());
  }
  b.texts.resize(b.counts.size());
  for (std::size_t c = 0; c < b.counts.size(); ++c) {
    CountText& t = b.texts[c];
    char digits[12];
    const auto length = static_cast<std::size_t>(
        std::to_chars(digits, digits + sizeof digits, b.counts[c]).ptr - digits);
    const std::size_t pad = length < width ? width - length : 0;
    std::memset(t.text, '0', pad);
    std::memcpy(t.text + pad, digits, length);
    t.text[pad + length] = '\n';
    t.count = b.counts[c];
    t.length = static_cast<std::uint32_t>(pad + length + 1);
  }
  std::sort(b.texts.begin(), b.texts.end(), [](const CountText& x, const CountText& y) {
    return std::string_view(x.text, x.length).compare(std::string_view(y.text, y.length)) > 0;
  });
  b.rankOf.resize(b.counts.size());
  for (std::size_t r = 0; r < b.texts.size(); ++r) {
    const auto rank = static_cast<std::uint32_t>(r);
    if (b.useTable) {
      b.tabled[static_cast<std::size_t>(b.texts[r].count)] = rank;
    } else {
      b.rankOf[static_cast<std::size_t>(
          std::lower_bound(b.counts.begin(), b.counts.end(), b.texts[r].count) -
          b.counts.begin())] = rank;
    }
  }
}

std::size_t TVocabulary::placeEntries(TVocabularyScratch::Buffers& b) const {
  const std::size_t n = ids_.size();
  const auto rankAt = [&](std::size_t i) -> std::uint32_t {
    if (counts_.empty()) return 0;
    const std::int32_t count = counts_[i];
    if (b.useTable) return b.tabled[static_cast<std::size_t>(count)];
    return b.rankOf[static_cast<std::size_t>(
        std::lower_bound(b.counts.begin(), b.counts.end(), count) - b.counts.begin())];
  };
  // The entries, placed by rank at once (a counting sort), then each rank's
  // run sorted by chunk.
  b.rankStarts.assign(b.texts.size() + 1, 0);
  b.ranks.resize(n);
  std::size_t bytes = n - 1;  // the "\n" between entries
  for (std::size_t i = 0; i < n; ++i) {
    b.ranks[i] = rankAt(i);
    ++b.rankStarts[b.ranks[i] + 1];
    bytes += b.texts[b.ranks[i]].length;
  }
  for (std::size_t r = 1; r < b.rankStarts.size(); ++r) b.rankStarts[r] += b.rankStarts[r - 1];
  b.entries.resize(n);
  b.next.assign(b.rankStarts.begin(), b.rankStarts.end() - 1);
  dictionary_->visitTexts(ids_.data(), n, [&](std::size_t i, std::string_view chunk) {
    bytes += chunk.size();
    b.entries[b.next[b.ranks[i]]++] = {
        prefixKey(chunk.data(), chunk.size()),
        chunk.size() > 8 ? prefixKey(chunk.data() + 8, chunk.size() - 8) : 0, chunk.data(),
        static_cast<std::uint32_t>(chunk.size()), b.ranks[i]};
  });
  for (std::size_t r = 0; r + 1 < b.rankStarts.size(); ++r) {
    sortChunks(b.entries.data() + b.rankStarts[r], b.entries.data() + b.rankStarts[r + 1],
               b.bucketStarts, b.spread);
  }
  return bytes;
}

namespace {

// A chunk of up to sixteen bytes is written back from its sort keys, and a
// count's padded text from its whole array: both moves are of a fixed size
// and may overshoot the bytes that count by this much.
constexpr std::size_t kOvershoot = 16;

// Where writeEntries puts the file's bytes. begin() is where they start;
// room(p, n) gives where to go on with room for n bytes from there (p itself,
// or the start of the buffer once the bytes before p are handed on), or
// nullptr when they could not be; finish(p) hands on the bytes before p.

// The whole file appended to a string, sized for it at once.
class WholeText {
 public:
  // bytes: the file's size; room is left after it for writes that overshoot.
  WholeText(std::string& out, std::size_t bytes) : out_(out), start_(out.size()) {
    out_.resize(start_ + bytes + kOvershoot);
  }
  char* begin() { return out_.data() + start_; }
  char* room(char* p, std::size_t) { return p; }
  bool finish(char* p) {
    out_.resize(static_cast<std::size_t>(p - out_.data()));
    return true;
  }

 private:
  std::string& out_;
  std::size_t start_;
};

// The file written to a descriptor through a block that stays in cache.
class BlockWriter {
 public:
  BlockWriter(int fd, std::string& block) : fd_(fd), block_(block) {
    if (block_.size() < kBlock) block_.resize(kBlock);
  }
  char* begin() { return block_.data(); }
  char* room(char* p, std::size_t n) {
    if (static_cast<std::size_t>(block_.data() + block_.size() - p) >= n) return p;
    if (!finish(p)) return nullptr;
    if (block_.size() < n) block_.resize(n);  // one very long chunk
    return block_.data();
  }
  bool finish(char* p) {
    return writeAll(fd_,
                    std::string_view(block_.data(), static_cast<std::size_t>(p - block_.data())));
  }

 private:
  static constexpr std::size_t kBlock = std::size_t{1} << 18;
  int fd_;
  std::string& block_;
};

}  // namespace

template <typename Sink>
bool TVocabulary::writeEntries(const TVocabularyScratch::Buffers& b, Sink& sink) {
  const std::size_t n = b.entries.size();
  // Longer chunks are read from the dictionary in sorted order, that is from
  // all over it, so each is asked for a few entries ahead.
  constexpr std::size_t kAhead = 16;
  char* p = sink.begin();
  for (std::size_t k = 0; k < n; ++k) {
    const SortEntry& e = b.entries[k];
    if (k + kAhead < n && b.entries[k + kAhead].length > 16) {
      __builtin_prefetch(b.entries[k + kAhead].text);
    }
    const CountText& t = b.texts[e.rank];
    p = sink.room(p, 1 + sizeof t.text + std::max<std::size_t>(e.length, kOvershoot));
    if (!p) return false;
    if (k != 0) *p++ = '\n';
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
  return sink.finish(p);
}

void TVocabulary::appendFileText(std::string& out, TVocabularyScratch& scratch) const {
  if (ids_.empty()) return;
  TVocabularyScratch::Buffers& buffers = *scratch.buffers_;
  rankCounts(buffers);
  WholeText sink(out, placeEntries(buffers));
  (void)writeEntries(buffers, sink);
}

bool TVocabulary::writeFileText(int fd, TVocabularyScratch& scratch) const {
  if (ids_.empty()) return true;
  TVocabularyScratch::Buffers& buffers = *scratch.buffers_;
  rankCounts(buffers);
  (void)placeEntries(buffers);
  BlockWriter sink(fd, buffers.text);
  return writeEntries(buffers, sink);
}

std::string TVocabulary::fileText() const {
  TVocabularyScratch scratch;
  std::string text;
  appendFileText(text, scratch);
  return text;
}

std::int32_t TVocabulary::saveToFile(const std::string& path, TVocabularyScratch& scratch) const {
  if (path.empty()) return -1;
  std::string& text = scratch.text();
  text.clear();
  appendFileText(text, scratch);
  if (!writeWholeFile(nullptr, path, text)) return -1;
  return size();
}

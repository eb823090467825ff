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
#include <vector>

#include "control/text_file.h"

void TVocabulary::addChunk(std::string_view chunk) {
  if (chunk.empty()) return;
  const auto it = counts_.find(chunk);
  if (it != counts_.end()) {
    ++it->second;
  } else {
    counts_.emplace(std::string(chunk), 1);
  }
}

std::int32_t TVocabulary::countOf(std::string_view chunk) const {
  if (chunk.empty()) return -1;
  const auto it = counts_.find(chunk);
  return it == counts_.end() ? 0 : it->second;
}

namespace {

std::size_t decimalDigits(std::size_t n) {
  std::size_t digits = 0;
  for (; n > 0; n /= 10) ++digits;
  return digits;
}

// One entry's padded count followed by "\n", the key that orders the file
// before the chunk text does.
struct Entry {
  char count[16];
  std::uint8_t countLength;
  std::string_view chunk;
};

int compareBytes(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  const int c = n ? std::memcmp(a.data(), b.data(), n) : 0;  // memcmp compares unsigned bytes
  if (c != 0) return c;
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

}  // namespace

std::string TVocabulary::fileText() const {
  const std::size_t width = decimalDigits(counts_.size());
  std::vector<Entry> entries;
  entries.reserve(counts_.size());
  std::size_t bytes = 0;
  for (const auto& [chunk, count] : counts_) {
    Entry e{};
    char digits[12];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, count);
    (void)ec;
    const auto length = static_cast<std::size_t>(end - digits);
    const std::size_t pad = length < width ? width - length : 0;
    std::memset(e.count, '0', pad);
    std::memcpy(e.count + pad, digits, length);
    e.count[pad + length] = '\n';
    e.countLength = static_cast<std::uint8_t>(pad + length + 1);
    e.chunk = chunk;
    entries.push_back(e);
    bytes += e.countLength + chunk.size() + 1;
  }
  // Descending order of padded count + "\n" + chunk.
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    const int c = compareBytes({a.count, a.countLength}, {b.count, b.countLength});
    if (c != 0) return c > 0;
    return compareBytes(a.chunk, b.chunk) > 0;
  });
  std::string text;
  text.reserve(bytes);
  for (const Entry& e : entries) {
    if (!text.empty()) text += '\n';
    text.append(e.count, e.countLength);
    text.append(e.chunk);
  }
  return text;
}

std::int32_t TVocabulary::saveToFile(const std::string& path) const {
  if (path.empty()) return -1;
  if (!writeWholeFile(path, fileText())) return -1;
  return size();
}

// Fuzzes the language file reader: the bytes become a language file that
// TWordLists loads. The three lists must hold no empty entry and no line feed,
// and must equal a plain line-by-line re-reading of the same bytes.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "stages/word_lists.h"

namespace {

// Stop words, punctuation, numbers and the stemmer's name.
using Lists = std::array<std::vector<std::string>, 4>;

constexpr std::array<std::string_view, 4> kStart = {"[start stopWords]", "[start punctuation]",
                                                    "[start numbers]", "[start stemmer]"};
constexpr std::array<std::string_view, 4> kStop = {"[stop stopWords]", "[stop punctuation]",
                                                   "[stop numbers]", "[stop stemmer]"};
constexpr std::array<std::string_view, 4> kNames = {"stop words", "punctuation", "numbers",
                                                    "stemmer"};

// Lines end at a line feed (CR LF read as one); a last line needs none. A line
// holding a start marker (stop words before punctuation before numbers before
// the stemmer) empties
// that list and fills it with the following non-empty lines up to one holding
// its stop marker.
Lists reread(std::string_view bytes) {
  const std::string text = fuzz::crlfToLf(bytes);
  std::vector<std::string_view> lines = fuzz::split(text, "\n");
  if (!lines.empty() && lines.back().empty()) lines.pop_back();

  Lists lists;
  std::size_t i = 0;
  while (i < lines.size()) {
    const std::string_view line = lines[i++];
    std::size_t section = 0;
    while (section < kStart.size() && line.find(kStart[section]) == std::string_view::npos) {
      ++section;
    }
    if (section == kStart.size()) continue;
    std::vector<std::string>& list = lists[section];
    list.clear();
    while (i < lines.size()) {
      const std::string_view entry = lines[i++];
      if (entry.empty()) continue;
      if (entry.find(kStop[section]) != std::string_view::npos) break;
      list.emplace_back(entry);
    }
  }
  return lists;
}

void checkLists(const TWordLists& wordLists, const Lists& expected, std::string_view when) {
  const std::array<const std::vector<std::string>*, 3> actual = {
      &wordLists.stopWords(), &wordLists.punctuation(), &wordLists.numbers()};
  for (std::size_t section = 0; section < actual.size(); ++section) {
    const std::string what = std::string(when) + ", " + std::string(kNames[section]);
    const std::vector<std::string>& list = *actual[section];
    for (const std::string& entry : list) {
      if (entry.empty()) fuzz::fail(what + ": an empty entry");
      if (entry.find('\n') != std::string::npos)
        fuzz::fail(what + ": an entry with a line feed", "", entry);
    }
    fuzz::checkEqual(what + ": entry count", static_cast<long long>(expected[section].size()),
                     static_cast<long long>(list.size()));
    for (std::size_t i = 0; i < list.size(); ++i) {
      fuzz::checkEqual(what + ": entry " + std::to_string(i), expected[section][i], list[i]);
    }
  }

  // The stemmer section names one stemmer: its first entry.
  fuzz::checkEqual(std::string(when) + ", stemmer",
                   expected[3].empty() ? std::string() : expected[3].front(),
                   wordLists.stemmerLanguage());

  fuzz::checkEqual("stopWordCount", static_cast<long long>(wordLists.stopWords().size()),
                   wordLists.stopWordCount());
  fuzz::checkEqual("punctuationCount", static_cast<long long>(wordLists.punctuation().size()),
                   wordLists.punctuationCount());
  for (std::int32_t i = -1; i <= wordLists.stopWordCount(); ++i) {
    const std::string* entry = wordLists.stopWordAt(i);
    const bool inRange = i >= 0 && i < wordLists.stopWordCount();
    fuzz::check(
        inRange ? entry == &wordLists.stopWords()[static_cast<std::size_t>(i)] : entry == nullptr,
        "stopWordAt " + std::to_string(i));
  }
  for (std::int32_t i = -1; i <= wordLists.punctuationCount(); ++i) {
    const std::string* entry = wordLists.punctuationAt(i);
    const bool inRange = i >= 0 && i < wordLists.punctuationCount();
    fuzz::check(
        inRange ? entry == &wordLists.punctuation()[static_cast<std::size_t>(i)] : entry == nullptr,
        "punctuationAt " + std::to_string(i));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::ScratchGuard file(fuzz::scratchPath("word_lists.lang"));
  const std::string_view bytes = fuzz::bytesOf(data, size);
  fuzz::mustWriteFile(file.path(), bytes);
  const Lists expected = reread(bytes);

  TWordLists wordLists;
  fuzz::check(wordLists.load(file.path()), "load of an existing file returned false");
  checkLists(wordLists, expected, "first load");

  // Reading the same file again gives the same lists: every section it holds
  // is replaced by the same entries, the others stay.
  fuzz::check(wordLists.load(file.path()), "second load returned false");
  checkLists(wordLists, expected, "second load");

  // Failed loads change nothing.
  fuzz::check(!wordLists.load(""), "load of the empty path returned true");
  fuzz::check(!wordLists.load(file.path() + ".absent"), "load of a missing file returned true");
  checkLists(wordLists, expected, "after failed loads");
  return 0;
}

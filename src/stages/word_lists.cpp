// The language file:
//
//   any text (ignored)
//   ... [start stopWords] ...      a line holding a start marker opens a section
//   the                            one entry per line, kept byte for byte
//                                  empty lines are skipped
//   ... [stop stopWords] ...       a line holding the stop marker closes it
//
// A section without its stop marker runs to the end of the file. A section
// that occurs again replaces what the earlier one read. The sections are
// stopWords, punctuation, numbers and stemmer; a line holding several start
// markers opens the first of them in that order.
#include "stages/word_lists.h"

#include <string_view>

#include "base/text_file.h"

bool TWordLists::load(const std::string& path) {
  std::string text;
  if (!readTextFile(path, text)) return false;
  return loadText(text);
}

bool TWordLists::loadText(std::string_view all) {
  std::size_t pos = 0;
  // The next line, or false at the end of the text. A final line without a
  // line break is still a line.
  auto nextLine = [&](std::string_view& line) {
    if (pos >= all.size()) return false;
    const std::size_t end = all.find('\n', pos);
    if (end == std::string_view::npos) {
      line = all.substr(pos);
      pos = all.size();
    } else {
      line = all.substr(pos, end - pos);
      pos = end + 1;
    }
    return true;
  };
  auto readSection = [&](std::vector<std::string>& list, const std::string& stopMarker) {
    list.clear();
    std::string_view line;
    while (nextLine(line)) {
      if (line.empty()) continue;
      if (line.find(stopMarker) != std::string_view::npos) break;
      list.emplace_back(line);
    }
  };

  std::string_view line;
  while (nextLine(line)) {
    if (line.find(startStopWords_) != std::string_view::npos) {
      readSection(stopWords_, stopStopWords_);
    } else if (line.find(startPunctuation_) != std::string_view::npos) {
      readSection(punctuation_, stopPunctuation_);
    } else if (line.find(startNumbers_) != std::string_view::npos) {
      readSection(numbers_, stopNumbers_);
    } else if (line.find(startStemmer_) != std::string_view::npos) {
      readSection(stemmer_, stopStemmer_);
    }
  }
  return true;
}

// Fuzzes the four pre-processing steps. Each step of TPreProcDoc rewrites the
// text in one streaming pass; here every step is also done the plain way, by
// find / erase / replace on the string in place, and both must agree byte for
// byte.
//
// Input layout:
//   byte 0   bits 0-3: the steps to run (punctuation, numbers, lower case,
//                      stop words), always in that order
//            bit 4:    frame the text with one blank on each side, as a study does
//            bit 5:    the language part is the language file itself; otherwise
//                      it holds punctuation lines, a NUL byte, then stop-word
//                      lines, and the file is built around them
//   byte 1   length of the language part
//   then     the language part, then the text (the rest)
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "stages/pre_proc.h"

namespace {

bool plainPunctuation(std::string& text, const std::vector<std::string>& marks) {
  if (text.empty()) return false;
  for (const std::string& mark : marks) {
    std::size_t pos = 0;
    for (;;) {
      const std::size_t k = text.find(mark, pos);
      if (k == std::string::npos) break;
      const std::size_t after = k + mark.size();
      if (k > 0 && text[k - 1] == ' ' && after < text.size() && text[after] == ' ') {
        text.erase(k, mark.size() + 1);
      } else {
        text.replace(k, mark.size(), " ");
      }
      pos = k + 1;
    }
  }
  return true;
}

bool isTokenSeparator(char c) { return c == ' ' || c == '\n' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool plainNumbers(std::string& text) {
  if (text.empty()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (isDigit(text[i]) && (i == 0 || isTokenSeparator(text[i - 1]))) {
      std::size_t j = i;
      while (j < text.size() && isDigit(text[j])) ++j;
      text.erase(i, j - i);
    }
  }
  return true;
}

bool plainLower(std::string& text) {
  if (text.empty()) return false;
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  }
  return true;
}

bool plainStopWords(std::string& text, const std::vector<std::string>& words) {
  if (text.empty()) return false;
  for (const std::string& word : words) {
    const std::string pattern = " " + word + " ";
    std::size_t pos = 0;
    for (;;) {
      const std::size_t k = text.find(pattern, pos);
      if (k == std::string::npos) break;
      text.replace(k, pattern.size(), " ");
      pos = k + 1;
    }
  }
  return true;
}

// The language file of the structured layout.
std::string languageFile(std::string_view part) {
  const std::size_t nul = part.find('\0');
  const std::string_view punctuation = part.substr(0, nul);
  const std::string_view stopWords =
      nul == std::string_view::npos ? std::string_view() : part.substr(nul + 1);
  std::string file = "[start punctuation]\n";
  file += punctuation;
  file += "\n[stop punctuation]\n[start stopWords]\n";
  file += stopWords;
  file += "\n[stop stopWords]\n";
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::ScratchGuard file(fuzz::scratchPath("pre_proc.lang"));
  if (size < 2) return -1;
  const std::uint8_t flags = data[0];
  const std::string_view rest = fuzz::bytesOf(data + 2, size - 2);
  const std::string_view language = rest.substr(0, data[1]);
  std::string text(rest.substr(language.size()));

  fuzz::mustWriteFile(file.path(), (flags & 0x20) ? std::string(language) : languageFile(language));
  TPreProcDoc stage;
  fuzz::check(stage.wordLists().load(file.path()), "the language file did not load");
  const std::vector<std::string>& punctuation = stage.wordLists().punctuation();
  const std::vector<std::string>& stopWords = stage.wordLists().stopWords();

  if (flags & 0x10) text = " " + text + " ";

  // Runs one step both ways on the current text and carries its result on.
  auto compare = [&text](const char* name, auto production, auto plain) {
    std::string actual = text;
    std::string expected = text;
    const bool actualResult = production(actual);
    const bool expectedResult = plain(expected);
    auto what = [&](const char* problem) {
      return [&text, name, problem] {
        return std::string(name) + " on " + fuzz::quoted(text) + ": " + problem;
      };
    };
    fuzz::checkEqual(what("result"), expectedResult, actualResult);
    fuzz::checkEqual(what("text"), expected, actual);
    fuzz::check(!text.empty() || !actualResult, what("true for an empty text"));
    // No step lengthens a text.
    fuzz::check(actual.size() <= text.size(), what("the text grew"));
    text = std::move(actual);
  };
  if (flags & 0x01) {
    compare(
        "stripPunctuation", [&](std::string& t) { return stage.stripPunctuation(t); },
        [&](std::string& t) { return plainPunctuation(t, punctuation); });
  }
  if (flags & 0x02) {
    compare(
        "stripNumbers", [](std::string& t) { return TPreProcDoc::stripNumbers(t); },
        [](std::string& t) { return plainNumbers(t); });
  }
  if (flags & 0x04) {
    compare(
        "lowerText", [](std::string& t) { return TPreProcDoc::lowerText(t); },
        [](std::string& t) { return plainLower(t); });
  }
  if (flags & 0x08) {
    compare(
        "stripStopWords", [&](std::string& t) { return stage.stripStopWords(t); },
        [&](std::string& t) { return plainStopWords(t, stopWords); });
  }
  return 0;
}

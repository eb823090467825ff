#include "settings/config_keys.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "base/parse_int.h"
#include "settings/config.h"
#include "settings/param_file.h"

namespace {

constexpr TConfigKey kKeys[] = {
    {"file", "none", "a document: a path with a folder; the list ends at the first missing number",
     true},
    {"dirDocuments", "none", "folder whose files join the study after the fileN documents"},
    {"documentPattern", "*",
     "shell glob that the names of dirDocuments' and dirArchive's files must match"},
    {"documentsRecursive", "0", "1: take the files of dirDocuments' and dirArchive's subfolders too"},
    {"archiveFile", "none",
     "a reference document of earlier work, compared with the documents but not with other "
     "reference documents; the list ends at the first missing number",
     true},
    {"dirArchive", "none", "folder whose files join the study as reference documents, after "
     "the archiveFileN ones"},
    {"templateFile", "none",
     "a file whose text every author was given: its chunks are left out of every document; "
     "the list ends at the first missing number",
     true},
    {"maxChunkDocuments", "0",
     "a chunk in more than this many documents is left out as boilerplate; 0: none is"},
    {"interLangFileName", "none",
     "message file: the log texts by key, %S marks the argument; without it each log line is "
     "its message key and argument"},
    {"languageFileName", "none", "language file: stop words, punctuation marks and numbers"},
    {"saveLogIn", "current folder", "folder of the run log log.log"},
    {"dirVocabularies", "none", "folder of the vocabulary files; required"},
    {"dirReports", "none", "folder of the pair report files; required unless collusionMode is 1"},
    {"dirResults", "none", "folder of the results: index.html, pair pages and CSV files"},
    {"resultsThreshold", "0.1", "lowest similarity, 0 to 1, of a pair the results list"},
    {"resultsTop", "200", "most pairs the results list; 0: no limit"},
    {"pairFiles", "1", "1: write a report and a shared-chunk vocabulary for every pair"},
    {"threads", "0",
     "threads for pre-processing, extraction, comparison and saving, 1 to 64; 0: one per "
     "usable core"},
    {"isToshowLog", "0", "1: log progress messages"},
    {"isToshowWarning", "0", "1: log warnings and errors"},
    {"collusionMode", "3",
     "1: vocabularies only; 2: the first document against each other; 3: every pair"},
    {"gramsSize", "3", "words per chunk, 1 to 10"},
    {"removePontuation", "0", "1: remove the punctuation marks of the language file"},
    {"removeNumbers", "0", "1: remove numbers"},
    {"lowerCase", "0", "1: lower-case the text"},
    {"removeStopWords", "0", "1: remove the stop words of the language file"},
    {"removeMultipleBlanks", "0", "accepted; has no effect"},
    {"unicodeText", "0", "1: pre-process UTF-8 text by Unicode rules (NFKC, case folding, ...)"},
    {"foldLookalikes", "1 with unicodeText", "0: letters that look alike stay apart"},
    {"stemWords", "0", "1 with unicodeText: reduce words to their stems"},
    {"preProcType", "1", "kind of pre-processing; 1 is the only kind"},
    {"extractType", "1", "kind of chunk extraction; 1 is the only kind"},
    {"compareType", "1", "kind of comparison; 1 is the only kind"},
    {"vocabularyType", "1", "kind of vocabulary; 1 is the only kind"},
};

// Numbers that TConfig reads within a range.
struct TNumberKey {
  std::string_view name;
  std::int32_t TConfig::*field;
  std::int32_t low;
  std::int32_t high;
};
constexpr TNumberKey kNumberKeys[] = {
    {"collusionMode", &TConfig::collusionMode, 1, 3},
    {"gramsSize", &TConfig::gramsSize, 1, 10},
    {"maxChunkDocuments", &TConfig::maxChunkDocuments, 0, INT32_MAX},
};

// Switches: on for "1", off for anything else.
struct TSwitchKey {
  std::string_view name;
  bool TConfig::*field;
};
constexpr TSwitchKey kSwitchKeys[] = {
    {"isToshowLog", &TConfig::isToshowLog},
    {"isToshowWarning", &TConfig::isToshowWarning},
    {"lowerCase", &TConfig::lowerCase},
    {"removeMultipleBlanks", &TConfig::removeMultipleBlanks},
    {"removeNumbers", &TConfig::removeNumbers},
    {"removePontuation", &TConfig::removePontuation},
    {"removeStopWords", &TConfig::removeStopWords},
};

// Kinds: 1 whatever the value.
constexpr std::string_view kKindKeys[] = {"compareType", "extractType", "preProcType",
                                          "vocabularyType"};

constexpr std::size_t kMostEdits = 2;
constexpr std::size_t kHelpWidth = 79;
constexpr std::size_t kKeyColumn = 24;

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

// Edits between a and b: insertions, deletions, substitutions and swaps of
// neighbouring bytes (each byte edited at most once).
std::size_t editDistance(std::string_view a, std::string_view b) {
  if (a == b) return 0;
  if (equalIgnoringCase(a, b)) return 1;
  const std::size_t columns = b.size() + 1;
  std::vector<std::size_t> rows(3 * columns);
  std::size_t* beforeLast = rows.data();
  std::size_t* last = beforeLast + columns;
  std::size_t* row = last + columns;
  for (std::size_t j = 0; j < columns; ++j) last[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    row[0] = i;
    for (std::size_t j = 1; j < columns; ++j) {
      const std::size_t substitution = last[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      row[j] = std::min({last[j] + 1, row[j - 1] + 1, substitution});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        row[j] = std::min(row[j], beforeLast[j - 2] + 1);
      }
    }
    std::swap(beforeLast, last);
    std::swap(last, row);
  }
  return last[b.size()];
}

// key split into the text before its trailing digits and those digits.
std::pair<std::string_view, std::string_view> splitNumber(std::string_view key) {
  std::size_t end = key.size();
  while (end > 0 && key[end - 1] >= '0' && key[end - 1] <= '9') --end;
  return {key.substr(0, end), key.substr(end)};
}

bool hasDigitsAfterSign(std::string_view value) {
  std::size_t i = 0;
  while (i < value.size() && std::isspace(static_cast<unsigned char>(value[i]))) ++i;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) ++i;
  return i < value.size() && value[i] >= '0' && value[i] <= '9';
}

std::string printable(std::string_view text) {
  std::string shown(text);
  for (char& c : shown) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) c = '?';
  }
  return shown;
}

std::string setting(std::string_view key, std::string_view value) {
  return "collusion: " + printable(key) + "=" + printable(value);
}

// Appends the words of text and then tail (kept whole) to help, in lines of at
// most kHelpWidth columns: the first goes on from column start of the current
// line, the others are indented by kKeyColumn.
void appendWrapped(std::string& help, std::size_t start, std::string_view text,
                   std::string_view tail) {
  std::vector<std::string_view> words;
  for (std::size_t blank; (blank = text.find(' ')) != std::string_view::npos;) {
    words.push_back(text.substr(0, blank));
    text.remove_prefix(blank + 1);
  }
  words.push_back(text);
  words.push_back(tail);
  std::size_t column = start;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0 && column + 1 + words[i].size() > kHelpWidth) {
      help += '\n';
      help.append(kKeyColumn, ' ');
      column = kKeyColumn;
    } else if (i > 0) {
      help += ' ';
      ++column;
    }
    help += words[i];
    column += words[i].size();
  }
  help += '\n';
}

constexpr std::string_view kUsageHead =
    "Usage: collusion CONFIG-FILE\n"
    "       collusion [--output DIR] [--language CODE] FOLDER\n"
    "       collusion --help | -h\n"
    "       collusion --version\n"
    "\n"
    "With CONFIG-FILE, runs the study that the file describes in lines of\n"
    "key=value. Blanks around keys and values do not count, a line beginning\n"
    "with // is a comment, and the first line that gives a key wins.\n"
    "\n"
    "With FOLDER, runs a quick study of every file in FOLDER and its\n"
    "subfolders (hidden ones skipped): lower case, punctuation and numbers\n"
    "removed with the built-in English language file, chunks of 3 words, every\n"
    "pair compared, results on, no per-pair files. The outputs go under DIR\n"
    "(default collusion-results) in results/, vocabularies/ and log/. --language\n"
    "CODE (en fr de es pt it nl sv pl ru) follows the Unicode rules of that\n"
    "language and removes its stop words.\n"
    "\n"
    "Configuration keys (N is 1, 2, ... without gaps):\n";

constexpr std::string_view kUsageTail =
    "\n"
    "Exit status:\n"
    "  0      the study ran and every step succeeded\n"
    "  1      the study failed, or the configuration has no usable line\n"
    "  2      a wrong command line: an unknown option, a FOLDER that is missing,\n"
    "         a DIR that is a file\n"
    "  255    the configuration or message file cannot be read\n"
    "  128+N  ended by signal N (130 for an interrupt)\n";

}  // namespace

std::span<const TConfigKey> configKeys() { return kKeys; }

bool isKnownKey(std::string_view key) {
  // Named variables rather than a structured binding, which the lambda
  // below could not capture under clang 14.
  const auto split = splitNumber(key);
  const std::string_view stem = split.first;
  const bool numbered = !split.second.empty() && split.second.front() != '0';
  return std::any_of(std::begin(kKeys), std::end(kKeys), [&](const TConfigKey& known) {
    return known.numbered ? numbered && stem == known.name : key == known.name;
  });
}

std::string closestKey(std::string_view key) {
  const auto [stem, digits] = splitNumber(key);
  std::string_view number = digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
  if (number.empty()) number = "1";

  std::string best;
  std::size_t bestDistance = kMostEdits + 1;
  for (const TConfigKey& known : kKeys) {
    const std::size_t distance =
        known.numbered ? editDistance(stem, known.name) : editDistance(key, known.name);
    if (distance >= bestDistance) continue;
    bestDistance = distance;
    best = known.name;
    if (known.numbered) best += number;
  }
  return best;
}

std::string usageText() {
  std::string help(kUsageHead);
  for (const TConfigKey& key : kKeys) {
    std::string name = "  " + std::string(key.name) + (key.numbered ? "N" : "");
    name.resize(std::max(name.size() + 1, kKeyColumn), ' ');
    help += name;
    appendWrapped(help, name.size(), key.meaning,
                  "(default: " + std::string(key.defaultValue) + ")");
  }
  help += kUsageTail;
  return help;
}

std::vector<std::string> configHints(const TParamFile& map, const TConfig& config) {
  std::vector<std::string> hints;
  for (const auto& [key, value] : map.entries()) {
    if (!isKnownKey(key)) {
      std::string hint = "collusion: unknown key " + printable(key) + " is ignored";
      const std::string closest = closestKey(key);
      if (!closest.empty()) hint += "; did you mean " + closest + "?";
      hints.push_back(std::move(hint));
      continue;
    }
    for (const TNumberKey& number : kNumberKeys) {
      if (key != number.name) continue;
      const std::int32_t used = config.*number.field;
      std::int32_t read = 0;
      std::string why;
      if (!parseLeadingInt(value, read)) {
        why = " does not fit in 32 bits";
      } else if (!hasDigitsAfterSign(value)) {
        why = " is not a number";
      } else if (read != used) {
        why = " is out of range (" + std::to_string(number.low) + " to " +
              std::to_string(number.high) + ")";
      }
      if (!why.empty())
        hints.push_back(setting(key, value) + why + "; using " + std::to_string(used));
    }
    for (const TSwitchKey& on : kSwitchKeys) {
      if (key == on.name && value != "0" && value != "1") {
        hints.push_back(setting(key, value) + " is neither 0 nor 1; using " +
                        (config.*on.field ? "1" : "0"));
      }
    }
    for (std::string_view kind : kKindKeys) {
      if (key == kind && value != "1") {
        hints.push_back(setting(key, value) + " is not a known kind; using 1");
      }
    }
  }
  return hints;
}

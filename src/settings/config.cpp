#include "settings/config.h"

#include <cctype>
#include <cstdint>
#include <charconv>
#include <limits>

#include "settings/param_file.h"
#include "base/parse_int.h"
#include "base/text_file.h"
#include "base/work_pool.h"

namespace {

bool switchOf(const TParamFile& map, std::string_view key) { return map.get(key) == "1"; }

std::int32_t numberOf(const TParamFile& map, std::string_view key, std::int32_t low,
                      std::int32_t high, std::int32_t fallback) {
  std::int32_t value = 0;
  if (!parseLeadingInt(map.get(key), value) || value < low || value > high) return fallback;
  return value;
}

}  // namespace

TConfig::TConfig(const TParamFile& map)
    : collusionMode(numberOf(map, "collusionMode", 1, 3, 3)),
      removeMultipleBlanks(switchOf(map, "removeMultipleBlanks")),
      removeStopWords(switchOf(map, "removeStopWords")),
      removePontuation(switchOf(map, "removePontuation")),
      removeNumbers(switchOf(map, "removeNumbers")),
      lowerCase(switchOf(map, "lowerCase")),
      languageFileName(map.get("languageFileName")),
      gramsSize(numberOf(map, "gramsSize", 1, 10, 3)),
      interLangFileName(map.get("interLangFileName")),
      isToshowWarning(switchOf(map, "isToshowWarning")),
      isToshowLog(switchOf(map, "isToshowLog")),
      dirVocabularies(map.get("dirVocabularies")),
      dirReports(map.get("dirReports")),
      maxChunkDocuments(numberOf(map, "maxChunkDocuments", 0, INT32_MAX, 0)) {
  // An empty saveLogIn keeps the log in the current directory rather than at
  // the root of the file system.
  const std::string logDirectory = map.get("saveLogIn");
  logFilePath =
      logDirectory.empty() ? std::string(kLogFileName) : joinPath(logDirectory, kLogFileName);
  readResultsSettings(map);
  unicodeText = switchOf(map, "unicodeText");
  foldLookalikes = unicodeText && map.get("foldLookalikes") != "0";
  stemWords = unicodeText && switchOf(map, "stemWords");
  if (switchOf(map, "stemWords") && !unicodeText) {
    notes.push_back("stemWords=1 needs unicodeText=1; words are not stemmed");
  }
}

void TConfig::readResultsSettings(const TParamFile& map) {
  dirResults = map.get("dirResults");
  const std::string threshold = map.get("resultsThreshold");
  if (!threshold.empty()) {
    double value = 0;
    if (parseFraction(threshold, value)) {
      resultsThreshold = value;
    } else {
      notes.push_back("resultsThreshold=" + threshold +
                      " is not a decimal from 0 to 1; using 0.1");
    }
  }
  const std::string top = map.get("resultsTop");
  if (!top.empty()) {
    std::int32_t value = 0;
    if (parseLeadingInt(top, value) && value >= 0) {
      resultsTop = value;
    } else {
      notes.push_back("resultsTop=" + top + " is out of range; using 200");
    }
  }
  const std::string threadsText = map.get("threads");
  if (!threadsText.empty()) {
    std::int32_t value = 0;
    if (parseLeadingInt(threadsText, value) && value >= 0 && value <= kMostThreads) {
      threads = value;
    } else {
      notes.push_back("threads=" + threadsText + " is out of range (0 to " +
                      std::to_string(kMostThreads) + "); using 0");
    }
  }
  if (map.get("pairFiles") == "0") {
    if (dirResults.empty()) {
      notes.push_back("pairFiles=0 needs dirResults; report files and pair vocabularies are "
                      "written");
    } else {
      pairFiles = false;
    }
  }
}

std::int32_t TConfig::threadCount() const {
  if (threads > 0) return threads;
  const std::size_t cores = usableCores();
  return static_cast<std::int32_t>(cores < kMostThreads ? cores : kMostThreads);
}

bool parseFraction(std::string_view text, double& value) {
  // Digits with at most one point, nothing else: no sign, exponent, comma or
  // blank, whatever the locale.
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string_view::npos) return false;
  double parsed = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed,
                                            std::chars_format::fixed);
  if (error != std::errc() || end != text.data() + text.size() || parsed < 0 || parsed > 1) {
    return false;
  }
  value = parsed;
  return true;
}

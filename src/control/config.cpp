#include "control/config.h"

#include <cctype>
#include <limits>

#include "control/param_file.h"
#include "control/text_file.h"

bool parseLeadingInt(std::string_view text, std::int32_t& value) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulate as a negative number so that INT32_MIN fits.
  std::int64_t acc = 0;
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    acc = acc * 10 - (text[i] - '0');
    if (acc < kMin) return false;
  }
  if (!negative) {
    if (acc < -std::int64_t{std::numeric_limits<std::int32_t>::max()}) return false;
    acc = -acc;
  }
  value = static_cast<std::int32_t>(acc);
  return true;
}

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
      dirReports(map.get("dirReports")) {
  // An empty saveLogIn keeps the log in the current directory rather than at
  // the root of the file system.
  const std::string logDirectory = map.get("saveLogIn");
  logFilePath =
      logDirectory.empty() ? std::string(kLogFileName) : joinPath(logDirectory, kLogFileName);
}

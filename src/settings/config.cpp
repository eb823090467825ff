#include "settings/config.h"

#include <cctype>
#include <limits>

#include "settings/param_file.h"
#include "base/parse_int.h"
#include "base/text_file.h"

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

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TParamFile;

// The text that marks where a message's argument goes.
inline const std::string kPlaceholder = "%S";
// The name of the log file inside the directory saveLogIn names.
inline constexpr std::string_view kLogFileName = "log.log";

// The settings of one study, converted once from the configuration map.
// Switches are on only for the value "1"; numbers are read atoi-style and fall
// back to their defaults when out of range; the kinds are always 1.
struct TConfig {
  explicit TConfig(const TParamFile& map);

  std::int32_t preProcType = 1;
  std::int32_t extractType = 1;
  std::int32_t vocabularyType = 1;
  std::int32_t compareType = 1;
  std::int32_t collusionMode = 3;
  bool removeMultipleBlanks = false;
  bool removeStopWords = false;
  bool removePontuation = false;
  bool removeNumbers = false;
  bool lowerCase = false;
  std::string languageFileName;
  std::int32_t gramsSize = 3;
  std::string interLangFileName;
  std::string logFilePath;
  bool isToshowWarning = false;
  bool isToshowLog = false;
  std::string placeholder = kPlaceholder;
  std::string dirVocabularies;
  std::string dirReports;
};

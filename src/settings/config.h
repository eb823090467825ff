#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TParamFile;

// The text that marks where a message's argument goes.
inline const std::string kPlaceholder = "%S";
// The name of the log file inside the directory saveLogIn names.
inline constexpr std::string_view kLogFileName = "log.log";
// The most threads the threads setting takes.
inline constexpr std::int32_t kMostThreads = 64;

// The settings of one study, converted once from the configuration map.
// Switches are on only for the value "1"; numbers are read atoi-style and fall
// back to their defaults when out of range; the kinds are always 1.
struct TConfig {
  explicit TConfig(const TParamFile& map);
  // Reads the settings of the results folder, noting values not taken.
  void readResultsSettings(const TParamFile& map);

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
  // The language file's text when it is built into the program rather than
  // named by languageFileName (the quick study); not a key.
  std::string_view languageText;
  std::int32_t gramsSize = 3;
  std::string interLangFileName;
  std::string logFilePath;
  bool isToshowWarning = false;
  bool isToshowLog = false;
  std::string placeholder = kPlaceholder;
  std::string dirVocabularies;
  std::string dirReports;
  // A chunk that more than this many documents hold is left out of every
  // vocabulary as boilerplate; 0 leaves none out.
  std::int32_t maxChunkDocuments = 0;

  // The results folder (ranked pairs, documents, HTML pages); empty for none.
  std::string dirResults;
  // The lowest similarity the HTML lists, 0 to 1.
  double resultsThreshold = 0.1;
  // The most pairs the HTML lists; 0 lists every pair at the threshold.
  std::int32_t resultsTop = 200;
  // Whether the report files and pair vocabularies are written. They may be
  // left out only when the results are written.
  bool pairFiles = true;

  // Pre-processing by Unicode rules on UTF-8 text, rather than by bytes; with
  // it, look-alike letters folded to one (on unless set to 0) and words
  // reduced to their stems by the language's stemmer.
  bool unicodeText = false;
  bool foldLookalikes = false;
  bool stemWords = false;
  // Threads for the per-document stages and the saving of outputs: 0 for
  // every core the process may run on, 1 for one thread, at most kMostThreads.
  std::int32_t threads = 0;
  // The number of threads threads stands for, at least 1.
  std::int32_t threadCount() const;
  // The stemmer's language when given on the command line; else the
  // language file names it. Not a key.
  std::string stemmerLanguage;

  // Lines for the console about settings that were not taken as given, each
  // without a line break.
  std::vector<std::string> notes;
};

// A decimal such as "0.25" from 0 to 1, read the same in every locale.
// False, leaving value alone, for anything else.
[[nodiscard]] bool parseFraction(std::string_view text, double& value);

#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/directory_handles.h"
#include "base/file_identity.h"
#include "base/output_names.h"
#include "base/progress_line.h"
#include "base/text_file.h"
#include "log/log.h"
#include "settings/config.h"
#include "settings/param_file.h"

// An output whose name is claimed ahead of its writing, so that outputs can
// be written side by side and their log entries added afterwards in the
// order saveOutput would add them.
struct TClaimedOutput {
  std::string directory;
  std::string name;
  std::string extension;
  // Where the output goes.
  std::string path;
  // The paths warning_output_renamed names for it, in order; logged by
  // finishOutput.
  std::vector<std::string> renames;
  TWriteResult result = TWriteResult::failed;
};

// What every part of a study reaches: its settings, its message texts, its
// run log and the output paths it has used. One exists while a study runs,
// reached through `environment`.
class TEnvironment {
 public:
  // Builds the settings from map and loads the message file they name.
  // Throws VrxException when that file cannot be read.
  explicit TEnvironment(const TParamFile& map);
  ~TEnvironment();
  TEnvironment(const TEnvironment&) = delete;
  TEnvironment& operator=(const TEnvironment&) = delete;

  // The message text for key with argument filled in.
  std::string text(std::string_view key, std::string_view argument) const {
    return messages->messageText(key, argument);
  }
  // A progress entry, added only when isToshowLog is on.
  void progress(std::string_view key, std::string_view argument, bool withLap) const;
  // A warning entry, added only when isToshowWarning is on.
  void warning(std::string_view key, std::string_view argument) const;
  // An error entry, added only when isToshowWarning is on.
  void error(std::string_view key, std::string_view argument) const;

  // Writes data as the output file name (ending in extension) in directory.
  // The name is claimed in outputNames first: one the study used already, or
  // one where an input of the study stands, is written as its next free "~N"
  // variant, with warning_output_renamed. The file is written whole or not
  // at all (see writeOutputFile), through outputDirectories. False when it
  // could not be written; it then counts as lost.
  bool saveOutput(std::string_view directory, std::string_view name, std::string_view extension,
                  std::string_view data);
  // saveOutput in three steps. claimOutput, on the study's thread in the
  // order saveOutput would be called, claims output's name as saveOutput
  // does (a name where an input stands is passed over then) and keeps the
  // renames instead of logging them. writeClaimed writes data at the claimed
  // path through handles, the calling thread's own, and may run on several
  // threads at once, each for its own output.
  // finishOutput, on the study's thread in the same order, logs the renames,
  // counts the output and returns whether it was written.
  void claimOutput(TClaimedOutput& output);
  void writeClaimed(TClaimedOutput& output, std::string_view data,
                    TDirectoryHandles& handles) const;
  // The same with the bytes that write gives, a block at a time.
  void writeClaimed(TClaimedOutput& output, const TWriteBytes& write,
                    TDirectoryHandles& handles) const;
  bool finishOutput(const TClaimedOutput& output);
  // Writes the lines of log to the settings' log file, renamed as saveOutput
  // does when an input stands there. Returns the path written, or empty when
  // the log could not be written (it then counts as lost).
  std::string saveLog();

  // The number of outputs that could not be written, and of those tried.
  std::int64_t outputsLost() const { return outputsLost_; }
  std::int64_t outputsTried() const { return outputsTried_; }
  // The number of outputs written under a "~N" name.
  std::int64_t outputsRenamed() const { return outputsRenamed_; }

  std::unique_ptr<TConfig> config;
  std::unique_ptr<TParamFile> messages;
  // The log belongs to main and outlives the environment.
  TLog* log = nullptr;
  std::unique_ptr<TOutputNames> outputNames;
  // Handles of the directories output files go into.
  std::unique_ptr<TDirectoryHandles> outputDirectories;
  // The line that shows a long step's progress on a terminal; none without.
  TProgressLine* progressLine = nullptr;
  // The files the study reads (configuration, messages, language file,
  // documents), which no output may replace.
  TFileIdentities inputs;

 private:
  // Whether an input may stand at path, an output to be written into
  // directory: looked up for a name where the folder, read at its first
  // claim, held an input (or when it could not be read).
  bool inputMayStandAt(const std::string& directory, const std::string& path);

  struct InputNames {
    bool listed = false;
    std::vector<std::string> names;  // sorted
  };
  // By output folder as the settings spell it.
  std::map<std::string, InputNames, std::less<>> inputNamesIn_;
  std::int64_t outputsLost_ = 0;
  std::int64_t outputsTried_ = 0;
  std::int64_t outputsRenamed_ = 0;
};

// The environment of the running study, or null when none runs.
extern TEnvironment* environment;

// Entries for code that also runs without a study (tests, tools): each adds
// its entry through the running study's environment, as progress, warning and
// error above do, and nothing when no study runs.
void logProgress(std::string_view key, std::string_view argument, bool withLap);
void logWarning(std::string_view key, std::string_view argument);
void logError(std::string_view key, std::string_view argument);
// Shows that done of total items of step are done on the running study's
// progress line, if it has one.
void showProgress(std::string_view step, std::int64_t done, std::int64_t total);
// A warning entry that belongs with the progress entries: added only when
// isToshowLog is on.
void logWarningWithProgress(std::string_view key, std::string_view argument);

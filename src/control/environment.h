#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "control/config.h"
#include "control/directory_handles.h"
#include "control/output_names.h"
#include "control/param_file.h"
#include "log/log.h"

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

  std::unique_ptr<TConfig> config;
  std::unique_ptr<TParamFile> messages;
  // The log belongs to main and outlives the environment.
  TLog* log = nullptr;
  std::unique_ptr<TOutputNames> outputNames;
  // Handles of the directories output files go into, used by writeWholeFile.
  std::unique_ptr<TDirectoryHandles> outputDirectories;
};

// The environment of the running study, or null when none runs.
extern TEnvironment* environment;

// The path to write the output file name (ending in extension) in directory:
// claimed in the running study's output names, renamed with a warning when
// the study used it already. Without a study, directory/name.
std::string claimOutputPath(std::string_view directory, std::string_view name,
                            std::string_view extension);

#include "settings/environment.h"

#include <algorithm>

#include "base/text_file.h"

TEnvironment* environment = nullptr;

TEnvironment::TEnvironment(const TParamFile& map)
    : config(std::make_unique<TConfig>(map)),
      messages(std::make_unique<TParamFile>()),
      outputNames(std::make_unique<TOutputNames>()),
      outputDirectories(std::make_unique<TDirectoryHandles>()) {
  messages->load(config->interLangFileName);
}

TEnvironment::~TEnvironment() {
  config.reset();
  messages.reset();
}

bool TEnvironment::saveOutput(std::string_view directory, std::string_view name,
                              std::string_view extension, std::string_view data) {
  ++outputsTried_;
  bool renamed = false;
  std::string path = outputNames->claim(directory, name, extension, renamed);
  for (;;) {
    if (renamed) {
      ++outputsRenamed_;
      warning("warning_output_renamed", path);
    }
    switch (writeOutputFile(outputDirectories.get(), path, data, &inputs)) {
      case TWriteResult::written:
        return true;
      case TWriteResult::failed:
        ++outputsLost_;
        return false;
      case TWriteResult::inputAtName:
        path = outputNames->claim(directory, name, extension, renamed);
        break;
    }
  }
}

bool TEnvironment::inputMayStandAt(const std::string& directory, const std::string& path) {
  if (inputs.empty()) return false;
  auto at = inputNamesIn_.find(directory);
  if (at == inputNamesIn_.end()) {
    InputNames found;
    found.listed = namesWithIdentities(directory, inputs, found.names);
    std::sort(found.names.begin(), found.names.end());
    at = inputNamesIn_.emplace(directory, std::move(found)).first;
  }
  if (!at->second.listed) return true;
  const std::size_t cut = path.rfind(kPathSeparator);
  const std::string_view name =
      cut == std::string::npos ? std::string_view(path) : std::string_view(path).substr(cut + 1);
  return std::binary_search(at->second.names.begin(), at->second.names.end(), name);
}

void TEnvironment::claimOutput(TClaimedOutput& output) {
  bool renamed = false;
  output.path = outputNames->claim(output.directory, output.name, output.extension, renamed);
  for (;;) {
    if (renamed) output.renames.push_back(output.path);
    if (!inputMayStandAt(output.directory, output.path) || !inputStandsAt(output.path, inputs)) {
      return;
    }
    output.path = outputNames->claim(output.directory, output.name, output.extension, renamed);
  }
}

void TEnvironment::writeClaimed(TClaimedOutput& output, std::string_view data,
                                TDirectoryHandles& handles) const {
  output.result = writeOutputFile(&handles, output.path, data, &inputs);
}

void TEnvironment::writeClaimed(TClaimedOutput& output, const TWriteBytes& write,
                                TDirectoryHandles& handles) const {
  output.result = writeOutputFile(&handles, output.path, write, &inputs);
}

bool TEnvironment::finishOutput(const TClaimedOutput& output) {
  ++outputsTried_;
  for (const std::string& path : output.renames) {
    ++outputsRenamed_;
    warning("warning_output_renamed", path);
  }
  if (output.result == TWriteResult::written) return true;
  ++outputsLost_;
  return false;
}

std::string TEnvironment::saveLog() {
  ++outputsTried_;
  std::string path = config->logFilePath;
  if (!log) return {};
  const std::string text = log->text();
  for (;;) {
    switch (writeOutputFile(nullptr, path, text, &inputs)) {
      case TWriteResult::written:
        return path;
      case TWriteResult::failed:
        ++outputsLost_;
        return {};
      case TWriteResult::inputAtName: {
        bool renamed = false;
        const std::size_t cut = path.rfind(kPathSeparator);
        const std::string_view folder =
            cut == std::string::npos ? std::string_view(".") : std::string_view(path).substr(0, cut);
        path = outputNames->claim(folder, kLogFileName, ".log", renamed);
        break;
      }
    }
  }
}

void logProgress(std::string_view key, std::string_view argument, bool withLap) {
  if (environment) environment->progress(key, argument, withLap);
}

void logWarning(std::string_view key, std::string_view argument) {
  if (environment) environment->warning(key, argument);
}

void showProgress(std::string_view step, std::int64_t done, std::int64_t total) {
  if (environment && environment->progressLine) environment->progressLine->update(step, done, total);
}

void logError(std::string_view key, std::string_view argument) {
  if (environment) environment->error(key, argument);
}

void logWarningWithProgress(std::string_view key, std::string_view argument) {
  if (environment && environment->config->isToshowLog && environment->log) {
    environment->log->addWarning(environment->text(key, argument));
  }
}

void TEnvironment::progress(std::string_view key, std::string_view argument, bool withLap) const {
  if (config->isToshowLog && log) log->addMessage(text(key, argument), withLap);
}

void TEnvironment::warning(std::string_view key, std::string_view argument) const {
  if (config->isToshowWarning && log) log->addWarning(text(key, argument));
}

void TEnvironment::error(std::string_view key, std::string_view argument) const {
  if (config->isToshowWarning && log) log->addError(text(key, argument));
}

#include "settings/environment.h"

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
  bool renamed = false;
  const std::string path = outputNames->claim(directory, name, extension, renamed);
  if (renamed) warning("warning_output_renamed", path);
  return writeWholeFile(outputDirectories.get(), path, data);
}

void logProgress(std::string_view key, std::string_view argument, bool withLap) {
  if (environment) environment->progress(key, argument, withLap);
}

void logWarning(std::string_view key, std::string_view argument) {
  if (environment) environment->warning(key, argument);
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

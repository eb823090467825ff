#include "control/environment.h"

#include "control/text_file.h"

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

std::string claimOutputPath(std::string_view directory, std::string_view name,
                            std::string_view extension) {
  if (!environment) return joinPath(directory, name);
  bool renamed = false;
  std::string path = environment->outputNames->claim(directory, name, extension, renamed);
  if (renamed) environment->warning("warning_output_renamed", path);
  return path;
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

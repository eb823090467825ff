#include "documents/doc.h"

#include "base/text_file.h"
#include "settings/environment.h"

TDoc::TDoc(const std::string& fileName, const std::string& directory,
           TChunkDictionary* dictionary)
    : vocabulary_(dictionary ? std::make_unique<TVocabulary>(*dictionary)
                             : std::make_unique<TVocabulary>()) {
  setFileName(fileName);
  setDirectory(directory);
}

void TDoc::setFileName(const std::string& value) {
  if (!value.empty()) fileName_ = value;
}

void TDoc::setDirectory(const std::string& value) {
  if (!value.empty()) directory_ = value;
}

void TDoc::setText(std::string value) {
  if (!value.empty()) text_ = std::move(value);
}

std::string TDoc::fullPath() const { return joinPath(directory_, fileName_); }

std::string_view stemOf(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  return dot == std::string_view::npos ? fileName : fileName.substr(0, dot);
}

std::string_view TDoc::stem() const { return stemOf(fileName_); }

bool TDoc::exists() const { return pathExists(fullPath()); }

bool TDoc::loadText() {
  const TRead outcome = readText();
  warnUnread(outcome);
  return outcome == TRead::kRead;
}

TDoc::TRead TDoc::readText() {
  if (fileName_.empty() || directory_.empty()) return TRead::kUnnamed;
  std::string content;
  if (!readTextFile(fullPath(), content)) return TRead::kNotFound;
  text_.clear();
  if (content.empty()) return TRead::kEmpty;
  // Read line by line, every line is kept with a "\n" after it, the last one
  // too: a final line break therefore leaves the text ending in two.
  content.push_back('\n');
  text_ = std::move(content);
  return TRead::kRead;
}

void TDoc::warnUnread(TRead outcome) const {
  if (outcome == TRead::kNotFound) logWarning("warning_file_not_found", fullPath());
  if (outcome == TRead::kEmpty) logWarning("warning_empty_File", fullPath());
}

bool TDoc::saveVocabulary(const std::string& targetDirectory) const {
  if (targetDirectory.empty()) return false;
  std::string name(stem());
  name += ".voc";
  TVocabularyScratch scratch;
  return vocabulary_->saveToFile(joinPath(targetDirectory, name), scratch) >= 0;
}

bool TDoc::saveVocabulary(const std::string& targetDirectory, TEnvironment& outputs,
                          TVocabularyScratch& scratch) const {
  if (targetDirectory.empty()) return false;
  std::string name(stem());
  name += ".voc";
  std::string& text = scratch.text();
  text.clear();
  vocabulary_->appendFileText(text, scratch);
  return outputs.saveOutput(targetDirectory, name, ".voc", text);
}

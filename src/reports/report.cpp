// The report file, six lines with "\n" between them and none at the end:
//
//   file1: a.txt
//   file2: b.txt
//   chunksInDoc1: 120
//   chunksInDoc2: 98
//   commonChunks: 12
//   similarity: 0.05660      (printf "%6.4g")
#include "reports/report.h"

#include <cstdio>

#include "base/parse_int.h"
#include "base/text_file.h"
#include "settings/environment.h"
#include "settings/param_file.h"

namespace {
std::int32_t atoiOf(const std::string& text) {
  std::int32_t value = 0;
  return parseLeadingInt(text, value) ? value : 0;
}
}  // namespace

void TReportGrams::fill(const TParamFile& result) {
  setFile1Name(result.get("file1Name"));
  setFile2Name(result.get("file2Name"));
  chunksInDoc1_ = atoiOf(result.get("chunksInDoc1"));
  chunksInDoc2_ = atoiOf(result.get("chunksInDoc2"));
  similarity_ = atoiOf(result.get("similarity")) / 10000.0;
  commonChunks_ = atoiOf(result.get("commonChunks"));
}

std::string TReportGrams::fileText() const {
  std::string text;
  appendFileText(text);
  return text;
}

void TReportGrams::appendFileText(std::string& text) const {
  char similarity[32];
  std::snprintf(similarity, sizeof similarity, "%6.4g", similarity_);
  text.reserve(text.size() + 96 + file1Name().size() + file2Name().size());
  text += "file1: ";
  text += file1Name();
  text += "\nfile2: ";
  text += file2Name();
  text += "\nchunksInDoc1: ";
  text += std::to_string(chunksInDoc1_);
  text += "\nchunksInDoc2: ";
  text += std::to_string(chunksInDoc2_);
  text += "\ncommonChunks: ";
  text += std::to_string(commonChunks_);
  text += "\nsimilarity: ";
  text += similarity;
}

bool TReportGrams::save(const std::string& directory) {
  if (directory.empty()) return false;
  std::string text;
  appendFileText(text);
  return writeWholeFile(nullptr, joinPath(directory, file1Name() + "." + file2Name()), text);
}

bool TReportGrams::save(const std::string& directory, TEnvironment& outputs, std::string& buffer) {
  if (directory.empty()) return false;
  buffer.clear();
  appendFileText(buffer);
  return outputs.saveOutput(directory, file1Name() + "." + file2Name(), "", buffer);
}

bool TReportGrams::isValid() const {
  return !file1Name().empty() && !file2Name().empty() && similarity_ >= 0 && chunksInDoc1_ >= 0 &&
         chunksInDoc2_ >= 0 && commonChunks_ >= 0;
}

#include "reports/reports.h"

#include <string_view>

#include "documents/doc.h"
#include "settings/environment.h"
#include "settings/param_file.h"

bool TReports::add(const TParamFile& result, std::unique_ptr<TVocabulary>& vocabulary) {
  if (result.count() <= 0) return false;
  auto report = std::make_unique<TReportGrams>();
  report->fill(result);
  report->setCommonVocabulary(std::move(vocabulary));
  reports_.push_back(std::move(report));
  return true;
}

std::int32_t TReports::saveAll() {
  if (!environment) return -1;
  const std::string& dirReports = environment->config->dirReports;
  const std::string& dirVocabularies = environment->config->dirVocabularies;
  if (dirReports.empty()) return -1;
  std::int32_t saved = 0;
  std::string name;
  // One set of buffers serves every file.
  TVocabularyScratch vocabularyScratch;
  std::string& text = vocabularyScratch.text();
  std::int64_t done = 0;
  for (const auto& report : reports_) {
    showProgress("Saving reports", ++done, count());
    if (!report->save(dirReports, *environment, text)) {
      environment->warning("warning_report_not_saved", report->file1Name() + report->file2Name());
      continue;
    }
    ++saved;
    // Without a vocabulary directory the pair vocabulary has nowhere to go.
    if (dirVocabularies.empty() || !report->commonVocabulary()) continue;
    name.assign(stemOf(report->file1Name()));
    name += '-';
    name += stemOf(report->file2Name());
    name += ".voc";
    text.clear();
    report->commonVocabulary()->appendFileText(text, vocabularyScratch);
    (void)environment->saveOutput(dirVocabularies, name, ".voc", text);
  }
  return saved;
}

TReport* TReports::get(std::int32_t index) const {
  if (index < 0 || index >= count()) return nullptr;
  return reports_[static_cast<std::size_t>(index)].get();
}

bool TReports::remove(std::int32_t index) {
  if (index < 0 || index >= count()) return false;
  reports_.erase(reports_.begin() + index);
  return true;
}

bool TReports::allValid() const {
  for (const auto& report : reports_) {
    const auto* grams = dynamic_cast<const TReportGrams*>(report.get());
    if (report->file1Name().empty() || report->file2Name().empty() ||
        (grams && grams->similarity() < 0)) {
      return false;
    }
  }
  return true;
}

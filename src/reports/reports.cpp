#include "reports/reports.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_identity.h"
#include "base/work_pool.h"
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

namespace {

// Whether report and vocabulary names can never meet: the two folders exist
// and are not one (or no vocabulary folder is set).
bool apartFolders(const std::string& dirReports, const std::string& dirVocabularies) {
  if (dirVocabularies.empty()) return true;
  TFileIdentity reports;
  TFileIdentity vocabularies;
  return identityOfPath(dirReports, reports) && identityOfPath(dirVocabularies, vocabularies) &&
         !(reports == vocabularies);
}

// Sets name to the name of the vocabulary of the chunks a report's two
// documents share; a buffer kept from one report to the next saves an
// allocation each.
void setPairVocabularyName(const TReport& report, std::string& name) {
  name.assign(stemOf(report.file1Name()));
  name += '-';
  name += stemOf(report.file2Name());
  name += ".voc";
}

}  // namespace

std::int32_t TReports::saveAll() {
  if (!environment) return -1;
  const std::string& dirReports = environment->config->dirReports;
  const std::string& dirVocabularies = environment->config->dirVocabularies;
  if (dirReports.empty()) return -1;
  const auto workers = static_cast<std::size_t>(environment->config->threadCount());
  if (workers > 1 && reports_.size() > 1 && apartFolders(dirReports, dirVocabularies)) {
    return saveAllOnThreads(workers);
  }
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
    setPairVocabularyName(*report, name);
    text.clear();
    report->commonVocabulary()->appendFileText(text, vocabularyScratch);
    (void)environment->saveOutput(dirVocabularies, name, ".voc", text);
  }
  return saved;
}

std::int32_t TReports::saveAllOnThreads(std::size_t workers) {
  // The reports go in blocks, so that few claimed names wait at a time.
  // Within a block the report names are claimed first, in order, and the
  // reports written on the workers; then, in order, each saved report's pair
  // vocabulary is claimed, and those are written on the workers. The report
  // and vocabulary folders are apart, so each name is the one saveAll
  // claims. Last, the block's log entries are added in the order saveAll
  // adds them.
  constexpr std::size_t kBlock = 1024;
  std::vector<std::string> buffers(workers);
  std::vector<TVocabularyScratch> scratches(workers);
  std::int32_t saved = 0;
  for (std::size_t begin = 0; begin < reports_.size(); begin += kBlock) {
    saved += saveBlockOnThreads(begin, std::min(reports_.size(), begin + kBlock), buffers,
                                scratches);
  }
  return saved;
}

std::int32_t TReports::saveBlockOnThreads(std::size_t begin, std::size_t end,
                                          std::vector<std::string>& buffers,
                                          std::vector<TVocabularyScratch>& scratches) {
  const std::string& dirReports = environment->config->dirReports;
  const std::string& dirVocabularies = environment->config->dirVocabularies;
  const std::size_t count = end - begin;
  const std::size_t workers = buffers.size();
  std::vector<TClaimedOutput> reportOutputs(count);
  for (std::size_t i = 0; i < count; ++i) {
    TClaimedOutput& output = reportOutputs[i];
    const TReport& report = *reports_[begin + i];
    output.directory = dirReports;
    output.name = report.file1Name() + "." + report.file2Name();
    environment->claimOutput(output);
  }
  runOnWorkers(workers, count, [&](std::size_t worker, std::size_t i) {
    std::string& text = buffers[worker];
    text.clear();
    reports_[begin + i]->appendFileText(text);
    environment->writeClaimed(reportOutputs[i], text);
  });
  std::vector<TClaimedOutput> pairOutputs(count);
  std::vector<std::size_t> pairs;
  for (std::size_t i = 0; i < count; ++i) {
    const TReport& report = *reports_[begin + i];
    if (reportOutputs[i].result != TWriteResult::written || dirVocabularies.empty() ||
        !report.commonVocabulary()) {
      continue;
    }
    TClaimedOutput& output = pairOutputs[i];
    output.directory = dirVocabularies;
    setPairVocabularyName(report, output.name);
    output.extension = ".voc";
    environment->claimOutput(output);
    pairs.push_back(i);
  }
  runOnWorkers(workers, pairs.size(), [&](std::size_t worker, std::size_t k) {
    const std::size_t i = pairs[k];
    TVocabularyScratch& scratch = scratches[worker];
    std::string& text = scratch.text();
    text.clear();
    reports_[begin + i]->commonVocabulary()->appendFileText(text, scratch);
    environment->writeClaimed(pairOutputs[i], text);
  });
  showProgress("Saving reports", static_cast<std::int64_t>(end), this->count());
  std::int32_t saved = 0;
  std::size_t nextPair = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const TReport& report = *reports_[begin + i];
    if (!environment->finishOutput(reportOutputs[i])) {
      environment->warning("warning_report_not_saved", report.file1Name() + report.file2Name());
      continue;
    }
    ++saved;
    if (nextPair < pairs.size() && pairs[nextPair] == i) {
      (void)environment->finishOutput(pairOutputs[i]);
      ++nextPair;
    }
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

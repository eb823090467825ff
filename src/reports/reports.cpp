#include "reports/reports.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "base/directory_handles.h"
#include "base/file_identity.h"
#include "base/work_pool.h"
#include "documents/doc.h"
#include "settings/config.h"
#include "settings/environment.h"
#include "settings/param_file.h"

void TReports::configure(const TConfig& config) { countsOnly_ = !config.pairFiles; }

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
  // Each block's report names are claimed in order, one block ahead of its
  // writing, on one thread at a time; once they are written, each saved
  // report's pair vocabulary is claimed in order. The report and vocabulary
  // folders are apart, so each name is the one saveAll claims. The workers
  // write one block's reports together with the previous block's pair
  // vocabularies, taking the two kinds in turn, so that files are made in
  // both folders at once. Last, each block's log entries are added on this
  // thread in the order saveAll adds them.
  constexpr std::size_t kBlock = 1024;
  const std::string& dirReports = environment->config->dirReports;
  const std::string& dirVocabularies = environment->config->dirVocabularies;
  std::vector<std::string> buffers(workers);
  std::vector<TVocabularyScratch> scratches(workers);
  std::vector<TDirectoryHandles> handles(workers);

  struct Block {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::vector<TClaimedOutput> reports;
    // By report, claimed for those listed in withPair.
    std::vector<TClaimedOutput> pairs;
    std::vector<std::size_t> withPair;
  };
  const auto claimReports = [&](Block& block) {
    block.reports.resize(block.end - block.begin);
    for (std::size_t i = 0; i < block.reports.size(); ++i) {
      TClaimedOutput& output = block.reports[i];
      const TReport& report = *reports_[block.begin + i];
      output.directory = dirReports;
      output.name = report.file1Name() + "." + report.file2Name();
      environment->claimOutput(output);
    }
  };
  const auto claimPairs = [&](Block& block) {
    block.pairs.resize(block.reports.size());
    for (std::size_t i = 0; i < block.reports.size(); ++i) {
      const TReport& report = *reports_[block.begin + i];
      if (block.reports[i].result != TWriteResult::written || dirVocabularies.empty() ||
          !report.commonVocabulary()) {
        continue;
      }
      TClaimedOutput& output = block.pairs[i];
      output.directory = dirVocabularies;
      setPairVocabularyName(report, output.name);
      output.extension = ".voc";
      environment->claimOutput(output);
      block.withPair.push_back(i);
    }
  };
  const auto finish = [&](const Block& block) {
    showProgress("Saving reports", static_cast<std::int64_t>(block.end), count());
    std::int32_t saved = 0;
    std::size_t nextPair = 0;
    for (std::size_t i = 0; i < block.reports.size(); ++i) {
      const TReport& report = *reports_[block.begin + i];
      if (!environment->finishOutput(block.reports[i])) {
        environment->warning("warning_report_not_saved", report.file1Name() + report.file2Name());
        continue;
      }
      ++saved;
      if (nextPair < block.withPair.size() && block.withPair[nextPair] == i) {
        (void)environment->finishOutput(block.pairs[i]);
        ++nextPair;
      }
    }
    return saved;
  };

  const auto blockFrom = [&](std::size_t begin) {
    Block block;
    block.begin = begin;
    block.end = std::min(reports_.size(), begin + kBlock);
    return block;
  };
  std::int32_t saved = 0;
  Block next = blockFrom(0);  // reports claimed, not yet written
  claimReports(next);
  Block written;  // reports written, pair vocabularies not yet
  bool pending = false;
  for (std::size_t begin = kBlock; !next.reports.empty() || pending; begin += kBlock) {
    if (pending) claimPairs(written);
    // The report names of the block after next are claimed by one worker
    // while the others write.
    Block upcoming;
    const std::size_t claims = begin < reports_.size() ? 1 : 0;
    if (claims) upcoming = blockFrom(begin);
    const std::size_t reportCount = next.reports.size();
    const std::size_t pairCount = written.withPair.size();
    const std::size_t alternating = std::min(reportCount, pairCount);
    runOnWorkers(workers, claims + reportCount + pairCount, [&](std::size_t worker,
                                                                 std::size_t task) {
      if (task < claims) {
        claimReports(upcoming);
        return;
      }
      task -= claims;
      // Tasks alternate report, pair vocabulary, ... while both kinds last.
      const bool isReport = task < 2 * alternating ? task % 2 == 0 : reportCount > pairCount;
      const std::size_t k =
          task < 2 * alternating ? task / 2 : alternating + (task - 2 * alternating);
      if (isReport) {
        std::string& text = buffers[worker];
        text.clear();
        reports_[next.begin + k]->appendFileText(text);
        environment->writeClaimed(next.reports[k], text, handles[worker]);
        return;
      }
      const std::size_t i = written.withPair[k];
      TVocabularyScratch& scratch = scratches[worker];
      const TVocabulary& vocabulary = *reports_[written.begin + i]->commonVocabulary();
      environment->writeClaimed(
          written.pairs[i], [&](int fd) { return vocabulary.writeFileText(fd, scratch); },
          handles[worker]);
    });
    if (pending) saved += finish(written);
    pending = !next.reports.empty();
    written = std::move(next);
    next = std::move(upcoming);
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

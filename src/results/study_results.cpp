#include "results/study_results.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <map>
#include <vector>

#include "base/text_file.h"
#include "documents/files.h"
#include "documents/left_out_chunks.h"
#include "reports/reports.h"
#include "results/html_text.h"
#include "results/index_page.h"
#include "results/origin_text.h"
#include "results/pair_page.h"
#include "results/results.h"
#include "settings/environment.h"
#include "stages/compare.h"
#include "stages/pre_proc.h"
#include "stages/unicode_text.h"

namespace {

std::string onOff(bool on) { return on ? "1" : "0"; }

// Whether the study compares pairs, so that its results hold pairs.csv and
// index.html beside documents.csv.
bool comparesPairs(const TConfig& config) { return config.collusionMode != 1; }

TResultsStudy studyOf(const TConfig& config, const TFiles& files, const TReports& reports) {
  TResultsStudy study;
  const std::int32_t count = files.count();
  study.documents.reserve(static_cast<std::size_t>(count));
  for (std::int32_t d = 0; d < count; ++d) {
    const TDoc& doc = *files.get(d);
    study.documents.push_back(
        {doc.fullPath(), countWords(doc.text()), doc.chunkCount(), doc.archive()});
  }
  study.compared = comparesPairs(config);
  study.threshold = TResults::thresholdOf(config.resultsThreshold);
  study.top = config.resultsTop;
  // The comparison visits the first document against each later one (mode
  // 2), or every document against each later one but archive documents
  // against none (mode 3), and reports the pairs in that order.
  const std::int32_t mode = config.collusionMode;
  const std::int32_t firsts = firstDocumentsOf(mode, files);
  // A study without pair files kept the pairs' counts alone, in that order.
  if (reports.countsOnly() && study.compared) study.pairs = reports.pairCounts();
  std::int32_t k = 0;
  for (std::int32_t i = 0; study.compared && !reports.countsOnly() && i < firsts; ++i) {
    for (std::int32_t j = i + 1; j < count; ++j) {
      if (!isComparedPair(mode, *files.get(i), *files.get(j))) continue;
      const std::int32_t at = k++;
      const auto* report = dynamic_cast<const TReportGrams*>(reports.get(at));
      if (!report) continue;
      study.pairs.push_back({static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(j),
                             report->chunksInDoc1(), report->chunksInDoc2(),
                             report->commonChunks(),
                             static_cast<std::int32_t>(std::llround(report->similarity() * 10000))});
    }
  }
  study.settings = {
      {"collusionMode", std::to_string(config.collusionMode)},
      {"gramsSize", std::to_string(config.gramsSize)},
      {"removePontuation", onOff(config.removePontuation)},
      {"removeNumbers", onOff(config.removeNumbers)},
      {"lowerCase", onOff(config.lowerCase)},
      {"removeStopWords", onOff(config.removeStopWords)},
      {"languageFileName", config.languageFileName},
      {"resultsThreshold", fourDecimals(study.threshold > 10000 ? 10000 : study.threshold)},
      {"resultsTop", std::to_string(config.resultsTop)},
  };
  return study;
}

bool isFolder(const std::string& path) {
  struct stat st {};
  return !path.empty() && path.find('\0') == std::string::npos &&
         ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A document's file as stored and its chunks traced to those bytes: those
// its vocabulary holds, and those of the templates.
struct Traced {
  std::string raw;
  std::vector<TOriginChunk> chunks;
  std::vector<TOriginChunk> templateChunks;
};

// Moves the chunks that the study left out of the vocabularies out of
// traced.chunks: the template ones into traced.templateChunks, the others
// nowhere.
void separateLeftOut(Traced& traced, const TLeftOutChunks& leftOut,
                     const TChunkDictionary& dictionary) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < traced.chunks.size(); ++i) {
    TOriginChunk& chunk = traced.chunks[i];
    const TLeftOutChunks::Reason reason = leftOut.reasonOf(dictionary.find(chunk.text));
    if (reason == TLeftOutChunks::Reason::kTemplate) {
      traced.templateChunks.push_back(std::move(chunk));
    } else if (reason == TLeftOutChunks::Reason::kKept) {
      if (i != kept) traced.chunks[kept] = std::move(chunk);
      ++kept;
    }
  }
  traced.chunks.resize(kept);
}

}  // namespace

// Makes the pair pages from the documents' files as stored, traced through
// the study's rules. Documents of a few megabytes are traced once for all
// their pairs; larger ones again for each, so that memory stays bounded.
class TPairPageMaker {
 public:
  TPairPageMaker(const TConfig& config, const TFiles& files, const TLeftOutChunks* leftOut,
                 const TResults& results, const TPreProcDoc& preProc)
      : config_(config),
        files_(files),
        leftOut_(leftOut),
        results_(results),
        preProc_(preProc),
        switches_{config.removePontuation, config.removeNumbers, config.lowerCase,
                  config.removeStopWords} {
    if (preProc.unicodeText()) unicode_ = std::make_unique<TUnicodeText>(preProc.unicodeSteps());
  }

  // The page of the pair at rank.
  std::string page(std::uint32_t rank) {
    const TResultsPair& pair = results_.pairAtRank(rank);
    std::unique_ptr<Traced> own1, own2;
    const Traced& first = trace(pair.doc1, own1);
    const Traced& second = trace(pair.doc2, own2);
    return pairPage(results_, rank, {first.raw, &first.chunks, &first.templateChunks},
                    {second.raw, &second.chunks, &second.templateChunks});
  }

 private:
  static constexpr std::size_t kCachedBytes = std::size_t{4} << 20;

  const Traced& trace(std::uint32_t document, std::unique_ptr<Traced>& own) {
    const auto found = cache_.find(document);
    if (found != cache_.end()) return *found->second;
    auto traced = std::make_unique<Traced>();
    const TDoc& doc = *files_.get(static_cast<std::int32_t>(document));
    if (readRawFile(doc.fullPath(), traced->raw)) {
      const TOriginText origin = unicode_ ? TOriginText(traced->raw, *unicode_)
                                          : TOriginText(traced->raw, switches_, preProc_.wordLists());
      // A file changed since the study read it gets no highlights: its
      // spans would point at the wrong bytes.
      if (origin.text() == doc.text()) traced->chunks = origin.chunks(config_.gramsSize);
    }
    if (leftOut_ && !leftOut_->empty()) separateLeftOut(*traced, *leftOut_, files_.dictionary());
    if (traced->raw.size() > kCachedBytes) {
      own = std::move(traced);
      return *own;
    }
    return *(cache_[document] = std::move(traced));
  }

  const TConfig& config_;
  const TFiles& files_;
  const TLeftOutChunks* leftOut_;
  const TResults& results_;
  const TPreProcDoc& preProc_;
  const TPreProcSwitches switches_;
  std::unique_ptr<TUnicodeText> unicode_;
  std::map<std::uint32_t, std::unique_ptr<Traced>> cache_;
};

TStudyResults::TStudyResults(const TConfig& config, const TFiles& files, const TReports& reports,
                             const TLeftOutChunks* leftOut)
    : config_(config),
      files_(files),
      leftOut_(leftOut),
      results_(std::make_unique<TResults>(studyOf(config, files, reports))) {}

TStudyResults::~TStudyResults() = default;

void TStudyResults::prepare() {
  // pairs.csv, the largest, is made only as it is written.
  if (results_->study().compared) indexPage_ = indexPage(*results_);
  documentsCsv_ = results_->documentsCsv();
  prepared_ = true;
}

TResultsTables TStudyResults::claimTables(const TConfig& config, TEnvironment& env) {
  TResultsTables tables;
  const std::string& folder = config.dirResults;
  tables.folder = isFolder(folder);
  if (!tables.folder) return tables;
  const auto claim = [&](const char* name) {
    TClaimedOutput& output = tables.outputs.emplace_back();
    output.directory = folder;
    output.name = name;
    env.claimOutput(output);
  };
  if (comparesPairs(config)) claim("pairs.csv");
  claim("documents.csv");
  if (comparesPairs(config)) claim("index.html");
  return tables;
}

void TStudyResults::writeTables(const TEnvironment& env, TResultsTables& tables,
                                TDirectoryHandles& handles) {
  if (!prepared_) prepare();
  // In the order the names were claimed: pairs.csv (written a block at a
  // time as it is made), documents.csv and index.html, or documents.csv alone.
  const bool compared = results_->study().compared;
  std::size_t next = 0;
  const auto writeText = [&](std::string& text) {
    if (next < tables.outputs.size()) env.writeClaimed(tables.outputs[next++], text, handles);
    std::string().swap(text);
  };
  if (compared && next < tables.outputs.size()) {
    env.writeClaimed(
        tables.outputs[next++], [this](int fd) { return results_->writePairsCsv(fd); }, handles);
  }
  writeText(documentsCsv_);
  if (compared) writeText(indexPage_);
}

bool TStudyResults::save(TEnvironment& env, const TPreProcDoc& preProc, TResultsTables* tables) {
  TResultsTables own;
  if (!tables) {
    own = claimTables(config_, env);
    writeTables(env, own, *env.outputDirectories);
    tables = &own;
  }
  const std::string& folder = config_.dirResults;
  if (!tables->folder) {
    env.error("error_results_not_saved", folder);
    return false;
  }
  bool ok = true;
  for (const TClaimedOutput& output : tables->outputs) {
    if (!env.finishOutput(output)) {
      env.error("error_results_not_saved", joinPath(folder, output.name));
      ok = false;
    }
  }
  if (!results_->study().compared) return ok;
  return savePairPages(env, preProc) && ok;
}

void TStudyResults::preparePairPages(const TPreProcDoc& preProc) {
  const std::uint32_t listed = results_->listedCount();
  if (!results_->study().compared || listed == 0) return;
  // Pages are kept up to a few megabytes in all; the rest are made when they
  // are saved.
  constexpr std::size_t kPreparedBytes = std::size_t{16} << 20;
  pageMaker_ = std::make_unique<TPairPageMaker>(config_, files_, leftOut_, *results_, preProc);
  std::size_t bytes = 0;
  for (std::uint32_t rank = 1; rank <= listed && bytes < kPreparedBytes; ++rank) {
    preparedPages_.push_back(pageMaker_->page(rank));
    bytes += preparedPages_.back().size();
  }
}

bool TStudyResults::savePairPages(TEnvironment& env, const TPreProcDoc& preProc) {
  // What preparePairPages made is let go of however this ends.
  std::unique_ptr<TPairPageMaker> maker = std::move(pageMaker_);
  std::vector<std::string> prepared = std::move(preparedPages_);
  const std::uint32_t listed = results_->listedCount();
  if (listed == 0) return true;
  const std::string folder = joinPath(config_.dirResults, "pairs");
  if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
    env.error("error_results_not_saved", folder);
    return false;
  }
  if (!maker) {
    maker = std::make_unique<TPairPageMaker>(config_, files_, leftOut_, *results_, preProc);
  }
  bool ok = true;
  for (std::uint32_t rank = 1; rank <= listed; ++rank) {
    std::string page;
    if (rank <= prepared.size()) {
      page.swap(prepared[rank - 1]);
    } else {
      page = maker->page(rank);
    }
    const std::string name = std::to_string(rank) + ".html";
    if (!env.saveOutput(folder, name, ".html", page)) {
      env.error("error_results_not_saved", joinPath(folder, name));
      ok = false;
    }
  }
  return ok;
}

std::string TStudyResults::summary() const {
  if (!results_->study().compared) {
    return "Results: " + joinPath(config_.dirResults, "documents.csv") + "\n";
  }
  std::string text = "Results: " + joinPath(config_.dirResults, "index.html") + "\n";
  const auto& ranking = results_->ranking();
  const std::size_t shown = ranking.size() < 5 ? ranking.size() : 5;
  for (std::size_t r = 1; r <= shown; ++r) {
    const TResultsPair& pair = results_->pairAtRank(static_cast<std::uint32_t>(r));
    text += "  " + fourDecimals(pair.similarity) + "  " +
            results_->study().documents[pair.doc1].path + "  " +
            results_->study().documents[pair.doc2].path + "\n";
  }
  return text;
}

#include "control/collusion.h"

#include <sys/stat.h>

#include <future>
#include <iostream>
#include <new>

#include "base/folder_locks.h"
#include "base/text_file.h"
#include "base/work_pool.h"
#include "documents/files.h"
#include "documents/left_out_chunks.h"
#include "log/log.h"
#include "reports/reports.h"
#include "results/study_results.h"
#include "settings/config_keys.h"
#include "settings/environment.h"
#include "settings/param_file.h"
#include "stages/compare.h"
#include "stages/extract.h"
#include "stages/pre_proc.h"

TCollusion::TCollusion() { environment = nullptr; }

TCollusion::~TCollusion() {
  results_.reset();
  if (environment_) {
    environment_.reset();
    environment = nullptr;
  }
  releaseObjects();
}

bool TCollusion::run(const std::string& path, TLog& log) {
  if (path.empty()) return false;
  TParamFile map;
  const std::int32_t entries = map.load(path);
  return runStudy(map, entries, log, path, {});
}

bool TCollusion::runStudy(const TParamFile& map, std::int32_t entries, TLog& log,
                          const std::string& configPath, std::string_view languageText) {
  if (!environment) {
    environment_ = std::make_unique<TEnvironment>(map);
    environment = environment_.get();
  }
  environment->log = &log;
  environment->config->languageText = languageText;

  bool result = false;
  if (entries > 0) {
    TEnvironment& env = *environment;
    const TConfig& config = *env.config;
    // Keys the program does not know and values it did not take, for people.
    // A configuration full of strange lines gets a few, not thousands.
    const std::vector<std::string> hints = configHints(map, config);
    constexpr std::size_t kMostHints = 20;
    for (std::size_t h = 0; h < hints.size() && h < kMostHints; ++h) std::cerr << hints[h] << '\n';
    if (hints.size() > kMostHints) {
      std::cerr << "collusion: ... and " << hints.size() - kMostHints
                << " more lines about the configuration\n";
    }
    for (const std::string& note : config.notes) std::cerr << "collusion: " << note << '\n';
    // The log file is an output of the study too: nothing else may take its name.
    env.outputNames->reserve(config.logFilePath);
    // No output may replace a file the study reads.
    if (!configPath.empty()) env.inputs.addPath(configPath);
    env.inputs.addPath(config.interLangFileName);
    env.inputs.addPath(config.languageFileName);
    // Another study writing into the same folders goes first.
    TFolderLocks locks;
    locks.lock(outputFolders(config), [](const std::string& folder) {
      std::cerr << "collusion: waiting for another study writing into " << folder << '\n';
    });
    // A long study shows how far it has come, on a terminal only.
    TProgressLine progressLine = TProgressLine::forStandardError();
    env.progressLine = &progressLine;
    env.progress("log_start_collusion", "", false);
    try {
      result = runSteps(map);
    } catch (const std::bad_alloc&) {
      // What the study holds goes first, so that the log can still be saved.
      releaseObjects();
      env.error("error_out_of_memory", "");
      std::cerr << "collusion: out of memory; the study stopped\n";
      result = false;
    }
    env.progress("log_end_collusion", "", false);
    const std::string logPath = env.saveLog();
    progressLine.finish();
    env.progressLine = nullptr;
    if (logPath.empty()) result = false;
    if (!logPath.empty() && logPath != config.logFilePath) {
      std::cerr << "collusion: the log is in " << logPath << ", since " << config.logFilePath
                << " is a file the study reads\n";
    }
    if (env.outputsLost() > 0) {
      std::cerr << "collusion: " << env.outputsLost() << " of " << env.outputsTried()
                << " output files could not be written\n";
    }
    if (logPath.empty()) {
      std::cerr << "collusion: the log could not be written to " << config.logFilePath;
      const std::size_t cut = config.logFilePath.rfind(kPathSeparator);
      if (cut != std::string::npos) {
        const std::string trouble = folderTrouble(config.logFilePath.substr(0, cut));
        if (!trouble.empty()) std::cerr << ": " << trouble;
      }
      std::cerr << '\n';
    }
    tellCauses(config, result);
    if (results_) std::cout << results_->summary() << std::flush;
    results_.reset();
  }
  environment_.reset();
  environment = nullptr;
  return result;
}

bool TCollusion::runSteps(const TParamFile& map) {
  if (!createObjects() || !configureObjects()) return false;
  const bool listed = files_->addFromConfig(map) > 0;
  documentsListed_ = files_->count();
  if (!listed) return false;
  const bool loaded = files_->loadTexts() > 0;
  documentsLoaded_ = files_->count();
  if (!loaded) return false;
  for (std::int32_t i = 0; i < files_->count(); ++i) {
    environment->inputs.addPath(files_->get(i)->fullPath());
  }
  loadTemplates(map);
  return process() && saveStudy();
}

void TCollusion::loadTemplates(const TParamFile& map) {
  templates_ = std::make_unique<TFiles>(files_->dictionary());
  if (templates_->addListed(map, "templateFile") <= 0) return;
  templates_->loadReadableTexts();
  for (std::int32_t i = 0; i < templates_->count(); ++i) {
    environment->inputs.addPath(templates_->get(i)->fullPath());
  }
}

void TCollusion::leaveOutChunks() {
  leftOut_ = std::make_unique<TLeftOutChunks>();
  if (templates_ && templates_->count() > 0) {
    for (std::int32_t t = 0; t < templates_->count(); ++t) {
      leftOut_->addTemplate(*templates_->get(t)->vocabulary());
    }
    for (std::int32_t d = 0; d < files_->count(); ++d) {
      TDoc& doc = *files_->get(d);
      const std::int32_t removed = leftOut_->removeFrom(*doc.vocabulary());
      environment->progress("log_template_chunks_removed",
                            doc.fullPath() + ": " + std::to_string(removed), false);
    }
  }
  const std::int32_t most = environment->config->maxChunkDocuments;
  if (most > 0) {
    const std::int32_t common = leftOut_->addCommon(*files_, most);
    for (std::int32_t d = 0; d < files_->count(); ++d) {
      leftOut_->removeFrom(*files_->get(d)->vocabulary());
    }
    environment->progress("log_common_chunks_removed", std::to_string(common), false);
  }
}

std::vector<std::string> TCollusion::outputFolders(const TConfig& config) {
  const std::size_t cut = config.logFilePath.rfind(kPathSeparator);
  return {config.dirVocabularies, config.dirReports,
          cut == std::string::npos ? std::string(".") : config.logFilePath.substr(0, cut),
          config.dirResults};
}

std::string TCollusion::folderTrouble(const std::string& folder) {
  struct stat st {};
  if (folder.find('\0') != std::string::npos) return "a folder name holds a NUL byte";
  if (::stat(folder.c_str(), &st) != 0) return "the folder " + folder + " does not exist";
  if (!S_ISDIR(st.st_mode)) return folder + " is not a folder";
  return {};
}

void TCollusion::tellCauses(const TConfig& config, bool succeeded) const {
  const TEnvironment& env = *environment;
  std::vector<std::string> causes;
  if (documentsListed_ == 0) {
    causes.push_back("no documents: the configuration lists none (file1, file2, ... or "
                     "dirDocuments)");
  } else if (documentsLoaded_ < documentsListed_) {
    causes.push_back(std::to_string(documentsListed_ - documentsLoaded_) + " of " +
                     std::to_string(documentsListed_) + " documents could not be read " +
                     (config.isToshowWarning ? "(see the log)"
                                             : "(set isToshowWarning=1 to list them in the log)"));
  }
  if (!succeeded) {
    if (documentsListed_ > 0 && documentsLoaded_ == 1 && config.collusionMode != 1) {
      causes.push_back("only one document could be read: there is nothing to compare");
    }
    const auto folder = [&](const std::string& value, const char* key, const char* what,
                            bool needed) {
      if (value.empty()) {
        if (needed) causes.push_back(std::string("no ") + what + " were saved: " + key + " is not set");
        return;
      }
      const std::string trouble = folderTrouble(value);
      if (!trouble.empty()) causes.push_back(trouble + " (" + key + ")");
    };
    folder(config.dirVocabularies, "dirVocabularies", "vocabularies", true);
    folder(config.dirReports, "dirReports", "reports",
           config.collusionMode != 1 && config.pairFiles);
    folder(config.dirResults, "dirResults", "results", false);
  }
  if (env.outputsRenamed() > 0) {
    const std::int64_t renamed = env.outputsRenamed();
    causes.push_back(std::to_string(renamed) +
                     (renamed == 1 ? " output was" : " outputs were") +
                     " written under a ~N name, since the name was taken already " +
                     (config.isToshowWarning ? "(see the log)"
                                             : "(set isToshowWarning=1 to list them in the log)"));
  }
  for (const std::string& cause : causes) std::cerr << "collusion: " << cause << '\n';
}

void TCollusion::releaseObjects() {
  results_.reset();
  leftOut_.reset();
  templates_.reset();
  files_.reset();
  preProc_.reset();
  extract_.reset();
  compare_.reset();
  reports_.reset();
}

bool TCollusion::createObjects() {
  const TConfig& config = *environment->config;
  if (config.preProcType == 1) preProc_ = std::make_unique<TPreProcDoc>();
  if (config.extractType == 1) extract_ = std::make_unique<TExtractGrams>();
  files_ = std::make_unique<TFiles>();
  if (config.compareType == 1) compare_ = std::make_unique<TCompareGrams>();
  reports_ = std::make_unique<TReports>();
  if (preProc_ && extract_ && files_ && compare_ && reports_) return true;
  if (!preProc_) environment->error("error_object_not_instanced", "TPreProc");
  if (!extract_) environment->error("error_object_not_instanced", "TExtract");
  if (!files_) environment->error("error_object_not_instanced", "TFiles");
  if (!compare_) environment->error("error_object_not_instanced", "TCompare");
  if (!reports_) environment->error("error_object_not_instanced", "TReports");
  return false;
}

bool TCollusion::configureObjects() {
  const TConfig& config = *environment->config;
  preProc_->configure(config);
  extract_->configure(config);
  files_->configure(*environment);
  compare_->configure(config);
  reports_->configure(config);
  return true;
}

bool TCollusion::process() {
  return environment->config->collusionMode == 1 ? buildVocabularies() : compareVocabularies();
}

bool TCollusion::buildVocabularies() {
  if (preProc_->run(*files_) <= 0) return false;
  const std::int32_t templates = templates_ ? templates_->count() : 0;
  for (std::int32_t t = 0; t < templates; ++t) preProc_->processDocument(*templates_->get(t));
  environment->progress("log_files_preprocessed", "", true);
  if (extract_->run(*files_) <= 0) return false;
  if (templates > 0) extract_->run(*templates_);
  environment->progress("log_extracted_chunks", "", true);
  leaveOutChunks();
  // Comparing and saving read chunks by id only; the results look chunks up
  // by text. Without them the dictionary's look-up index is given back
  // before the comparison needs memory of its own.
  if (environment->config->dirResults.empty()) files_->dictionary().dropIndex();
  return true;
}

bool TCollusion::compareVocabularies() {
  if (!buildVocabularies()) return false;
  if (compare_->run(*files_, *reports_) <= 0) return false;
  environment->progress("log_vocabularies_compared", "", true);
  return true;
}

bool TCollusion::saveStudy() {
  const TConfig& config = *environment->config;
  const bool withResults = !config.dirResults.empty();
  const auto makeResults = [&] {
    results_ = std::make_unique<TStudyResults>(config, *files_, *reports_, leftOut_.get());
    results_->prepare();
  };
  // With threads, the results' tables are made on a lane of their own while
  // the vocabularies and reports are saved, which only read what they read.
  // Without pair files no other output of the study can take a table's name
  // (a vocabulary's ends in ".voc"), so the tables are claimed first and
  // written on the lane as soon as they are made; their log entries still
  // follow the vocabularies'. The lane is declared last so that it stops
  // before what its tasks use goes.
  static const TPreProcDoc kNoRules;
  const auto* preProcRules = dynamic_cast<const TPreProcDoc*>(preProc_.get());
  const TPreProcDoc& rules = preProcRules ? *preProcRules : kNoRules;
  std::unique_ptr<TResultsTables> tables;
  TDirectoryHandles laneHandles;
  // Whether the lane made the results, once it has tried.
  std::promise<bool> resultsMade;
  std::unique_ptr<TTaskLane> lane;
  if (withResults && config.threadCount() > 1) {
    lane = std::make_unique<TTaskLane>();
    lane->hand([&] {
      try {
        makeResults();
      } catch (...) {
        resultsMade.set_value(false);
        throw;
      }
      resultsMade.set_value(true);
    });
    if (!config.pairFiles) {
      tables = std::make_unique<TResultsTables>(TStudyResults::claimTables(config, *environment));
      lane->hand([&] { results_->writeTables(*environment, *tables, laneHandles); });
    }
  }
  const std::int32_t vocabularies = files_->saveVocabularies();
  const std::int32_t reports = config.pairFiles ? reports_->saveAll() : 0;
  if (lane) {
    // While the lane writes the tables, this thread makes the first pair
    // pages, which are only written (and logged) after the tables.
    if (resultsMade.get_future().get()) results_->preparePairPages(rules);
    lane->finish();
  } else if (withResults) {
    makeResults();
  }
  bool resultsSaved = true;
  if (withResults) {
    resultsSaved = results_->save(*environment, rules, tables.get());
    // Results that could not be written have nothing to show.
    if (!resultsSaved) results_.reset();
  }
  // A study that only builds vocabularies expects no reports, nor one whose
  // pairs go only to its results.
  const bool reportsExpected = config.collusionMode != 1 && config.pairFiles;
  if (vocabularies <= 0 || (reportsExpected && reports <= 0) || !resultsSaved) return false;
  // A study that lost any output it should have written has not succeeded.
  if (environment->outputsLost() > 0) return false;
  environment->progress("log_study_saved", "", true);
  return true;
}

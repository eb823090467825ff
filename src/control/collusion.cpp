#include "control/collusion.h"

#include "documents/files.h"
#include "log/log.h"
#include "reports/reports.h"
#include "settings/environment.h"
#include "settings/param_file.h"
#include "stages/compare.h"
#include "stages/extract.h"
#include "stages/pre_proc.h"

TCollusion::TCollusion() { environment = nullptr; }

TCollusion::~TCollusion() {
  if (environment_) {
    environment_.reset();
    environment = nullptr;
  }
  files_.reset();
  preProc_.reset();
  extract_.reset();
  compare_.reset();
  reports_.reset();
}

bool TCollusion::run(const std::string& path, TLog& log) {
  if (path.empty()) return false;
  TParamFile map;
  const std::int32_t entries = map.load(path);
  if (!environment) {
    environment_ = std::make_unique<TEnvironment>(map);
    environment = environment_.get();
  }
  environment->log = &log;

  bool result = false;
  if (entries > 0) {
    // The log file is an output of the study too: nothing else may take its name.
    environment->outputNames->reserve(environment->config->logFilePath);
    environment->progress("log_start_collusion", "", false);
    result = runSteps(map);
    environment->progress("log_end_collusion", "", false);
    (void)log.save(environment->config->logFilePath);
  }
  environment_.reset();
  environment = nullptr;
  return result;
}

bool TCollusion::runSteps(const TParamFile& map) {
  return createObjects() && configureObjects() && files_->addFromConfig(map) > 0 &&
         files_->loadTexts() > 0 && process() && saveStudy();
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
  environment->progress("log_files_preprocessed", "", true);
  if (extract_->run(*files_) <= 0) return false;
  environment->progress("log_extracted_chunks", "", true);
  return true;
}

bool TCollusion::compareVocabularies() {
  if (!buildVocabularies()) return false;
  if (compare_->run(*files_, *reports_) <= 0) return false;
  environment->progress("log_vocabularies_compared", "", true);
  return true;
}

bool TCollusion::saveStudy() {
  const std::int32_t vocabularies = files_->saveVocabularies();
  const std::int32_t reports = reports_->saveAll();
  // A study that only builds vocabularies expects no reports.
  const bool reportsExpected = environment->config->collusionMode != 1;
  if (vocabularies <= 0 || (reportsExpected && reports <= 0)) return false;
  environment->progress("log_study_saved", "", true);
  return true;
}

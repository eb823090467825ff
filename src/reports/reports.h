#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "reports/pair_counts.h"
#include "reports/report.h"

struct TConfig;
class TParamFile;
class TVocabulary;

// The pair reports of one study, in the order the comparison added them.
class TReports {
 public:
  TReports() = default;
  TReports(const TReports&) = delete;
  TReports& operator=(const TReports&) = delete;

  // A study that writes no pair files (pairFiles 0) keeps only each pair's
  // counts: the comparison then hands them to addCounts and makes no report.
  void configure(const TConfig& config);
  bool countsOnly() const { return countsOnly_; }
  // Makes a report of result and vocabulary. False for an empty result; the
  // vocabulary then stays with the caller, otherwise the report owns it.
  bool add(const TParamFile& result, std::unique_ptr<TVocabulary>& vocabulary);
  void addCounts(const TPairCounts& counts) { counts_.push_back(counts); }
  // The pairs handed to addCounts, in the order the comparison added them.
  const std::vector<TPairCounts>& pairCounts() const { return counts_; }
  // Writes every report file into dirReports, each followed by its pair's
  // shared-chunk vocabulary file in dirVocabularies. Returns the number of
  // report files written, or -1 when dirReports is empty.
  std::int32_t saveAll();

  std::int32_t count() const { return static_cast<std::int32_t>(reports_.size()); }
  // The report at index, or null when index is out of range.
  TReport* get(std::int32_t index) const;
  bool remove(std::int32_t index);
  // True when every report has both names and a similarity of at least 0.
  bool allValid() const;

 private:
  // saveAll with the files formatted and written on workers threads.
  std::int32_t saveAllOnThreads(std::size_t workers);

  std::vector<std::unique_ptr<TReport>> reports_;
  bool countsOnly_ = false;
  std::vector<TPairCounts> counts_;
};

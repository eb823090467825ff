#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "reports/pair_counts.h"

// One document of a study as the results show it.
struct TResultsDocument {
  std::string path;         // the full path, as the log names the document
  std::int32_t words = 0;   // words after pre-processing
  std::int32_t chunks = 0;  // distinct chunks
  bool archive = false;     // a reference document of the archive
};

// One compared pair. The documents are indices into the study's documents,
// so a pair holds no text.
using TResultsPair = TPairCounts;

// What a study hands to its results.
struct TResultsStudy {
  // Names and values shown at the top of the index page, in this order.
  std::vector<std::pair<std::string, std::string>> settings;
  // In the order of the document set.
  std::vector<TResultsDocument> documents;
  // In the order the study compared them.
  std::vector<TResultsPair> pairs;
  // False when the study compares no pairs at all (collusionMode 1): the
  // documents' best and listed columns then stay empty.
  bool compared = true;
  // Pairs whose similarity (ten-thousandths) is at least this are listed...
  std::int32_t threshold = 1000;
  // ...the most similar first, at most this many of them; 0 for no limit.
  std::int32_t top = 200;
};

// The results of one study: its pairs ranked, the ones worth a page listed,
// and the contents of the two CSV files. The listed pairs are always ranks 1
// to listedCount(), and pairs/<rank>.html is the page of the pair at rank.
class TResults {
 public:
  static constexpr std::uint32_t kNoPair = UINT32_MAX;

  explicit TResults(TResultsStudy study);

  const TResultsStudy& study() const { return study_; }
  // Pair indices, most similar first: by similarity, then shared chunks
  // (both descending), then comparison order.
  const std::vector<std::uint32_t>& ranking() const { return ranking_; }
  std::uint32_t listedCount() const { return listed_; }
  // The pair at rank (1 for the most similar); rank must be 1 to the number
  // of pairs.
  const TResultsPair& pairAtRank(std::uint32_t rank) const {
    return study_.pairs[ranking_[rank - 1]];
  }
  // The index of the document's most similar pair (its first in ranking
  // order), or kNoPair.
  std::uint32_t bestPairOf(std::uint32_t document) const { return best_[document]; }
  // How many of the document's pairs are listed.
  std::uint32_t listedPairsOf(std::uint32_t document) const { return listedOf_[document]; }

  // pairs.csv: a header line, then one line per pair in ranking order.
  std::string pairsCsv() const;
  // Writes pairs.csv to fd a block at a time, so that a table of many pairs
  // is never held whole. False when a write failed.
  bool writePairsCsv(int fd) const;
  // documents.csv: a header line, then one line per document.
  std::string documentsCsv() const;

  // The share, in ten-thousandths truncated, of chunks that common is; 0
  // when chunks is 0 or below.
  static std::int32_t containment(std::int32_t common, std::int32_t chunks);
  // The threshold in ten-thousandths for a setting such as 0.1: rounded to the
  // nearest ten-thousandth, 0 for anything not above 0, and 10001 (no pair)
  // for anything above 1.
  static std::int32_t thresholdOf(double setting);

 private:
  // The bytes of pairs.csv handed to put a block of about a megabyte at a
  // time; false from put stops, and is returned.
  bool formatPairsCsv(const std::function<bool(std::string_view)>& put) const;

  TResultsStudy study_;
  std::vector<std::uint32_t> ranking_;
  std::uint32_t listed_ = 0;
  std::vector<std::uint32_t> best_;
  std::vector<std::uint32_t> listedOf_;
};

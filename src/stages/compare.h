#pragma once

#include <cstdint>
#include <memory>

#include "reports/pair_counts.h"

struct TConfig;
class TDoc;
class TFiles;
class TParamFile;
class TReports;
class TVocabulary;

// The comparison stage: compares documents two at a time and hands each
// pair's result to the report set.
class TCompare {
 public:
  virtual ~TCompare() = default;
  virtual void configure(const TConfig& config) = 0;
  // Returns the number of reports added.
  virtual std::int32_t run(TFiles& files, TReports& reports) = 0;
  // The similarity of two documents sharing common distinct chunks.
  virtual long double computeSimilarity(const TDoc& first, const TDoc& second,
                                        std::int32_t common) const = 0;
};

// Comparison by shared chunks. collusionMode 2 pairs the first document with
// each other one, 3 pairs every two documents but never two archive
// documents; the earlier listed document always comes first. The similarity is the Jaccard index of
// the two chunk sets, reported in ten-thousandths.
class TCompareGrams : public TCompare {
 public:
  TCompareGrams() = default;

  void configure(const TConfig& config) override;
  std::int32_t run(TFiles& files, TReports& reports) override;
  // common / (chunks of first + chunks of second - common) in extended
  // precision; 0 when common is 0 or below.
  long double computeSimilarity(const TDoc& first, const TDoc& second,
                                std::int32_t common) const override;

  // The result record of one pair: file1Name, file2Name, chunksInDoc1,
  // chunksInDoc2, commonChunks, similarity. Fills pairVocabulary with the
  // shared chunks.
  std::unique_ptr<TParamFile> compareDocuments(const TDoc& first, const TDoc& second,
                                               TVocabulary& pairVocabulary) const;
  // The number of distinct chunks in both documents; each goes into
  // pairVocabulary once (after clearing it).
  std::int32_t countCommonChunks(const TDoc& first, const TDoc& second,
                                 TVocabulary& pairVocabulary) const;

 private:
  // The result record of a pair with common shared chunks.
  std::unique_ptr<TParamFile> resultOf(const TDoc& first, const TDoc& second,
                                       std::int32_t common) const;
  // The counts of the pair of the documents at firstIndex and secondIndex.
  TPairCounts countsOf(std::int32_t firstIndex, std::int32_t secondIndex, const TDoc& first,
                       const TDoc& second, std::int32_t common) const;
  // Hands every compared pair to reports in list order, with the chunks the
  // two share found through forEachLater(i, visit), which calls
  // visit(later, id) for each chunk id of document i and each document
  // listed after i that holds it, later documents in list order.
  template <typename ForEachLater>
  std::int32_t offerPairs(TFiles& files, TReports& reports, std::int32_t mode, std::int32_t firsts,
                          const ForEachLater& forEachLater) const;
  // Threads that find shared chunks; 1 finds them on the calling thread.
  std::int32_t threads_ = 1;
  // Hands a pair's result to the report set, counting it in added or logging
  // the refusal.
  void offer(const TDoc& first, const TDoc& second, TParamFile& result,
             std::unique_ptr<TVocabulary>& pairVocabulary, TReports& reports,
             std::int32_t& added) const;
};

// The number of documents that the comparison of files in collusionMode mode
// takes as the first of a pair, each with every later document that
// isComparedPair accepts: 1 in mode 2, in mode 3 every document up to the
// last that is not an archive document (the archive follows the others), 0
// otherwise.
std::int32_t firstDocumentsOf(std::int32_t mode, const TFiles& files);
// False for two archive documents in mode 3: the archive is compared with the
// study, not with itself.
bool isComparedPair(std::int32_t mode, const TDoc& first, const TDoc& second);

// The similarity in ten-thousandths: the quotient rounded to a double, scaled
// by 10000 in extended precision and truncated.
std::int32_t similarityInTenThousandths(long double similarity);

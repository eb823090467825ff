#include "stages/compare.h"

#include <string>

#include "control/environment.h"
#include "control/param_file.h"
#include "documents/files.h"
#include "reports/reports.h"

static_assert(sizeof(long double) > sizeof(double),
              "the similarity needs extended precision (x87 long double)");

std::int32_t similarityInTenThousandths(long double similarity) {
  const double rounded = static_cast<double>(similarity);
  const long double scaled = static_cast<long double>(rounded) * 10000.0L;
  return static_cast<std::int32_t>(scaled);
}

long double TCompareGrams::computeSimilarity(const TDoc& first, const TDoc& second,
                                             std::int32_t common) const {
  if (common <= 0) return 0;
  const std::int32_t either = first.chunkCount() + second.chunkCount() - common;
  return static_cast<long double>(common) / static_cast<long double>(either);
}

std::int32_t TCompareGrams::countCommonChunks(const TDoc& first, const TDoc& second,
                                              TVocabulary& pairVocabulary) const {
  const bool walkFirst = first.chunkCount() < second.chunkCount();
  const TDoc& walked = walkFirst ? first : second;
  const TDoc& looked = walkFirst ? second : first;
  if (!walked.vocabulary()) return 0;
  pairVocabulary.clear();
  std::int32_t count = 0;
  const TVocabulary* other = looked.vocabulary();
  walked.vocabulary()->forEachEntry([&](std::string_view chunk, std::int32_t) {
    if (other && other->countOf(chunk) >= 1) {
      ++count;
      pairVocabulary.addChunk(chunk);
    }
  });
  return count;
}

std::unique_ptr<TParamFile> TCompareGrams::compareDocuments(const TDoc& first, const TDoc& second,
                                                            TVocabulary& pairVocabulary) const {
  auto result = std::make_unique<TParamFile>();
  const std::int32_t common = countCommonChunks(first, second, pairVocabulary);
  const std::int32_t similarity =
      similarityInTenThousandths(computeSimilarity(first, second, common));
  result->set("file1Name", first.fileName());
  result->set("file2Name", second.fileName());
  result->set("chunksInDoc1", std::to_string(first.chunkCount()));
  result->set("chunksInDoc2", std::to_string(second.chunkCount()));
  result->set("commonChunks", std::to_string(common));
  result->set("similarity", std::to_string(similarity));
  return result;
}

std::int32_t TCompareGrams::run(TFiles& files, TReports& reports) {
  const std::int32_t size = files.count();
  const std::int32_t mode = environment ? environment->config->collusionMode : 3;
  const std::int32_t firsts = mode == 2 ? 1 : (mode == 3 ? size - 1 : 0);
  std::int32_t added = 0;
  for (std::int32_t i = 0; i < firsts; ++i) {
    for (std::int32_t j = i + 1; j < size; ++j) {
      const TDoc& first = *files.get(i);
      const TDoc& second = *files.get(j);
      auto pairVocabulary = std::make_unique<TVocabulary>();
      const std::unique_ptr<TParamFile> result = compareDocuments(first, second, *pairVocabulary);
      if (reports.add(*result, pairVocabulary)) {
        ++added;
      } else if (environment) {
        environment->error("warning_report_not_added", first.fileName() + second.fileName());
      }
    }
  }
  return added;
}

#include "stages/compare.h"

#include <algorithm>
#include <bit>
#include <string>
#include <vector>

#include "base/work_pool.h"
#include "documents/files.h"
#include "reports/reports.h"
#include "settings/config.h"
#include "settings/environment.h"
#include "settings/param_file.h"

static_assert(sizeof(long double) > sizeof(double),
              "the similarity needs extended precision (x87 long double)");

std::int32_t similarityInTenThousandths(long double similarity) {
  const double rounded = static_cast<double>(similarity);
  const long double scaled = static_cast<long double>(rounded) * 10000.0L;
  return static_cast<std::int32_t>(scaled);
}

void TCompareGrams::configure(const TConfig& config) { threads_ = config.threadCount(); }

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
  const TVocabulary* other = looked.vocabulary();
  if (!other) return 0;
  std::int32_t count = 0;
  if (&walked.vocabulary()->dictionary() == &other->dictionary() &&
      &other->dictionary() == &pairVocabulary.dictionary()) {
    walked.vocabulary()->forEachId([&](std::uint32_t id, std::int32_t) {
      if (other->countOfId(id) >= 1) {
        ++count;
        pairVocabulary.addChunkId(id);
      }
    });
  } else {
    walked.vocabulary()->forEachEntry([&](std::string_view chunk, std::int32_t) {
      if (other->countOf(chunk) >= 1) {
        ++count;
        pairVocabulary.addChunk(chunk);
      }
    });
  }
  return count;
}

std::unique_ptr<TParamFile> TCompareGrams::resultOf(const TDoc& first, const TDoc& second,
                                                    std::int32_t common) const {
  auto result = std::make_unique<TParamFile>();
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

std::unique_ptr<TParamFile> TCompareGrams::compareDocuments(const TDoc& first, const TDoc& second,
                                                            TVocabulary& pairVocabulary) const {
  const std::int32_t common = countCommonChunks(first, second, pairVocabulary);
  return resultOf(first, second, common);
}

TPairCounts TCompareGrams::countsOf(std::int32_t firstIndex, std::int32_t secondIndex,
                                    const TDoc& first, const TDoc& second,
                                    std::int32_t common) const {
  return {static_cast<std::uint32_t>(firstIndex),
          static_cast<std::uint32_t>(secondIndex),
          first.chunkCount(),
          second.chunkCount(),
          common,
          similarityInTenThousandths(computeSimilarity(first, second, common))};
}

void TCompareGrams::offer(const TDoc& first, const TDoc& second, TParamFile& result,
                          std::unique_ptr<TVocabulary>& pairVocabulary, TReports& reports,
                          std::int32_t& added) const {
  if (reports.add(result, pairVocabulary)) {
    ++added;
  } else {
    logError("warning_report_not_added", first.fileName() + second.fileName());
  }
}

std::int32_t firstDocumentsOf(std::int32_t mode, const TFiles& files) {
  const std::int32_t size = files.count();
  if (size < 2) return 0;
  if (mode == 2) return 1;
  if (mode != 3) return 0;
  std::int32_t last = size - 1;
  while (last >= 0 && files.get(last)->archive()) --last;
  return std::min(size - 1, last + 1);
}

bool isComparedPair(std::int32_t mode, const TDoc& first, const TDoc& second) {
  return mode != 3 || !first.archive() || !second.archive();
}

namespace {

// Documents that share a chunk dictionary can be compared through an index
// from chunk id to the documents holding it.
bool shareOneDictionary(const TFiles& files) {
  const TChunkDictionary* dictionary = nullptr;
  for (std::int32_t i = 0; i < files.count(); ++i) {
    const TVocabulary* vocabulary = files.get(i)->vocabulary();
    if (!vocabulary) return false;
    if (!dictionary) dictionary = &vocabulary->dictionary();
    if (&vocabulary->dictionary() != dictionary) return false;
  }
  return dictionary != nullptr;
}

}  // namespace

std::int32_t TCompareGrams::run(TFiles& files, TReports& reports) {
  const std::int32_t size = files.count();
  const std::int32_t mode = environment ? environment->config->collusionMode : 3;
  const std::int32_t firsts = firstDocumentsOf(mode, files);
  std::int32_t added = 0;
  if (firsts <= 0) return 0;

  if (!shareOneDictionary(files)) {
    for (std::int32_t i = 0; i < firsts; ++i) {
      for (std::int32_t j = i + 1; j < size; ++j) {
        const TDoc& first = *files.get(i);
        const TDoc& second = *files.get(j);
        if (!isComparedPair(mode, first, second)) continue;
        auto pairVocabulary = std::make_unique<TVocabulary>();
        if (reports.countsOnly()) {
          const std::int32_t common = countCommonChunks(first, second, *pairVocabulary);
          reports.addCounts(countsOf(i, j, first, second, common));
          ++added;
          continue;
        }
        const auto result = compareDocuments(first, second, *pairVocabulary);
        offer(first, second, *result, pairVocabulary, reports, added);
      }
    }
    return added;
  }

  TChunkDictionary& dictionary = files.get(0)->vocabulary()->dictionary();
  const std::size_t ids = dictionary.size();
  const auto workers = static_cast<std::size_t>(std::max(threads_, 1));
  // Each worker indexes its own range of ids, reading the documents in list
  // order.
  const std::size_t parts = ids < (std::size_t{1} << 16) ? 1 : workers;
  const auto inPart = [&](std::size_t part, auto&& visit) {
    const auto low = static_cast<std::uint32_t>(ids * part / parts);
    const auto high = static_cast<std::uint32_t>(ids * (part + 1) / parts);
    for (std::int32_t d = 0; d < size; ++d) {
      files.get(d)->vocabulary()->forEachId([&](std::uint32_t id, std::int32_t) {
        if (id >= low && id < high) visit(d, id);
      });
    }
  };
  // A pair's shared chunks are found by walking the first document's chunks
  // once for all its partners, through an index from each chunk to the later
  // documents holding it, so the cost follows the number of shared chunk
  // occurrences, not pairs times chunks.
  if (size <= 32) {
    // Few documents: a bit per document for each chunk.
    std::vector<std::uint32_t> holders(ids, 0);
    runOnWorkers(parts, parts, [&](std::size_t, std::size_t part) {
      inPart(part, [&](std::int32_t d, std::uint32_t id) { holders[id] |= std::uint32_t{1} << d; });
    });
    const auto forEachLater = [&](std::size_t i, auto&& visit) {
      files.get(static_cast<std::int32_t>(i))
          ->vocabulary()
          ->forEachId([&](std::uint32_t id, std::int32_t) {
            // Bit b stands for the document listed b + 1 after the first.
            std::uint32_t later = holders[id] >> i >> 1;
            while (later != 0) {
              visit(static_cast<std::uint32_t>(i) + 1 +
                        static_cast<std::uint32_t>(std::countr_zero(later)),
                    id);
              later &= later - 1;
            }
          });
    };
    return offerPairs(files, reports, mode, firsts, forEachLater);
  }
  // The documents holding each chunk, in list order: postings[start[id] ..
  // start[id + 1]).
  std::vector<std::uint32_t> start(ids + 1, 0);
  runOnWorkers(parts, parts, [&](std::size_t, std::size_t part) {
    inPart(part, [&](std::int32_t, std::uint32_t id) { ++start[id + 1]; });
  });
  for (std::size_t id = 0; id < ids; ++id) start[id + 1] += start[id];
  // Filling advances start[id] to the end of id's postings, which is where
  // id + 1's begin; shifting back by one restores the starts.
  std::vector<std::uint32_t> postings(start[ids]);
  runOnWorkers(parts, parts, [&](std::size_t, std::size_t part) {
    inPart(part, [&](std::int32_t d, std::uint32_t id) {
      postings[start[id]++] = static_cast<std::uint32_t>(d);
    });
  });
  for (std::size_t id = ids; id > 0; --id) start[id] = start[id - 1];
  start[0] = 0;
  const auto forEachLater = [&](std::size_t i, auto&& visit) {
    files.get(static_cast<std::int32_t>(i))
        ->vocabulary()
        ->forEachId([&](std::uint32_t id, std::int32_t) {
          const std::uint32_t* begin = postings.data() + start[id];
          const std::uint32_t* end = postings.data() + start[id + 1];
          // The first document is among the postings.
          const std::uint32_t* later = std::upper_bound(begin, end, static_cast<std::uint32_t>(i));
          for (const std::uint32_t* p = later; p != end; ++p) visit(*p, id);
        });
  };
  return offerPairs(files, reports, mode, firsts, forEachLater);
}

template <typename ForEachLater>
std::int32_t TCompareGrams::offerPairs(TFiles& files, TReports& reports, std::int32_t mode,
                                       std::int32_t firsts,
                                       const ForEachLater& forEachLater) const {
  const std::int32_t size = files.count();
  TChunkDictionary& dictionary = files.get(0)->vocabulary()->dictionary();
  const auto workers = static_cast<std::size_t>(std::max(threads_, 1));
  std::int32_t added = 0;
  // What each first document shares with every later one is found on the
  // workers, a first document at a time; this thread hands the pairs to the
  // report set in list order.
  const auto firstCount = static_cast<std::size_t>(firsts);
  const auto eachFirst = [&](auto& prepare, auto& consume) {
    if (workers <= 1 || firstCount <= 1) {
      for (std::size_t i = 0; i < firstCount; ++i) {
        prepare(0, i);
        consume(i);
      }
    } else {
      prepareAhead(workers, firstCount, 2 * workers, prepare, consume,
                   CallerPrepares::kWhileWaiting);
    }
  };
  if (reports.countsOnly()) {
    // Without pair files only the number of shared chunks is kept.
    std::vector<std::vector<std::int32_t>> common(firstCount);
    const auto countShared = [&](std::size_t, std::size_t i) {
      auto& counts = common[i];
      counts.assign(static_cast<std::size_t>(size), 0);
      forEachLater(i, [&](std::uint32_t later, std::uint32_t) { ++counts[later]; });
    };
    const auto offerCounts = [&](std::size_t index) {
      const auto i = static_cast<std::int32_t>(index);
      const TDoc& first = *files.get(i);
      const auto& counts = common[index];
      for (std::int32_t j = i + 1; j < size; ++j) {
        const TDoc& second = *files.get(j);
        if (!isComparedPair(mode, first, second)) continue;
        reports.addCounts(countsOf(i, j, first, second, counts[static_cast<std::size_t>(j)]));
        ++added;
      }
      std::vector<std::int32_t>().swap(common[index]);
      showProgress("Comparing documents", i + 1, firsts);
    };
    eachFirst(countShared, offerCounts);
    return added;
  }

  std::vector<std::vector<std::vector<std::uint32_t>>> shared(firstCount);
  const auto findShared = [&](std::size_t, std::size_t i) {
    auto& partners = shared[i];
    partners.resize(static_cast<std::size_t>(size));
    forEachLater(i, [&](std::uint32_t later, std::uint32_t id) { partners[later].push_back(id); });
  };
  const auto offerShared = [&](std::size_t index) {
    const auto i = static_cast<std::int32_t>(index);
    const TDoc& first = *files.get(i);
    auto& partners = shared[index];
    for (std::int32_t j = i + 1; j < size; ++j) {
      const TDoc& second = *files.get(j);
      auto& ids_j = partners[static_cast<std::size_t>(j)];
      if (!isComparedPair(mode, first, second)) {
        ids_j = {};
        continue;
      }
      const auto common = static_cast<std::int32_t>(ids_j.size());
      auto pairVocabulary = std::make_unique<TVocabulary>(dictionary);
      pairVocabulary->assignShared(std::move(ids_j));
      ids_j = {};
      const auto result = resultOf(first, second, common);
      offer(first, second, *result, pairVocabulary, reports, added);
    }
    std::vector<std::vector<std::uint32_t>>().swap(partners);
    showProgress("Comparing documents", i + 1, firsts);
  };
  eachFirst(findShared, offerShared);
  return added;
}

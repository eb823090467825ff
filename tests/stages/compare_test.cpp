#include "stages/compare.h"

#include <gtest/gtest.h>

#include <set>

#include "../support.h"
#include "documents/files.h"
#include "reports/reports.h"
#include "settings/config.h"
#include "stages/extract.h"
#include "stages/pre_proc.h"

namespace {
// A document with chunks c0 .. c(n-1) starting at first.
std::unique_ptr<TDoc> docWith(const std::string& name, int first, int n) {
  auto doc = std::make_unique<TDoc>(name, "dir");
  for (int i = first; i < first + n; ++i) doc->addChunk("c" + std::to_string(i));
  return doc;
}
}  // namespace

TEST(Similarity, TenThousandthsOfTheJaccardIndex) {
  struct Case {
    int common;
    int either;
    int want;
  };
  const Case cases[] = {
      {0, 7, 0},     {1, 2, 5000},  {1, 3, 3333},  {2, 3, 6666}, {1, 4, 2500},  {3, 5, 5999},
      {3, 10, 2999}, {7, 10, 6999}, {9, 10, 9000}, {5, 8, 6250}, {1, 20000, 0}, {12, 12, 10000},
  };
  const TCompareGrams compare;
  for (const Case& c : cases) {
    // Two documents sharing `common` chunks with `either` distinct chunks in all.
    const auto a = docWith("a", 0, c.common);
    const auto b = docWith("b", 0, c.either);
    EXPECT_EQ(c.want, similarityInTenThousandths(compare.computeSimilarity(*a, *b, c.common)))
        << c.common << "/" << c.either;
  }
}

TEST(CompareDocuments, ResultRecordAndSharedChunks) {
  const TCompareGrams compare;
  // 6 and 7 chunks, 3 shared: 3 / 10 gives 2999.
  auto a = docWith("a.txt", 0, 6);
  auto b = docWith("b.txt", 3, 7);
  a->addChunk("c4");  // counted twice, shared once
  TVocabulary shared;
  shared.addChunk("stale");
  const auto result = compare.compareDocuments(*a, *b, shared);
  EXPECT_EQ("a.txt", result->get("file1Name"));
  EXPECT_EQ("b.txt", result->get("file2Name"));
  EXPECT_EQ("6", result->get("chunksInDoc1"));
  EXPECT_EQ("7", result->get("chunksInDoc2"));
  EXPECT_EQ("3", result->get("commonChunks"));
  EXPECT_EQ("2999", result->get("similarity"));
  EXPECT_EQ(6, result->count());
  EXPECT_EQ("1\nc5\n1\nc4\n1\nc3", shared.fileText());

  const auto none = docWith("n.txt", 100, 0);
  TVocabulary empty;
  const auto zero = compare.compareDocuments(*none, *none, empty);
  EXPECT_EQ("0", zero->get("similarity"));
  EXPECT_EQ("0", zero->get("commonChunks"));
  EXPECT_EQ(0, empty.size());
}

using Compare = ScratchTest;

TEST_F(Compare, ModesChooseThePairs) {
  // The last `archives` documents are archive documents.
  struct Case {
    std::string mode;
    std::int32_t documents;
    std::int32_t archives;
    std::string pairs;
  };
  const Case cases[] = {
      {"3", 3, 0, "a/b a/c b/c "},
      {"2", 3, 0, "a/b a/c "},
      {"1", 3, 0, ""},
      {"3", 1, 0, ""},
      {"2", 1, 0, ""},
      {"3", 4, 2, "a/b a/c a/d b/c b/d "},
      {"3", 3, 1, "a/b a/c b/c "},
      {"3", 3, 3, ""},
      {"2", 4, 2, "a/b a/c a/d "},
      {"2", 3, 3, "a/b a/c "},
  };
  for (const Case& c : cases) {
    TestEnvironment env({{"collusionMode", c.mode}});
    TFiles files;
    for (std::int32_t i = 0; i < c.documents; ++i) {
      ASSERT_EQ(0, files.add(std::string(1, static_cast<char>('a' + i)), "dir",
                             i >= c.documents - c.archives));
      files.get(i)->addChunk("shared");
    }
    TReports reports;
    TCompareGrams compare;
    std::string pairs;
    const std::int32_t added = compare.run(files, reports);
    for (std::int32_t i = 0; i < reports.count(); ++i) {
      pairs += reports.get(i)->file1Name() + "/" + reports.get(i)->file2Name() + " ";
    }
    EXPECT_EQ(c.pairs, pairs) << c.mode << " " << c.documents << " " << c.archives;
    EXPECT_EQ(reports.count(), added);
  }
}

namespace {
// A reproducible corpus: documents of words from a small vocabulary with
// punctuation, digits and capitals, some sharing passages.
std::vector<std::string> corpus(std::uint32_t seed, int documents) {
  const std::vector<std::string> words = {"the", "The", "cat", "sat",  "on", "mat,", "a",
                                          "dog", "42",  "3rd", "ran!", "of", "A",    "river"};
  auto next = [&seed](std::uint32_t n) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % n;
  };
  std::vector<std::string> texts;
  for (int d = 0; d < documents; ++d) {
    std::string text;
    for (std::uint32_t i = 0, n = 5 + next(60); i < n; ++i) {
      text += words[next(static_cast<std::uint32_t>(words.size()))];
      text += next(8) == 0 ? "\n" : " ";
    }
    if (d > 0 && next(2) == 0) text += texts[next(static_cast<std::uint32_t>(d))].substr(0, 40);
    texts.push_back(text);
  }
  return texts;
}

// The shared chunks of two documents found directly from their chunk texts.
std::set<std::string> sharedChunks(const TDoc& a, const TDoc& b) {
  std::set<std::string> left, both;
  a.vocabulary()->forEachEntry([&](std::string_view chunk, std::int32_t) { left.emplace(chunk); });
  b.vocabulary()->forEachEntry([&](std::string_view chunk, std::int32_t) {
    if (left.count(std::string(chunk))) both.emplace(chunk);
  });
  return both;
}
}  // namespace

TEST_F(Compare, IndexedComparisonEqualsADirectPairByPairCount) {
  write("lang",
        "[start stopWords]\nthe\na\nof\n[stop stopWords]\n"
        "[start punctuation]\n,\n!\n[stop punctuation]\n");
  std::uint32_t seed = 7;
  // Up to 32 documents are indexed by a bit per document, more by lists.
  for (const int documents : {7, 40}) {
    for (int switches = 0; switches<16; switches += documents> 32 ? 5 : 1) {
      for (int grams = 1; grams <= 4; ++grams) {
        for (const char* mode : {"2", "3"}) {
          auto on = [switches](int bit) { return (switches >> bit) & 1 ? "1" : "0"; };
          TestEnvironment env({{"removePontuation", on(0)},
                               {"removeNumbers", on(1)},
                               {"lowerCase", on(2)},
                               {"removeStopWords", on(3)},
                               {"gramsSize", std::to_string(grams)},
                               {"collusionMode", mode},
                               {"languageFileName", path("lang")}});
          TFiles files;
          const auto texts = corpus(seed++, documents);
          for (std::size_t d = 0; d < texts.size(); ++d) {
            ASSERT_EQ(0, files.add("d" + std::to_string(d) + ".txt", dir_.string()));
            files.get(static_cast<std::int32_t>(d))->setText(texts[d]);
          }
          TPreProcDoc preProc;
          preProc.configure(*env.env().config);
          preProc.run(files);
          TExtractGrams extract;
          extract.configure(*env.env().config);
          for (std::int32_t d = 0; d < files.count(); ++d) extract.extractDocument(files.get(d));

          TReports reports;
          TCompareGrams compare;
          compare.run(files, reports);
          const std::int32_t firsts = std::string(mode) == "2" ? 1 : files.count() - 1;
          std::int32_t r = 0;
          for (std::int32_t i = 0; i < firsts; ++i) {
            for (std::int32_t j = i + 1; j < files.count(); ++j, ++r) {
              const auto* report = dynamic_cast<const TReportGrams*>(reports.get(r));
              ASSERT_NE(nullptr, report);
              const TDoc& a = *files.get(i);
              const TDoc& b = *files.get(j);
              const std::set<std::string> shared = sharedChunks(a, b);
              TVocabulary direct;
              for (const std::string& chunk : shared) direct.addChunk(chunk);
              const auto common = static_cast<std::int32_t>(shared.size());
              const std::string where = "switches " + std::to_string(switches) + " grams " +
                                        std::to_string(grams) + " mode " + mode + " pair " +
                                        std::to_string(i) + "," + std::to_string(j);
              EXPECT_EQ(a.fileName(), report->file1Name()) << where;
              EXPECT_EQ(b.fileName(), report->file2Name()) << where;
              EXPECT_EQ(a.chunkCount(), report->chunksInDoc1()) << where;
              EXPECT_EQ(b.chunkCount(), report->chunksInDoc2()) << where;
              EXPECT_EQ(common, report->commonChunks()) << where;
              EXPECT_EQ(
                  similarityInTenThousandths(compare.computeSimilarity(a, b, common)) / 10000.0,
                  report->similarity())
                  << where;
              EXPECT_EQ(direct.fileText(), report->commonVocabulary()->fileText()) << where;
              TVocabulary counted;
              EXPECT_EQ(common, compare.countCommonChunks(a, b, counted)) << where;
              EXPECT_EQ(direct.fileText(), counted.fileText()) << where;
            }
          }
          EXPECT_EQ(r, reports.count());

          // Without pair files only the counts are kept, the same with one
          // thread and with several.
          for (const std::int32_t threads : {1, 3}) {
            TConfig config = *env.env().config;
            config.pairFiles = false;
            config.threads = threads;
            TReports counted;
            counted.configure(config);
            TCompareGrams countOnly;
            countOnly.configure(config);
            EXPECT_EQ(r, countOnly.run(files, counted));
            EXPECT_EQ(0, counted.count());
            ASSERT_EQ(static_cast<std::size_t>(r), counted.pairCounts().size());
            std::int32_t k = 0;
            for (std::int32_t i = 0; i < firsts; ++i) {
              for (std::int32_t j = i + 1; j < files.count(); ++j, ++k) {
                const TPairCounts& pair = counted.pairCounts()[static_cast<std::size_t>(k)];
                const auto* report = dynamic_cast<const TReportGrams*>(reports.get(k));
                const std::string where = "threads " + std::to_string(threads) + " pair " +
                                          std::to_string(i) + "," + std::to_string(j);
                EXPECT_EQ(static_cast<std::uint32_t>(i), pair.doc1) << where;
                EXPECT_EQ(static_cast<std::uint32_t>(j), pair.doc2) << where;
                EXPECT_EQ(report->chunksInDoc1(), pair.chunks1) << where;
                EXPECT_EQ(report->chunksInDoc2(), pair.chunks2) << where;
                EXPECT_EQ(report->commonChunks(), pair.common) << where;
                EXPECT_EQ(report->similarity(), pair.similarity / 10000.0) << where;
              }
            }
          }
        }
      }
    }
  }
}

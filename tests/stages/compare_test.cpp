#include "stages/compare.h"

#include <gtest/gtest.h>

#include "../support.h"
#include "documents/files.h"
#include "reports/reports.h"

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
      {0, 7, 0},        {1, 2, 5000},   {1, 3, 3333},     {2, 3, 6666},
      {1, 4, 2500},     {3, 5, 5999},   {3, 10, 2999},    {7, 10, 6999},
      {9, 10, 9000},    {5, 8, 6250},   {1, 20000, 0},    {12, 12, 10000},
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
  struct Case {
    std::string mode;
    std::int32_t documents;
    std::string pairs;
  };
  const Case cases[] = {
      {"3", 3, "a.txt/b.txt a.txt/c.txt b.txt/c.txt "},
      {"2", 3, "a.txt/b.txt a.txt/c.txt "},
      {"1", 3, ""},
      {"3", 1, ""},
      {"2", 1, ""},
  };
  for (const Case& c : cases) {
    TestEnvironment env({{"collusionMode", c.mode}});
    TFiles files;
    for (std::int32_t i = 0; i < c.documents; ++i) {
      ASSERT_EQ(0, files.add(std::string(1, static_cast<char>('a' + i)) + ".txt", "dir"));
      files.get(i)->addChunk("shared");
    }
    TReports reports;
    TCompareGrams compare;
    std::string pairs;
    const std::int32_t added = compare.run(files, reports);
    for (std::int32_t i = 0; i < reports.count(); ++i) {
      pairs += reports.get(i)->file1Name() + "/" + reports.get(i)->file2Name() + " ";
    }
    EXPECT_EQ(c.pairs, pairs) << c.mode << " " << c.documents;
    EXPECT_EQ(reports.count(), added);
  }
}

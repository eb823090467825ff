#include "results/results.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <random>

#include "results/html_text.h"
#include "results/index_page.h"
#include "results/pair_page.h"
#include "stages/word_lists.h"

namespace {

// Four documents, the last of the archive, and the six pairs of a full
// comparison, in comparison order.
TResultsStudy fourDocuments() {
  TResultsStudy study;
  study.documents = {{"/in/a.txt", 10, 8},
                     {"/in/b,c.txt", 12, 10},
                     {"/in/q\"d.txt", 9, 7},
                     {"/in/e.txt", 0, 0, true}};
  study.pairs = {
      {0, 1, 8, 10, 3, 2000},  // ties (0,2) on similarity, fewer common
      {0, 2, 8, 7, 2, 2000},   //
      {0, 3, 8, 0, 0, 0},      //
      {1, 2, 10, 7, 6, 5454},  //
      {1, 3, 10, 0, 0, 0},     //
      {2, 3, 7, 0, 0, 0},      // ties (0,3) and (1,3) completely: comparison order
  };
  return study;
}

}  // namespace

TEST(Results, RanksBySimilarityThenCommonThenComparisonOrder) {
  const TResults results(fourDocuments());
  EXPECT_EQ((std::vector<std::uint32_t>{3, 0, 1, 2, 4, 5}), results.ranking());
}

TEST(Results, RanksManyPairsAsAStableSortWould) {
  // Many ties, counts past one byte and below zero, and sizes around the
  // ones a sort might treat apart.
  std::mt19937 random(7);
  for (const std::size_t size : {0u, 1u, 2u, 47u, 1000u, 70000u}) {
    TResultsStudy study;
    study.documents = {{"/in/a.txt", 1, 1}, {"/in/b.txt", 1, 1}};
    for (std::size_t i = 0; i < size; ++i) {
      const auto pick = [&](std::int32_t spread) {
        return static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(spread));
      };
      const std::int32_t similarity = i % 5 == 0 ? pick(3) : pick(10001);
      const std::int32_t common = i % 7 == 0 ? pick(2) - 1 : pick(300000);
      study.pairs.push_back({0, 1, 1, 1, common, similarity});
    }
    std::vector<std::uint32_t> want(size);
    std::iota(want.begin(), want.end(), 0u);
    std::stable_sort(want.begin(), want.end(), [&](std::uint32_t a, std::uint32_t b) {
      const TResultsPair& x = study.pairs[a];
      const TResultsPair& y = study.pairs[b];
      if (x.similarity != y.similarity) return x.similarity > y.similarity;
      return x.common > y.common;
    });
    EXPECT_EQ(want, TResults(study).ranking()) << size << " pairs";
  }
}

// pairs.csv written a block at a time is the table made whole, for tables
// of one block and of several; a write that fails says so.
TEST(Results, WritesPairsCsvInBlocksAsTheWholeTable) {
  std::mt19937 random(11);
  for (const std::size_t size : {0u, 3u, 70000u}) {
    TResultsStudy study;
    study.documents = {{"/in/a long name, quoted.txt", 1, 1}, {"/in/b.txt", 1, 1}};
    for (std::size_t i = 0; i < size; ++i) {
      const auto common = static_cast<std::int32_t>(random() % 5000);
      study.pairs.push_back({0, 1, 9000, 8000, common, static_cast<std::int32_t>(random() % 10001)});
    }
    const TResults results(study);
    std::FILE* file = std::tmpfile();
    ASSERT_NE(nullptr, file);
    ASSERT_TRUE(results.writePairsCsv(fileno(file)));
    std::string written;
    std::rewind(file);
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
      written.append(buffer, got);
    }
    std::fclose(file);
    // The table line by line, made plainly.
    std::string whole =
        "rank,document1,document2,chunks1,chunks2,common,similarity,containment1,containment2,"
        "archive\n";
    for (std::uint32_t rank = 1; rank <= size; ++rank) {
      const TResultsPair& pair = results.pairAtRank(rank);
      whole += std::to_string(rank) + ",\"/in/a long name, quoted.txt\",/in/b.txt,9000,8000," +
               std::to_string(pair.common) + "," + fourDecimals(pair.similarity) + "," +
               fourDecimals(TResults::containment(pair.common, 9000)) + "," +
               fourDecimals(TResults::containment(pair.common, 8000)) + ",0\n";
    }
    EXPECT_EQ(whole.size(), written.size()) << size << " pairs";
    EXPECT_TRUE(whole == written) << size << " pairs";
    EXPECT_TRUE(whole == results.pairsCsv()) << size << " pairs";
    if (size == 70000) {
      EXPECT_GT(whole.size(), std::size_t{2} << 20);
    }
  }
  TResultsStudy study;
  study.documents = {{"/in/a.txt", 1, 1}, {"/in/b.txt", 1, 1}};
  EXPECT_FALSE(TResults(study).writePairsCsv(-1));
}

TEST(Results, ListsPairsAtOrAboveTheThresholdUpToTop) {
  struct Case {
    std::int32_t threshold;
    std::int32_t top;
    std::uint32_t listed;
  };
  const Case cases[] = {{1000, 200, 3}, {2000, 200, 3}, {2001, 200, 1}, {1000, 2, 2},
                        {0, 0, 6},      {10001, 0, 0},  {5454, 1, 1}};
  for (const Case& c : cases) {
    TResultsStudy study = fourDocuments();
    study.threshold = c.threshold;
    study.top = c.top;
    EXPECT_EQ(c.listed, TResults(std::move(study)).listedCount()) << c.threshold << " " << c.top;
  }
}

TEST(Results, ContainmentAndThreshold) {
  struct Share {
    std::int32_t common, chunks, want;
  };
  const Share shares[] = {{3, 10, 3000}, {2, 3, 6666}, {1, 3, 3333}, {5, 5, 10000},
                          {0, 0, 0},     {0, 7, 0},    {7, 0, 0},    {1, 300000, 0}};
  for (const Share& s : shares) {
    EXPECT_EQ(s.want, TResults::containment(s.common, s.chunks)) << s.common << "/" << s.chunks;
  }
  struct Threshold {
    double setting;
    std::int32_t want;
  };
  const Threshold thresholds[] = {{0.1, 1000}, {0.3, 3000}, {0.12345, 1235}, {0, 0},
                                  {-1, 0},     {1, 10000},  {1.5, 10001}};
  for (const Threshold& t : thresholds) EXPECT_EQ(t.want, TResults::thresholdOf(t.setting));
}

TEST(Results, PairsCsv) {
  const TResults results(fourDocuments());
  EXPECT_EQ(
      "rank,document1,document2,chunks1,chunks2,common,similarity,containment1,containment2,"
      "archive\n"
      "1,\"/in/b,c.txt\",\"/in/q\"\"d.txt\",10,7,6,0.5454,0.6000,0.8571,0\n"
      "2,/in/a.txt,\"/in/b,c.txt\",8,10,3,0.2000,0.3750,0.3000,0\n"
      "3,/in/a.txt,\"/in/q\"\"d.txt\",8,7,2,0.2000,0.2500,0.2857,0\n"
      "4,/in/a.txt,/in/e.txt,8,0,0,0.0000,0.0000,0.0000,1\n"
      "5,\"/in/b,c.txt\",/in/e.txt,10,0,0,0.0000,0.0000,0.0000,1\n"
      "6,\"/in/q\"\"d.txt\",/in/e.txt,7,0,0,0.0000,0.0000,0.0000,1\n",
      results.pairsCsv());
}

TEST(Results, DocumentsCsv) {
  TResultsStudy study = fourDocuments();
  study.documents.push_back({"/in/alone.txt", 1, 1});  // in no pair
  EXPECT_EQ(
      "document,words,chunks,best_similarity,best_partner,listed_pairs,archive\n"
      "/in/a.txt,10,8,0.2000,\"/in/b,c.txt\",2,0\n"
      "\"/in/b,c.txt\",12,10,0.5454,\"/in/q\"\"d.txt\",2,0\n"
      "\"/in/q\"\"d.txt\",9,7,0.5454,\"/in/b,c.txt\",2,0\n"
      "/in/e.txt,0,0,0.0000,/in/a.txt,0,1\n"
      "/in/alone.txt,1,1,,,0,0\n",
      TResults(study).documentsCsv());

  study.pairs.clear();
  study.compared = false;
  EXPECT_EQ(
      "document,words,chunks,best_similarity,best_partner,listed_pairs,archive\n"
      "/in/a.txt,10,8,,,,0\n\"/in/b,c.txt\",12,10,,,,0\n\"/in/q\"\"d.txt\",9,7,,,,0\n"
      "/in/e.txt,0,0,,,,1\n/in/alone.txt,1,1,,,,0\n",
      TResults(std::move(study)).documentsCsv());
}

TEST(IndexPage, HistogramBins) {
  const std::pair<std::int32_t, int> cases[] = {{0, 0},     {499, 0},   {500, 1},
                                                {5999, 11}, {9999, 19}, {10000, 19}};
  for (const auto& [similarity, bin] : cases)
    EXPECT_EQ(bin, histogramBin(similarity)) << similarity;
}

// Document bytes and paths are text on every page: the one script element
// is the page's own, and no markup of the documents survives.
TEST(ResultsPages, ShowHostileDocumentsAsText) {
  const std::string hostile =
      "<script>alert(1)</script></textarea><!-- <img src=x onerror=alert(2)>";
  TResultsStudy study;
  study.documents = {{"/in/" + hostile, 3, 3}, {"/in/b.txt", 3, 3}};
  study.pairs = {{0, 1, 3, 3, 3, 10000}};
  study.settings = {{"gramsSize", "1"}, {"note", hostile}};
  const TResults results(std::move(study));
  const TWordLists none;
  const TOriginText origin1(hostile, {}, none);
  const TOriginText origin2("alert(1) ok", {}, none);
  const auto chunks1 = origin1.chunks(1);
  const auto chunks2 = origin2.chunks(1);
  for (const std::string& page :
       {indexPage(results), pairPage(results, 1, {hostile, &chunks1}, {"alert(1) ok", &chunks2})}) {
    std::size_t scripts = 0;
    for (std::size_t at = page.find("<script"); at != std::string::npos;
         at = page.find("<script", at + 1)) {
      ++scripts;
    }
    EXPECT_EQ(1u, scripts);
    EXPECT_EQ(std::string::npos, page.find("<!--"));
    EXPECT_EQ(std::string::npos, page.find("</textarea"));
    EXPECT_EQ(std::string::npos, page.find("<img"));
    EXPECT_NE(std::string::npos, page.find("&lt;script&gt;alert(1)&lt;/script&gt;"));
  }
}

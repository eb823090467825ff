#include "reports/reports.h"

#include <gtest/gtest.h>

#include "../support.h"

namespace {
TParamFile pair(const std::string& a, const std::string& b) {
  TParamFile result;
  result.set("file1Name", a);
  result.set("file2Name", b);
  result.set("similarity", "0");
  return result;
}

std::unique_ptr<TVocabulary> sharedOf(const std::string& chunk) {
  auto v = std::make_unique<TVocabulary>();
  v->addChunk(chunk);
  return v;
}
}  // namespace

TEST(ReportsAdd, RefusesAnEmptyResultAndKeepsTheVocabularyWithTheCaller) {
  TReports reports;
  auto vocabulary = sharedOf("x");
  EXPECT_FALSE(reports.add(TParamFile(), vocabulary));
  EXPECT_NE(nullptr, vocabulary);
  EXPECT_TRUE(reports.add(pair("a", "b"), vocabulary));
  EXPECT_EQ(nullptr, vocabulary);
  EXPECT_EQ(1, reports.count());
  EXPECT_TRUE(reports.allValid());
  EXPECT_EQ(nullptr, reports.get(1));
  EXPECT_FALSE(reports.remove(1));
  EXPECT_TRUE(reports.remove(0));
  EXPECT_EQ(0, reports.count());
}

using ReportsSave = ScratchTest;

TEST_F(ReportsSave, WritesEachReportThenItsPairVocabulary) {
  std::filesystem::create_directories(dir_ / "r");
  std::filesystem::create_directories(dir_ / "v");
  TestEnvironment env({{"dirReports", path("r")}, {"dirVocabularies", path("v")}});
  TReports reports;
  EXPECT_EQ(0, reports.saveAll());
  auto v1 = sharedOf("one");
  auto v2 = sharedOf("two");
  ASSERT_TRUE(reports.add(pair("a.tar.gz", "b"), v1));
  ASSERT_TRUE(reports.add(pair("c.txt", "d.txt"), v2));
  EXPECT_EQ(2, reports.saveAll());
  EXPECT_TRUE(std::filesystem::exists(path("r/a.tar.gz.b")));
  EXPECT_EQ("1\none", read(path("v/a.tar-b.voc")));
  EXPECT_EQ("1\ntwo", read(path("v/c-d.voc")));
}

TEST_F(ReportsSave, FailuresAndMissingDirectories) {
  std::filesystem::create_directories(dir_ / "r");
  auto v = sharedOf("x");
  TReports reports;
  ASSERT_TRUE(reports.add(pair("a.txt", "b.txt"), v));
  {
    TestEnvironment env({{"dirVocabularies", path("v")}});
    EXPECT_EQ(-1, reports.saveAll());
  }
  {
    TestEnvironment env({{"dirReports", path("missing")}, {"isToshowWarning", "1"}});
    EXPECT_EQ(0, reports.saveAll());
    EXPECT_EQ("3 warning_report_not_saved a.txtb.txt\n", env.entries());
  }
  {
    // No vocabulary directory: the report is written, no pair vocabulary anywhere.
    TestEnvironment env({{"dirReports", path("r")}});
    EXPECT_EQ(1, reports.saveAll());
    EXPECT_TRUE(std::filesystem::exists(path("r/a.txt.b.txt")));
    EXPECT_FALSE(std::filesystem::exists("/a-b.voc"));
  }
}

TEST_F(ReportsSave, NamesThatMeetAreRenamedNotOverwritten) {
  std::filesystem::create_directories(dir_ / "out");
  TestEnvironment env({{"dirReports", path("out")},
                       {"dirVocabularies", path("out")},
                       {"isToshowWarning", "1"}});
  TReports reports;
  for (const auto& [a, b, chunk] : {std::tuple{"a.txt", "b.txt", "first"},
                                    std::tuple{"a.doc", "b.doc", "second"},
                                    std::tuple{"a.txt", "b.txt", "third"}}) {
    auto v = sharedOf(chunk);
    ASSERT_TRUE(reports.add(pair(a, b), v));
  }
  EXPECT_EQ(3, reports.saveAll());
  EXPECT_EQ("1\nfirst", read(path("out/a-b.voc")));
  EXPECT_EQ("1\nsecond", read(path("out/a-b~2.voc")));
  EXPECT_EQ("1\nthird", read(path("out/a-b~3.voc")));
  EXPECT_TRUE(std::filesystem::exists(path("out/a.txt.b.txt~2")));
  EXPECT_EQ("3 warning_output_renamed " + path("out/a-b~2.voc") + "\n" +
                "3 warning_output_renamed " + path("out/a.txt.b.txt~2") + "\n" +
                "3 warning_output_renamed " + path("out/a-b~3.voc") + "\n",
            env.entries());
}

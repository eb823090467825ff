#include "reports/report.h"

#include <gtest/gtest.h>

#include "../support.h"

namespace {
TParamFile resultOf(std::initializer_list<std::pair<std::string, std::string>> values) {
  TParamFile result;
  for (const auto& [key, value] : values) result.set(key, value);
  return result;
}
}  // namespace

TEST(ReportFill, ConvertsAtoiStyle) {
  TReportGrams report;
  report.fill(resultOf({{"file1Name", "a.txt"},
                        {"file2Name", "b.txt"},
                        {"chunksInDoc1", "12abc"},
                        {"similarity", "0.75"}}));
  EXPECT_EQ("a.txt", report.file1Name());
  EXPECT_EQ(12, report.chunksInDoc1());
  EXPECT_EQ(0, report.chunksInDoc2());
  EXPECT_EQ(0.0, report.similarity());
  report.fill(resultOf({{"similarity", "7500"}}));
  EXPECT_EQ(0.75, report.similarity());
  EXPECT_FALSE(report.isValid());
}

TEST(ReportFile, SixLinesWithTheSimilarityInAFieldOfSix) {
  struct Case {
    const char* similarity;
    const char* field;
  };
  const Case cases[] = {
      {"1234", "0.1234"}, {"500", "  0.05"}, {"5000", "   0.5"},
      {"10000", "     1"}, {"0", "     0"}, {"2999", "0.2999"},
  };
  for (const Case& c : cases) {
    TReportGrams report;
    report.fill(resultOf({{"file1Name", "a.txt"},
                          {"file2Name", "b.txt"},
                          {"chunksInDoc1", "120"},
                          {"chunksInDoc2", "98"},
                          {"commonChunks", "12"},
                          {"similarity", c.similarity}}));
    EXPECT_TRUE(report.isValid());
    EXPECT_EQ(std::string("file1: a.txt\nfile2: b.txt\nchunksInDoc1: 120\nchunksInDoc2: 98\n"
                          "commonChunks: 12\nsimilarity: ") +
                  c.field,
              report.fileText());
  }
}

using ReportSave = ScratchTest;

TEST_F(ReportSave, NamesTheFileAfterBothDocuments) {
  TReportGrams report;
  report.fill(resultOf({{"file1Name", "a"}, {"file2Name", "b"}, {"similarity", "10000"}}));
  EXPECT_TRUE(report.save(dir_.string()));
  EXPECT_TRUE(report.save(dir_.string()));
  EXPECT_EQ(report.fileText(), read(path("a.b")));
  EXPECT_FALSE(report.save(""));
  EXPECT_FALSE(report.save(path("missing")));
}

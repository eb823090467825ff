#include "log/log.h"

#include <gtest/gtest.h>

#include <regex>

#include "../support.h"

using Log = ScratchTest;

TEST_F(Log, LinesShowKindStampTextAndLap) {
  TLog log;
  log.addMessage("started", false);
  log.addWarning("careful");
  log.addError("broken");
  log.addMessage("step one", true);
  log.addMessage("between", false);
  log.addMessage("step two", true);
  ASSERT_EQ(6u, log.entries().size());

  std::vector<std::string> lines;
  for (const TLogEntry& e : log.entries()) lines.push_back(e.line());
  const std::string stamp = R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})";
  const std::string lap = R"( \[00:00:00\.\d\d\])";
  EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(\(1\) )" + stamp + ": started")));
  EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(\(3\) )" + stamp + ": careful")));
  EXPECT_TRUE(std::regex_match(lines[2], std::regex(R"(\(2\) )" + stamp + ": broken")));
  EXPECT_TRUE(std::regex_match(lines[3], std::regex(R"(\(1\) )" + stamp + ": step one" + lap)));
  EXPECT_TRUE(std::regex_match(lines[4], std::regex(R"(\(1\) )" + stamp + ": between")));
  EXPECT_TRUE(std::regex_match(lines[5], std::regex(R"(\(1\) )" + stamp + ": step two" + lap)));
}

TEST_F(Log, SaveTruncatesAndCountsLines) {
  const std::string file = write("log.log", "an older, much longer log file\nwith two lines\n");
  TLog log;
  EXPECT_EQ(0, log.save(file));
  EXPECT_EQ("", read(file));
  log.addWarning("w");
  log.addMessage("m", false);
  EXPECT_EQ(2, log.save(file));
  const std::string text = read(file);
  EXPECT_EQ(2, std::count(text.begin(), text.end(), '\n'));
  EXPECT_EQ('\n', text.back());
  EXPECT_EQ(0u, text.find("(3) "));
}

TEST_F(Log, SaveFailsWithoutAPlaceToWrite) {
  TLog log;
  log.addMessage("m", false);
  EXPECT_EQ(-1, log.save(""));
  EXPECT_EQ(-1, log.save(path("no/such/dir/log.log")));
  EXPECT_FALSE(std::filesystem::exists(path("no")));
}

TEST(LogFullText, EndsWithTheTotalTimeEntry) {
  TLog log;
  log.addMessage("only", false);
  const std::string text = log.fullText("log_full_time  [" + log.totalTime() + "]");
  EXPECT_TRUE(std::regex_match(text, std::regex(R"(\(1\) [^\n]*: only\n)"
                                                R"(\(1\) [^\n]*: log_full_time  \[00:00:\d\d\.\d\d\]\n)")))
      << text;
}

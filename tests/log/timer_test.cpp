#include "log/timer.h"

#include <gtest/gtest.h>

#include <regex>

TEST(DurationText, CutsHundredthsAndPadsFields) {
  struct Case {
    double seconds;
    const char* want;
  };
  const Case cases[] = {
      {0, "00:00:00.00"},       {0.5, "00:00:00.50"},      {59.999, "00:00:59.99"},
      {3725.5, "01:02:05.50"},  {360000, "100:00:00.00"},  {3600, "01:00:00.00"},
      {3599.5, "00:59:59.50"},  {1.239, "00:00:01.23"},    {0.29, "00:00:00.28"},
      {-0.01, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.want, TTimer::durationText(c.seconds, "")) << c.seconds;
}

TEST(Timer, NowTextDefaultsToTheStampFormat) {
  const std::string stamp = TTimer::nowText("");
  EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})")))
      << stamp;
  EXPECT_EQ(stamp.substr(0, 10), TTimer::nowText("%Y-%m-%d %H:%M:%S").substr(0, 10));
}

TEST(Timer, LapStartsAtCreationAndMovesOnlyWithMarkLap) {
  TTimer timer;
  EXPECT_GE(timer.lapSeconds(), 0.0);
  EXPECT_LT(timer.lapSeconds(), 5.0);
  timer.markLap();
  EXPECT_EQ("00:00:00.00", timer.lapText("%H:%M:%S"));
  EXPECT_EQ(11u, timer.totalText("").size());
}

#include "settings/config.h"

#include <gtest/gtest.h>

#include "settings/param_file.h"

namespace {
TConfig configOf(std::initializer_list<std::pair<std::string, std::string>> settings) {
  TParamFile map;
  for (const auto& [key, value] : settings) map.set(key, value);
  return TConfig(map);
}
}  // namespace

TEST(Config, DefaultsOfAnEmptyMap) {
  const TConfig c = configOf({});
  EXPECT_FALSE(c.removeMultipleBlanks || c.removeStopWords || c.removePontuation ||
               c.removeNumbers || c.lowerCase || c.isToshowWarning || c.isToshowLog);
  EXPECT_EQ(3, c.collusionMode);
  EXPECT_EQ(3, c.gramsSize);
  EXPECT_EQ(1, c.preProcType);
  EXPECT_EQ(1, c.extractType);
  EXPECT_EQ(1, c.vocabularyType);
  EXPECT_EQ(1, c.compareType);
  EXPECT_EQ("", c.dirReports);
  EXPECT_EQ("", c.dirVocabularies);
  EXPECT_EQ("", c.languageFileName);
  EXPECT_EQ("", c.interLangFileName);
  EXPECT_EQ("log.log", c.logFilePath);  // the current directory, not the root
  EXPECT_EQ("%S", c.placeholder);
}

TEST(Config, NumbersAreReadAtoiStyleWithinTheirRange) {
  struct Case {
    const char* value;
    int mode;
    int grams;
  };
  const Case cases[] = {
      {"1", 1, 1},          {"2", 2, 2},           {"2abc", 2, 2},       {"0", 3, 3},
      {"4", 3, 4},          {"-1", 3, 3},          {"word", 3, 3},       {"10", 3, 10},
      {"11", 3, 3},         {"-2", 3, 3},          {"+2", 2, 2},         {"  2", 2, 2},
      {"2147483647", 3, 3}, {"4294967298", 3, 3},  {"99999999999999999999", 3, 3},
      {"-2147483648", 3, 3}, {"-4294967295", 3, 3},
  };
  for (const Case& c : cases) {
    const TConfig config = configOf({{"collusionMode", c.value}, {"gramsSize", c.value}});
    EXPECT_EQ(c.mode, config.collusionMode) << c.value;
    EXPECT_EQ(c.grams, config.gramsSize) << c.value;
  }
}

TEST(Config, SwitchesAreOnOnlyForOne) {
  for (const char* value : {"0", "true", "yes", "01", "1 "}) {
    EXPECT_FALSE(configOf({{"isToshowLog", value}}).isToshowLog) << value;
  }
  EXPECT_TRUE(configOf({{"isToshowLog", "1"}}).isToshowLog);
}

TEST(Config, TextsAndLogPath) {
  const TConfig c = configOf({{"saveLogIn", "logs/"},
                              {"dirReports", "r"},
                              {"preProcType", "2"},
                              {"languageFileName", "en.lang"}});
  EXPECT_EQ("logs//log.log", c.logFilePath);
  EXPECT_EQ("r", c.dirReports);
  EXPECT_EQ("en.lang", c.languageFileName);
  EXPECT_EQ(1, c.preProcType);
}

TEST(Config, ThreadsFrom0To64ElseTheDefaultWithANote) {
  struct Case {
    const char* value;
    int threads;
    bool noted;
  };
  const Case cases[] = {
      {"", 0, false},  {"0", 0, false},   {"1", 1, false},    {"2", 2, false},
      {"64", 64, false}, {"65", 0, true}, {"-1", 0, true},    {"many", 0, false},
      {"7x", 7, false}, {"99999999999", 0, true},
  };
  for (const Case& c : cases) {
    const TConfig config = configOf({{"threads", c.value}});
    EXPECT_EQ(c.threads, config.threads) << c.value;
    EXPECT_EQ(c.noted, !config.notes.empty()) << c.value;
    EXPECT_GE(config.threadCount(), 1) << c.value;
    EXPECT_LE(config.threadCount(), kMostThreads) << c.value;
    if (c.threads > 0) {
      EXPECT_EQ(c.threads, config.threadCount()) << c.value;
    }
  }
}

#include "settings/config_keys.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "settings/config.h"
#include "settings/param_file.h"

TEST(ConfigKeys, KnowsEveryKeyAndNumberedOnesByTheirNumber) {
  struct Case {
    const char* key;
    bool known;
  };
  const Case cases[] = {
      {"gramsSize", true},
      {"removePontuation", true},
      {"resultsTop", true},
      {"threads", true},
      {"file1", true},
      {"file12", true},
      {"file3", true},
      {"dirDocuments", true},
      {"file", false},
      {"file01", false},
      {"file0", false},
      {"file1a", false},
      {"GramsSize", false},
      {"gramSize", false},
      {"gramsSize1", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.known, isKnownKey(c.key)) << c.key;
}

TEST(ConfigKeys, SuggestsTheClosestKeyWithinTwoEdits) {
  struct Case {
    const char* key;
    const char* want;
  };
  const Case cases[] = {
      {"gramSize", "gramsSize"},
      {"removePunctuation", "removePontuation"},  // two edits
      {"flie5", "file5"},                         // a swap is one edit
      {"file01", "file1"},
      {"files", "file1"},
      {"File27", "file27"},
      {"GRAMSSIZE", "gramsSize"},  // case alone
      {"isToShowLog", "isToshowLog"},
      {"saveLogin", "saveLogIn"},
      {"dirResult", "dirResults"},
      {"resultTop", "resultsTop"},
      {"removeNumbrs", "removeNumbers"},
      {"removePunctuations", ""},  // three edits
      {"colour", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.want, closestKey(c.key)) << c.key;
}

TEST(ConfigKeys, UsageListsEveryKeyWithItsDefaultInSeventyNineColumns) {
  const std::string usage = usageText();
  for (const TConfigKey& key : configKeys()) {
    // The key's lines: up to the next line that is not indented further.
    const std::string name = "\n  " + std::string(key.name) + (key.numbered ? "N " : " ");
    const std::size_t at = usage.find(name);
    ASSERT_NE(std::string::npos, at) << key.name;
    std::size_t end = at + 1;
    do end = usage.find('\n', end + 1);
    while (usage.compare(end, 5, "\n    ") == 0);
    const std::string lines = usage.substr(at + 1, end - at - 1);
    EXPECT_TRUE(lines.ends_with("(default: " + std::string(key.defaultValue) + ")")) << lines;
  }
  for (const char* line : {"collusion CONFIG-FILE", "--version", "128+N"}) {
    EXPECT_NE(std::string::npos, usage.find(line)) << line;
  }
  std::istringstream lines(usage);
  for (std::string line; std::getline(lines, line);) EXPECT_GE(79u, line.size()) << line;
}

TEST(ConfigKeys, HintsNameUnknownKeysAndValuesThatFellBack) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> settings;
    std::vector<std::string> want;
  };
  const Case cases[] = {
      {{{"gramsSize", "12"}}, {"collusion: gramsSize=12 is out of range (1 to 10); using 3"}},
      {{{"collusionMode", "-1"}},
       {"collusion: collusionMode=-1 is out of range (1 to 3); using 3"}},
      {{{"gramsSize", "abc"}}, {"collusion: gramsSize=abc is not a number; using 3"}},
      {{{"collusionMode", "4294967298"}},
       {"collusion: collusionMode=4294967298 does not fit in 32 bits; using 3"}},
      {{{"lowerCase", "yes"}}, {"collusion: lowerCase=yes is neither 0 nor 1; using 0"}},
      {{{"preProcType", "2"}}, {"collusion: preProcType=2 is not a known kind; using 1"}},
      {{{"gramSize", "4"}},
       {"collusion: unknown key gramSize is ignored; did you mean gramsSize?"}},
      {{{"flie5", "d/a.txt"}}, {"collusion: unknown key flie5 is ignored; did you mean file5?"}},
      {{{"colour", "red"}}, {"collusion: unknown key colour is ignored"}},
      {{{"bad\x1bkey", "1"}}, {"collusion: unknown key bad?key is ignored"}},
      {{{"gramsSize", "x\x1b[2J"}}, {"collusion: gramsSize=x?[2J is not a number; using 3"}},
      {{{"zeta", "1"}, {"gramsSize", "0"}},
       {"collusion: gramsSize=0 is out of range (1 to 10); using 3",
        "collusion: unknown key zeta is ignored"}},
      // Values that are taken as they are.
      {{{"gramsSize", "4 words"},
        {"collusionMode", "2"},
        {"lowerCase", "0"},
        {"isToshowLog", "1"},
        {"compareType", "1"},
        {"file1", "d/a.txt"},
        {"dirDocuments", "docs"},
        {"dirReports", "r"}},
       {}},
  };
  for (const Case& c : cases) {
    TParamFile map;
    for (const auto& [key, value] : c.settings) map.set(key, value);
    EXPECT_EQ(c.want, configHints(map, TConfig(map))) << c.settings.front().first;
  }
}

TEST(ConfigKeys, TheManualDescribesEveryKey) {
  // The words of the tag lines of the manual's items.
  std::ifstream manual(COLLUSION_MANUAL);
  ASSERT_TRUE(manual) << COLLUSION_MANUAL;
  std::set<std::string> tagged;
  bool tag = false;
  for (std::string line; std::getline(manual, line);) {
    if (tag) {
      std::istringstream words(line);
      for (std::string word; words >> word;) tagged.insert(word);
    }
    tag = line == ".TP";
  }
  for (const TConfigKey& key : configKeys()) {
    EXPECT_EQ(1u, tagged.count(std::string(key.name))) << key.name;
  }
}

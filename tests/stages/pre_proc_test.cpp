#include "stages/pre_proc.h"

#include <gtest/gtest.h>

#include <random>

#include "../support.h"
#include "settings/config.h"
#include "documents/files.h"

using namespace std::string_literals;

class PreProc : public ScratchTest {
 protected:
  // A stage whose language file holds the given punctuation and stop words.
  TPreProcDoc stage(const std::vector<std::string>& punctuation,
                    const std::vector<std::string>& stopWords) {
    std::string file = "[start stopWords]\n";
    for (const auto& w : stopWords) file += w + "\n";
    file += "[stop stopWords]\n[start punctuation]\n";
    for (const auto& p : punctuation) file += p + "\n";
    file += "[stop punctuation]\n";
    TPreProcDoc preProc;
    EXPECT_TRUE(preProc.wordLists().load(write("lang", file)));
    return preProc;
  }
};

TEST_F(PreProc, StripPunctuation) {
  struct Case {
    std::vector<std::string> marks;
    std::string text;
    std::string want;
  };
  const Case cases[] = {
      {{","}, "a,b", "a b"},
      {{","}, " x , y ", " x y "},
      {{","}, " a , , b ", " a , b "},  // the second comma starts where the first did
      {{","}, ",a,", " a "},            // start and end of the text are not blanks
      {{"\xE2\x80\x9C"}, " \xE2\x80\x9C x", " x"},
      {{"\xE2\x80\x9C"}, " \xE2\x80\x9Cx", "  x"},
      {{"."}, " e.g. 3.5 ", " e g  3 5 "},
      {{"--", "-"}, "a--b - c-", "a b c "},
      {{"!", ","}, " Hello, World 42! ", " Hello  World 42  "},
  };
  for (const Case& c : cases) {
    const TPreProcDoc preProc = stage(c.marks, {});
    std::string text = c.text;
    EXPECT_TRUE(preProc.stripPunctuation(text));
    EXPECT_EQ(c.want, text) << c.text;
  }
  std::string empty;
  EXPECT_FALSE(stage({","}, {}).stripPunctuation(empty));
}

TEST(PreProcSteps, StripNumbers) {
  struct Case {
    std::string text;
    std::string want;
  };
  const Case cases[] = {
      {" 1984 ", "  "},      {" 3rd ", " rd "}, {" a1 ", " a1 "},
      {" x-12 ", " x-12 "},  {"12ab 3", "ab "}, {" 1st and 2nd ", " st and nd "},
      {"\t7\n8 9", "\t\n "}, {" 3 5 ", "   "},  {" Hello  World 42  ", " Hello  World   "},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    EXPECT_TRUE(TPreProcDoc::stripNumbers(text));
    EXPECT_EQ(c.want, text) << c.text;
  }
}

TEST(PreProcSteps, LowerTextKeepsEveryOtherByte) {
  std::string text = " Hello\0WORLD \xC3\x89T\xC3\x89 "s;
  EXPECT_TRUE(TPreProcDoc::lowerText(text));
  EXPECT_EQ(" hello\0world \xC3\x89t\xC3\x89 "s, text);
  std::string empty;
  EXPECT_FALSE(TPreProcDoc::lowerText(empty));
}

TEST_F(PreProc, StripStopWords) {
  struct Case {
    std::vector<std::string> words;
    std::string text;
    std::string want;
  };
  const Case cases[] = {
      {{"the"}, " the cat ", " cat "},
      {{"the"}, " the the cat ", " the cat "},
      {{"the"}, " The cat ", " The cat "},
      {{"the"}, " a\nthe cat ", " a\nthe cat "},
      {{"the"}, " the, cat ", " the, cat "},
      {{"a", "b"}, " x b a y ", " x y "},
      {{"of", "the"}, " top of the hill ", " top hill "},
  };
  for (const Case& c : cases) {
    const TPreProcDoc preProc = stage({}, c.words);
    std::string text = c.text;
    EXPECT_TRUE(preProc.stripStopWords(text));
    EXPECT_EQ(c.want, text) << c.text;
  }
}

TEST_F(PreProc, RunFramesTextsAndLogsEachStepInOrder) {
  write("lang",
        "[start stopWords]\nthe\n[stop stopWords]\n[start punctuation]\n,\n!\n[stop "
        "punctuation]\n");
  struct Case {
    bool on;
    std::string text;
    std::string want;
    std::string log;
  };
  const std::string doc = path("d.txt");
  const Case cases[] = {
      {false, "Hello, World 42!", " Hello, World 42! ", "1 log_start_preProc \n"},
      {true, "Hello, World 42! The cat", " hello  world   cat ",
       "1 log_start_preProc \n1 log_punctuation_removed " + doc + "\n1 log_numbers_removed " + doc +
           "\n1 log_lowercase_executed " + doc + "\n1 log_stopWord_removed " + doc + "\n"},
  };
  for (const Case& c : cases) {
    const std::string on = c.on ? "1" : "0";
    TestEnvironment env({{"isToshowLog", "1"},
                         {"removePontuation", on},
                         {"removeNumbers", on},
                         {"lowerCase", on},
                         {"removeStopWords", on},
                         {"languageFileName", path("lang")}});
    TFiles files;
    ASSERT_EQ(0, files.add("d.txt", dir_.string()));
    files.get(0)->setText(c.text);
    TPreProcDoc preProc;
    preProc.configure(*env.env().config);
    EXPECT_EQ(1, preProc.run(files));
    EXPECT_EQ(c.want, files.get(0)->text());
    EXPECT_EQ(c.log, env.entries());
  }
}

TEST_F(PreProc, MissingLanguageFileStillRunsNumbersAndLowerCase) {
  TestEnvironment env({{"removePontuation", "1"},
                       {"removeNumbers", "1"},
                       {"lowerCase", "1"},
                       {"removeStopWords", "1"}});
  TFiles files;
  ASSERT_EQ(0, files.add("d.txt", dir_.string()));
  files.get(0)->setText("The 2 cats, the END");
  TPreProcDoc preProc;
  preProc.configure(*env.env().config);
  EXPECT_EQ(1, preProc.run(files));
  EXPECT_EQ(" the  cats, the end ", files.get(0)->text());
  EXPECT_EQ("", env.entries());
}

namespace {
// The stop-word rule applied literally: search, replace, resume one byte on.
std::string naiveStopWords(std::string text, const std::vector<std::string>& words) {
  for (const std::string& w : words) {
    const std::string pattern = " " + w + " ";
    for (std::size_t k = text.find(pattern); k != std::string::npos;
         k = text.find(pattern, k + 1)) {
      text.replace(k, pattern.size(), " ");
    }
  }
  return text;
}
}  // namespace

TEST_F(PreProc, StopWordsMatchTheLiteralRuleOnRandomTexts) {
  const std::vector<std::string> vocabulary = {"a", "b", "the", "x", "a b", "", "\n"};
  std::uint32_t seed = 12345;
  auto next = [&seed](std::uint32_t n) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % n;
  };
  for (int round = 0; round < 2000; ++round) {
    std::vector<std::string> words;
    for (std::uint32_t i = 0, n = 1 + next(5); i < n; ++i) {
      const std::string& w = vocabulary[next(5)];  // words and the phrase "a b"
      words.push_back(w);
    }
    std::string text;
    for (std::uint32_t i = 0, n = next(30); i < n; ++i) {
      text += vocabulary[next(7)];
      text += next(4) == 0 ? "  " : " ";
    }
    if (text.empty()) continue;
    const TPreProcDoc preProc = stage({}, words);
    std::string fast = text;
    ASSERT_TRUE(preProc.stripStopWords(fast));
    ASSERT_EQ(naiveStopWords(text, words), fast) << "text [" << text << "]";
  }
}

namespace {
// The punctuation rule written out with a second string: each mark in turn,
// every occurrence erased with the blank after it when it stands between two
// blanks (the byte after that blank then kept as it is), else made a blank.
std::string naivePunctuation(std::string text, const std::vector<std::string>& marks) {
  for (const std::string& mark : marks) {
    std::string out;
    std::size_t i = 0;
    for (std::size_t k = text.find(mark); k != std::string::npos; k = text.find(mark, i)) {
      out += text.substr(i, k - i);
      const std::size_t after = k + mark.size();
      if (!out.empty() && out.back() == ' ' && after < text.size() && text[after] == ' ') {
        i = after + 1;
        if (i < text.size()) out += text[i++];
      } else {
        out += ' ';
        i = after;
      }
    }
    out += text.substr(i);
    text = out;
  }
  return text;
}
}  // namespace

// Punctuation is removed in place; marks of one and two bytes, next to each
// other and to blanks, must give what the rule gives.
TEST_F(PreProc, PunctuationMatchesTheRuleOnRandomTexts) {
  const std::vector<std::string> pieces = {"a", "bc", " ", "  ", ",", ".", "--", "-", "!"};
  const std::vector<std::string> marks = {",", "--", ".", "-", "!", "a"};
  std::mt19937 random(99);
  for (int round = 0; round < 2000; ++round) {
    std::vector<std::string> chosen;
    for (std::size_t i = 0, n = 1 + random() % 4; i < n; ++i) {
      chosen.push_back(marks[random() % marks.size()]);
    }
    std::string text = " ";
    for (std::size_t i = 0, n = random() % 25; i < n; ++i) text += pieces[random() % pieces.size()];
    text += ' ';
    TPreProcDoc preProc = stage(chosen, {});
    std::string fast = text;
    ASSERT_TRUE(preProc.stripPunctuation(fast));
    ASSERT_EQ(naivePunctuation(text, preProc.wordLists().punctuation()), fast)
        << "text [" << text << "]";
  }
}

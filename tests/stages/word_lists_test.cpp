#include "stages/word_lists.h"

#include <gtest/gtest.h>

#include "../support.h"

using WordLists = ScratchTest;

namespace {
std::string joined(const std::vector<std::string>& list) {
  std::string text;
  for (const std::string& entry : list) text += "<" + entry + ">";
  return text;
}
}  // namespace

TEST_F(WordLists, SectionsBetweenMarkers) {
  TWordLists lists;
  ASSERT_TRUE(lists.load(write("en.lang",
                               "Word lists for the study\n"
                               "[start stopWords]\n"
                               "the\n"
                               "\n"
                               "and \n"
                               " \n"
                               "[start numbers]\n"
                               "text [stop stopWords] more\n"
                               "outside\n"
                               "  [start punctuation] and more\n"
                               ",\n"
                               "--\n"
                               "[stop punctuation]\n"
                               "[start numbers]\n"
                               "one\n"
                               "[stop numbers]\n")));
  EXPECT_EQ("<the><and >< ><[start numbers]>", joined(lists.stopWords()));
  EXPECT_EQ("<,><-->", joined(lists.punctuation()));
  EXPECT_EQ("<one>", joined(lists.numbers()));
  EXPECT_EQ(4, lists.stopWordCount());
  EXPECT_EQ("the", *lists.stopWordAt(0));
  EXPECT_EQ(nullptr, lists.stopWordAt(-1));
  EXPECT_EQ(nullptr, lists.stopWordAt(4));
  EXPECT_EQ("--", *lists.punctuationAt(1));
  EXPECT_EQ(nullptr, lists.punctuationAt(2));
}

TEST_F(WordLists, RepeatedUnclosedAndCrLfSections) {
  TWordLists lists;
  ASSERT_TRUE(lists.load(write("a.lang",
                               "[start stopWords]\r\nold\r\n[stop stopWords]\r\n"
                               "[start stopWords]\r\nnew\r\n[stop stopWords]\r\n"
                               "[start punctuation]\r\n.\r\n[stop punctuation]\r\n"
                               "[start numbers]\r\n1\r\n2")));
  EXPECT_EQ("<new>", joined(lists.stopWords()));
  EXPECT_EQ("<.>", joined(lists.punctuation()));
  EXPECT_EQ("<1><2>", joined(lists.numbers()));

  TWordLists unclosed;
  ASSERT_TRUE(unclosed.load(write("b.lang",
                                  "[start stopWords]\nthe\n"
                                  "[start punctuation]\n,\n[stop punctuation]\n")));
  EXPECT_EQ("<the><[start punctuation]><,><[stop punctuation]>", joined(unclosed.stopWords()));
  EXPECT_EQ(0, unclosed.punctuationCount());

  TWordLists empty;
  EXPECT_TRUE(empty.load(write("c.lang",
                               "[start stopWords]\n[stop stopWords]\n[start punctuation]\n"
                               "[stop punctuation]\n[start numbers]\n[stop numbers]\n")));
  EXPECT_EQ(0, empty.stopWordCount());
}

TEST_F(WordLists, MissingFileChangesNothing) {
  TWordLists lists;
  ASSERT_TRUE(lists.load(write("a.lang", "[start stopWords]\nthe\n")));
  EXPECT_FALSE(lists.load(""));
  EXPECT_FALSE(lists.load(path("missing.lang")));
  EXPECT_FALSE(lists.load(dir_.string()));
  EXPECT_EQ("<the>", joined(lists.stopWords()));
}

TEST_F(WordLists, StemmerSection) {
  TWordLists lists;
  ASSERT_TRUE(lists.load(write("a.lang",
                               "[start stopWords]\nle\n[start stemmer]\n[stop stopWords]\n"
                               "[start stemmer] of the language\n\nfrench\nother\n[stop stemmer]\n")));
  EXPECT_EQ("french", lists.stemmerLanguage());
  EXPECT_EQ("<le><[start stemmer]>", joined(lists.stopWords()));

  TWordLists none;
  ASSERT_TRUE(none.load(write("b.lang", "[start stopWords]\nthe\n[stop stopWords]\n")));
  EXPECT_EQ("", none.stemmerLanguage());
}

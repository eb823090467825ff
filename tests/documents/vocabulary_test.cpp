#include "documents/vocabulary.h"

#include <gtest/gtest.h>

#include "../support.h"

namespace {
void addTimes(TVocabulary& v, const std::string& chunk, int times) {
  for (int i = 0; i < times; ++i) v.addChunk(chunk);
}
}  // namespace

TEST(Vocabulary, CountsDistinctChunks) {
  TVocabulary v;
  EXPECT_EQ(-1, v.countOf(""));
  v.addChunk("");
  EXPECT_EQ(0, v.size());
  addTimes(v, "a b", 3);
  v.addChunk("A b");
  EXPECT_EQ(3, v.countOf("a b"));
  EXPECT_EQ(1, v.countOf("A b"));
  EXPECT_EQ(0, v.countOf("a  b"));
  EXPECT_EQ(2, v.size());
  v.clear();
  EXPECT_EQ(0, v.size());
  EXPECT_EQ(0, v.countOf("a b"));
  v.addChunk("a b");
  EXPECT_EQ(1, v.countOf("a b"));
}

TEST(VocabularyFile, OrdersByPaddedCountThenChunkDescending) {
  struct Case {
    std::vector<std::pair<std::string, int>> chunks;
    std::string want;
  };
  std::vector<Case> cases = {
      {{}, ""},
      {{{"the cat", 7}}, "7\nthe cat"},
      // Width 1: 3, 12, 1 (a count longer than the width is written in full).
      {{{"x", 3}, {"y", 1}, {"z", 12}}, "3\nx\n12\nz\n1\ny"},
      // Equal counts fall in descending byte order of the chunk.
      {{{"apple", 1}, {"cherry", 1}}, "1\ncherry\n1\napple"},
      // Chunks alike in their first sixteen bytes, one a prefix of another.
      {{{"aaaaaaaaaaaaaaaa", 1}, {"aaaaaaaaaaaaaaaaaab", 1}, {"aaaaaaaaaaaaaaaaaaa", 1}},
       "1\naaaaaaaaaaaaaaaaaab\n1\naaaaaaaaaaaaaaaaaaa\n1\naaaaaaaaaaaaaaaa"},
      // Bytes from 128 up sort above ASCII.
      {{{"\xC3\xA9t\xC3\xA9", 1}, {"zoo", 1}}, "1\n\xC3\xA9t\xC3\xA9\n1\nzoo"},
  };
  for (const Case& c : cases) {
    TVocabulary v;
    for (const auto& [chunk, count] : c.chunks) addTimes(v, chunk, count);
    EXPECT_EQ(c.want, v.fileText());
  }
}

TEST(VocabularyFile, TwelveChunksPadToTwoDigits) {
  TVocabulary v;
  // Counts 1..9, 10, 11 and 100 on chunks c01 .. c12.
  const int counts[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 100};
  for (int i = 0; i < 12; ++i) {
    addTimes(v, "c" + std::to_string(i + 1), counts[i]);
  }
  EXPECT_EQ(
      "11\nc11\n100\nc12\n10\nc10\n09\nc9\n08\nc8\n07\nc7\n06\nc6\n05\nc5\n04\nc4\n03\nc3\n02\nc2\n"
      "01\nc1",
      v.fileText());
}

TEST(VocabularyFile, TwentyFiveSharedChunksAllWrittenAs01) {
  TVocabulary v;
  for (char c = 'a'; c < 'a' + 25; ++c) v.addChunk(std::string(1, c) + " x");
  const std::string text = v.fileText();
  EXPECT_EQ(0u, text.find("01\ny x\n01\nx x\n"));
  EXPECT_EQ(text.size() - 6, text.rfind("01\na x"));
}

using VocabularySave = ScratchTest;

TEST_F(VocabularySave, WritesReplacesAndFailsWithoutADirectory) {
  TVocabulary v;
  const std::string file = write("v.voc", "old content that is longer");
  EXPECT_EQ(0, v.saveToFile(file));
  EXPECT_EQ("", read(file));
  v.addChunk("a");
  v.addChunk("a");
  EXPECT_EQ(1, v.saveToFile(file));
  EXPECT_EQ("2\na", read(file));
  EXPECT_EQ(-1, v.saveToFile(path("missing/v.voc")));
  EXPECT_EQ(-1, v.saveToFile(""));
  EXPECT_EQ(1, v.size());
}

#include "documents/vocabulary.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "../support.h"
#include "documents/chunk_counter.h"

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

TEST(Vocabulary, CountingInPartsEqualsCountingAtOnce) {
  TChunkDictionary dictionary;
  for (int i = 0; i < 300; ++i) dictionary.intern("c" + std::to_string(i));
  std::mt19937 random(5);
  std::vector<std::uint32_t> ids(2000);
  for (auto& id : ids) id = random() % 300;
  TChunkCounter counter;
  // Parts of every size, a part of none among them; the same counter then
  // serves the next vocabulary.
  for (const std::size_t part : {std::size_t{1}, std::size_t{7}, std::size_t{2000}}) {
    TVocabulary atOnce(dictionary);
    atOnce.addChunkIds(ids, counter);
    TVocabulary inParts(dictionary);
    inParts.beginCounting(counter, dictionary.size());
    inParts.countIds(ids.data(), 0, counter, dictionary.size());
    for (std::size_t from = 0; from < ids.size(); from += part) {
      inParts.countIds(ids.data() + from, std::min(part, ids.size() - from), counter,
                       dictionary.size());
    }
    inParts.endCounting(counter);
    const auto entries = [](const TVocabulary& v) {
      std::vector<std::pair<std::uint32_t, std::int32_t>> all;
      v.forEachId([&](std::uint32_t id, std::int32_t count) { all.emplace_back(id, count); });
      return all;
    };
    EXPECT_EQ(entries(atOnce), entries(inParts)) << part;
    EXPECT_EQ(atOnce.fileText(), inParts.fileText()) << part;
  }
}

TEST(Vocabulary, RemovesMarkedIdsKeepingTheRestInOrder) {
  struct Case {
    std::vector<std::string> removed;
    std::string want;  // the remaining entries as chunk:count, in order
  };
  const Case cases[] = {
      {{}, "a:2 b:1 c:3 d:1 "},
      {{"b", "d"}, "a:2 c:3 "},
      {{"a", "b", "c", "d"}, ""},
      {{"x"}, "a:2 b:1 c:3 d:1 "},  // in the dictionary, not in the vocabulary
  };
  for (const Case& c : cases) {
    TVocabulary v;
    for (const char* chunk : {"a", "b", "a", "c", "c", "c", "d"}) v.addChunk(chunk);
    TChunkDictionary& dictionary = v.dictionary();
    std::vector<bool> marks;
    for (const std::string& chunk : c.removed) {
      const std::uint32_t id = dictionary.intern(chunk);
      if (id >= marks.size()) marks.resize(id + 1);
      marks[id] = true;
    }
    const std::int32_t before = v.size();
    const std::int32_t removed = v.removeChunkIds(marks);
    std::string left;
    v.forEachEntry([&](std::string_view chunk, std::int32_t count) {
      left += std::string(chunk) + ":" + std::to_string(count) + " ";
    });
    EXPECT_EQ(c.want, left);
    EXPECT_EQ(before - v.size(), removed);
    // Lookups see the removal.
    for (const auto& [chunk, count] : std::map<std::string, int>{{"a", 2}, {"b", 1}, {"c", 3}}) {
      const bool gone = std::find(c.removed.begin(), c.removed.end(), chunk) != c.removed.end();
      EXPECT_EQ(gone ? 0 : count, v.countOf(chunk)) << chunk;
    }
  }
  // The compact form of shared chunks, each counted once.
  TVocabulary shared;
  for (const char* chunk : {"p", "q", "r"}) shared.addChunk(chunk);
  shared.assignShared({0, 1, 2});
  std::vector<bool> marks(2);
  marks[1] = true;
  EXPECT_EQ(1, shared.removeChunkIds(marks));
  EXPECT_EQ("1\nr\n1\np", shared.fileText());
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
      // Counts too large to be looked up in a table are ranked all the same.
      {{{"x", 3}, {"y", 70001}, {"z", 100000}}, "70001\ny\n3\nx\n100000\nz"},
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

// Large vocabularies are sorted in buckets by their first bytes; the file must
// still be the entries' texts in plain descending byte order. Chunks here share
// long prefixes, hold NUL and high bytes, and counts reach past the padding.
TEST(VocabularyFile, LargeRandomVocabulariesMatchADirectSort) {
  std::mt19937 random(7);
  const std::string alphabet("ab\0\xFF z", 6);
  for (const std::size_t distinct : {std::size_t{9}, std::size_t{20000}}) {
    TVocabulary v;
    std::map<std::string, int> counts;
    while (counts.size() < distinct) {
      std::string chunk(random() % 3 == 0 ? "aaaaaaaaaaaaaaaa" : "");
      const std::size_t length = 1 + random() % 20;
      for (std::size_t i = 0; i < length; ++i) chunk += alphabet[random() % alphabet.size()];
      const int times = random() % 4 == 0 ? 1 + static_cast<int>(random() % 120) : 1;
      addTimes(v, chunk, times);
      counts[chunk] += times;
    }
    const std::size_t width = std::to_string(counts.size()).size();
    std::vector<std::string> entries;
    for (const auto& [chunk, count] : counts) {
      std::string number = std::to_string(count);
      if (number.size() < width) number.insert(0, width - number.size(), '0');
      entries.push_back(number + "\n" + chunk);
    }
    std::sort(entries.begin(), entries.end(), std::greater<>());
    std::string want;
    for (const std::string& entry : entries) want += (want.empty() ? "" : "\n") + entry;
    EXPECT_EQ(want, v.fileText()) << distinct << " chunks";
  }
}

using VocabularySave = ScratchTest;

TEST_F(VocabularySave, WritesReplacesAndFailsWithoutADirectory) {
  TVocabulary v;
  TVocabularyScratch scratch;
  const std::string file = write("v.voc", "old content that is longer");
  EXPECT_EQ(0, v.saveToFile(file, scratch));
  EXPECT_EQ("", read(file));
  v.addChunk("a");
  v.addChunk("a");
  EXPECT_EQ(1, v.saveToFile(file, scratch));
  EXPECT_EQ("2\na", read(file));
  EXPECT_EQ(-1, v.saveToFile(path("missing/v.voc"), scratch));
  EXPECT_EQ(-1, v.saveToFile("", scratch));
  EXPECT_EQ(1, v.size());
}

// Written a block at a time, the file is the whole file's bytes: with no
// entry, across many blocks, and with a chunk longer than a block.
TEST_F(VocabularySave, WritesInBlocksTheBytesOfTheWholeFile) {
  TVocabulary empty;
  TVocabulary many;
  for (int i = 0; i < 40000; ++i) addTimes(many, "chunk " + std::to_string(i * 7919), 1 + i % 3);
  TVocabulary longOne;
  addTimes(longOne, "b", 2);
  longOne.addChunk(std::string(300000, 'a') + " z");
  longOne.addChunk("c c c c c c c c c c");
  TVocabularyScratch scratch;
  for (const TVocabulary* v : {&empty, &many, &longOne, &many}) {
    const std::string file = path("blocks.voc");
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(v->writeFileText(fd, scratch));
    ::close(fd);
    EXPECT_EQ(v->fileText(), read(file)) << v->size() << " entries";
  }
  EXPECT_GT(many.fileText().size(), std::size_t{1} << 19);
  EXPECT_FALSE(many.writeFileText(-1, scratch));
}

#include "stages/extract.h"

#include <gtest/gtest.h>

#include <map>

#include "../support.h"
#include "documents/files.h"

namespace {
// "chunk=count;" for every chunk, sorted.
std::string chunksOf(const TDoc& doc) {
  std::vector<std::string> items;
  doc.vocabulary()->forEachEntry([&](std::string_view chunk, std::int32_t count) {
    items.push_back(std::string(chunk) + "=" + std::to_string(count));
  });
  std::sort(items.begin(), items.end());
  std::string text;
  for (const auto& item : items) text += item + ";";
  return text;
}
}  // namespace

TEST(ExtractDocument, SlidingWindowOfWords) {
  struct Case {
    std::int32_t grams;
    std::string text;
    std::string want;
    std::int32_t result;
  };
  const Case cases[] = {
      {3, " the cat sat on the mat ",
       "cat sat on=1;on the mat=1;sat on the=1;the cat sat=1;", 4},
      {1, " the cat sat on the mat ", "cat=1;mat=1;on=1;sat=1;the=2;", 5},
      {3, "  two\twords\n", "two words=1;", 1},
      {3, " \n\t \v\f\r ", "", 0},
      {2, "a\t\tb \n\n c\r\nd", "a b=1;b c=1;c d=1;", 3},
      {2, "x\xC3\xA9 y\xA0z", "x\xC3\xA9 y\xA0z=1;", 1},
      {2, "a b a b a", "a b=2;b a=2;", 2},
      {0, "a b", "", 0},
  };
  for (const Case& c : cases) {
    TExtractGrams extract;
    extract.setGramsSize(c.grams);
    TDoc doc("d.txt", "dir");
    doc.setText(c.text);
    EXPECT_EQ(c.result, extract.extractDocument(&doc)) << c.text;
    EXPECT_EQ(c.want, chunksOf(doc)) << c.text;
  }
  TExtractGrams extract;
  TDoc empty("d.txt", "dir");
  EXPECT_EQ(-1, extract.extractDocument(&empty));
  EXPECT_EQ(-1, extract.extractDocument(nullptr));
}

using Extract = ScratchTest;

TEST_F(Extract, RunDropsDocumentsWithoutText) {
  TestEnvironment env({{"isToshowWarning", "1"}, {"isToshowLog", "1"}});
  TFiles files;
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) {
    write(name, "x");
    ASSERT_EQ(0, files.add(name, dir_.string()));
  }
  files.get(0)->setText("one two three");
  files.get(3)->setText("four five six");
  TExtractGrams extract;
  extract.configure(*env.env().config);
  EXPECT_EQ(2, extract.run(files));
  EXPECT_EQ("a.txt", files.get(0)->fileName());
  EXPECT_EQ("d.txt", files.get(1)->fileName());
  EXPECT_EQ(1, files.get(1)->chunkCount());
  EXPECT_EQ("3 warning_chunks_not_extracted " + path("b.txt") + "\n" +
                "3 file_removed_from_process " + path("b.txt") + "\n" +
                "3 warning_chunks_not_extracted " + path("c.txt") + "\n" +
                "3 file_removed_from_process " + path("c.txt") + "\n",
            env.entries());
}

TEST_F(Extract, RunFailsWhenAFileHasGone) {
  TestEnvironment env({});
  TFiles files;
  EXPECT_EQ(0, TExtractGrams().run(files));
  ASSERT_EQ(0, files.add("gone.txt", dir_.string()));
  files.get(0)->setText("a b c");
  EXPECT_EQ(-1, TExtractGrams().run(files));
  EXPECT_EQ(0, files.get(0)->chunkCount());
}

TEST(ExtractDocument, LongTextsMatchAPlainSplitAndJoin) {
  std::uint32_t seed = 99;
  auto next = [&seed](std::uint32_t n) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % n;
  };
  const char* separators[] = {" ", " ", " ", "  ", "\n", "\t", " \r\n "};
  for (std::int32_t grams = 1; grams <= 5; ++grams) {
    std::string text;
    std::vector<std::string> words;
    for (int i = 0; i < 400; ++i) {
      words.push_back(std::string(1 + next(3), static_cast<char>('a' + next(4))));
      text += words.back();
      text += separators[next(7)];
    }
    std::map<std::string, std::int32_t> want;
    for (std::size_t i = 0; i + static_cast<std::size_t>(grams) <= words.size(); ++i) {
      std::string chunk = words[i];
      for (std::int32_t w = 1; w < grams; ++w) chunk += " " + words[i + static_cast<std::size_t>(w)];
      ++want[chunk];
    }
    TExtractGrams extract;
    extract.setGramsSize(grams);
    TDoc doc("d.txt", "dir");
    doc.setText(text);
    EXPECT_EQ(static_cast<std::int32_t>(want.size()), extract.extractDocument(&doc));
    std::map<std::string, std::int32_t> got;
    doc.vocabulary()->forEachEntry(
        [&](std::string_view chunk, std::int32_t count) { got[std::string(chunk)] = count; });
    EXPECT_EQ(want, got) << "grams " << grams;
  }
}

#include "base/string_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(StringTable, AnyBytesGetIdsInFirstSeenOrder) {
  TStringTable table(4);
  const std::string withNul("a\0b", 3);
  EXPECT_EQ(0u, table.intern("x"));
  EXPECT_EQ(1u, table.intern(""));
  EXPECT_EQ(2u, table.intern(withNul));
  EXPECT_EQ(3u, table.intern("a"));  // a prefix of the text with a NUL is another text
  EXPECT_EQ(2u, table.intern(withNul));
  EXPECT_EQ(1u, table.find(""));
  EXPECT_EQ(withNul, table.text(2));
  EXPECT_EQ(TStringTable::kNone, table.find(std::string("a\0c", 3)));
  EXPECT_EQ(4u, table.size());
}

// Far past the first table and block sizes, every text keeps its id and its
// bytes, also when handed in through a batch.
TEST(StringTable, GrowsAndKeepsEveryText) {
  TStringTable table(4);
  std::vector<std::string> texts;
  for (int i = 0; i < 100000; ++i) texts.push_back(std::string(i % 40, 'k') + std::to_string(i));
  for (std::size_t i = 0; i < texts.size(); i += 2) ASSERT_EQ(i / 2, table.intern(texts[i]));

  std::vector<std::uint32_t> ids;
  {
    TStringTable::Batch batch(table, ids);
    for (std::size_t i = 0; i < texts.size(); ++i) {
      if (i % 3 == 0) {
        batch.buildBuffer() = texts[i];
        batch.addBuilt();
      } else {
        batch.add(texts[i]);
      }
    }
    batch.flush();
  }
  ASSERT_EQ(texts.size(), ids.size());
  std::uint32_t next = static_cast<std::uint32_t>((texts.size() + 1) / 2);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(i % 2 == 0 ? i / 2 : next++, ids[i]) << i;
    EXPECT_EQ(texts[i], table.text(ids[i]));
  }
  std::vector<std::string_view> visited;
  table.visitTexts(ids.data(), ids.size(),
                   [&](std::size_t i, std::string_view text) {
                     EXPECT_EQ(visited.size(), i);
                     visited.push_back(text);
                   });
  EXPECT_EQ(std::vector<std::string_view>(texts.begin(), texts.end()), visited);
}

// An index sized step by step for what each step could add fills to three
// quarters between its growths; every text is still found, and ids stay
// those of first sight, also when the index was dropped and is built again.
TEST(StringTable, IndexSizedStepByStepFindsEveryText) {
  TStringTable table(4);
  std::vector<std::string> texts;
  for (const std::size_t step : {1u, 700u, 3000u, 8587u, 12288u}) {
    table.reserveLookups(table.size() + step);
    for (std::size_t k = 0; k < step; ++k) {
      texts.push_back("t" + std::to_string(texts.size()));
      ASSERT_EQ(texts.size() - 1, table.intern(texts.back()));
      ASSERT_EQ(texts.size() / 2, table.intern(texts[texts.size() / 2]));
    }
  }
  for (std::size_t i = 0; i < texts.size(); ++i) ASSERT_EQ(i, table.find(texts[i])) << i;
  EXPECT_EQ(TStringTable::kNone, table.find("t-1"));
  table.dropIndex();
  table.reserveLookups(table.size() + 5);
  EXPECT_EQ(texts.size(), table.intern("new"));
  EXPECT_EQ(7u, table.intern("t7"));
}

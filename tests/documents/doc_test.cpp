#include "documents/doc.h"

#include <gtest/gtest.h>

#include "../support.h"

using Doc = ScratchTest;

TEST_F(Doc, LoadTextKeepsALineBreakAfterEveryLine) {
  using namespace std::string_literals;
  struct Case {
    std::string bytes;
    std::string want;
  };
  const Case cases[] = {
      {"a\nb\n", "a\nb\n\n"},     {"a\nb", "a\nb\n"},         {"\n", "\n\n"},
      {"a\r\nb\r\n", "a\nb\n\n"}, {"a\rb", "a\rb\n"},         {"x\0y"s, "x\0y\n"s},
  };
  for (const Case& c : cases) {
    write("d.txt", c.bytes);
    TDoc doc("d.txt", dir_.string());
    ASSERT_TRUE(doc.loadText()) << c.bytes;
    EXPECT_EQ(c.want, doc.text());
  }
}

TEST_F(Doc, UnreadableAndEmptyFilesWarn) {
  TestEnvironment env({{"isToshowWarning", "1"}});
  write("empty.txt", "");
  std::filesystem::create_directory(dir_ / "folder.txt");
  TDoc missing("missing.txt", dir_.string());
  TDoc empty("empty.txt", dir_.string());
  TDoc folder("folder.txt", dir_.string());
  EXPECT_FALSE(missing.loadText());
  EXPECT_FALSE(empty.loadText());
  EXPECT_FALSE(folder.loadText());
  EXPECT_EQ("3 warning_file_not_found " + path("missing.txt") + "\n" +
                "3 warning_empty_File " + path("empty.txt") + "\n" +
                "3 warning_file_not_found " + path("folder.txt") + "\n",
            env.entries());
  EXPECT_TRUE(folder.exists());
  EXPECT_FALSE(missing.exists());
}

TEST(DocNames, PathStemAndSetters) {
  TDoc doc("essay.final.txt", "C:/data");
  EXPECT_EQ("C:/data/essay.final.txt", doc.fullPath());
  EXPECT_EQ("essay.final", doc.stem());
  doc.setText("text");
  doc.setText("");
  doc.setFileName("");
  EXPECT_EQ("text", doc.text());
  EXPECT_EQ("essay.final.txt", doc.fileName());
  EXPECT_EQ("README", TDoc("README", "d").stem());
  EXPECT_FALSE(TDoc("", "d").loadText());
}

TEST_F(Doc, SaveVocabularyUsesTheStem) {
  TestEnvironment env({});
  TDoc doc("essay.final.txt", dir_.string());
  doc.addChunk("a b c");
  EXPECT_TRUE(doc.saveVocabulary(dir_.string()));
  EXPECT_EQ("1\na b c", read(path("essay.final.voc")));
  TDoc readme("README", dir_.string());
  EXPECT_TRUE(readme.saveVocabulary(dir_.string()));
  EXPECT_TRUE(std::filesystem::exists(path("README.voc")));
  EXPECT_FALSE(doc.saveVocabulary(""));
  EXPECT_FALSE(doc.saveVocabulary(path("missing")));
}

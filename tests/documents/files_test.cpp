#include "documents/files.h"

#include <gtest/gtest.h>

#include "../support.h"

namespace {
TParamFile listOf(std::initializer_list<std::pair<std::string, std::string>> settings) {
  TParamFile map;
  for (const auto& [key, value] : settings) map.set(key, value);
  return map;
}

std::string names(const TFiles& files) {
  std::string text;
  for (std::int32_t i = 0; i < files.count(); ++i) {
    text += files.get(i)->directory() + "|" + files.get(i)->fileName() + ";";
  }
  return text;
}
}  // namespace

TEST(FilesFromConfig, ListRulesAndSeparators) {
  TestEnvironment env({{"isToshowWarning", "1"}});
  TFiles files;
  EXPECT_EQ(3, files.addFromConfig(listOf({{"file1", "C:\\texts\\a.txt"},
                                           {"file2", "./in/b.txt"},
                                           {"file3", "x/y\\z.txt"},
                                           {"file4", "a.txt"},
                                           {"file5", "C:\\texts\\"},
                                           {"file6", "/a.txt"},
                                           {"file8", "after/gap.txt"}})));
  EXPECT_EQ("C:\\texts|a.txt;./in|b.txt;x/y|z.txt;", names(files));
  EXPECT_EQ(
      "3 warning_file_not_added a.txt\n"
      "3 warning_file_not_added C:\\texts\\\n"
      "3 warning_file_not_added /a.txt\n",
      env.entries());
}

TEST(FilesFromConfig, EmptyMapAndMissingList) {
  TFiles files;
  EXPECT_EQ(-1, files.addFromConfig(TParamFile()));
  EXPECT_EQ(0, files.addFromConfig(listOf({{"file2", "d/b.txt"}})));
  EXPECT_EQ(-1, files.add("", "d"));
  EXPECT_EQ(nullptr, files.get(-1));
  EXPECT_EQ(nullptr, files.get(0));
  EXPECT_FALSE(files.remove(0));
  EXPECT_TRUE(files.allExist());
}

using FilesLoad = ScratchTest;

TEST_F(FilesLoad, UnreadableDocumentsLeaveInOrder) {
  TestEnvironment env({{"isToshowWarning", "1"}, {"isToshowLog", "1"}});
  write("b.txt", "bee");
  write("d.txt", "dee");
  TFiles files;
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}) {
    ASSERT_EQ(0, files.add(name, dir_.string()));
  }
  EXPECT_EQ(2, files.loadTexts());
  EXPECT_EQ(dir_.string() + "|b.txt;" + dir_.string() + "|d.txt;", names(files));
  const std::string log = env.entries();
  EXPECT_NE(std::string::npos, log.find("3 warning_file_not_found " + path("a.txt") + "\n" +
                                        "1 log_file_removed_from_process " + path("a.txt") + "\n"));
  EXPECT_NE(std::string::npos, log.find("1 log_files_loaded  ["));
  EXPECT_TRUE(files.allExist());
}

TEST_F(FilesLoad, NothingLoadedWarns) {
  TestEnvironment env({{"isToshowWarning", "1"}});
  TFiles files;
  EXPECT_EQ(0, files.loadTexts());
  ASSERT_EQ(0, files.add("gone.txt", dir_.string()));
  EXPECT_FALSE(files.allExist());
  EXPECT_EQ(0, files.loadTexts());
  EXPECT_EQ(0, files.count());
  EXPECT_EQ(
      "3 error_files_not_loaded \n"
      "3 warning_file_not_found " + path("gone.txt") + "\n" +
      "3 error_files_not_loaded \n",
      env.entries());
}

TEST_F(FilesLoad, SaveVocabulariesWarnsPerFailure) {
  TFiles files;
  ASSERT_EQ(0, files.add("a.txt", dir_.string()));
  ASSERT_EQ(0, files.add("b.txt", dir_.string()));
  {
    TestEnvironment env({{"isToshowWarning", "1"}, {"dirVocabularies", path("missing")}});
    EXPECT_EQ(0, files.saveVocabularies());
    EXPECT_EQ("3 warning_vocabulary_not_saved " + path("a.txt") + "\n" +
                  "3 warning_vocabulary_not_saved " + path("b.txt") + "\n",
              env.entries());
  }
  {
    TestEnvironment env({{"dirVocabularies", dir_.string()}});
    EXPECT_EQ(2, files.saveVocabularies());
    EXPECT_TRUE(std::filesystem::exists(path("a.voc")));
  }
  TestEnvironment env({});
  EXPECT_EQ(-1, files.saveVocabularies());
}

TEST_F(FilesLoad, ArchiveDocumentsFollowTheStudysOwnMarked) {
  TestEnvironment env({{"isToshowWarning", "1"}});
  for (const char* name : {"own/a.txt", "own/b.txt", "old/x.txt", "old/y.md", "old/sub/z.txt"}) {
    write(name, "text");
  }
  TFiles files;
  EXPECT_EQ(5, files.addFromConfig(listOf({{"archiveFile1", path("old/y.md")},
                                           {"file1", path("own/b.txt")},
                                           {"dirArchive", path("old")},
                                           {"documentPattern", "*.txt"},
                                           {"documentsRecursive", "1"},
                                           {"dirDocuments", path("own")}})));
  std::string listed;
  for (std::int32_t i = 0; i < files.count(); ++i) {
    listed += files.get(i)->fileName() + (files.get(i)->archive() ? "(archive) " : " ");
  }
  // own/b.txt is listed, so the folder adds only a.txt; the archive folder
  // adds its .txt files in path order.
  EXPECT_EQ("b.txt a.txt y.md(archive) z.txt(archive) x.txt(archive) ", listed);
  EXPECT_EQ("3 warning_document_repeated " + path("own/b.txt") + "\n", env.entries());
}

TEST_F(FilesLoad, ReadableTextsOnlyWarn) {
  TestEnvironment env({{"isToshowWarning", "1"}, {"isToshowLog", "1"}});
  write("t.txt", "given text");
  TFiles files;
  ASSERT_EQ(0, files.add("gone.txt", dir_.string()));
  ASSERT_EQ(0, files.add("t.txt", dir_.string()));
  EXPECT_EQ(1, files.loadReadableTexts());
  EXPECT_EQ("t.txt", files.get(0)->fileName());
  EXPECT_EQ("3 warning_file_not_found " + path("gone.txt") + "\n", env.entries());
}

#include "base/folder_listing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "../support.h"

namespace fs = std::filesystem;

class FolderListing : public ScratchTest {
 protected:
  // A folder with a bit of everything a listing must sort out.
  void SetUp() override {
    ScratchTest::SetUp();
    for (const char* name : {"a.txt", "b.TXT", "c.md", "Z.txt", "\xC3\xA9.txt", ".hidden.txt",
                             ".dots/x.txt", "sub/d.txt", "sub/deeper/e.txt", "sub/.f.txt"}) {
      write(name, "text");
    }
    fs::create_directory_symlink(dir_ / "sub", dir_ / "link_to_dir");
    fs::create_symlink(dir_ / "a.txt", dir_ / "link_to_file.txt");
    fs::create_symlink(dir_ / "missing.txt", dir_ / "broken.txt");
    ASSERT_EQ(0, ::mkfifo(path("fifo.txt").c_str(), 0600));
  }

  std::vector<std::string> paths(std::initializer_list<const char*> names) const {
    std::vector<std::string> result;
    for (const char* name : names) result.push_back(path(name));
    return result;
  }
};

TEST_F(FolderListing, TakesMatchingFilesInByteOrder) {
  struct Case {
    const char* pattern;
    bool recursive;
    std::vector<std::string> want;
  };
  const Case cases[] = {
      {"*", false, paths({"Z.txt", "a.txt", "b.TXT", "c.md", "link_to_file.txt", "\xC3\xA9.txt"})},
      {"", false, paths({"Z.txt", "a.txt", "b.TXT", "c.md", "link_to_file.txt", "\xC3\xA9.txt"})},
      {"*.txt", true,
       paths({"Z.txt", "a.txt", "link_to_file.txt", "sub/d.txt", "sub/deeper/e.txt",
              "\xC3\xA9.txt"})},
      {"[ab].*", false, paths({"a.txt", "b.TXT"})},
      {"?.md", true, paths({"c.md"})},
      {"*.none", true, {}},
  };
  for (const Case& c : cases) {
    const TFolderListing listing = listFolder(dir_.string(), c.pattern, c.recursive);
    EXPECT_EQ(c.want, listing.files) << c.pattern;
    EXPECT_TRUE(listing.unreadable.empty()) << c.pattern;
  }
}

TEST_F(FolderListing, TrailingSeparatorsOfTheFolderAreDropped) {
  EXPECT_EQ(paths({"sub/d.txt"}), listFolder(path("sub") + "//", "*", false).files);
}

TEST_F(FolderListing, FoldersThatCannotBeReadAreNamed) {
  for (const std::string& folder : {path("missing"), path("a.txt"), std::string()}) {
    const TFolderListing listing = listFolder(folder, "*", true);
    EXPECT_TRUE(listing.files.empty()) << folder;
    EXPECT_EQ(std::vector<std::string>{folder}, listing.unreadable);
  }
}

TEST_F(FolderListing, AnUnreadableSubfolderLeavesTheRest) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  ASSERT_EQ(0, ::chmod(path("sub/deeper").c_str(), 0));
  const TFolderListing listing = listFolder(path("sub"), "*", true);
  ::chmod(path("sub/deeper").c_str(), 0700);
  EXPECT_EQ(paths({"sub/d.txt"}), listing.files);
  EXPECT_EQ(paths({"sub/deeper"}), listing.unreadable);
}

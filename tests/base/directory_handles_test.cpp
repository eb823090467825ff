#include "base/directory_handles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../support.h"
#include "base/text_file.h"

using DirectoryHandlesTest = ScratchTest;

TEST_F(DirectoryHandlesTest, OpensEachDirectoryOnceAndRetriesOneThatWasMissing) {
  TDirectoryHandles handles;
  const std::string out = path("out");
  EXPECT_EQ(handles.handleOf(out), -1);
  std::filesystem::create_directories(out);
  const int handle = handles.handleOf(out);
  ASSERT_GE(handle, 0);
  EXPECT_EQ(handles.handleOf(out), handle);
  EXPECT_EQ(handles.handleOf(""), -1);
  EXPECT_EQ(handles.handleOf(std::string("out\0x", 5)), -1);
}

// With handles, files are created relative to their directory's handle. A
// directory removed and made again under the same name must still receive
// the files written to it afterwards, and a failed write must remove what it
// created, whichever way the file was opened.
TEST_F(DirectoryHandlesTest, WritesFollowTheDirectoryAsItStandsNow) {
  TDirectoryHandles handles;
  const std::string out = path("out");
  std::filesystem::create_directories(out);
  ASSERT_TRUE(writeWholeFile(&handles, joinPath(out, "a.voc"), "first"));
  EXPECT_EQ(read(joinPath(out, "a.voc")), "first");

  std::filesystem::remove_all(out);
  std::filesystem::create_directories(out);
  ASSERT_TRUE(writeWholeFile(&handles, joinPath(out, "b.voc"), "second"));
  EXPECT_EQ(read(joinPath(out, "b.voc")), "second");

  EXPECT_FALSE(writeWholeFile(&handles, joinPath(path("missing"), "c.voc"), "x"));
  EXPECT_FALSE(std::filesystem::exists(joinPath(path("missing"), "c.voc")));
  // A name that is a directory can't be written, and is left alone.
  std::filesystem::create_directories(joinPath(out, "d.voc"));
  EXPECT_FALSE(writeWholeFile(&handles, joinPath(out, "d.voc"), "x"));
  EXPECT_TRUE(std::filesystem::is_directory(joinPath(out, "d.voc")));
}

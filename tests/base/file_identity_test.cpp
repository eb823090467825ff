#include "base/file_identity.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../support.h"
#include "base/text_file.h"

using FileIdentityTest = ScratchTest;

// Only names that are one of the identities, under any name, are listed; a
// folder that cannot be read says so.
TEST_F(FileIdentityTest, ListsTheNamesWhereAnIdentityStands) {
  const std::string out = path("out");
  std::filesystem::create_directories(out);
  ASSERT_TRUE(writeWholeFile(nullptr, path("input.txt"), "words"));
  ASSERT_TRUE(writeWholeFile(nullptr, joinPath(out, "other.voc"), "words"));
  std::filesystem::create_hard_link(path("input.txt"), joinPath(out, "a.voc"));
  std::filesystem::create_symlink("../input.txt", joinPath(out, "b.voc"));

  TFileIdentities inputs;
  inputs.addPath(path("input.txt"));
  std::vector<std::string> names{"stale"};
  ASSERT_TRUE(namesWithIdentities(out, inputs, names));
  EXPECT_EQ(std::vector<std::string>{"a.voc"}, names);

  EXPECT_FALSE(namesWithIdentities(path("missing"), inputs, names));
  EXPECT_TRUE(names.empty());
  EXPECT_FALSE(namesWithIdentities(std::string("out\0x", 5), inputs, names));
}

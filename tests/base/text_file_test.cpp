#include "base/text_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "../support.h"

using TextFile = ScratchTest;

TEST_F(TextFile, ReadsLikeTextModeAndOnlyRegularFiles) {
  struct Case {
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"a\r\nb\r\n", "a\nb\n"},   // CR LF becomes "\n"
      {"a\rb\r", "a\rb\r"},       // a lone CR stays
      {"a\r\r\nb", "a\r\nb"},     // only the CR right before LF goes
      {std::string("x\0y", 3), std::string("x\0y", 3)},
      {"", ""},
  };
  for (const Case& c : cases) {
    std::string text = "old";
    ASSERT_TRUE(readTextFile(write("t.txt", c.bytes), text));
    EXPECT_EQ(c.text, text);
  }

  std::string text = "kept";
  ASSERT_EQ(0, ::mkfifo(path("fifo").c_str(), 0600));
  EXPECT_FALSE(readTextFile(path("fifo"), text));  // must not wait for a writer
  EXPECT_FALSE(readTextFile(dir_.string(), text));
  EXPECT_FALSE(readTextFile(path("missing"), text));
  EXPECT_FALSE(readTextFile("", text));
  EXPECT_FALSE(readTextFile(path("t.txt") + std::string("\0x", 2), text));
  EXPECT_EQ("kept", text);
  EXPECT_FALSE(pathExists(path("t.txt") + std::string("\0x", 2)));
  EXPECT_TRUE(pathExists(path("fifo")));
}

TEST_F(TextFile, AFailedWriteLeavesNoFile) {
  const std::string file = path("out.voc");
  ASSERT_TRUE(writeWholeFile(nullptr, file, "first, longer"));
  ASSERT_TRUE(writeWholeFile(nullptr, file, "second"));
  EXPECT_EQ("second", read(file));
  EXPECT_FALSE(writeWholeFile(nullptr, "", "x"));
  EXPECT_FALSE(writeWholeFile(nullptr, path("no/dir/out.voc"), "x"));
  EXPECT_FALSE(writeWholeFile(nullptr, file + std::string("\0x", 2), "x"));

  // A write cut short (as on a full disk) removes what it had written.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 4;
  ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &small));
  const bool written = writeWholeFile(nullptr, path("big.voc"), "more than four bytes");
  // Over a file already there, the old file stays whole.
  const bool replaced = writeWholeFile(nullptr, file, "more than four bytes");
  ::setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(written);
  EXPECT_FALSE(std::filesystem::exists(path("big.voc")));
  EXPECT_FALSE(replaced);
  EXPECT_EQ("second", read(file));
}

#include "base/progress_line.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <string>

namespace {

using namespace std::chrono_literals;

// A pseudo-terminal in raw mode, so that the bytes written to its terminal
// side come out of the other side unchanged, and a clock the test sets.
class ProgressLineOnATerminal : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, ::openpty(&master_, &terminal_, nullptr, nullptr, nullptr));
    termios mode{};
    ASSERT_EQ(0, ::tcgetattr(terminal_, &mode));
    ::cfmakeraw(&mode);
    ASSERT_EQ(0, ::tcsetattr(terminal_, TCSANOW, &mode));
  }
  void TearDown() override {
    ::close(terminal_);
    ::close(master_);
  }

  TProgressLine::TClock clock() {
    return [this] { return std::chrono::steady_clock::time_point(now_); };
  }

  // The bytes that reached the terminal, waiting for want bytes at most.
  std::string shown(std::size_t want) const {
    std::string bytes;
    char buffer[4096];
    pollfd ready{master_, POLLIN, 0};
    while (bytes.size() < want && ::poll(&ready, 1, 5000) == 1) {
      const ssize_t got = ::read(master_, buffer, sizeof buffer);
      if (got <= 0) break;
      bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
  }

  int master_ = -1;
  int terminal_ = -1;
  std::chrono::steady_clock::duration now_{};
};

}  // namespace

TEST_F(ProgressLineOnATerminal, RewritesOneLinePerStepInPlace) {
  {
    TProgressLine line(terminal_, true, clock());
    line.update("documents loaded", 0, 4);
    now_ += 50ms;
    line.update("documents loaded", 1, 4);  // too soon after the last
    now_ += 2s;
    line.update("documents loaded", 2, 4);
    now_ += 10ms;
    line.update("documents loaded", 4, 4);  // the last always shows
    line.update("pairs compared", 0, 0);
    now_ += 10ms;
    line.update("pairs compared", 1, 0);  // too soon, though no total is known
    now_ += 1s;
    line.update("pairs compared", 3, 0);
  }  // ends the line
  const std::string want =
      "\rdocuments loaded: 0 of 4 (0%)\x1b[K"
      "\rdocuments loaded: 2 of 4 (50%), about 2s left\x1b[K"
      "\rdocuments loaded: 4 of 4 (100%)\x1b[K\n"
      "\rpairs compared: 0\x1b[K"
      "\rpairs compared: 3\x1b[K\n";
  EXPECT_EQ(want, shown(want.size()));
}

TEST_F(ProgressLineOnATerminal, IsCutToTheWidthOfTheTerminal) {
  const winsize size{12, 20, 0, 0};
  ASSERT_EQ(0, ::ioctl(terminal_, TIOCSWINSZ, &size));
  TProgressLine line(terminal_, true, clock());
  line.update("files saved", 5, 100);
  line.finish();
  const std::string want = "\rfiles saved: 5 of 1\x1b[K\n";
  EXPECT_EQ(want, shown(want.size()));
}

TEST(ProgressLine, WritesNothingWhereNoTerminalIs) {
  int pipe[2];
  ASSERT_EQ(0, ::pipe2(pipe, O_NONBLOCK));
  {
    TProgressLine line(pipe[1], false);
    line.update("documents loaded", 1, 2);
    line.update("documents loaded", 2, 2);
    line.finish();
    line.update("pairs compared", 1, 2);
  }
  char byte = 0;
  EXPECT_EQ(-1, ::read(pipe[0], &byte, 1));
  EXPECT_EQ(EAGAIN, errno);
  ::close(pipe[0]);
  ::close(pipe[1]);
}

TEST(ProgressLine, DurationsInTheTwoLargestUnits) {
  struct Case {
    std::int64_t seconds;
    const char* text;
  };
  const Case cases[] = {{0, "0s"},        {59, "59s"},     {60, "1m00s"},   {185, "3m05s"},
                        {3599, "59m59s"}, {3600, "1h00m"}, {7380, "2h03m"}, {360000, "100h00m"}};
  for (const Case& c : cases) EXPECT_EQ(c.text, TProgressLine::durationText(c.seconds));
}

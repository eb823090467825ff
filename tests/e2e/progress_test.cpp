// The progress line shows on a terminal only: run under a pseudo-terminal,
// the program rewrites one line per step in place; with standard error a
// file (every other test), it writes nothing for progress.

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "../support.h"

namespace {

using Progress = ScratchTest;

TEST_F(Progress, ShowsEachStepInPlaceOnATerminal) {
  std::string config = "dirVocabularies=voc\ndirReports=rep\nsaveLogIn=.\n";
  for (int d = 1; d <= 4; ++d) {
    const std::string name = "docs/d" + std::to_string(d) + ".txt";
    write(name, "the river ran past the mill number " + std::to_string(d) + " every day\n");
    config += "file" + std::to_string(d) + "=" + name + "\n";
  }
  write("study.cfg", config);
  std::filesystem::create_directories(dir_ / "voc");
  std::filesystem::create_directories(dir_ / "rep");

  int master = -1;
  const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (::chdir(dir_.c_str()) != 0) ::_exit(127);
    ::execl(COLLUSION_BINARY, COLLUSION_BINARY, "study.cfg", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  std::string shown;
  char buffer[4096];
  for (ssize_t got; (got = ::read(master, buffer, sizeof buffer)) > 0;) shown.append(buffer, got);
  ::close(master);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(0, WEXITSTATUS(status));
  for (const char* step : {"Pre-processing documents", "Extracting chunks", "Comparing documents",
                           "Saving vocabularies", "Saving reports"}) {
    EXPECT_NE(std::string::npos, shown.find(std::string("\r") + step)) << step << " in " << shown;
  }
  EXPECT_NE(std::string::npos, shown.find("\x1b[K")) << shown;
}

}  // namespace

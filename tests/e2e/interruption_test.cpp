// Studies that are interrupted, run side by side, or run out of disk: every
// file under its final name is a complete file of one study, and no temporary
// file is left where the program could remove it.

#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "../support.h"
#include "run_program.h"

namespace fs = std::filesystem;

namespace {

// Every regular file below folder by relative path, logs masked.
std::map<std::string, std::string> filesIn(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& item : fs::recursive_directory_iterator(folder)) {
    if (!item.is_regular_file()) continue;
    const std::string name = item.path().lexically_relative(folder).generic_string();
    std::string bytes = readBytes(item.path());
    if (item.path().extension() == ".log") bytes = maskLog(bytes);
    files[name] = bytes;
  }
  return files;
}

bool isTemporary(const std::string& name) {
  return fs::path(name).filename().string().starts_with(".collusion-");
}

// count documents of words made-up words each, in folder, with passages
// copied between neighbours; seed picks the words.
std::vector<std::string> makeDocuments(const fs::path& folder, int count, int words, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::string> names;
  fs::create_directories(folder);
  std::string previous;
  for (int d = 0; d < count; ++d) {
    std::string text;
    for (int w = 0; w < words; ++w) {
      text += "w" + std::to_string(random() % 3000) + (w % 15 == 14 ? "\n" : " ");
    }
    if (!previous.empty()) text += previous.substr(0, previous.size() / 4);
    previous = text;
    names.push_back("doc" + std::to_string(d) + ".txt");
    writeBytes(folder / names.back(), text);
  }
  return names;
}

std::string studyConfig(const std::string& docs, const std::vector<std::string>& names,
                        const std::string& out, const std::string& logs) {
  std::string config = "dirVocabularies=" + out + "\ndirReports=" + out + "\nsaveLogIn=" + logs +
                       "\nisToshowLog=1\nisToshowWarning=1\n";
  for (std::size_t i = 0; i < names.size(); ++i) {
    config += "file" + std::to_string(i + 1) + "=" + docs + "/" + names[i] + "\n";
  }
  return config;
}

// Waits until another process holds the lock of folder; false after ten
// seconds without.
bool waitForLock(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool held = false;
  for (int i = 0; i < 10000 && !held; ++i) {
    if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
      ::flock(fd, LOCK_UN);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } else {
      held = errno == EWOULDBLOCK;
    }
  }
  ::close(fd);
  return held;
}

using Interruption = ScratchTest;

// The save of a study of some five hundred files is interrupted at random
// points, twenty times per signal, always into the same folders, so that
// later runs replace the files of earlier ones.
TEST_F(Interruption, SignalsLeaveOnlyCompleteFiles) {
  const auto names = makeDocuments(dir_ / "docs", 22, 2000, 1);
  writeBytes(dir_ / "ref.cfg", studyConfig("docs", names, "ref", "ref"));
  writeBytes(dir_ / "out.cfg", studyConfig("docs", names, "out", "out"));
  fs::create_directories(dir_ / "ref");
  fs::create_directories(dir_ / "out");
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(0, runProgram(dir_, {"ref.cfg"}).status);
  const auto whole = std::chrono::steady_clock::now() - start;
  const auto reference = filesIn(dir_ / "ref");
  ASSERT_GT(reference.size(), 400u);

  std::mt19937 random(11);
  for (const int signal : {SIGTERM, SIGINT, SIGKILL}) {
    for (int run = 0; run < 20; ++run) {
      const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(whole) *
                        (random() % 1000) / 900;
      const pid_t pid = startProgram(dir_, {"out.cfg"}, {}, dir_ / "stderr.txt");
      std::this_thread::sleep_for(wait);
      ::kill(pid, signal);
      const int status = waitProgram(pid);
      EXPECT_TRUE(status == 128 + signal || status == 0)
          << status << "\n" << readBytes(dir_ / "stderr.txt");
      for (const auto& [name, bytes] : filesIn(dir_ / "out")) {
        if (isTemporary(name)) {
          EXPECT_EQ(SIGKILL, signal) << "temporary file left: " << name;
          continue;
        }
        const auto expected = reference.find(name);
        ASSERT_NE(reference.end(), expected) << name;
        EXPECT_EQ(expected->second, bytes) << "signal " << signal << ", run " << run << ": "
                                           << name;
      }
      if (HasFailure()) return;
    }
  }
}

// Two studies of different documents under the same names write into one
// folder at once: the second waits for the first, says so, and every file
// is wholly one study's.
TEST_F(Interruption, TwoStudiesIntoOneFolderTakeTurns) {
  const auto names = makeDocuments(dir_ / "a", 3, 60000, 2);
  ASSERT_EQ(names, makeDocuments(dir_ / "b", 3, 60000, 3));
  for (const std::string study : {"a", "b"}) {
    writeBytes(dir_ / (study + "-ref.cfg"), studyConfig(study, names, study + "-ref", study + "-ref"));
    writeBytes(dir_ / (study + ".cfg"), studyConfig(study, names, "out", "out"));
    fs::create_directories(dir_ / (study + "-ref"));
    ASSERT_EQ(0, runProgram(dir_, {study + "-ref.cfg"}).status);
  }
  fs::create_directories(dir_ / "out");
  const auto referenceA = filesIn(dir_ / "a-ref");
  const auto referenceB = filesIn(dir_ / "b-ref");
  ASSERT_EQ(referenceA.size(), referenceB.size());

  for (int run = 0; run < 20; ++run) {
    const pid_t a = startProgram(dir_, {"a.cfg"});
    // B starts once A holds the folder, however long A takes to start.
    ASSERT_TRUE(waitForLock(dir_ / "out"));
    const pid_t b = startProgram(dir_, {"b.cfg"}, {}, dir_ / "b.err");
    EXPECT_EQ(0, waitProgram(a));
    EXPECT_EQ(0, waitProgram(b));
    EXPECT_NE(std::string::npos,
              readBytes(dir_ / "b.err").find("collusion: waiting for another study writing into out"))
        << readBytes(dir_ / "b.err");
    const auto written = filesIn(dir_ / "out");
    EXPECT_EQ(referenceA.size(), written.size());
    for (const auto& [name, bytes] : written) {
      const bool fromA = referenceA.count(name) && referenceA.at(name) == bytes;
      const bool fromB = referenceB.count(name) && referenceB.at(name) == bytes;
      EXPECT_TRUE(fromA || fromB) << "run " << run << ": " << name << " is no study's file";
    }
    if (HasFailure()) return;
  }
}

// A disk that fills up part way: the study fails and counts what it lost on
// the console, and every file on the disk is complete.
TEST_F(Interruption, AFullDiskFailsTheStudyAndLeavesNoPartialFile) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a small disk needs root";
  const fs::path disk = dir_ / "disk";
  fs::create_directories(disk);
  if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=2m") != 0) {
    GTEST_SKIP() << "no small disk: mounting a tmpfs failed here";
  }
  const auto names = makeDocuments(dir_ / "docs", 30, 3000, 4);
  writeBytes(dir_ / "ref.cfg", studyConfig("docs", names, "ref", "ref"));
  writeBytes(dir_ / "disk.cfg", studyConfig("docs", names, "disk", "logs"));
  fs::create_directories(dir_ / "ref");
  fs::create_directories(dir_ / "logs");
  const RunResult whole = runProgram(dir_, {"ref.cfg"});
  const RunResult full = runProgram(dir_, {"disk.cfg"});
  const auto reference = filesIn(dir_ / "ref");
  const auto written = filesIn(disk);
  ::umount2(disk.c_str(), MNT_DETACH);

  ASSERT_EQ(0, whole.status);
  EXPECT_EQ(1, full.status);
  EXPECT_TRUE(std::regex_match(
      full.err, std::regex("collusion: [0-9]+ of [0-9]+ output files could not be written\n")))
      << full.err;
  EXPECT_LT(written.size(), reference.size() - 1);
  for (const auto& [name, bytes] : written) {
    ASSERT_TRUE(reference.count(name)) << name;
    EXPECT_EQ(reference.at(name), bytes) << name;
  }
  EXPECT_NE(std::string::npos, readBytes(dir_ / "logs/log.log").find("warning_vocabulary_not_saved"));
}

}  // namespace

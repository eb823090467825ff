// End-to-end studies: every folder under tests/e2e that holds an `args` file
// is one case. Its files are copied to a fresh directory, the built program
// runs there with the arguments listed in `args` (one per line), and then
//   - the exit status must equal `expected.status`,
//   - standard output must equal `expected.stdout`, when that file exists,
//   - the files the run created or changed must be exactly those under
//     `expected/`, byte for byte; log files (log.log) are compared after
//     masking their time stamps and lap times.
// COLLUSION_E2E_UPDATE=1 rewrites the expected files from the actual run.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "../support.h"
#include "run_program.h"

namespace fs = std::filesystem;

namespace {

const fs::path kCasesDir = COLLUSION_E2E_DIR;

bool isMetaFile(const std::string& name) {
  return name == "args" || name == "expected" || name == "expected.status" ||
         name == "expected.stdout" || name == "README";
}

// Every regular file below root, by path relative to root, with its bytes.
std::map<std::string, std::string> snapshot(const fs::path& root) {
  std::map<std::string, std::string> files;
  if (!fs::exists(root)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file() && !entry.is_symlink()) {
      files[fs::relative(entry.path(), root).generic_string()] = readBytes(entry.path());
    }
  }
  return files;
}

std::vector<std::string> caseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kCasesDir)) {
    if (entry.is_directory() && fs::exists(entry.path() / "args")) {
      names.push_back(entry.path().filename().string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

class EndToEnd : public testing::TestWithParam<std::string> {};

TEST_P(EndToEnd, OutputsMatchExpectedFiles) {
  const fs::path caseDir = kCasesDir / GetParam();
  const fs::path scratch = freshScratchDirectory();
  const fs::path work = scratch / "work";
  fs::create_directories(work);
  for (const auto& entry : fs::directory_iterator(caseDir)) {
    const std::string name = entry.path().filename().string();
    if (!isMetaFile(name)) {
      fs::copy(entry.path(), work / name, fs::copy_options::recursive);
    }
  }

  std::vector<std::string> args;
  {
    std::istringstream lines(readBytes(caseDir / "args"));
    for (std::string line; std::getline(lines, line);) args.push_back(line);
  }
  const auto before = snapshot(work);
  const RunResult run = runProgram(work, args);
  std::map<std::string, std::string> produced;
  for (auto& [path, bytes] : snapshot(work)) {
    const auto it = before.find(path);
    if (it == before.end() || it->second != bytes) produced[path] = bytes;
  }
  for (auto& [path, bytes] : produced) {
    if (fs::path(path).filename() == "log.log") bytes = maskLog(bytes);
  }

  if (const char* update = std::getenv("COLLUSION_E2E_UPDATE"); update && *update == '1') {
    fs::remove_all(caseDir / "expected");
    for (const auto& [path, bytes] : produced) writeBytes(caseDir / "expected" / path, bytes);
    writeBytes(caseDir / "expected.status", std::to_string(run.status) + "\n");
    writeBytes(caseDir / "expected.stdout", run.out);
    fs::remove_all(scratch);
    GTEST_SKIP() << "expected files rewritten";
  }

  EXPECT_EQ(std::stoi(readBytes(caseDir / "expected.status")), run.status);
  if (fs::exists(caseDir / "expected.stdout")) {
    EXPECT_EQ(readBytes(caseDir / "expected.stdout"), run.out);
  }
  const auto expected = snapshot(caseDir / "expected");
  for (const auto& [path, bytes] : expected) {
    const auto it = produced.find(path);
    if (it == produced.end()) {
      ADD_FAILURE() << "missing output " << path;
    } else {
      EXPECT_EQ(bytes, it->second) << "in " << path;
    }
  }
  for (const auto& [path, bytes] : produced) {
    if (!expected.count(path)) ADD_FAILURE() << "unexpected output " << path;
  }
  if (HasFailure()) {
    std::cerr << "scratch directory kept: " << scratch << '\n';
  } else {
    fs::remove_all(scratch);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, EndToEnd, testing::ValuesIn(caseNames()),
                         [](const testing::TestParamInfo<std::string>& param) {
                           std::string name = param.param;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

}  // namespace

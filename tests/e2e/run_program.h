#pragma once

#include <filesystem>
#include <string>
#include <vector>

// What a run of the built program gave.
struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the built program in workDir with args, capturing standard output and
// error. A positive fileSizeLimit caps the size of files it may write (writes
// past it fail with EFBIG, as on a full disk).
RunResult runProgram(const std::filesystem::path& workDir, const std::vector<std::string>& args,
                     long fileSizeLimit = 0);

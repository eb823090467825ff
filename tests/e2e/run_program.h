#pragma once

#include <sys/types.h>

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
// past it fail with EFBIG, as on a full disk). A positive memoryLimit caps its
// address space, in bytes.
RunResult runProgram(const std::filesystem::path& workDir, const std::vector<std::string>& args,
                     long fileSizeLimit = 0, long memoryLimit = 0);

// Starts the built program in workDir with args, standard output and error
// going to the given files (or nowhere when empty). Returns its process id.
pid_t startProgram(const std::filesystem::path& workDir, const std::vector<std::string>& args,
                   const std::filesystem::path& outFile = {},
                   const std::filesystem::path& errFile = {});
// Waits for a started program; its exit status, or 128 + the signal that
// ended it.
int waitProgram(pid_t pid);

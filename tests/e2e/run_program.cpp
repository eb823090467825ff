#include "run_program.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace {
std::string readAll(FILE* file) {
  std::string text;
  std::fseek(file, 0, SEEK_SET);
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
    text.append(buffer, got);
  }
  std::fclose(file);
  return text;
}

}  // namespace

RunResult runProgram(const std::filesystem::path& workDir, const std::vector<std::string>& args,
                     long fileSizeLimit, long memoryLimit) {
  std::string binary = COLLUSION_BINARY;
  std::vector<std::string> copies = args;
  std::vector<char*> argv{binary.data()};
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  FILE* out = std::tmpfile();
  FILE* err = std::tmpfile();
  const pid_t pid = out && err ? fork() : -1;
  if (pid < 0) {
    if (out) std::fclose(out);
    if (err) std::fclose(err);
    ADD_FAILURE() << "could not start the program";
    return {};
  }
  if (pid == 0) {
    if (chdir(workDir.c_str()) != 0) _exit(127);
    if (dup2(fileno(out), STDOUT_FILENO) < 0 || dup2(fileno(err), STDERR_FILENO) < 0) _exit(127);
    if (fileSizeLimit > 0) {
      // An ignored SIGXFSZ stays ignored across exec: writes past the limit
      // then fail with EFBIG instead of killing the program.
      signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
    }
    if (memoryLimit > 0) {
      const rlimit limit{static_cast<rlim_t>(memoryLimit), static_cast<rlim_t>(memoryLimit)};
      if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(127);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  int raw = 0;
  waitpid(pid, &raw, 0);
  RunResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  result.out = readAll(out);
  result.err = readAll(err);
  return result;
}


pid_t startProgram(const std::filesystem::path& workDir, const std::vector<std::string>& args,
                   const std::filesystem::path& outFile, const std::filesystem::path& errFile) {
  std::string binary = COLLUSION_BINARY;
  std::vector<std::string> copies = args;
  std::vector<char*> argv{binary.data()};
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string out = outFile.empty() ? "/dev/null" : outFile.string();
  const std::string err = errFile.empty() ? "/dev/null" : errFile.string();
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(workDir.c_str()) != 0) _exit(127);
    if (!std::freopen(out.c_str(), "w", stdout) || !std::freopen(err.c_str(), "w", stderr)) {
      _exit(127);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

int waitProgram(pid_t pid) {
  int raw = 0;
  if (waitpid(pid, &raw, 0) != pid) return -1;
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

// The I/O floor of a study: the least time any single-threaded program needs
// to read the study's input documents and to write the study's output files.
//
//   io_floor INPUT_LIST OUTPUT_LIST SOURCE_ROOT TARGET_ROOT
//
// INPUT_LIST holds one path per line; each file is read fully (open, read in
// 64 KiB blocks into a std::string sized from fstat, close), and only that is
// timed. OUTPUT_LIST holds one path per line, each under SOURCE_ROOT; all of
// them are first read into memory (not timed), then each is written with the
// same relative name and bytes under TARGET_ROOT, in the list's order. The
// folders under TARGET_ROOT are created before the timing starts. The writer
// is the cheapest one: it opens each target folder once (O_PATH|O_DIRECTORY)
// and then, per file, openat with the bare name, one write and close; the
// folder handles are opened and closed inside the timed span.
//
// Prints one line of key=value pairs (the *_cpu_s are user + system time of
// the phase, which other work on the machine disturbs less than wall time):
//   read_s=.. read_cpu_s=.. read_files=.. read_bytes=..
//   write_s=.. write_cpu_s=.. write_files=.. write_bytes=.. write_folders=..
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

std::vector<std::string> readList(const char* path) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "io_floor: cannot read list %s\n", path);
    std::exit(2);
  }
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

bool readWhole(const std::string& path, std::string& text) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return false;
  }
  text.clear();
  if (st.st_size > 0) text.reserve(static_cast<std::size_t>(st.st_size));
  static char block[1 << 16];
  for (;;) {
    const ssize_t got = ::read(fd, block, sizeof block);
    if (got > 0) {
      text.append(block, static_cast<std::size_t>(got));
    } else if (got == 0) {
      break;
    } else if (errno != EINTR) {
      ::close(fd);
      return false;
    }
  }
  return ::close(fd) == 0;
}

// Writes DATA to the file NAME of the folder behind DIR_FD, creating or
// truncating it.
bool writeWhole(int dirFd, const std::string& name, const std::string& data) {
  const int fd = ::openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const char* p = data.data();
  std::size_t left = data.size();
  while (left > 0) {
    const ssize_t put = ::write(fd, p, left);
    if (put > 0) {
      p += put;
      left -= static_cast<std::size_t>(put);
    } else if (put < 0 && errno == EINTR) {
      continue;
    } else {
      ::close(fd);
      return false;
    }
  }
  return ::close(fd) == 0;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// User plus system time of this process so far.
double cpuSeconds() {
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: io_floor INPUT_LIST OUTPUT_LIST SOURCE_ROOT TARGET_ROOT\n");
    return 2;
  }
  const std::vector<std::string> inputs = readList(argv[1]);
  const std::vector<std::string> outputs = readList(argv[2]);
  const std::filesystem::path sourceRoot = std::filesystem::absolute(argv[3]).lexically_normal();
  const std::filesystem::path targetRoot = argv[4];

  // Reading the inputs. Each text stays alive until the next one is read,
  // like a program that keeps one document at a time would.
  std::string text;
  std::size_t readBytes = 0;
  const double readCpuStart = cpuSeconds();
  const auto readStart = std::chrono::steady_clock::now();
  for (const std::string& path : inputs) {
    if (!readWhole(path, text)) {
      std::fprintf(stderr, "io_floor: cannot read %s\n", path.c_str());
      return 1;
    }
    readBytes += text.size();
  }
  const double readSeconds = secondsSince(readStart);
  const double readCpu = cpuSeconds() - readCpuStart;

  // The outputs: contents into memory, target folders made, each output's
  // folder (by index) and bare name ready.
  std::vector<std::string> contents(outputs.size());
  std::vector<std::size_t> folderOf(outputs.size());
  std::vector<std::string> names(outputs.size());
  std::map<std::filesystem::path, std::size_t> folderIndex;
  std::vector<std::filesystem::path> folders;
  std::size_t writeBytes = 0;
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (!readWhole(outputs[i], contents[i])) {
      std::fprintf(stderr, "io_floor: cannot read %s\n", outputs[i].c_str());
      return 1;
    }
    writeBytes += contents[i].size();
    const std::filesystem::path relative =
        std::filesystem::absolute(outputs[i]).lexically_normal().lexically_relative(sourceRoot);
    if (relative.empty() || *relative.begin() == "..") {
      std::fprintf(stderr, "io_floor: %s is not under %s\n", outputs[i].c_str(), argv[3]);
      return 1;
    }
    const std::filesystem::path target = targetRoot / relative;
    const auto [at, added] = folderIndex.try_emplace(target.parent_path(), folders.size());
    if (added) folders.push_back(target.parent_path());
    folderOf[i] = at->second;
    names[i] = target.filename().string();
  }
  for (const auto& folder : folders) std::filesystem::create_directories(folder);

  const double writeCpuStart = cpuSeconds();
  const auto writeStart = std::chrono::steady_clock::now();
  std::vector<int> folderFds(folders.size(), -1);
  for (std::size_t f = 0; f < folders.size(); ++f) {
    folderFds[f] = ::open(folders[f].c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folderFds[f] < 0) {
      std::fprintf(stderr, "io_floor: cannot open folder %s: %s\n", folders[f].c_str(),
                   std::strerror(errno));
      return 1;
    }
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!writeWhole(folderFds[folderOf[i]], names[i], contents[i])) {
      std::fprintf(stderr, "io_floor: cannot write %s in %s: %s\n", names[i].c_str(),
                   folders[folderOf[i]].c_str(), std::strerror(errno));
      return 1;
    }
  }
  for (const int fd : folderFds) ::close(fd);
  const double writeSeconds = secondsSince(writeStart);
  const double writeCpu = cpuSeconds() - writeCpuStart;

  std::printf(
      "read_s=%.4f read_cpu_s=%.4f read_files=%zu read_bytes=%zu "
      "write_s=%.4f write_cpu_s=%.4f write_files=%zu write_bytes=%zu write_folders=%zu\n",
      readSeconds, readCpu, inputs.size(), readBytes, writeSeconds, writeCpu, outputs.size(),
      writeBytes, folders.size());
  return 0;
}

#include "base/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/directory_handles.h"

std::string joinPath(std::string_view directory, std::string_view name) {
  std::string path;
  path.reserve(directory.size() + 1 + name.size());
  path.append(directory);
  path.push_back(kPathSeparator);
  path.append(name);
  return path;
}

void convertLineEnds(std::string& text) {
  const std::size_t first = text.find("\r\n");
  if (first == std::string::npos) return;
  std::size_t out = first;
  const std::size_t n = text.size();
  for (std::size_t in = first; in < n; ++in) {
    if (text[in] == '\r' && in + 1 < n && text[in + 1] == '\n') continue;
    text[out++] = text[in];
  }
  text.resize(out);
}

namespace {
// A path the system can take as it is: not empty and without a NUL byte,
// which would cut it short and name another file.
bool usablePath(const std::string& path) {
  return !path.empty() && path.find('\0') == std::string::npos;
}
}  // namespace

bool readTextFile(const std::string& path, std::string& text) {
  if (!usablePath(path)) return false;
  // Non-blocking, so that opening a FIFO does not wait for a writer; only a
  // regular file is read, since a FIFO or a device may never end.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  std::string buffer;
  if (st.st_size > 0) buffer.reserve(static_cast<std::size_t>(st.st_size));
  char chunk[1 << 16];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got > 0) {
      buffer.append(chunk, static_cast<std::size_t>(got));
    } else if (got == 0) {
      break;
    } else if (errno != EINTR) {
      ::close(fd);
      return false;
    }
  }
  ::close(fd);
  convertLineEnds(buffer);
  text = std::move(buffer);
  return true;
}

bool pathExists(const std::string& path) {
  struct stat st {};
  return usablePath(path) && ::stat(path.c_str(), &st) == 0;
}

namespace {
// Creates (or truncates) the file at path for writing. With handles, a file
// is created relative to a handle of its directory; should that fail
// (the directory was removed or replaced since its handle was opened), the
// whole path is tried as it stands.
int createForWriting(TDirectoryHandles* handles, const std::string& path, int& directory,
                     const char*& name) {
  constexpr int kFlags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK;
  directory = AT_FDCWD;
  name = path.c_str();
  const std::size_t cut = path.rfind(kPathSeparator);
  if (handles && cut != std::string::npos && cut > 0 && cut + 1 < path.size()) {
    const int handle = handles->handleOf(std::string_view(path).substr(0, cut));
    if (handle >= 0) {
      const int fd = ::openat(handle, path.c_str() + cut + 1, kFlags, 0666);
      if (fd >= 0) {
        directory = handle;
        name = path.c_str() + cut + 1;
        return fd;
      }
    }
  }
  return ::open(path.c_str(), kFlags, 0666);
}
}  // namespace

bool writeWholeFile(TDirectoryHandles* handles, const std::string& path, std::string_view data) {
  if (!usablePath(path)) return false;
  // Non-blocking: a FIFO without a reader fails at once instead of hanging.
  int directory = AT_FDCWD;
  const char* name = nullptr;
  const int fd = createForWriting(handles, path, directory, name);
  if (fd < 0) return false;
  bool ok = true;
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
      ok = false;
      break;
    }
  }
  if (::close(fd) != 0) ok = false;
  if (!ok) ::unlinkat(directory, name, 0);
  return ok;
}

#include "base/text_file.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "base/directory_handles.h"
#include "base/file_identity.h"

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

bool readRawFile(const std::string& path, std::string& text) {
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
  // One byte more than the file, so that a caller who ends the text with a
  // line break does not move it all to a larger buffer.
  if (st.st_size > 0) buffer.reserve(static_cast<std::size_t>(st.st_size) + 1);
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
  text = std::move(buffer);
  return true;
}

bool readTextFile(const std::string& path, std::string& text) {
  std::string bytes;
  if (!readRawFile(path, bytes)) return false;
  convertLineEnds(bytes);
  text = std::move(bytes);
  return true;
}

bool pathExists(const std::string& path) {
  struct stat st {};
  return usablePath(path) && ::stat(path.c_str(), &st) == 0;
}

namespace {

// The temporary names writes have in their folders right now, so that an
// interrupted program can remove them: one slot per thread writing at once.
// A slot goes from free to taken (its owner fills in the name), to creating
// (the file at the name is being made), to active (the name may exist), and
// back to free; or from active to removing, when the handler claims it.
// Every step is one lock-free atomic store or exchange, which a signal
// handler may see halfway.
//
// Other threads go on while one runs the handler, so a thread could make its
// file just after the handler removed what it saw. To close that gap the
// handler first raises `stopping` and then waits for every creation in
// flight to end; a thread about to create checks `stopping` after announcing
// itself and, when it is raised, steps back and waits for the handler to
// end the process.
// Both sides use sequentially consistent order, so one of them always sees
// the other.
struct TemporarySlot {
  std::atomic<int> state{0};
  int folder = AT_FDCWD;
  char name[64] = {};
};
constexpr int kFree = 0;
constexpr int kTaken = 1;
constexpr int kCreating = 2;
constexpr int kActive = 3;
constexpr int kRemoving = 4;
// More slots than the most threads that write at once (the study's threads
// and the thread that started them).
constexpr std::size_t kTemporarySlots = 96;
TemporarySlot temporarySlots[kTemporarySlots];
std::atomic<std::uint64_t> temporaryCount{0};
std::atomic<int> stopping{0};
static_assert(std::atomic<int>::is_always_lock_free);
// The slot of the calling thread's write in progress, or null.
thread_local TemporarySlot* ownSlot = nullptr;

void onInterrupt(int signal) {
  stopping.store(1);
  TemporarySlot* const own = ownSlot;
  for (TemporarySlot& slot : temporarySlots) {
    int state = slot.state.load();
    // This thread's own creation cannot go on, so its name is removed whether
    // the file was made or not.
    if (&slot == own) {
      if (state == kCreating || state == kActive) ::unlinkat(slot.folder, slot.name, 0);
      continue;
    }
    // Another thread's creation ends in a moment.
    while (state == kCreating) {
      ::sched_yield();
      state = slot.state.load();
    }
    // The slot is claimed before its name is read, so that its owner cannot
    // free it, and another thread fill it, while the name is removed.
    if (state == kActive && slot.state.compare_exchange_strong(state, kRemoving)) {
      ::unlinkat(slot.folder, slot.name, 0);
    }
  }
  ::_exit(128 + signal);
}

// Makes a fresh hidden name of the program's own and marks it as one to
// remove on interruption; the caller creates the file at the name at once
// and then calls temporaryCreated. The name lives until forgetTemporary.
const char* nameTemporary(int folder) {
  static thread_local char unregistered[64];
  TemporarySlot* slot = nullptr;
  for (TemporarySlot& candidate : temporarySlots) {
    int expected = kFree;
    if (candidate.state.compare_exchange_strong(expected, kTaken, std::memory_order_acquire)) {
      slot = &candidate;
      break;
    }
  }
  char* name = slot ? slot->name : unregistered;
  std::snprintf(name, sizeof unregistered, ".collusion-%ld-%llu.tmp",
                static_cast<long>(::getpid()),
                static_cast<unsigned long long>(temporaryCount.fetch_add(1) + 1));
  ownSlot = slot;
  if (slot) {
    slot->folder = folder;
    slot->state.store(kCreating);
    // An interruption is under way: its handler may have passed this slot
    // already, so nothing may be created. The slot steps back so that the
    // handler does not wait for it, and the handler ends the process.
    if (stopping.load()) {
      slot->state.store(kTaken);
      for (;;) ::pause();
    }
  }
  return name;
}

void temporaryCreated() {
  if (ownSlot) ownSlot->state.store(kActive);
}

void forgetTemporary() {
  if (ownSlot) {
    int expected = kActive;
    // Failing means the handler has claimed the slot and ends the process.
    if (!ownSlot->state.compare_exchange_strong(expected, kFree)) {
      for (;;) ::pause();
    }
  }
  ownSlot = nullptr;
}

// Whether unnamed files can be given a name through /proc.
bool procLinksWork() {
  static const bool works = ::access("/proc/self/fd", X_OK) == 0;
  return works;
}

// Whether an unnamed file can be linked by its descriptor alone, which spares
// the system resolving a /proc path for every file; that needs a privilege
// (CAP_DAC_READ_SEARCH) the program may not have. Set after the first try.
std::atomic<int> emptyPathLinks{-1};

// Gives the unnamed file open as fd the name name in folder.
int linkUnnamed(int fd, int folder, const char* name) {
  if (emptyPathLinks.load(std::memory_order_relaxed) != 0) {
    if (::linkat(fd, "", folder, name, AT_EMPTY_PATH) == 0) {
      emptyPathLinks.store(1, std::memory_order_relaxed);
      return 0;
    }
    if (errno != ENOENT && errno != EPERM) return -1;
    emptyPathLinks.store(0, std::memory_order_relaxed);
  }
  char self[48];
  std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
  return ::linkat(AT_FDCWD, self, folder, name, AT_SYMLINK_FOLLOW);
}

// What stands at name in folder decides whether a file may replace it: not a
// directory, and not an input of the study.
TWriteResult checkOccupant(int folder, const char* name, const TFileIdentities* inputs) {
  struct stat st {};
  if (::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return TWriteResult::written;
  if (S_ISDIR(st.st_mode)) return TWriteResult::failed;
  if (inputs && inputs->contains({static_cast<std::uint64_t>(st.st_dev),
                                  static_cast<std::uint64_t>(st.st_ino)})) {
    return TWriteResult::inputAtName;
  }
  return TWriteResult::written;
}

// Gives the complete file open as fd (unnamed when named is null, else
// called named in folder) the name name in folder. A new name is taken at
// once; an existing file or link at name is replaced by a rename, never
// written through, unless it is a directory or an input.
TWriteResult publish(int fd, const char* named, int folder, const char* name,
                     const TFileIdentities* inputs) {
  if (!named) {
    if (linkUnnamed(fd, folder, name) == 0) return TWriteResult::written;
    if (errno != EEXIST) return TWriteResult::failed;
    const TWriteResult occupant = checkOccupant(folder, name, inputs);
    if (occupant != TWriteResult::written) return occupant;
    named = nameTemporary(folder);
    const int linked = linkUnnamed(fd, folder, named);
    temporaryCreated();
    if (linked != 0) {
      forgetTemporary();
      return TWriteResult::failed;
    }
  } else {
    if (::renameat2(folder, named, folder, name, RENAME_NOREPLACE) == 0) {
      forgetTemporary();
      return TWriteResult::written;
    }
    // A file system without no-replace renames checks first, then renames.
    if (errno != EEXIST && errno != EINVAL) {
      ::unlinkat(folder, named, 0);
      forgetTemporary();
      return TWriteResult::failed;
    }
    const TWriteResult occupant = checkOccupant(folder, name, inputs);
    if (occupant != TWriteResult::written) {
      ::unlinkat(folder, named, 0);
      forgetTemporary();
      return occupant;
    }
  }
  const bool renamed = ::renameat(folder, named, folder, name) == 0;
  if (!renamed) ::unlinkat(folder, named, 0);
  forgetTemporary();
  return renamed ? TWriteResult::written : TWriteResult::failed;
}

// Writes data into a new file in folder and names it name: an unnamed file
// where the system makes them, else one under a temporary name. created
// tells whether a file could be made in folder at all.
TWriteResult writeInFolder(int folder, const char* name, const TWriteBytes& write,
                           const TFileIdentities* inputs, bool& created) {
  created = false;
  const char* named = nullptr;
  int fd = procLinksWork() ? ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666) : -1;
  if (fd < 0) {
    if (procLinksWork() && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
      return TWriteResult::failed;
    }
    named = nameTemporary(folder);
    fd = ::openat(folder, named, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    temporaryCreated();
    if (fd < 0) {
      forgetTemporary();
      return TWriteResult::failed;
    }
  }
  created = true;
  TWriteResult result = write(fd) ? TWriteResult::written : TWriteResult::failed;
  if (result == TWriteResult::written) result = publish(fd, named, folder, name, inputs);
  else if (named) {
    ::unlinkat(folder, named, 0);
    forgetTemporary();
  }
  if (::close(fd) != 0 && result == TWriteResult::written) {
    // The data may not all have arrived; the name now holds a doubtful file.
    ::unlinkat(folder, name, 0);
    result = TWriteResult::failed;
  }
  return result;
}

}  // namespace

bool writeAll(int fd, std::string_view data) {
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
      return false;
    }
  }
  return true;
}

void removeTemporaryOnInterrupt() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

TWriteResult writeOutputFile(TDirectoryHandles* handles, const std::string& path,
                             std::string_view data, const TFileIdentities* inputs) {
  return writeOutputFile(
      handles, path, [data](int fd) { return writeAll(fd, data); }, inputs);
}

TWriteResult writeOutputFile(TDirectoryHandles* handles, const std::string& path,
                             const TWriteBytes& write, const TFileIdentities* inputs) {
  if (!usablePath(path)) return TWriteResult::failed;
  const std::size_t cut = path.rfind(kPathSeparator);
  std::string directory = cut == std::string::npos ? "." : cut == 0 ? "/" : path.substr(0, cut);
  const char* name = cut == std::string::npos ? path.c_str() : path.c_str() + cut + 1;
  if (*name == '\0') return TWriteResult::failed;
  // The folder's handle, when it is still the folder of that name; should no
  // file be made through it (the folder was removed or replaced since), the
  // folder is opened again as its path stands. A write that failed later (a
  // full disk) is not tried twice.
  bool created = false;
  const int handle = handles ? handles->handleOf(directory) : -1;
  if (handle >= 0) {
    const TWriteResult result = writeInFolder(handle, name, write, inputs, created);
    if (result != TWriteResult::failed || created) return result;
  }
  const int folder = ::open(directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return TWriteResult::failed;
  const TWriteResult result = writeInFolder(folder, name, write, inputs, created);
  ::close(folder);
  return result;
}

bool inputStandsAt(const std::string& path, const TFileIdentities& inputs) {
  struct stat st {};
  if (!usablePath(path) || ::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return inputs.contains(
      {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)});
}

bool writeWholeFile(TDirectoryHandles* handles, const std::string& path, std::string_view data) {
  return writeOutputFile(handles, path, data, nullptr) == TWriteResult::written;
}

#include "base/folder_locks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <tuple>

#include "base/file_identity.h"

TFolderLocks::~TFolderLocks() {
  for (const int fd : held_) ::close(fd);
}

void TFolderLocks::lock(const std::vector<std::string>& folders,
                        const std::function<void(const std::string&)>& waiting) {
  std::vector<std::tuple<TFileIdentity, int, std::string>> open;
  for (const std::string& folder : folders) {
    if (folder.empty() || folder.find('\0') != std::string::npos) continue;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) continue;
    TFileIdentity identity;
    const bool known = identityOfFile(fd, identity);
    const bool repeated = std::any_of(open.begin(), open.end(), [&](const auto& entry) {
      return std::get<0>(entry) == identity;
    });
    if (!known || repeated) {
      ::close(fd);
      continue;
    }
    open.emplace_back(identity, fd, folder);
  }
  std::sort(open.begin(), open.end(),
            [](const auto& a, const auto& b) { return std::get<0>(a) < std::get<0>(b); });
  for (const auto& [identity, fd, folder] : open) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      if (errno == EWOULDBLOCK) waiting(folder);
      while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
    held_.push_back(fd);
  }
}

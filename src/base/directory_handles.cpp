#include "base/directory_handles.h"

#include <fcntl.h>
#include <unistd.h>

TDirectoryHandles::~TDirectoryHandles() {
  for (const Entry& entry : open_) ::close(entry.handle);
}

int TDirectoryHandles::handleOf(std::string_view directory) {
  for (const Entry& entry : open_) {
    if (entry.directory == directory) return entry.handle;
  }
  if (open_.size() == kMostHandles || directory.empty()) return -1;
  std::string spelled(directory);
  if (spelled.find('\0') != std::string::npos) return -1;
  const int handle = ::open(spelled.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (handle < 0) return -1;
  open_.push_back({std::move(spelled), handle});
  return handle;
}

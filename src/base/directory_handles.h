#pragma once

#include <string>
#include <string_view>
#include <vector>

// Open handles of the few directories a study writes its files into. Creating
// a file relative to its directory's handle spares the system walking every
// component of the directory's path again for each of the hundreds of
// thousands of files a study may write.
class TDirectoryHandles {
 public:
  TDirectoryHandles() = default;
  ~TDirectoryHandles();
  TDirectoryHandles(const TDirectoryHandles&) = delete;
  TDirectoryHandles& operator=(const TDirectoryHandles&) = delete;

  // A handle of directory (as spelled), opened on first use; -1 when it
  // cannot be opened or too many are open already. A directory that could
  // not be opened is tried again next time, since it may have been made since.
  int handleOf(std::string_view directory);

 private:
  static constexpr std::size_t kMostHandles = 16;

  struct Entry {
    std::string directory;
    int handle;
  };
  std::vector<Entry> open_;
};

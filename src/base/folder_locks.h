#pragma once

#include <functional>
#include <string>
#include <vector>

// Advisory locks (flock) on the folders one study writes into, so that two
// studies writing into the same folders take turns and every file is wholly
// one study's. Locks are taken in the order of the folders' identities, so
// that two studies never wait for each other in a circle, and are released
// when the object goes (or the process ends).
class TFolderLocks {
 public:
  TFolderLocks() = default;
  ~TFolderLocks();
  TFolderLocks(const TFolderLocks&) = delete;
  TFolderLocks& operator=(const TFolderLocks&) = delete;

  // Locks every folder of folders that exists (others are skipped, as are
  // repeats of one folder). When a folder is locked by another process,
  // calls waiting with its spelling, then waits for it.
  void lock(const std::vector<std::string>& folders,
            const std::function<void(const std::string&)>& waiting);

 private:
  std::vector<int> held_;
};

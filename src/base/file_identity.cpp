#include "base/file_identity.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace {
TFileIdentity identityOfStat(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}
}  // namespace

bool identityOfPath(const std::string& path, TFileIdentity& identity) {
  struct stat st {};
  if (path.empty() || path.find('\0') != std::string::npos || ::stat(path.c_str(), &st) != 0) {
    return false;
  }
  identity = identityOfStat(st);
  return true;
}

bool identityOfFile(int fd, TFileIdentity& identity) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return false;
  identity = identityOfStat(st);
  return true;
}

void TFileIdentities::add(const TFileIdentity& identity) {
  const auto at = std::lower_bound(identities_.begin(), identities_.end(), identity);
  if (at == identities_.end() || *at != identity) identities_.insert(at, identity);
}

void TFileIdentities::addPath(const std::string& path) {
  TFileIdentity identity;
  if (identityOfPath(path, identity)) add(identity);
}

bool TFileIdentities::contains(const TFileIdentity& identity) const {
  return std::binary_search(identities_.begin(), identities_.end(), identity);
}

std::vector<std::uint64_t> TFileIdentities::inodes() const {
  std::vector<std::uint64_t> numbers;
  numbers.reserve(identities_.size());
  for (const TFileIdentity& identity : identities_) numbers.push_back(identity.inode);
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

bool namesWithIdentities(const std::string& folder, const TFileIdentities& identities,
                         std::vector<std::string>& names) {
  names.clear();
  if (folder.empty() || folder.find('\0') != std::string::npos) return false;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return false;
  // A folder may hold hundreds of thousands of names, a study thousands of
  // inputs: each name is looked up among the sorted inode numbers.
  const std::vector<std::uint64_t> inodes = identities.inodes();
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) {
    if (std::binary_search(inodes.begin(), inodes.end(),
                           static_cast<std::uint64_t>(entry->d_ino))) {
      names.emplace_back(entry->d_name);
    }
    errno = 0;
  }
  const bool complete = errno == 0;
  ::closedir(dir);
  if (!complete) names.clear();
  return complete;
}

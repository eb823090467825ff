#include "base/file_identity.h"

#include <sys/stat.h>

#include <algorithm>

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

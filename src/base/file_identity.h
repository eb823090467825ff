#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// Which file a path or an open file is, whatever its spelling: its device
// and inode. Links and different spellings of one file give one identity.
struct TFileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const TFileIdentity&) const = default;
  auto operator<=>(const TFileIdentity&) const = default;
};

// The identity of what path names (following links); false when nothing
// can be found there.
[[nodiscard]] bool identityOfPath(const std::string& path, TFileIdentity& identity);
// The identity of an open file.
[[nodiscard]] bool identityOfFile(int fd, TFileIdentity& identity);

// A set of identities, such as the input files of a study.
class TFileIdentities {
 public:
  void add(const TFileIdentity& identity);
  // Adds what path names, when something is there.
  void addPath(const std::string& path);
  bool contains(const TFileIdentity& identity) const;
  bool empty() const { return identities_.empty(); }
  // The inode numbers of the identities held, whatever their device, sorted.
  std::vector<std::uint64_t> inodes() const;

 private:
  // Kept sorted; a study has a few thousand inputs at most.
  std::vector<TFileIdentity> identities_;
};

// The names in folder where one of identities may stand: those whose inode
// number, as the folder lists it, is one of theirs. Reading the folder once
// spares looking up each name a study is about to write there. False, and
// names left empty, when the folder cannot be read to the end.
[[nodiscard]] bool namesWithIdentities(const std::string& folder, const TFileIdentities& identities,
                                       std::vector<std::string>& names);

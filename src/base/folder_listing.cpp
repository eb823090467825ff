#include "base/folder_listing.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "base/text_file.h"

namespace {

enum class TEntryKind { file, folder, other };

TEntryKind kindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return TEntryKind::file;
  if (S_ISDIR(mode)) return TEntryKind::folder;
  return TEntryKind::other;
}

// What the entry at path is: a link counts as a file when it leads to a
// regular file and as something else otherwise (a folder included).
TEntryKind kindOf(const dirent& entry, const std::string& path) {
  struct stat status {};
  switch (entry.d_type) {
    case DT_REG:
      return TEntryKind::file;
    case DT_DIR:
      return TEntryKind::folder;
    case DT_LNK:
      break;
    case DT_UNKNOWN:
      if (::lstat(path.c_str(), &status) != 0) return TEntryKind::other;
      if (!S_ISLNK(status.st_mode)) return kindOfMode(status.st_mode);
      break;
    default:
      return TEntryKind::other;
  }
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return TEntryKind::other;
  return TEntryKind::file;
}

std::string pathIn(const std::string& folder, std::string_view name) {
  if (!folder.empty() && folder.back() == kPathSeparator) return folder + std::string(name);
  return joinPath(folder, name);
}

}  // namespace

TFolderListing listFolder(const std::string& folder, std::string_view pattern, bool recursive) {
  TFolderListing listing;
  const std::string glob = pattern.empty() ? std::string("*") : std::string(pattern);
  std::string top = folder;
  while (top.size() > 1 && top.back() == kPathSeparator) top.pop_back();

  std::vector<std::string> pending{std::move(top)};
  while (!pending.empty()) {
    const std::string current = std::move(pending.back());
    pending.pop_back();
    DIR* stream = nullptr;
    if (!current.empty() && current.find('\0') == std::string::npos) {
      stream = ::opendir(current.c_str());
    }
    if (stream == nullptr) {
      listing.unreadable.push_back(current);
      continue;
    }
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(stream);
      if (entry == nullptr) {
        if (errno != 0) listing.unreadable.push_back(current);
        break;
      }
      if (entry->d_name[0] == '.') continue;
      std::string path = pathIn(current, entry->d_name);
      switch (kindOf(*entry, path)) {
        case TEntryKind::file:
          if (::fnmatch(glob.c_str(), entry->d_name, 0) == 0) {
            listing.files.push_back(std::move(path));
          }
          break;
        case TEntryKind::folder:
          if (recursive) pending.push_back(std::move(path));
          break;
        case TEntryKind::other:
          break;
      }
    }
    ::closedir(stream);
  }
  std::sort(listing.files.begin(), listing.files.end());
  std::sort(listing.unreadable.begin(), listing.unreadable.end());
  return listing;
}

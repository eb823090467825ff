#pragma once

#include <string>
#include <string_view>
#include <vector>

// The documents a folder holds, ready to join a study.
struct TFolderListing {
  // Full paths of the files taken, ordered by their bytes (as unsigned).
  std::vector<std::string> files;
  // Folders that could not be opened or read to the end, in the same order;
  // the files read from a folder before an error stay in files.
  std::vector<std::string> unreadable;
};

// Lists the files of folder whose names match pattern, a shell glob
// (fnmatch without flags: "*" and "?" match any byte, "[...]" a class, "\"
// escapes; an empty pattern matches every name). Each path is the folder, "/"
// and the name; trailing "/" of folder are dropped first ("/" stays).
//
// Names beginning with "." are skipped, files and folders alike. A file is a
// regular file or a symbolic link to one, since a listed document may be a
// link too; other links, devices, FIFOs and sockets are skipped. With
// recursive, subfolders are listed too, but never through a symbolic link,
// so the walk cannot loop or leave the folder's tree. The pattern applies to
// file names only: every subfolder is entered.
//
// A folder that does not exist, is no folder or cannot be read (folder
// itself included) lands in unreadable; an empty folder path too.
TFolderListing listFolder(const std::string& folder, std::string_view pattern, bool recursive);

#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/hash.h"
#include "base/string_table.h"

// The output paths a study has used, so that no file is written twice in one
// study, whether or not the write that used them succeeded. Folders are told
// apart by identity (device and inode), so that two spellings of one folder
// (a link to it, "./v/", "v//") share their names; a folder that does not
// exist is known by its path, made absolute and lexically normal.
class TOutputNames {
 public:
  TOutputNames();
  ~TOutputNames();
  TOutputNames(const TOutputNames&) = delete;
  TOutputNames& operator=(const TOutputNames&) = delete;

  // Claims directory/name and returns the path to write: directory/name itself
  // when unused, otherwise the first free variant with "~2", "~3", ... inserted
  // before extension (which must end name) or, for an empty extension,
  // appended to name. renamed tells which case it was. A name claimed again
  // and again goes on from the number it reached, so claiming stays linear.
  std::string claim(std::string_view directory, std::string_view name, std::string_view extension,
                    bool& renamed);

  // Claims a whole path (for example the log file) without renaming it.
  void reserve(const std::string& path);

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return hashBytes(text); }
  };
  // The names used in one folder. A study claims hundreds of thousands of
  // them, so they are interned in one arena rather than held as a node and a
  // string each; next holds, by name id, the number its next variant tries.
  struct NameSet {
    TStringTable names;
    std::vector<std::uint32_t> next;
    // Adds name; false when it was there already. id is its id either way.
    bool insert(std::string_view name, std::uint32_t& id);
  };

  // The names used in the folder that directory names.
  NameSet& namesIn(std::string_view directory);

  // Names used, by folder identity (or normal path).
  std::unordered_map<std::string, std::unique_ptr<NameSet>, Hash, std::equal_to<>> used_;
  // The name sets of directories as the settings spell them.
  std::unordered_map<std::string, NameSet*, Hash, std::equal_to<>> spelled_;
};

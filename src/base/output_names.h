#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/hash.h"
#include "base/string_table.h"

// The output paths a study has used, so that no file is written twice in one
// study. Paths are compared after lexical normalisation against the current
// directory, whether or not the write that used them succeeded.
class TOutputNames {
 public:
  TOutputNames();
  ~TOutputNames();
  TOutputNames(const TOutputNames&) = delete;
  TOutputNames& operator=(const TOutputNames&) = delete;

  // Claims directory/name and returns the path to write: directory/name itself
  // when unused, otherwise the first free variant with "~2", "~3", ... inserted
  // before extension (which must end name) or, for an empty extension,
  // appended to name. renamed tells which case it was.
  std::string claim(std::string_view directory, std::string_view name, std::string_view extension,
                    bool& renamed);

  // Claims a whole path (for example the log file) without renaming it.
  void reserve(const std::string& path);

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return hashBytes(text); }
  };
  // The names used in one directory. A study claims hundreds of thousands of
  // them, so they are interned in one arena rather than held as a node and a
  // string each.
  using NameSet = TStringTable;

  // Adds name to names; false when it was there already.
  static bool insert(NameSet& names, std::string_view name);
  // The names used in the directory that directory normalises to.
  NameSet& namesIn(std::string_view directory);

  // Names used, by normalised directory.
  std::unordered_map<std::string, std::unique_ptr<NameSet>, Hash, std::equal_to<>> used_;
  // The name sets of directories as the settings spell them.
  std::unordered_map<std::string, NameSet*, Hash, std::equal_to<>> spelled_;
};

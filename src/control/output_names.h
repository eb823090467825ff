#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

// The output paths a study has used, so that no file is written twice in one
// study. Paths are compared after lexical normalisation against the current
// directory, whether or not the write that used them succeeded.
class TOutputNames {
 public:
  // Claims directory/name and returns the path to write: directory/name itself
  // when unused, otherwise the first free variant with "~2", "~3", ... inserted
  // before extension (which must end name) or, for an empty extension,
  // appended to name. renamed tells which case it was.
  std::string claim(std::string_view directory, std::string_view name, std::string_view extension,
                    bool& renamed);

  // Claims a whole path (for example the log file) without renaming it.
  void reserve(const std::string& path);

 private:
  const std::string& normalDirectory(std::string_view directory);

  std::unordered_set<std::string> used_;
  std::unordered_map<std::string, std::string> normalDirectories_;
};

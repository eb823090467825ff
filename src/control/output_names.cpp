#include "control/output_names.h"

#include <filesystem>

#include "control/text_file.h"

namespace {
std::string normalized(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) absolute = path;
  std::string text = absolute.lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}
}  // namespace

TOutputNames::TOutputNames() = default;
TOutputNames::~TOutputNames() = default;

TOutputNames::NameSet& TOutputNames::namesIn(std::string_view directory) {
  auto it = spelled_.find(directory);
  if (it == spelled_.end()) {
    NameSet& names = used_[normalized(std::string(directory))];
    it = spelled_.emplace(std::string(directory), &names).first;
  }
  return *it->second;
}

void TOutputNames::reserve(const std::string& path) {
  const std::filesystem::path whole(normalized(path));
  used_[whole.parent_path().string()].insert(whole.filename().string());
}

std::string TOutputNames::claim(std::string_view directory, std::string_view name,
                                std::string_view extension, bool& renamed) {
  // Names never hold a separator, so a name within the normal form of its
  // directory stands for the normal form of the whole path.
  NameSet& names = namesIn(directory);
  renamed = false;
  if (names.emplace(name).second) return joinPath(directory, name);

  renamed = true;
  const std::string_view base = name.substr(0, name.size() - extension.size());
  for (int n = 2;; ++n) {
    std::string candidate(base);
    candidate += '~';
    candidate += std::to_string(n);
    candidate += extension;
    if (names.insert(candidate).second) return joinPath(directory, candidate);
  }
}

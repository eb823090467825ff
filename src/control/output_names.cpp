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

const std::string& TOutputNames::normalDirectory(std::string_view directory) {
  std::string key(directory);
  auto it = normalDirectories_.find(key);
  if (it == normalDirectories_.end()) {
    std::string normal = normalized(key);
    it = normalDirectories_.emplace(std::move(key), std::move(normal)).first;
  }
  return it->second;
}

void TOutputNames::reserve(const std::string& path) { used_.insert(normalized(path)); }

std::string TOutputNames::claim(std::string_view directory, std::string_view name,
                                std::string_view extension, bool& renamed) {
  // Names never hold a separator, so the normal form of the directory plus the
  // name is the normal form of the whole path.
  const std::string& normalDir = normalDirectory(directory);
  renamed = false;
  if (used_.insert(joinPath(normalDir, name)).second) return joinPath(directory, name);

  renamed = true;
  const std::string_view base = name.substr(0, name.size() - extension.size());
  for (int n = 2;; ++n) {
    std::string candidate(base);
    candidate += '~';
    candidate += std::to_string(n);
    candidate += extension;
    if (used_.insert(joinPath(normalDir, candidate)).second) return joinPath(directory, candidate);
  }
}

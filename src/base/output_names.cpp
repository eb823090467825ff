#include "base/output_names.h"

#include <filesystem>

#include "base/text_file.h"

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

bool TOutputNames::insert(NameSet& names, std::string_view name) {
  const std::uint32_t before = names.size();
  names.intern(name);
  return names.size() != before;
}

TOutputNames::NameSet& TOutputNames::namesIn(std::string_view directory) {
  auto it = spelled_.find(directory);
  if (it == spelled_.end()) {
    std::unique_ptr<NameSet>& names = used_[normalized(std::string(directory))];
    if (!names) names = std::make_unique<NameSet>();
    it = spelled_.emplace(std::string(directory), names.get()).first;
  }
  return *it->second;
}

void TOutputNames::reserve(const std::string& path) {
  const std::filesystem::path whole(normalized(path));
  std::unique_ptr<NameSet>& names = used_[whole.parent_path().string()];
  if (!names) names = std::make_unique<NameSet>();
  insert(*names, whole.filename().string());
}

std::string TOutputNames::claim(std::string_view directory, std::string_view name,
                                std::string_view extension, bool& renamed) {
  // Names never hold a separator, so a name within the normal form of its
  // directory stands for the normal form of the whole path.
  NameSet& names = namesIn(directory);
  renamed = false;
  if (insert(names, name)) return joinPath(directory, name);

  renamed = true;
  const std::string_view base = name.substr(0, name.size() - extension.size());
  for (int n = 2;; ++n) {
    std::string candidate(base);
    candidate += '~';
    candidate += std::to_string(n);
    candidate += extension;
    if (insert(names, candidate)) return joinPath(directory, candidate);
  }
}

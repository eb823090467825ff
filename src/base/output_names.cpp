#include "base/output_names.h"

#include <filesystem>

#include "base/file_identity.h"
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

// The key of the folder directory names: its identity when it exists (a key
// no path can spell, since it begins with a NUL), else its normal path.
std::string folderKey(const std::string& directory) {
  TFileIdentity identity;
  if (identityOfPath(directory.empty() ? "." : directory, identity)) {
    std::string key(1, '\0');
    key += std::to_string(identity.device);
    key += ':';
    key += std::to_string(identity.inode);
    return key;
  }
  return normalized(directory);
}
}  // namespace

TOutputNames::TOutputNames() = default;
TOutputNames::~TOutputNames() = default;

bool TOutputNames::NameSet::insert(std::string_view name, std::uint32_t& id) {
  const std::uint32_t before = names.size();
  id = names.intern(name);
  if (names.size() == before) return false;
  next.push_back(2);
  return true;
}

TOutputNames::NameSet& TOutputNames::namesIn(std::string_view directory) {
  auto it = spelled_.find(directory);
  if (it == spelled_.end()) {
    std::unique_ptr<NameSet>& names = used_[folderKey(std::string(directory))];
    if (!names) names = std::make_unique<NameSet>();
    it = spelled_.emplace(std::string(directory), names.get()).first;
  }
  return *it->second;
}

void TOutputNames::reserve(const std::string& path) {
  const std::size_t cut = path.rfind(kPathSeparator);
  const std::string directory = cut == std::string::npos ? "." : path.substr(0, cut);
  std::uint32_t id;
  (void)namesIn(directory).insert(
      cut == std::string::npos ? std::string_view(path) : std::string_view(path).substr(cut + 1),
      id);
}

std::string TOutputNames::claim(std::string_view directory, std::string_view name,
                                std::string_view extension, bool& renamed) {
  NameSet& names = namesIn(directory);
  renamed = false;
  std::uint32_t id;
  if (names.insert(name, id)) return joinPath(directory, name);

  renamed = true;
  const std::string_view base = name.substr(0, name.size() - extension.size());
  std::string candidate;
  for (std::uint32_t n = names.next[id];; ++n) {
    candidate.assign(base);
    candidate += '~';
    candidate += std::to_string(n);
    candidate += extension;
    std::uint32_t variant;
    if (names.insert(candidate, variant)) {
      names.next[id] = n + 1;
      return joinPath(directory, candidate);
    }
  }
}

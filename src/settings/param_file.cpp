#include "settings/param_file.h"

#include "settings/environment.h"
#include "base/text_file.h"

namespace {
constexpr std::string_view kWhitespace = " \n\r\t";
}  // namespace

std::string TParamFile::readWholeFile(const std::string& path) {
  if (path.empty()) return {};
  std::string text;
  if (!readTextFile(path, text)) throw VrxException("file_not_exists: " + path);
  // Every line ends in "\n", the last one too; a file that ends with a line
  // break therefore gains one more.
  text.push_back('\n');
  return text;
}

std::string TParamFile::trim(std::string_view text, std::string_view set) {
  const std::size_t begin = text.find_first_not_of(set);
  if (begin == std::string_view::npos) return {};
  const std::size_t end = text.find_last_not_of(set);
  return std::string(text.substr(begin, end - begin + 1));
}

std::int32_t TParamFile::load(const std::string& path) {
  if (path.empty()) return -1;
  const std::string text = readWholeFile(path);
  const std::string_view all(text);
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = all.find(lineBreak_, start);
    if (end == std::string_view::npos) break;
    const std::string_view line = all.substr(start, end - start);
    start = end + lineBreak_.size();

    const std::size_t split = line.find(separator_);
    if (split == std::string_view::npos) continue;
    if (line.starts_with(commentMarker_)) continue;
    std::string key = trim(line.substr(0, split), kWhitespace);
    std::string value = trim(line.substr(split + separator_.size()), kWhitespace);
    if (key.empty() || value.empty()) continue;
    entries_.try_emplace(std::move(key), std::move(value));
  }
  return count();
}

std::string TParamFile::get(std::string_view key) const {
  if (key.empty()) return {};
  const auto it = entries_.find(key);
  return it == entries_.end() ? std::string() : it->second;
}

void TParamFile::set(const std::string& key, const std::string& value) {
  if (key.empty() || value.empty()) return;
  entries_.insert_or_assign(key, value);
}

std::string TParamFile::messageText(std::string_view key, std::string_view argument) const {
  std::string text = get(key);
  if (text.empty()) {
    std::string fallback(key);
    fallback.push_back(' ');
    fallback.append(argument);
    return fallback;
  }
  const std::string& placeholder = environment ? environment->config->placeholder : kPlaceholder;
  const std::size_t at = text.find(placeholder);
  if (at != std::string::npos) text.replace(at, placeholder.size(), argument);
  return text;
}

#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

// The chunks of one text with the number of times each occurs.
class TVocabulary {
 public:
  TVocabulary() = default;
  TVocabulary(const TVocabulary&) = delete;
  TVocabulary& operator=(const TVocabulary&) = delete;

  // Counts one more occurrence of chunk; an empty chunk is ignored.
  void addChunk(std::string_view chunk);
  // -1 for an empty chunk, 0 when absent, else its count.
  [[nodiscard]] std::int32_t countOf(std::string_view chunk) const;
  // The number of distinct chunks.
  std::int32_t size() const { return static_cast<std::int32_t>(counts_.size()); }
  void clear() { counts_.clear(); }

  // Visits every (chunk, count) once, in no particular order.
  template <typename Visitor>
  void forEachEntry(Visitor&& visit) const {
    for (const auto& [chunk, count] : counts_) visit(std::string_view(chunk), count);
  }

  // Writes the vocabulary file at path, replacing it. Returns the number of
  // entries written, or -1 when the file could not be written whole.
  std::int32_t saveToFile(const std::string& path) const;

  // The bytes saveToFile writes.
  std::string fileText() const;

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };
  std::unordered_map<std::string, std::int32_t, Hash, std::equal_to<>> counts_;
};

#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The stop words, punctuation marks and numbers of the study's language, and
// the name of its Snowball stemmer, read from a language file: each list is
// the non-empty lines between a line that holds its start marker and the next
// line that holds its stop marker, byte for byte. Everything outside the
// sections is ignored.
class TWordLists {
 public:
  TWordLists() = default;

  // Reads the file at path. Returns false, changing nothing, for an empty
  // path or a file that cannot be read.
  bool load(const std::string& path);
  // Reads the lists from text, a language file's content. Returns true.
  bool loadText(std::string_view text);

  std::int32_t stopWordCount() const { return static_cast<std::int32_t>(stopWords_.size()); }
  // The entry at index, or null when index is out of range.
  const std::string* stopWordAt(std::int32_t index) const { return at(stopWords_, index); }
  std::int32_t punctuationCount() const { return static_cast<std::int32_t>(punctuation_.size()); }
  const std::string* punctuationAt(std::int32_t index) const { return at(punctuation_, index); }
  const std::vector<std::string>& stopWords() const { return stopWords_; }
  const std::vector<std::string>& punctuation() const { return punctuation_; }
  const std::vector<std::string>& numbers() const { return numbers_; }
  // The stemmer section's first entry ("french", "ru"), or empty.
  std::string stemmerLanguage() const { return stemmer_.empty() ? std::string() : stemmer_[0]; }

 private:
  static const std::string* at(const std::vector<std::string>& list, std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return nullptr;
    return &list[static_cast<std::size_t>(index)];
  }

  std::vector<std::string> stopWords_;
  std::vector<std::string> punctuation_;
  std::vector<std::string> numbers_;
  std::vector<std::string> stemmer_;
  std::string startStopWords_ = "[start stopWords]";
  std::string stopStopWords_ = "[stop stopWords]";
  std::string startPunctuation_ = "[start punctuation]";
  std::string stopPunctuation_ = "[stop punctuation]";
  std::string startNumbers_ = "[start numbers]";
  std::string stopNumbers_ = "[stop numbers]";
  std::string startStemmer_ = "[start stemmer]";
  std::string stopStemmer_ = "[stop stemmer]";
};

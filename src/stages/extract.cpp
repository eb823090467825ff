#include "stages/extract.h"

#include <string>
#include <string_view>
#include <vector>

#include "control/config.h"
#include "control/environment.h"
#include "documents/files.h"

void TExtractGrams::configure(const TConfig& config) { gramsSize_ = config.gramsSize; }

namespace {

// The "C" locale's white space: blank, tab, line feed, vertical tab, form feed
// and carriage return.
constexpr bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The words of a text, one at a time, as views into it.
class WordReader {
 public:
  explicit WordReader(std::string_view text) : text_(text) {}

  bool next(std::string_view& word) {
    while (pos_ < text_.size() && isBlank(text_[pos_])) ++pos_;
    if (pos_ == text_.size()) return false;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !isBlank(text_[pos_])) ++pos_;
    word = text_.substr(start, pos_ - start);
    return true;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

std::int32_t TExtractGrams::extractDocument(TDoc* doc) const {
  if (!doc || doc->text().empty()) return -1;
  TVocabulary* vocabulary = doc->vocabulary();
  if (gramsSize_ > 0 && vocabulary) {
    const auto n = static_cast<std::size_t>(gramsSize_);
    const std::string_view text = doc->text();
    TChunkDictionary& dictionary = vocabulary->dictionary();
    WordReader reader(text);
    // The window is a ring of the last n words.
    std::vector<std::string_view> window(n);
    std::size_t held = 0;
    std::string_view word;
    while (held < n && reader.next(word)) window[held++] = word;
    std::vector<std::uint32_t> ids;
    std::string joined;
    std::size_t front = 0;
    while (held > 0) {
      const std::string_view firstWord = window[front];
      const std::string_view lastWord = window[(front + held - 1) % n];
      // Words separated by single blanks already stand in the text as the
      // chunk; others are joined in a buffer.
      const std::size_t span =
          static_cast<std::size_t>(lastWord.data() + lastWord.size() - firstWord.data());
      std::size_t letters = 0;
      for (std::size_t w = 0; w < held; ++w) letters += window[(front + w) % n].size();
      std::string_view chunk(firstWord.data(), span);
      if (span != letters + held - 1 || chunk.find_first_of("\t\n\v\f\r") != std::string_view::npos) {
        joined.clear();
        for (std::size_t w = 0; w < held; ++w) {
          if (w) joined += ' ';
          joined += window[(front + w) % n];
        }
        chunk = joined;
      }
      ids.push_back(dictionary.intern(chunk));
      if (held < n || !reader.next(word)) break;
      window[front] = word;
      front = (front + 1) % n;
    }
    vocabulary->addChunkIds(ids);
  }
  return doc->chunkCount();
}

std::int32_t TExtractGrams::run(TFiles& files) {
  if (!files.allExist()) return -1;
  std::int32_t size = files.count();
  for (std::int32_t i = 0; i < size;) {
    TDoc* doc = files.get(i);
    if (extractDocument(doc) >= 0) {
      ++i;
      continue;
    }
    const std::string path = doc->fullPath();
    if (environment) environment->warning("warning_chunks_not_extracted", path);
    if (files.remove(i)) {
      --size;
      if (environment && environment->config->isToshowLog) {
        environment->log->addWarning(environment->text("file_removed_from_process", path));
      }
    }
  }
  if (files.count() > 0) files.dictionary().releaseScratch();
  return files.count();
}

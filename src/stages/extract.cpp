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
  if (gramsSize_ > 0) {
    const auto n = static_cast<std::size_t>(gramsSize_);
    WordReader reader(doc->text());
    // The window is a ring of the last n words; chunk is rebuilt from it.
    std::vector<std::string_view> window(n);
    std::size_t held = 0;
    std::string_view word;
    while (held < n && reader.next(word)) window[held++] = word;
    if (held > 0) {
      std::string chunk;
      std::size_t front = 0;
      for (;;) {
        chunk.clear();
        for (std::size_t w = 0; w < held; ++w) {
          if (w) chunk += ' ';
          chunk += window[(front + w) % n];
        }
        doc->addChunk(chunk);
        if (held < n || !reader.next(word)) break;
        window[front] = word;
        front = (front + 1) % n;
      }
    }
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
  return files.count();
}

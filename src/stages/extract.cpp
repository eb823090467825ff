#include "stages/extract.h"

#include <string>
#include <string_view>
#include <vector>

#include "documents/chunk_counter.h"
#include "documents/files.h"
#include "settings/config.h"
#include "settings/environment.h"

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
  TChunkCounter counter;
  return extractDocument(doc, counter);
}

std::int32_t TExtractGrams::extractDocument(TDoc* doc, TChunkCounter& counter) const {
  if (!doc || doc->text().empty()) return -1;
  TVocabulary* vocabulary = doc->vocabulary();
  if (gramsSize_ > 0 && vocabulary) {
    const auto n = static_cast<std::size_t>(gramsSize_);
    const std::string_view text = doc->text();
    WordReader reader(text);
    // The window is a ring of the last n words.
    std::vector<std::string_view> window(n);
    std::size_t held = 0;
    std::string_view word;
    while (held < n && reader.next(word)) window[held++] = word;
    std::vector<std::uint32_t> ids;
    TChunkDictionary::Batch pipeline(vocabulary->dictionary(), ids);
    std::size_t front = 0;
    while (held > 0) {
      // Words separated by single blanks already stand in the text as the
      // chunk; others are joined in a buffer.
      const char* begin = window[front].data();
      bool contiguous = true;
      for (std::size_t w = 1; w < held && contiguous; ++w) {
        const std::string_view previous = window[(front + w - 1) % n];
        const char* gap = previous.data() + previous.size();
        contiguous = *gap == ' ' && gap + 1 == window[(front + w) % n].data();
      }
      if (contiguous) {
        const std::string_view last = window[(front + held - 1) % n];
        pipeline.add(
            std::string_view(begin, static_cast<std::size_t>(last.data() + last.size() - begin)));
      } else {
        std::string& joined = pipeline.buildBuffer();
        joined.clear();
        for (std::size_t w = 0; w < held; ++w) {
          if (w) joined += ' ';
          joined += window[(front + w) % n];
        }
        pipeline.addBuilt();
      }
      if (held < n || !reader.next(word)) break;
      window[front] = word;
      front = (front + 1) % n;
    }
    pipeline.flush();
    vocabulary->addChunkIds(ids, counter);
  }
  return doc->chunkCount();
}

std::int32_t TExtractGrams::run(TFiles& files) {
  if (!files.allExist()) return -1;
  std::int32_t size = files.count();
  // One counter serves every document and is freed when the run ends.
  TChunkCounter counter;
  for (std::int32_t i = 0; i < size;) {
    TDoc* doc = files.get(i);
    if (extractDocument(doc, counter) >= 0) {
      ++i;
      showProgress("Extracting chunks", i, size);
      continue;
    }
    const std::string path = doc->fullPath();
    logWarning("warning_chunks_not_extracted", path);
    if (files.remove(i)) {
      --size;
      logWarningWithProgress("file_removed_from_process", path);
    }
  }
  return files.count();
}

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

namespace {

// Interns chunks a few steps after hashing them, with the table slot of each
// prefetched meanwhile, so that the look-ups of a batch overlap their waits
// for memory. Chunks that had to be joined are kept in buffers of their own
// until interned.
class ChunkPipeline {
 public:
  ChunkPipeline(TChunkDictionary& dictionary, std::vector<std::uint32_t>& ids)
      : dictionary_(dictionary), ids_(ids), deep_(dictionary.size() >= kDeep) {}

  // The next chunk, a view that must stay valid until flush().
  void add(std::string_view chunk) {
    makeRoom();
    push(chunk);
  }
  // A buffer to join the next chunk in, then added with addJoined().
  std::string& joinBuffer() {
    makeRoom();
    return joined_[next_];
  }
  void addJoined() { push(joined_[next_]); }

  void flush() {
    for (std::size_t i = 0; i < pending_; ++i) {
      const std::size_t slot = (next_ + kDepth - pending_ + i) % kDepth;
      ids_.push_back(dictionary_.intern(chunks_[slot], hashes_[slot]));
    }
    pending_ = 0;
  }

 private:
  static constexpr std::size_t kDepth = 16;
  static constexpr std::size_t kWhereStep = 5;
  static constexpr std::size_t kTextStep = 10;
  static constexpr std::uint32_t kDeep = 1 << 16;

  // Interns the oldest pending chunk when every place is taken.
  void makeRoom() {
    if (pending_ == kDepth) {
      ids_.push_back(dictionary_.intern(chunks_[next_], hashes_[next_]));
      --pending_;
    }
  }

  void push(std::string_view chunk) {
    // Each pending chunk goes through three loads, a few chunks apart: its
    // table slot, then where the text found there is kept, then that text.
    // A small dictionary stays in cache, where the later two would only cost.
    if (deep_ && pending_ > kWhereStep) {
      dictionary_.prefetchWhereFound(hashes_[(next_ + kDepth - kWhereStep) % kDepth]);
    }
    if (deep_ && pending_ > kTextStep) {
      dictionary_.prefetchTextFound(hashes_[(next_ + kDepth - kTextStep) % kDepth]);
    }
    hashes_[next_] = static_cast<std::uint32_t>(TChunkDictionary::hash(chunk));
    dictionary_.prefetch(hashes_[next_]);
    chunks_[next_] = chunk;
    next_ = (next_ + 1) % kDepth;
    ++pending_;
  }

  TChunkDictionary& dictionary_;
  std::vector<std::uint32_t>& ids_;
  const bool deep_;
  std::string_view chunks_[kDepth];
  std::uint32_t hashes_[kDepth] = {};
  std::string joined_[kDepth];
  std::size_t next_ = 0;
  std::size_t pending_ = 0;
};

}  // namespace

std::int32_t TExtractGrams::extractDocument(TDoc* doc) const {
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
    ChunkPipeline pipeline(vocabulary->dictionary(), ids);
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
        std::string& joined = pipeline.joinBuffer();
        joined.clear();
        for (std::size_t w = 0; w < held; ++w) {
          if (w) joined += ' ';
          joined += window[(front + w) % n];
        }
        pipeline.addJoined();
      }
      if (held < n || !reader.next(word)) break;
      window[front] = word;
      front = (front + 1) % n;
    }
    pipeline.flush();
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

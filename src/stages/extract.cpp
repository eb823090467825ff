#include "stages/extract.h"

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "base/work_pool.h"
#include "documents/chunk_counter.h"
#include "documents/files.h"
#include "settings/config.h"
#include "settings/environment.h"

void TExtractGrams::configure(const TConfig& config) {
  gramsSize_ = config.gramsSize;
  threads_ = config.threadCount();
}

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

// Hands the chunks of text, gramsSize words each, to sink in text order:
// sink.add(view) for a chunk that stands in the text as it is, or
// sink.buildBuffer() filled and then sink.addBuilt() for one joined anew.
template <typename Sink>
void cutChunks(std::string_view text, std::size_t n, Sink& sink) {
  WordReader reader(text);
  // The window is a ring of the last n words.
  std::vector<std::string_view> window(n);
  std::size_t held = 0;
  std::string_view word;
  while (held < n && reader.next(word)) window[held++] = word;
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
      sink.add(
          std::string_view(begin, static_cast<std::size_t>(last.data() + last.size() - begin)));
    } else {
      std::string& joined = sink.buildBuffer();
      joined.clear();
      for (std::size_t w = 0; w < held; ++w) {
        if (w) joined += ' ';
        joined += window[(front + w) % n];
      }
      sink.addBuilt();
    }
    if (held < n || !reader.next(word)) break;
    window[front] = word;
    front = (front + 1) % n;
  }
}

// The chunks of one document cut ahead of their interning, with their
// hashes; joined chunks live in built, whose strings never move.
class ChunkList {
 public:
  void add(std::string_view text) {
    texts_.push_back(text);
    hashes_.push_back(TChunkDictionary::hashOf(text));
  }
  std::string& buildBuffer() {
    if (builtUsed_ == built_.size()) built_.emplace_back();
    return built_[builtUsed_];
  }
  void addBuilt() { add(built_[builtUsed_++]); }

  // Interns the chunks in order through pipeline.
  void intern(TChunkDictionary::Batch& pipeline) const {
    for (std::size_t i = 0; i < texts_.size(); ++i) pipeline.add(texts_[i], hashes_[i]);
  }
  // Frees everything held.
  void release() {
    std::vector<std::string_view>().swap(texts_);
    std::vector<std::uint32_t>().swap(hashes_);
    std::deque<std::string>().swap(built_);
    builtUsed_ = 0;
  }

  // Whether the document had chunks to cut (see extractDocument's -1).
  bool usable = false;

 private:
  std::vector<std::string_view> texts_;
  std::vector<std::uint32_t> hashes_;
  std::deque<std::string> built_;
  std::size_t builtUsed_ = 0;
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
    std::vector<std::uint32_t> ids;
    TChunkDictionary::Batch pipeline(vocabulary->dictionary(), ids);
    cutChunks(doc->text(), static_cast<std::size_t>(gramsSize_), pipeline);
    pipeline.flush();
    vocabulary->addChunkIds(ids, counter);
  }
  return doc->chunkCount();
}

std::int32_t TExtractGrams::run(TFiles& files) {
  if (!files.allExist()) return -1;
  if (threads_ > 1 && files.count() > 1) return runOnThreads(files);
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

std::int32_t TExtractGrams::runOnThreads(TFiles& files) {
  // Workers cut the documents' chunks ahead; this thread interns and counts
  // them in document order, so that chunk ids are those of one thread.
  std::vector<TDoc*> docs;
  for (std::int32_t i = 0; i < files.count(); ++i) docs.push_back(files.get(i));
  const auto workers = static_cast<std::size_t>(threads_);
  std::vector<ChunkList> lists(docs.size());
  TChunkCounter counter;
  std::vector<std::uint32_t> ids;
  std::int32_t index = 0;
  prepareAhead(
      workers, docs.size(), 4 * workers,
      [&](std::size_t, std::size_t k) {
        const TDoc* doc = docs[k];
        if (!doc || doc->text().empty()) return;
        lists[k].usable = true;
        if (gramsSize_ > 0 && doc->vocabulary()) {
          cutChunks(doc->text(), static_cast<std::size_t>(gramsSize_), lists[k]);
        }
      },
      [&](std::size_t k) {
        TDoc* doc = docs[k];
        ChunkList& list = lists[k];
        if (list.usable) {
          if (gramsSize_ > 0 && doc->vocabulary()) {
            TVocabulary* vocabulary = doc->vocabulary();
            ids.clear();
            TChunkDictionary::Batch pipeline(vocabulary->dictionary(), ids);
            list.intern(pipeline);
            pipeline.flush();
            vocabulary->addChunkIds(ids, counter);
          }
          list.release();
          ++index;
          showProgress("Extracting chunks", static_cast<std::int64_t>(k + 1),
                       static_cast<std::int64_t>(docs.size()));
          return;
        }
        const std::string path = doc->fullPath();
        logWarning("warning_chunks_not_extracted", path);
        if (files.remove(index)) logWarningWithProgress("file_removed_from_process", path);
      });
  return files.count();
}

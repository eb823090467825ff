#include "stages/extract.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/free_memory.h"
#include "base/work_pool.h"
#include "documents/chunk_counter.h"
#include "documents/files.h"
#include "settings/config.h"
#include "settings/environment.h"

void TExtractGrams::configure(const TConfig& config) {
  gramsSize_ = config.gramsSize;
  threads_ = config.threadCount();
  releaseTexts_ = config.dirResults.empty();
}

namespace {

// The "C" locale's white space: blank, tab, line feed, vertical tab, form feed
// and carriage return.
constexpr bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The words of a text, one at a time, as views into it.
class WordReader {
 public:
  explicit WordReader(std::string_view text, std::size_t from = 0) : text_(text), pos_(from) {}

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

// The number of words of text: at least its number of chunks.
std::size_t countWords(std::string_view text) {
  std::size_t words = 0;
  bool inWord = false;
  for (const char c : text) {
    const bool blank = isBlank(c);
    words += static_cast<std::size_t>(inWord && blank);
    inWord = !blank;
  }
  return words + static_cast<std::size_t>(inWord);
}

// Sizes the dictionary's list of chunks and the counter for every chunk the
// documents could add, words counting for chunks, so that neither moves while
// much else is held; they claim memory from the system only as chunks come.
// The look-up index starts out sized for half of those chunks: a study's
// documents share chunks, but seldom so many that fewer than half of their
// chunks differ, and starting there spares the index its small growths.
void makeRoomForChunks(TChunkDictionary& dictionary, TChunkCounter& counter,
                       const std::vector<std::size_t>& words) {
  std::size_t adding = 0;
  for (const std::size_t w : words) adding += w;
  dictionary.reserve(dictionary.size() + adding);
  dictionary.reserveLookups(dictionary.size() + adding / 2);
  counter.reserve(dictionary.size() + adding);
}

// Sizes the dictionary's look-up index for the chunks one more document of
// this many words could add. Documents share many chunks, so the index is
// sized for what it holds so far rather than for every chunk of the study:
// each of its slots is cleared, and so touched, when made.
void makeRoomForDocument(TChunkDictionary& dictionary, std::size_t words) {
  dictionary.reserveLookups(dictionary.size() + words);
}

// Hands the chunks of text, gramsSize words each, to sink in text order:
// sink.add(view) for a chunk that stands in the text as it is, or
// sink.buildBuffer() filled and then sink.addBuilt() for one joined anew.
// Only chunks whose first word begins in [from, to) are handed on, from being
// the start of a word or 0; a text of fewer than n words is one chunk.
template <typename Sink>
void cutChunks(std::string_view text, std::size_t from, std::size_t to, std::size_t n,
               Sink& sink) {
  WordReader reader(text, from);
  // The window is a ring of the last n words; apart[k] tells whether word k
  // of the ring stands apart from the word before it by anything other than
  // one blank, and apartCount how many of the window's words, its first
  // excepted, do.
  std::vector<std::string_view> window(n);
  std::vector<char> apart(n, 0);
  std::size_t apartCount = 0;
  const auto standsApart = [](std::string_view previous, std::string_view word) {
    const char* gap = previous.data() + previous.size();
    return !(*gap == ' ' && gap + 1 == word.data());
  };
  std::size_t held = 0;
  std::string_view word;
  while (held < n && reader.next(word)) {
    if (held > 0) {
      apart[held] = standsApart(window[held - 1], word) ? 1 : 0;
      apartCount += static_cast<std::size_t>(apart[held]);
    }
    window[held++] = word;
  }
  if (held == 0 || static_cast<std::size_t>(window[0].data() - text.data()) >= to) return;
  // A short window is a chunk only where it holds the whole text.
  if (held < n && from != 0) return;
  std::size_t front = 0;
  // The ring index after k.
  const auto after = [n](std::size_t k) { return k + 1 == n ? 0 : k + 1; };
  while (held > 0) {
    // Words separated by single blanks already stand in the text as the
    // chunk; others are joined in a buffer.
    const std::size_t back = held < n ? held - 1 : (front == 0 ? n - 1 : front - 1);
    if (apartCount == 0) {
      const char* begin = window[front].data();
      const std::string_view last = window[back];
      sink.add(
          std::string_view(begin, static_cast<std::size_t>(last.data() + last.size() - begin)));
    } else {
      std::string& joined = sink.buildBuffer();
      joined.clear();
      for (std::size_t w = 0, k = front; w < held; ++w, k = after(k)) {
        if (w) joined += ' ';
        joined += window[k];
      }
      sink.addBuilt();
    }
    if (held < n || !reader.next(word)) break;
    // The new word takes the front's place and becomes the last; the word
    // after the front becomes the first, whose gap no longer counts.
    const std::size_t next = after(front);
    apartCount -= static_cast<std::size_t>(apart[next]);
    apart[next] = 0;
    apart[front] = n > 1 && standsApart(window[back], word) ? 1 : 0;
    apartCount += static_cast<std::size_t>(apart[front]);
    window[front] = word;
    front = next;
    if (static_cast<std::size_t>(window[front].data() - text.data()) >= to) break;
  }
}

template <typename Sink>
void cutChunks(std::string_view text, std::size_t n, Sink& sink) {
  cutChunks(text, 0, text.size(), n, sink);
}

// Where the first word that begins at or after at begins (text.size() for
// none).
std::size_t wordStartFrom(std::string_view text, std::size_t at) {
  if (at > 0) {
    while (at < text.size() && !isBlank(text[at - 1]) && !isBlank(text[at])) ++at;
  }
  while (at < text.size() && isBlank(text[at])) ++at;
  return at;
}

// A stretch of one document whose chunks are cut as one piece of work:
// large documents are cut in several, so that cutting overlaps interning
// within a document and a piece waiting to be interned holds little memory.
struct Piece {
  std::size_t doc;
  std::size_t from;
  std::size_t to;
  bool last;  // the document's last piece
};
constexpr std::size_t kPieceBytes = std::size_t{1} << 18;

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
  // Empties the list for another piece, keeping its room.
  void clear() {
    texts_.clear();
    hashes_.clear();
    builtUsed_ = 0;
  }

 private:
  std::vector<std::string_view> texts_;
  std::vector<std::uint32_t> hashes_;
  std::deque<std::string> built_;
  std::size_t builtUsed_ = 0;
};

// Id buffers handed back by the lane that counts, for the next pieces: a few
// buffers serve in turn rather than one per piece.
class SpareIds {
 public:
  // Keeps ids, emptied, unless a few are kept already.
  void giveBack(std::vector<std::uint32_t>& ids) {
    ids.clear();
    const std::lock_guard lock(mutex_);
    if (spares_.size() < kKept) spares_.push_back(std::move(ids));
  }
  // An empty buffer, one kept if there is one.
  std::vector<std::uint32_t> take() {
    const std::lock_guard lock(mutex_);
    if (spares_.empty()) return {};
    std::vector<std::uint32_t> ids = std::move(spares_.back());
    spares_.pop_back();
    return ids;
  }

 private:
  static constexpr std::size_t kKept = 4;
  std::mutex mutex_;
  std::vector<std::vector<std::uint32_t>> spares_;
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
  // The words of each document still listed.
  std::vector<std::size_t> words;
  if (gramsSize_ > 0) {
    for (std::int32_t i = 0; i < size; ++i) words.push_back(countWords(files.get(i)->text()));
    makeRoomForChunks(files.dictionary(), counter, words);
  }
  for (std::int32_t i = 0; i < size;) {
    TDoc* doc = files.get(i);
    if (gramsSize_ > 0) makeRoomForDocument(files.dictionary(), words[static_cast<std::size_t>(i)]);
    if (extractDocument(doc, counter) >= 0) {
      if (releaseTexts_) doc->releaseText();
      ++i;
      showProgress("Extracting chunks", i, size);
      continue;
    }
    const std::string path = doc->fullPath();
    logWarning("warning_chunks_not_extracted", path);
    if (files.remove(i)) {
      --size;
      if (!words.empty()) words.erase(words.begin() + i);
      logWarningWithProgress("file_removed_from_process", path);
    }
  }
  return files.count();
}

std::int32_t TExtractGrams::runOnThreads(TFiles& files) {
  // Workers cut the documents' chunks ahead, piece by piece; this thread
  // interns and counts them in document order, so that chunk ids are those
  // of one thread.
  std::vector<TDoc*> docs;
  for (std::int32_t i = 0; i < files.count(); ++i) docs.push_back(files.get(i));
  const auto workers = static_cast<std::size_t>(threads_);
  const auto n = static_cast<std::size_t>(gramsSize_);
  TChunkCounter counter;
  std::vector<std::size_t> words(docs.size(), 0);
  if (gramsSize_ > 0) {
    runOnWorkers(workers, docs.size(), [&](std::size_t, std::size_t k) {
      if (docs[k]) words[k] = countWords(docs[k]->text());
    });
  }
  // The room is made when the first piece is interned, and the look-up
  // index grows when a document's first piece is, so that the workers cut
  // pieces meanwhile: a large index takes a while to clear.
  bool roomMade = gramsSize_ <= 0;
  const auto cuts = [&](const TDoc* doc) {
    return doc && !doc->text().empty() && gramsSize_ > 0 && doc->vocabulary();
  };
  // Pieces start where a word starts; a text of fewer than n words is one
  // chunk and stays whole.
  std::vector<Piece> pieces;
  for (std::size_t k = 0; k < docs.size(); ++k) {
    const std::size_t size = cuts(docs[k]) ? docs[k]->text().size() : 0;
    if (size <= kPieceBytes || words[k] < n) {
      pieces.push_back({k, 0, size, true});
      continue;
    }
    const std::string_view text = docs[k]->text();
    for (std::size_t from = 0; from < size;) {
      const std::size_t to = std::min(size, wordStartFrom(text, from + kPieceBytes));
      pieces.push_back({k, from, to, to == size});
      from = to;
    }
  }
  // Pieces are cut at most `ahead` past the one being interned, so that many
  // lists serve every piece in turn and keep their room from one to the next.
  const std::size_t ahead = 4 * workers;
  std::vector<ChunkList> lists(std::min(pieces.size(), ahead));
  std::vector<std::uint32_t> ids;
  std::int32_t index = 0;
  // Each interned piece is counted into its document's vocabulary on a lane
  // of its own, while this thread interns the next; the counter serves one
  // document at a time there. The lane is declared after what its tasks use,
  // so that it stops before they go.
  SpareIds spare;
  // Interned pieces wait in jobs to be counted, their ids one after another
  // in ids; they go to the lane together once they hold a few thousand ids,
  // since waking the lane for each small document costs more than counting it.
  struct CountJob {
    TVocabulary* vocabulary;
    std::uint32_t idCount;
    std::size_t from;
    std::size_t to;
    bool first;
    bool last;
  };
  constexpr std::size_t kHandedIds = std::size_t{1} << 14;
  std::vector<CountJob> jobs;
  TTaskLane counting;
  const auto handJobs = [&] {
    if (jobs.empty()) return;
    counting.hand([&counter, &spare, jobs = std::move(jobs), ids = std::move(ids)]() mutable {
      for (const CountJob& job : jobs) {
        if (job.first) job.vocabulary->beginCounting(counter, job.idCount);
        job.vocabulary->countIds(ids.data() + job.from, job.to - job.from, counter, job.idCount);
        if (job.last) job.vocabulary->endCounting(counter);
      }
      spare.giveBack(ids);
    });
    jobs.clear();
    ids = spare.take();
  };
  prepareAhead(
      workers, pieces.size(), ahead,
      [&](std::size_t, std::size_t p) {
        const Piece& piece = pieces[p];
        if (cuts(docs[piece.doc])) {
          cutChunks(docs[piece.doc]->text(), piece.from, piece.to, n, lists[p % ahead]);
        }
      },
      [&](std::size_t p) {
        if (!roomMade) {
          makeRoomForChunks(files.dictionary(), counter, words);
          roomMade = true;
        }
        const Piece& piece = pieces[p];
        TDoc* doc = docs[piece.doc];
        ChunkList& list = lists[p % ahead];
        if (doc && !doc->text().empty()) {
          if (cuts(doc)) {
            TVocabulary& vocabulary = *doc->vocabulary();
            if (piece.from == 0) makeRoomForDocument(vocabulary.dictionary(), words[piece.doc]);
            const std::size_t from = ids.size();
            TChunkDictionary::Batch pipeline(vocabulary.dictionary(), ids);
            list.intern(pipeline);
            pipeline.flush();
            const std::uint32_t idCount = vocabulary.dictionary().size();
            const bool first = piece.from == 0;
            // The lane claims no memory of its own, which would stay with it
            // rather than serve this thread again.
            if (first && vocabulary.size() == 0) vocabulary.reserveEntries(words[piece.doc]);
            jobs.push_back({&vocabulary, idCount, from, ids.size(), first, piece.last});
            if (ids.size() >= kHandedIds) handJobs();
          }
          list.clear();
          if (!piece.last) return;
          if (releaseTexts_) doc->releaseText();
          ++index;
          showProgress("Extracting chunks", static_cast<std::int64_t>(piece.doc + 1),
                       static_cast<std::int64_t>(docs.size()));
          return;
        }
        const std::string path = doc->fullPath();
        logWarning("warning_chunks_not_extracted", path);
        if (files.remove(index)) logWarningWithProgress("file_removed_from_process", path);
      });
  handJobs();
  counting.finish();
  std::vector<ChunkList>().swap(lists);
  // What the workers and the lane freed stays with their threads' memory
  // pools, where the threads that compare and save would not find it; it is
  // given back to the system instead.
  giveBackFreeMemory();
  return files.count();
}

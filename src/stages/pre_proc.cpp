#include "stages/pre_proc.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <string_view>
#include <vector>

#include "base/string_table.h"
#include "base/work_pool.h"
#include "stages/unicode_text.h"
#include "documents/files.h"
#include "settings/config.h"
#include "settings/environment.h"

void TPreProcDoc::configure(const TConfig& config) {
  removePontuation_ = config.removePontuation;
  removeStopWords_ = config.removeStopWords;
  removeNumbers_ = config.removeNumbers;
  lowerCase_ = config.lowerCase;
  threads_ = config.threadCount();
  if (config.languageText.empty()) {
    wordLists_.load(config.languageFileName);
  } else {
    wordLists_.loadText(config.languageText);
  }
  unicodeText_ = config.unicodeText;
  foldLookalikes_ = config.foldLookalikes;
  stemWords_ = config.stemWords;
  stemmerLanguage_ = config.stemmerLanguage;
  // The Unicode rules keep caches of code points and words that pay off
  // over the whole document set.
  unicode_.reset();
  if (unicodeText_) unicode_ = std::make_unique<TUnicodeText>(unicodeSteps());
}

TPreProcDoc::TPreProcDoc() = default;
TPreProcDoc::~TPreProcDoc() = default;
TPreProcDoc::TPreProcDoc(TPreProcDoc&&) noexcept = default;
TPreProcDoc& TPreProcDoc::operator=(TPreProcDoc&&) noexcept = default;

TUnicodeSteps TPreProcDoc::unicodeSteps() const {
  TUnicodeSteps steps;
  steps.removePontuation = removePontuation_;
  steps.removeNumbers = removeNumbers_;
  steps.lowerCase = lowerCase_;
  steps.removeStopWords = removeStopWords_;
  steps.foldLookalikes = foldLookalikes_;
  steps.stemWords = stemWords_;
  steps.punctuation = wordLists_.punctuation();
  steps.stopWords = wordLists_.stopWords();
  steps.stemmerLanguage =
      stemmerLanguage_.empty() ? wordLists_.stemmerLanguage() : stemmerLanguage_;
  return steps;
}

std::int32_t TPreProcDoc::run(TFiles& files) {
  logProgress("log_start_preProc", "", false);
  const std::int32_t n = files.count();
  const auto count = static_cast<std::size_t>(n);
  const std::size_t workers = std::min(static_cast<std::size_t>(threads_), count);
  if (workers <= 1) {
    for (std::int32_t i = 0; i < n; ++i) {
      processDocument(*files.get(i));
      showProgress("Pre-processing documents", i + 1, n);
    }
    return files.count();
  }
  // The Unicode rules keep caches of their own: one set per worker. The
  // progress entries are added afterwards, in document order.
  std::vector<std::unique_ptr<TUnicodeText>> rules(workers);
  if (unicode_) {
    for (std::size_t w = 1; w < workers; ++w) {
      rules[w] = std::make_unique<TUnicodeText>(unicodeSteps());
    }
  }
  std::vector<std::vector<const char*>> logged(count);
  runOnWorkers(workers, count, [&](std::size_t worker, std::size_t i) {
    TUnicodeText* unicode = worker == 0 ? unicode_.get() : rules[worker].get();
    rewriteDocument(*files.get(static_cast<std::int32_t>(i)), unicode, logged[i]);
  });
  for (std::size_t i = 0; i < count; ++i) {
    const std::string& path = files.get(static_cast<std::int32_t>(i))->fullPath();
    for (const char* key : logged[i]) logProgress(key, path, false);
  }
  showProgress("Pre-processing documents", n, n);
  return files.count();
}

void TPreProcDoc::processDocument(TDoc& doc) const {
  std::vector<const char*> logged;
  rewriteDocument(doc, unicode_.get(), logged);
  for (const char* key : logged) logProgress(key, doc.fullPath(), false);
}

void TPreProcDoc::rewriteDocument(TDoc& doc, TUnicodeText* unicode,
                                  std::vector<const char*>& logged) const {
  std::string working;
  working.reserve(doc.text().size() + 2);
  working += ' ';
  working += doc.text();
  working += ' ';
  if (unicode) {
    if (!unicode->rewrite(working)) return;
    for (const auto& [on, key] : {std::pair{removePontuation_, "log_punctuation_removed"},
                                  std::pair{removeNumbers_, "log_numbers_removed"},
                                  std::pair{lowerCase_, "log_lowercase_executed"},
                                  std::pair{removeStopWords_, "log_stopWord_removed"}}) {
      if (on) logged.push_back(key);
    }
    doc.setText(std::move(working));
    return;
  }

  struct Step {
    bool on;
    bool (*apply)(const TPreProcDoc&, std::string&);
    const char* key;
  };
  const Step steps[] = {
      {removePontuation_,
       [](const TPreProcDoc& p, std::string& t) { return p.stripPunctuation(t); },
       "log_punctuation_removed"},
      {removeNumbers_, [](const TPreProcDoc&, std::string& t) { return stripNumbers(t); },
       "log_numbers_removed"},
      {lowerCase_, [](const TPreProcDoc&, std::string& t) { return lowerText(t); },
       "log_lowercase_executed"},
      {removeStopWords_, [](const TPreProcDoc& p, std::string& t) { return p.stripStopWords(t); },
       "log_stopWord_removed"},
  };
  for (const Step& step : steps) {
    if (!step.on) continue;
    if (!step.apply(*this, working)) return;
    logged.push_back(step.key);
  }
  doc.setText(std::move(working));
}

bool TPreProcDoc::stripPunctuation(std::string& text) const {
  if (text.empty()) return false;
  for (const std::string& mark : wordLists_.punctuation()) {
    std::size_t k = std::string_view(text).find(mark);
    if (k == std::string_view::npos) continue;
    // Rewritten in place: what is written never gets ahead of what is read,
    // since each occurrence gives back at most as many bytes as it takes.
    char* const bytes = text.data();
    const std::string_view in(text);
    std::size_t write = 0;
    std::size_t read = 0;
    while (k != std::string_view::npos) {
      if (write != read) std::copy(bytes + read, bytes + k, bytes + write);
      write += k - read;
      const std::size_t after = k + mark.size();
      const bool blankBefore = write > 0 && bytes[write - 1] == ' ';
      const bool blankAfter = after < in.size() && in[after] == ' ';
      if (blankBefore && blankAfter) {
        // The mark goes with the blank after it; the search then resumes one
        // byte further, so the byte that follows that blank can't start a match.
        read = after + 1;
        if (read < in.size()) bytes[write++] = bytes[read++];
      } else {
        bytes[write++] = ' ';
        read = after;
      }
      k = in.find(mark, read);
    }
    if (write != read) std::copy(bytes + read, bytes + in.size(), bytes + write);
    text.resize(write + (in.size() - read));
  }
  return true;
}

bool TPreProcDoc::stripNumbers(std::string& text) {
  if (text.empty()) return false;
  std::size_t out = 0;
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      const bool beginsToken =
          out == 0 || text[out - 1] == ' ' || text[out - 1] == '\n' || text[out - 1] == '\t';
      if (beginsToken) {
        while (i < n && text[i] >= '0' && text[i] <= '9') ++i;
        continue;
      }
    }
    text[out++] = c;
    ++i;
  }
  text.resize(out);
  return true;
}

bool TPreProcDoc::lowerText(std::string& text) {
  if (text.empty()) return false;
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return true;
}

namespace {

// One pass of the stop word (or phrase) word over text: every occurrence of
// blank + word + blank becomes one blank, and the search goes on after that
// blank, so a following occurrence can't share it.
void stripPhrase(std::string& text, const std::string& word, std::string& out) {
  std::string pattern;
  pattern.reserve(word.size() + 2);
  pattern += ' ';
  pattern += word;
  pattern += ' ';
  const std::string_view in(text);
  std::size_t k = in.find(pattern);
  if (k == std::string_view::npos) return;
  out.clear();
  out.reserve(in.size());
  std::size_t i = 0;
  while (k != std::string_view::npos) {
    out.append(in, i, k - i);
    out += ' ';
    i = k + pattern.size();
    k = in.find(pattern, i);
  }
  out.append(in, i);
  text.swap(out);
}

// The passes of several stop words without blanks, one after another, over
// the text seen as its blank-separated tokens. An occurrence of
// blank + word + blank is exactly a token equal to word that is neither the
// first nor the last; a pass deletes such tokens from left to right, except
// the token right after one it has just deleted (whose blank was used up).
// Deleting a token with the blank after it is what replacing the occurrence
// by one blank does, so the text left is the text the passes give, found with
// one look-up per token instead of a search of the whole text per word.
//
// Only the tokens equal to some stop word (the matches) are kept, in text
// order; every other token stays whatever the passes do.
class TokenPasses {
 public:
  struct Match {
    std::size_t token;  // the token's place among all tokens of the text
    std::size_t start;  // its first byte in the text
    std::size_t length;
    std::size_t word;  // which distinct stop word it equals
  };

  // Adds the next match; matches come in text order.
  void add(const Match& match) { matches_.push_back(match); }
  // Closes the list once the text's tokens are all seen.
  void finish(std::size_t tokens) {
    lastToken_ = tokens - 1;
    matches_.push_back({SIZE_MAX, 0, 0, 0});  // a sentinel, never deleted
    next_.resize(matches_.size());
    for (std::size_t i = 0; i < next_.size(); ++i) next_[i] = i;
  }
  // The number of matches, the sentinel included.
  std::size_t matches() const { return matches_.size(); }
  std::size_t wordOf(std::size_t m) const { return matches_[m].word; }

  // One pass over the n matches list holds (their indices, increasing) that
  // equal one word; list keeps the ones the pass leaves, whose number is
  // returned.
  std::size_t pass(std::size_t* list, std::size_t n) {
    std::size_t blocked = SIZE_MAX;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t m = list[i];
      const std::size_t token = matches_[m].token;
      if (token == 0 || token == lastToken_ || m == blocked) {
        list[kept++] = m;
        continue;
      }
      next_[m] = m + 1;  // deleted: the matches after it now stand for it
      changed_ = true;
      // The token now after this one is the first match still there after
      // it, when the matches between are the very next tokens; otherwise it
      // is a token no pass deletes, and nothing is blocked.
      const std::size_t after = alive(m + 1);
      blocked = matches_[after].token - token == after - m ? after : SIZE_MAX;
    }
    return kept;
  }

  bool changed() const { return changed_; }

  // Removes every deleted token with the blank after it from text, in place.
  void apply(std::string& text) const {
    char* const bytes = text.data();
    std::size_t write = 0;
    std::size_t read = 0;
    const auto keep = [&](std::size_t until) {
      std::copy(bytes + read, bytes + until, bytes + write);  // write <= read
      write += until - read;
    };
    for (std::size_t m = 0; m + 1 < matches_.size(); ++m) {
      if (next_[m] == m) continue;
      keep(matches_[m].start);
      read = matches_[m].start + matches_[m].length + 1;
    }
    keep(text.size());
    text.resize(write);
  }

 private:
  // The first match at or after m that is not deleted (the sentinel never is).
  std::size_t alive(std::size_t m) {
    std::size_t root = m;
    while (next_[root] != root) root = next_[root];
    while (next_[m] != root) {
      const std::size_t up = next_[m];
      next_[m] = root;
      m = up;
    }
    return root;
  }

  std::vector<Match> matches_;
  // next_[m] == m for a match still there; otherwise a later match to look at.
  std::vector<std::size_t> next_;
  std::size_t lastToken_ = 0;
  bool changed_ = false;
};

// A run of stop words, for looking tokens up. Most tokens of a text are no
// stop word, and most of those are told apart by their length or first byte
// alone; the rest are looked up by hash.
class WordTable {
 public:
  WordTable(const std::vector<std::string>& words, std::size_t begin, std::size_t end)
      : table_(end - begin) {
    for (std::size_t w = begin; w < end; ++w) {
      const std::string_view word = words[w];
      lengths_ |= std::uint64_t{1} << (word.size() < 63 ? word.size() : 63);
      const std::size_t head = headOf(word);
      heads_[head / 64] |= std::uint64_t{1} << (head % 64);
      (void)table_.intern(word);
    }
  }

  // The number of distinct words.
  std::size_t size() const { return table_.size(); }

  // The index (among the distinct words, first seen first) of the word equal
  // to token, or -1.
  std::int64_t find(std::string_view token) const {
    if ((lengths_ >> (token.size() < 63 ? token.size() : 63) & 1) == 0) return -1;
    const std::size_t head = headOf(token);
    if ((heads_[head / 64] >> (head % 64) & 1) == 0) return -1;
    const std::uint32_t id = table_.find(token);
    return id == TStringTable::kNone ? -1 : std::int64_t{id};
  }

 private:
  // The first two bytes of text (zero for those it lacks) as one number.
  static std::size_t headOf(std::string_view text) {
    const std::size_t first = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
    const std::size_t second = text.size() < 2 ? 0 : static_cast<unsigned char>(text[1]);
    return first << 8 | second;
  }

  TStringTable table_;
  // The lengths (63 standing for any longer) and the first two bytes (see
  // headOf) words have.
  std::uint64_t lengths_ = 0;
  std::uint64_t heads_[(1 << 16) / 64] = {};
};

// The passes of words[begin, end), none of which holds a blank.
void stripWords(std::string& text, const std::vector<std::string>& words, std::size_t begin,
                std::size_t end) {
  const WordTable table(words, begin, end);
  TokenPasses passes;
  // How many matches each distinct word has.
  std::vector<std::size_t> starts(table.size() + 1, 0);
  const std::string_view view(text);
  std::size_t tokens = 0;
  for (std::size_t start = 0;; ++tokens) {
    const std::size_t blank = view.find(' ', start);
    const std::size_t stop = blank == std::string_view::npos ? view.size() : blank;
    const std::int64_t word = table.find(view.substr(start, stop - start));
    if (word >= 0) {
      passes.add({tokens, start, stop - start, static_cast<std::size_t>(word)});
      ++starts[static_cast<std::size_t>(word) + 1];
    }
    if (blank == std::string_view::npos) break;
    start = blank + 1;
  }
  passes.finish(tokens + 1);
  // The matches of each word in text order, the words one after another.
  for (std::size_t w = 1; w < starts.size(); ++w) starts[w] += starts[w - 1];
  std::vector<std::size_t> positions(passes.matches() - 1);
  std::vector<std::size_t> ends(starts.begin(), starts.end() - 1);
  for (std::size_t m = 0; m + 1 < passes.matches(); ++m) positions[ends[passes.wordOf(m)]++] = m;
  for (std::size_t w = begin; w < end; ++w) {
    const auto word = static_cast<std::size_t>(table.find(words[w]));
    std::size_t* const list = positions.data() + starts[word];
    ends[word] = starts[word] + passes.pass(list, ends[word] - starts[word]);
  }
  if (passes.changed()) passes.apply(text);
}

}  // namespace

bool TPreProcDoc::stripStopWords(std::string& text) const {
  if (text.empty()) return false;
  const std::vector<std::string>& words = wordLists_.stopWords();
  std::string out;
  // Runs of words without blanks go through the token passes; a stop phrase
  // with a blank inside is searched for in the text as it stands then.
  for (std::size_t begin = 0; begin < words.size();) {
    if (words[begin].find(' ') != std::string::npos) {
      stripPhrase(text, words[begin], out);
      ++begin;
      continue;
    }
    std::size_t end = begin;
    while (end < words.size() && words[end].find(' ') == std::string::npos) ++end;
    stripWords(text, words, begin, end);
    begin = end;
  }
  return true;
}

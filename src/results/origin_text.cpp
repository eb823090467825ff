#include "results/origin_text.h"

#include <algorithm>
#include <unordered_map>

#include "stages/unicode_text.h"
#include "stages/word_lists.h"

namespace {

constexpr std::size_t kNone = TOriginText::kNoOrigin;

// The "C" locale's white space: blank, tab, line feed, vertical tab, form feed
// and carriage return.
constexpr bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// A text with the raw offset of each of its bytes. Every step reads one and
// builds the next, keeping the offsets of the bytes it keeps.
struct Tagged {
  std::string bytes;
  std::vector<std::size_t> origins;

  void reserve(std::size_t n) {
    bytes.reserve(n);
    origins.reserve(n);
  }
  void push(char c, std::size_t origin) {
    bytes.push_back(c);
    origins.push_back(origin);
  }
  // Appends in's bytes [from, to).
  void append(const Tagged& in, std::size_t from, std::size_t to) {
    bytes.append(in.bytes, from, to - from);
    origins.insert(origins.end(), in.origins.begin() + static_cast<std::ptrdiff_t>(from),
                   in.origins.begin() + static_cast<std::ptrdiff_t>(to));
  }
  void swap(Tagged& other) {
    bytes.swap(other.bytes);
    origins.swap(other.origins);
  }
};

// The file as the document holds it, framed: CR LF pairs read as "\n" (which
// keeps the line feed's offset), a line feed after the last line, and a blank
// on each side.
Tagged framed(std::string_view raw) {
  Tagged text;
  text.reserve(raw.size() + 3);
  text.push(' ', kNone);
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
    text.push(raw[i], i);
  }
  text.push('\n', kNone);
  text.push(' ', kNone);
  return text;
}

// Each occurrence of mark between two blanks goes with the blank after it;
// any other becomes one blank. The search goes on one byte after the start of
// the occurrence, in the text as it stands then.
void stripMark(Tagged& text, const std::string& mark, Tagged& out) {
  const std::string_view in(text.bytes);
  std::size_t k = in.find(mark);
  if (k == std::string_view::npos) return;
  out.bytes.clear();
  out.origins.clear();
  out.reserve(in.size());
  std::size_t read = 0;
  while (k != std::string_view::npos) {
    out.append(text, read, k);
    const std::size_t after = k + mark.size();
    const bool blankBefore = !out.bytes.empty() && out.bytes.back() == ' ';
    const bool blankAfter = after < in.size() && in[after] == ' ';
    if (blankBefore && blankAfter) {
      // The byte after the erased blank now stands where the mark began, and
      // the search resumes past it.
      read = after + 1;
      if (read < in.size()) {
        out.append(text, read, read + 1);
        ++read;
      }
    } else {
      out.push(' ', kNone);
      read = after;
    }
    k = in.find(mark, read);
  }
  out.append(text, read, in.size());
  text.swap(out);
}

// Erases every run of digits that begins a token (at the start of the text or
// after a blank, line feed or tab), judged on the text as it stands.
void stripNumbers(Tagged& text) {
  std::size_t out = 0;
  const std::size_t n = text.bytes.size();
  for (std::size_t i = 0; i < n;) {
    const char c = text.bytes[i];
    if (c >= '0' && c <= '9') {
      const char before = out == 0 ? ' ' : text.bytes[out - 1];
      if (before == ' ' || before == '\n' || before == '\t') {
        while (i < n && text.bytes[i] >= '0' && text.bytes[i] <= '9') ++i;
        continue;
      }
    }
    text.bytes[out] = c;
    text.origins[out] = text.origins[i];
    ++out;
    ++i;
  }
  text.bytes.resize(out);
  text.origins.resize(out);
}

void lowerText(Tagged& text) {
  for (char& c : text.bytes) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
}

// A stop phrase (an entry holding a blank): every blank + phrase + blank
// becomes one blank, the search going on after that blank.
void stripPhrase(Tagged& text, const std::string& phrase, Tagged& out) {
  const std::string pattern = ' ' + phrase + ' ';
  const std::string_view in(text.bytes);
  std::size_t k = in.find(pattern);
  if (k == std::string_view::npos) return;
  out.bytes.clear();
  out.origins.clear();
  out.reserve(in.size());
  std::size_t read = 0;
  while (k != std::string_view::npos) {
    out.append(text, read, k);
    out.push(' ', kNone);
    read = k + pattern.size();
    k = in.find(pattern, read);
  }
  out.append(text, read, in.size());
  text.swap(out);
}

// The passes of words[begin, end), none of which holds a blank, over the
// text's blank-separated tokens. An occurrence of blank + word + blank is a
// token equal to word that is neither the first nor the last; replacing it
// by one blank deletes the token and the blank after it, and the pass then
// skips the token that follows (its blank is used up).
void stripWords(Tagged& text, const std::vector<std::string>& words, std::size_t begin,
                std::size_t end) {
  std::unordered_map<std::string_view, std::size_t> distinct;
  for (std::size_t w = begin; w < end; ++w) distinct.emplace(words[w], distinct.size());
  // Each distinct word's tokens, in text order.
  std::vector<std::vector<std::size_t>> matches(distinct.size());
  std::vector<std::size_t> starts;
  const std::string_view view(text.bytes);
  for (std::size_t start = 0;;) {
    const std::size_t blank = view.find(' ', start);
    const std::size_t stop = blank == std::string_view::npos ? view.size() : blank;
    const auto found = distinct.find(view.substr(start, stop - start));
    if (found != distinct.end()) matches[found->second].push_back(starts.size());
    starts.push_back(start);
    if (blank == std::string_view::npos) break;
    start = blank + 1;
  }
  const std::size_t tokens = starts.size();
  // The tokens still there, as a doubly linked list.
  std::vector<std::size_t> next(tokens);
  std::vector<std::size_t> previous(tokens);
  for (std::size_t t = 0; t < tokens; ++t) {
    next[t] = t + 1;
    previous[t] = t - 1;  // wraps for the first token, which is never deleted
  }
  std::vector<bool> deleted(tokens, false);
  bool changed = false;
  for (std::size_t w = begin; w < end; ++w) {
    std::vector<std::size_t>& list = matches[distinct.at(words[w])];
    std::size_t blocked = SIZE_MAX;
    std::size_t kept = 0;
    for (const std::size_t t : list) {
      if (t == 0 || t + 1 == tokens || t == blocked) {
        list[kept++] = t;
        continue;
      }
      deleted[t] = true;
      changed = true;
      next[previous[t]] = next[t];
      previous[next[t]] = previous[t];
      blocked = next[t];
    }
    list.resize(kept);
  }
  if (!changed) return;
  std::size_t out = 0;
  std::size_t read = 0;
  const auto keep = [&](std::size_t until) {
    for (; read < until; ++read, ++out) {
      text.bytes[out] = text.bytes[read];
      text.origins[out] = text.origins[read];
    }
  };
  for (std::size_t t = 0; t < tokens; ++t) {
    if (!deleted[t]) continue;
    keep(starts[t]);
    read = starts[t + 1];  // the token and the blank after it
  }
  keep(text.bytes.size());
  text.bytes.resize(out);
  text.origins.resize(out);
}

void stripStopWords(Tagged& text, const std::vector<std::string>& words, Tagged& scratch) {
  for (std::size_t begin = 0; begin < words.size();) {
    if (words[begin].find(' ') != std::string::npos) {
      stripPhrase(text, words[begin], scratch);
      ++begin;
      continue;
    }
    std::size_t end = begin;
    while (end < words.size() && words[end].find(' ') == std::string::npos) ++end;
    stripWords(text, words, begin, end);
    begin = end;
  }
}

}  // namespace

TOriginText::TOriginText(std::string_view raw, const TPreProcSwitches& switches,
                         const TWordLists& wordLists) {
  Tagged text = framed(raw);
  Tagged scratch;
  if (switches.removePontuation) {
    for (const std::string& mark : wordLists.punctuation()) stripMark(text, mark, scratch);
  }
  if (switches.removeNumbers) stripNumbers(text);
  if (switches.lowerCase) lowerText(text);
  if (switches.removeStopWords) stripStopWords(text, wordLists.stopWords(), scratch);
  text_.swap(text.bytes);
  origins_.swap(text.origins);

  splitWords(nullptr);
}

TOriginText::TOriginText(std::string_view raw, TUnicodeText& unicode) {
  Tagged text = framed(raw);
  std::vector<std::size_t> positions;
  text_ = text.bytes;
  if (!unicode.rewrite(text_, &positions)) {
    text_.swap(text.bytes);
    positions.resize(text_.size());
    for (std::size_t i = 0; i < positions.size(); ++i) positions[i] = i;
  }
  const std::size_t n = text_.size();
  origins_.resize(n);
  for (std::size_t i = 0; i < n; ++i) origins_[i] = text.origins[positions[i]];
  // Where each byte's code point ends in the raw bytes: where the next code
  // point that gave output begins (offsets never decrease).
  std::vector<std::size_t> ends(n, raw.size());
  std::size_t current = kNoOrigin;
  std::size_t after = raw.size();
  for (std::size_t i = n; i-- > 0;) {
    if (origins_[i] == kNoOrigin) continue;
    if (origins_[i] != current) {
      after = current == kNoOrigin ? raw.size() : current;
      current = origins_[i];
    }
    ends[i] = after;
  }
  splitWords(&ends);
}

void TOriginText::splitWords(const std::vector<std::size_t>* ends) {
  const std::size_t n = text_.size();
  for (std::size_t i = 0; i < n;) {
    while (i < n && isBlank(text_[i])) ++i;
    if (i == n) break;
    const std::size_t start = i;
    TOriginWord word;
    bool any = false;
    for (; i < n && !isBlank(text_[i]); ++i) {
      if (origins_[i] == kNoOrigin) continue;
      if (!any) word.from = origins_[i];
      word.to = ends ? (*ends)[i] : origins_[i] + 1;
      any = true;
    }
    // Only blanks and the final line feed are made up, so every word holds
    // a raw byte; an empty range keeps the words in order regardless.
    if (!any) word.from = word.to = words_.empty() ? 0 : words_.back().to;
    word.text = std::string_view(text_).substr(start, i - start);
    words_.push_back(word);
  }
}

std::vector<TOriginChunk> TOriginText::chunks(std::int32_t gramsSize) const {
  std::vector<TOriginChunk> result;
  if (gramsSize <= 0 || words_.empty()) return result;
  const std::size_t size = std::min(static_cast<std::size_t>(gramsSize), words_.size());
  result.reserve(words_.size() - size + 1);
  for (std::size_t first = 0; first + size <= words_.size(); ++first) {
    TOriginChunk chunk;
    for (std::size_t w = first; w < first + size; ++w) {
      if (w > first) chunk.text += ' ';
      chunk.text += words_[w].text;
    }
    chunk.from = words_[first].from;
    chunk.to = words_[first + size - 1].to;
    result.push_back(std::move(chunk));
  }
  return result;
}

std::int32_t countWords(std::string_view text) {
  std::int32_t count = 0;
  bool inWord = false;
  for (const char c : text) {
    const bool blank = isBlank(c);
    if (!blank && !inWord) ++count;
    inWord = !blank;
  }
  return count;
}

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TWordLists;
class TUnicodeText;

// The pre-processing switches of a study, as the settings name them.
struct TPreProcSwitches {
  bool removePontuation = false;
  bool removeNumbers = false;
  bool lowerCase = false;
  bool removeStopWords = false;
};

// A processed word and the bytes of the raw file it came from: [from, to)
// runs from the first raw byte that survived into the word to one past the
// last.
struct TOriginWord {
  std::string_view text;  // a view into its TOriginText's text()
  std::size_t from = 0;
  std::size_t to = 0;
};

// A chunk and the raw bytes it spans: from its first word's start to its
// last word's end.
struct TOriginChunk {
  std::string text;
  std::size_t from = 0;
  std::size_t to = 0;
};

// The processed text of one document with, for every byte, the byte of the
// raw file it came from. It replays what loading and pre-processing do to the
// file's bytes (CR LF read as "\n", a line feed appended, one framing blank on
// each side, then punctuation, numbers, lower case and stop words as switched
// on) so that text() equals the text the study extracts chunks from.
//
// Built only for the documents whose pages are written, after the comparison;
// it costs about twenty bytes per byte of the raw file while it lives.
class TOriginText {
 public:
  // raw is the file's bytes as stored on disk; wordLists must be the lists
  // the study pre-processed with. Neither needs to outlive the object.
  TOriginText(std::string_view raw, const TPreProcSwitches& switches, const TWordLists& wordLists);
  // The same for a study that pre-processes by the Unicode rules of unicode.
  // A word then runs from the first raw byte of its first code point to the
  // raw byte where the next code point that gave any output begins.
  TOriginText(std::string_view raw, TUnicodeText& unicode);
  TOriginText(const TOriginText&) = delete;
  TOriginText& operator=(const TOriginText&) = delete;

  // Marks a byte of text() that no raw byte became (a framing or replacing
  // blank, the appended line feed).
  static constexpr std::size_t kNoOrigin = SIZE_MAX;

  const std::string& text() const { return text_; }
  // The raw offset of each byte of text(), or kNoOrigin.
  const std::vector<std::size_t>& origins() const { return origins_; }
  // The words of text() in order, split at the "C" locale's white space.
  const std::vector<TOriginWord>& words() const { return words_; }
  // The chunk occurrences of gramsSize words, in text order, as extraction
  // cuts them: one per word while a whole window remains, or one chunk of
  // all words when there are fewer than gramsSize. None for gramsSize 0 or
  // below, or a text without words.
  std::vector<TOriginChunk> chunks(std::int32_t gramsSize) const;

 private:
  // Splits text() into words at the "C" locale's white space. A word ends at
  // ends[i] for its last byte i with an origin, or one past that origin when
  // ends is null.
  void splitWords(const std::vector<std::size_t>* ends);

  std::string text_;
  std::vector<std::size_t> origins_;
  std::vector<TOriginWord> words_;
};

// The number of words in a processed text (runs of bytes that are not "C"
// locale white space).
std::int32_t countWords(std::string_view text);

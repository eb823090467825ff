#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The switches and word lists of Unicode pre-processing. The lists are the
// language file's entries as they stand; stemmerLanguage is a Snowball
// stemmer name or ISO 639 code ("english", "fr", "ru"), empty for none.
struct TUnicodeSteps {
  bool removePontuation = false;
  bool removeNumbers = false;
  bool lowerCase = false;
  bool removeStopWords = false;
  bool foldLookalikes = false;
  bool stemWords = false;
  std::vector<std::string> punctuation;
  std::vector<std::string> stopWords;
  std::string stemmerLanguage;
};

// Pre-processing of UTF-8 text by code points, with ICU. A rewrite runs, in
// this order:
//   1. drops format characters (general category Cf) and normalises to NFKC;
//   2. turns every white space code point outside ASCII into one blank (ASCII
//      white space, line feeds included, stays as it is);
//   3. punctuation: every code point of category P, and every language-file
//      mark, becomes one blank;
//   4. numbers: a run of decimal digits (Nd) that begins a word goes;
//   5. lower case: full Unicode case folding;
//   6. look-alikes: each code point becomes its confusable skeleton (Unicode
//      TR39), recomposed to NFC and, with lower case on, folded again. An
//      upper-case letter whose skeleton is that of a Latin capital A to Z
//      takes the skeleton of that capital's small letter, so Cyrillic "Т"
//      and Latin "T" both give "t";
//   7. stop words: a word (a run of non-white-space bytes) equal to a stop
//      word run through steps 1 to 6 is erased; its blanks stay;
//   8. stemming: every other word becomes the Snowball stem of its steps 1 to
//      5 form, with each look-alike first mapped to the letter of the stemmer
//      language's script that shares its skeleton, then folded as in step 6.
//      A word holding bytes that are not valid UTF-8 is not stemmed.
// Steps 3 to 8 run only when their switch is on. Bytes that are not valid
// UTF-8 are kept as they are, each one a letter that no step changes; no
// such byte is ever lost. A stop-word entry that steps 1 to 6 turn into
// several words never matches.
//
// The object keeps per-code-point and per-word caches, so one object serves
// a whole document set; it is not for use by several threads at once.
class TUnicodeText {
 public:
  explicit TUnicodeText(const TUnicodeSteps& steps);
  ~TUnicodeText();
  TUnicodeText(const TUnicodeText&) = delete;
  TUnicodeText& operator=(const TUnicodeText&) = delete;

  // False when ICU's normaliser or spoof checker, or the stemmer asked for,
  // cannot be opened; rewrite then changes nothing.
  bool ready() const;

  // Rewrites text by the steps. When origins is given it receives, for every
  // output byte i, the offset origins[i] of the first byte of the input code
  // point (or invalid byte) it comes from; every code point that one
  // normalisation segment gives takes the offset of that segment's first
  // code point, and a stem's bytes take those of the word's bytes at the
  // same places (the last one past its end). Offsets never decrease.
  // Returns false, leaving text alone, when text is empty or the object is
  // not ready.
  bool rewrite(std::string& text, std::vector<std::size_t>* origins = nullptr);

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

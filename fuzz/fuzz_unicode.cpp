// Fuzzes Unicode pre-processing. TUnicodeText streams the text through its
// steps with caches and fast paths; here the same rules are applied the plain
// way, one whole pass per step over a list of code points, calling ICU for
// each code point, and both must agree byte for byte. Every byte of the input
// that is not valid UTF-8 must also come out unchanged, with its own offset
// as origin, and the origins must never decrease.
//
// Input layout:
//   byte 0   bits 0-4: the switches removePontuation, removeNumbers,
//                      lowerCase, removeStopWords, foldLookalikes
//            bit 5:    also stem the words (English), checked for the kept
//                      bytes and the origins only
//   then     the text (the rest)
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/uspoof.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "fuzz_support.h"
#include "stages/unicode_text.h"

namespace {

const std::vector<std::string> kMarks = {"$", "<-", "--", "\xC2\xB1\xC2\xB1"};
const std::vector<std::string> kStopWords = {"the", "a", "\xC3\xA0", "stra\xC3\x9F" "e", "\xD0\xB8",
                                             "l'a", "1st"};

// A code point, or with kInvalid set a byte that is not valid UTF-8.
constexpr std::int32_t kInvalid = 0x1000000;

struct Unit {
  std::int32_t value;
  std::size_t origin;
};

class Reference {
 public:
  explicit Reference(const TUnicodeSteps& steps) : steps_(steps) {
    UErrorCode status = U_ZERO_ERROR;
    nfkc_ = icu::Normalizer2::getNFKCInstance(status);
    nfc_ = icu::Normalizer2::getNFCInstance(status);
    spoof_ = uspoof_open(&status);
    fuzz::check(U_SUCCESS(status), "ICU did not open");
    for (const std::string& mark : steps.punctuation) marks_.push_back(normalised(decoded(mark)));
    if (!steps.removeStopWords) return;
    TUnicodeSteps wordSteps = steps;
    wordSteps.removeStopWords = false;
    Reference words(wordSteps);
    for (const std::string& entry : steps.stopWords) {
      const std::vector<std::string> parts = split(words.rewrite(entry));
      if (parts.size() == 1) stopWords_.insert(parts[0]);
    }
  }
  ~Reference() { uspoof_close(spoof_); }
  Reference(const Reference&) = delete;
  Reference& operator=(const Reference&) = delete;

  std::string rewrite(std::string_view text) const {
    std::vector<Unit> units = normalised(decoded(text));
    std::vector<Unit> next;
    // Marks, white space and punctuation.
    for (std::size_t k = 0; k < units.size(); ++k) {
      const std::int32_t c = units[k].value;
      if (steps_.removePontuation) {
        std::size_t length = 0;
        for (const std::vector<Unit>& mark : marks_) {
          if (mark.size() < 2 || allPunctuation(mark) || units.size() - k < mark.size()) continue;
          bool same = true;
          for (std::size_t m = 0; m < mark.size() && same; ++m) same = units[k + m].value == mark[m].value;
          if (same) {
            length = mark.size();
            break;
          }
        }
        if (length > 0) {
          next.push_back({' ', 0});
          k += length - 1;
          continue;
        }
      }
      if (c < kInvalid && u_isUWhiteSpace(c) && c >= 0x80) {
        next.push_back({' ', 0});
      } else if (c < kInvalid && steps_.removePontuation && (isPunctuation(c) || isSingleMark(c))) {
        next.push_back({' ', 0});
      } else {
        next.push_back(units[k]);
      }
    }
    units.swap(next);
    // Numbers: a digit goes when what is kept before it is white space or
    // nothing, so a run of them goes.
    if (steps_.removeNumbers) {
      next.clear();
      for (const Unit& unit : units) {
        if (isDigit(unit.value) && (next.empty() || isSpace(next.back().value))) continue;
        next.push_back(unit);
      }
      units.swap(next);
    }
    // Lower case and look-alikes, each code point on its own.
    std::string out;
    for (const Unit& unit : units) {
      if (unit.value >= kInvalid) {
        out += static_cast<char>(unit.value - kInvalid);
      } else if (isSpace(unit.value)) {
        out += static_cast<char>(unit.value < 0x80 ? unit.value : ' ');
      } else {
        out += letter(unit.value);
      }
    }
    if (!steps_.removeStopWords) return out;
    // Stop words: whole words between white space.
    std::string kept;
    for (std::size_t k = 0; k < out.size();) {
      if (isAsciiSpace(out[k])) {
        kept += out[k++];
        continue;
      }
      std::size_t end = k;
      while (end < out.size() && !isAsciiSpace(out[end])) ++end;
      const std::string word = out.substr(k, end - k);
      if (stopWords_.count(word) == 0) kept += word;
      k = end;
    }
    return kept;
  }

 private:
  static bool isAsciiSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
  static bool isSpace(std::int32_t c) { return c < kInvalid && u_isUWhiteSpace(c); }
  static bool isPunctuation(std::int32_t c) { return (U_GET_GC_MASK(c) & U_GC_P_MASK) != 0; }
  static bool isDigit(std::int32_t c) {
    return c < kInvalid && u_charType(c) == U_DECIMAL_DIGIT_NUMBER;
  }
  // Marks of several code points that are all punctuation go code point by
  // code point.
  static bool allPunctuation(const std::vector<Unit>& mark) {
    for (const Unit& unit : mark) {
      if (unit.value >= kInvalid || !isPunctuation(unit.value)) return false;
    }
    return true;
  }
  bool isSingleMark(std::int32_t c) const {
    for (const std::vector<Unit>& mark : marks_) {
      if (mark.size() == 1 && mark[0].value == c) return true;
    }
    return false;
  }

  static std::vector<Unit> decoded(std::string_view text) {
    std::vector<Unit> units;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto n = static_cast<std::int64_t>(text.size());
    for (std::int64_t i = 0; i < n;) {
      const std::int64_t start = i;
      UChar32 c;
      U8_NEXT(bytes, i, n, c);
      if (c >= 0) {
        units.push_back({c, static_cast<std::size_t>(start)});
        continue;
      }
      for (std::int64_t k = start; k < i; ++k) {
        units.push_back({kInvalid + bytes[k], static_cast<std::size_t>(k)});
      }
    }
    return units;
  }

  // Cf removed, then each run of code points between invalid bytes in NFKC,
  // then Cf removed again.
  std::vector<Unit> normalised(const std::vector<Unit>& in) const {
    std::vector<Unit> out;
    icu::UnicodeString run;
    auto flush = [&] {
      UErrorCode status = U_ZERO_ERROR;
      const icu::UnicodeString done = nfkc_->normalize(run, status);
      for (std::int32_t k = 0; k < done.length();) {
        const UChar32 c = done.char32At(k);
        k += U16_LENGTH(c);
        if (u_charType(c) != U_FORMAT_CHAR) out.push_back({c, 0});
      }
      run.remove();
    };
    for (const Unit& unit : in) {
      if (unit.value >= kInvalid) {
        flush();
        out.push_back(unit);
      } else if (u_charType(unit.value) != U_FORMAT_CHAR) {
        run.append(unit.value);
      }
    }
    flush();
    return out;
  }

  static std::string utf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
  }

  std::string skeleton(const icu::UnicodeString& text) const {
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString shape;
    uspoof_getSkeletonUnicodeString(spoof_, 0, text, shape, &status);
    icu::UnicodeString composed = nfc_->normalize(shape, status);
    if (steps_.lowerCase) composed.foldCase();
    return utf8(composed);
  }

  std::string letter(UChar32 c) const {
    icu::UnicodeString lower(c);
    if (steps_.lowerCase) lower.foldCase();
    if (!steps_.foldLookalikes) return utf8(lower);
    if (steps_.lowerCase && lower != icu::UnicodeString(c)) {
      UErrorCode status = U_ZERO_ERROR;
      icu::UnicodeString shape;
      uspoof_getSkeletonUnicodeString(spoof_, 0, icu::UnicodeString(c), shape, &status);
      for (UChar32 capital = 'A'; capital <= 'Z'; ++capital) {
        icu::UnicodeString capitalShape;
        uspoof_getSkeletonUnicodeString(spoof_, 0, icu::UnicodeString(capital), capitalShape, &status);
        if (shape == capitalShape) return skeleton(icu::UnicodeString(capital - 'A' + 'a'));
      }
    }
    return skeleton(lower);
  }

  static std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : text + " ") {
      if (!isAsciiSpace(c)) {
        word += c;
      } else if (!word.empty()) {
        words.push_back(word);
        word.clear();
      }
    }
    return words;
  }

  TUnicodeSteps steps_;
  const icu::Normalizer2* nfkc_ = nullptr;
  const icu::Normalizer2* nfc_ = nullptr;
  USpoofChecker* spoof_ = nullptr;
  std::vector<std::vector<Unit>> marks_;
  std::unordered_set<std::string> stopWords_;
};

// Whether every byte of text that is not valid UTF-8 is in out, at a byte
// whose origin is its offset.
bool keepsInvalidBytes(std::string_view text, const std::string& out,
                       const std::vector<std::size_t>& origins) {
  std::vector<bool> invalid(text.size(), false);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto n = static_cast<std::int64_t>(text.size());
  for (std::int64_t i = 0; i < n;) {
    const std::int64_t start = i;
    UChar32 c;
    U8_NEXT(bytes, i, n, c);
    if (c < 0) {
      for (std::int64_t k = start; k < i; ++k) invalid[static_cast<std::size_t>(k)] = true;
    }
  }
  std::vector<bool> seen(text.size(), false);
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (origins[i] < text.size() && out[i] == text[origins[i]]) seen[origins[i]] = true;
  }
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (invalid[k] && !seen[k]) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return -1;
  const std::uint8_t flags = data[0];
  const std::string_view text = fuzz::bytesOf(data + 1, size - 1);
  TUnicodeSteps steps;
  steps.removePontuation = flags & 0x01;
  steps.removeNumbers = flags & 0x02;
  steps.lowerCase = flags & 0x04;
  steps.removeStopWords = flags & 0x08;
  steps.foldLookalikes = flags & 0x10;
  steps.stemWords = flags & 0x20;
  steps.stemmerLanguage = "english";
  steps.punctuation = kMarks;
  steps.stopWords = kStopWords;

  TUnicodeText unicode(steps);
  fuzz::check(unicode.ready(), "not ready");
  std::string actual(text);
  const bool done = unicode.rewrite(actual);
  fuzz::check(done == !text.empty(), "rewrite's result");
  if (!done) return 0;

  std::string tracked(text);
  std::vector<std::size_t> origins;
  fuzz::check(unicode.rewrite(tracked, &origins), "rewrite with origins");
  fuzz::checkEqual("the same text with origins", actual, tracked);
  fuzz::checkEqual("one origin per byte", static_cast<long long>(tracked.size()),
                   static_cast<long long>(origins.size()));
  for (std::size_t i = 0; i < origins.size(); ++i) {
    fuzz::check(origins[i] < text.size(), "an origin past the input");
    fuzz::check(i == 0 || origins[i - 1] <= origins[i], "origins decrease");
  }
  fuzz::check(keepsInvalidBytes(text, tracked, origins), [&] {
    return "a byte not valid UTF-8 is lost from " + fuzz::quoted(text);
  });

  if (!steps.stemWords) {
    const Reference reference(steps);
    fuzz::checkEqual([&] { return "the steps on " + fuzz::quoted(text); }, reference.rewrite(text),
                     actual);
  }
  return 0;
}

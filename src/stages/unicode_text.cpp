#include "stages/unicode_text.h"

#include <libstemmer.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/uspoof.h>
#include <unicode/utf8.h>

#include <array>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "base/string_table.h"

namespace {

// Units of the normalised text: code points, and bytes that are not valid
// UTF-8 as kInvalid plus the byte.
constexpr char32_t kInvalid = 0x110000;

constexpr bool isAsciiSpace(char32_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string toUtf8(const icu::UnicodeString& text) {
  std::string out;
  text.toUTF8String(out);
  return out;
}

// Looks strings up by view without building one.
struct ViewHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
using WordMap = std::unordered_map<std::string, std::string, ViewHash, std::equal_to<>>;

// What a code point of the normalised text is to the steps.
enum class Kind : std::uint8_t { kUnknown, kSpace, kPunctuation, kDigit, kLetter };

// The per-code-point result of the steps, with its texts in an arena.
struct CodeInfo {
  std::uint32_t text = 0;  // arena offset of the lower-cased, folded text
  std::uint32_t plain = 0;  // arena offset of the lower-cased text the stemmer reads
  std::uint8_t textLength = 0;
  std::uint8_t plainLength = 0;
  Kind kind = Kind::kUnknown;
  bool startsMark = false;  // some mark of several code points starts with it
  bool capital = false;  // folded by the look-alike of a capital A to Z
  // Normalisation: a format character (Cf); a boundary before it; it has a
  // decomposition.
  bool format = false;
  bool boundary = false;
  bool decomposes = false;
};

}  // namespace

class TUnicodeText::Impl {
 public:
  explicit Impl(const TUnicodeSteps& steps) : steps_(steps) {
    UErrorCode status = U_ZERO_ERROR;
    nfkc_ = icu::Normalizer2::getNFKCInstance(status);
    nfc_ = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) return;
    if (steps_.foldLookalikes) {
      spoof_ = uspoof_open(&status);
      if (U_FAILURE(status)) return;
    }
    if (steps_.stemWords) {
      stemmer_ = sb_stemmer_new(steps_.stemmerLanguage.c_str(), "UTF_8");
      if (!stemmer_) return;
    }
    if (spoof_) {
      for (char c = 'A'; c <= 'Z'; ++c) {
        capitals_[static_cast<std::size_t>(c - 'A')] = skeleton(std::string(1, c));
      }
    }
    ready_ = true;
    if (steps_.removePontuation) loadMarks();
    if (steps_.stemWords && steps_.foldLookalikes) loadScript();
    if (steps_.removeStopWords) loadStopWords();
    for (char32_t c = 0; c < 0x80; ++c) ascii_[c] = infoOf(c);
  }

  ~Impl() {
    if (spoof_) uspoof_close(spoof_);
    if (stemmer_) sb_stemmer_delete(stemmer_);
  }

  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  bool ready() const { return ready_; }

  bool rewrite(std::string& text, std::vector<std::size_t>* origins) {
    if (text.empty() || !ready_) return false;
    origins_ = origins;
    out_.clear();
    out_.reserve(text.size() + text.size() / 8);
    if (origins_) {
      origins_->clear();
      origins_->reserve(out_.capacity());
    }
    units_.clear();
    unitOrigins_.clear();
    wordStart_ = true;
    inWord_ = false;
    normalise(text);
    if (!marks_.empty()) stepMarkedUnits();
    endWord();
    text.swap(out_);
    origins_ = nullptr;
    return true;
  }

 private:
  // ---- Step 1: Cf removal and NFKC, segment by segment ----

  // Hands a unit of the normalised text on to the other steps, or keeps it
  // for stepMarkedUnits when marks of several code points need a look ahead.
  void pushUnit(char32_t unit, std::size_t origin) {
    if (marks_.empty()) {
      step(unit, origin);
      return;
    }
    units_.push_back(unit);
    if (origins_) unitOrigins_.push_back(origin);
  }

  void normalise(std::string_view in) {
    segment_.remove();
    pending_ = false;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(in.data());
    const auto n = static_cast<std::int64_t>(in.size());
    std::int64_t i = 0;
    while (i < n) {
      // An ASCII byte followed by one is a segment of its own that
      // normalisation leaves alone.
      if (bytes[i] < 0x80 && (i + 1 == n || bytes[i + 1] < 0x80)) {
        if (pending_ || !segment_.isEmpty()) flushSegment();
        pushUnit(bytes[i], static_cast<std::size_t>(i));
        ++i;
        continue;
      }
      const std::int64_t start = i;
      UChar32 c;
      U8_NEXT(bytes, i, n, c);
      if (c < 0) {
        flushSegment();
        for (std::int64_t k = start; k < i; ++k) {
          pushUnit(kInvalid + bytes[k], static_cast<std::size_t>(k));
        }
        continue;
      }
      const CodeInfo& info = infoOf(static_cast<char32_t>(c));
      if (info.format) continue;
      if (info.boundary) flushSegment();
      if (!pending_ && segment_.isEmpty()) {
        segmentStart_ = static_cast<std::size_t>(start);
        // A code point without a decomposition stays itself unless a later
        // one joins its segment.
        if (!info.decomposes) {
          pending_ = true;
          pendingCode_ = c;
          continue;
        }
      } else if (pending_) {
        segment_.append(pendingCode_);
        pending_ = false;
      }
      segment_.append(c);
    }
    flushSegment();
  }

  void flushSegment() {
    if (pending_) {
      pending_ = false;
      pushUnit(static_cast<char32_t>(pendingCode_), segmentStart_);
      return;
    }
    if (segment_.isEmpty()) return;
    UErrorCode status = U_ZERO_ERROR;
    nfkc_->normalize(segment_, scratch_, status);
    for (std::int32_t k = 0; k < scratch_.length();) {
      const UChar32 c = scratch_.char32At(k);
      k += U16_LENGTH(c);
      if (u_charType(c) != U_FORMAT_CHAR) pushUnit(static_cast<char32_t>(c), segmentStart_);
    }
    segment_.remove();
  }

  // ---- Steps 2 to 8, unit by unit ----

  void emit(std::string_view bytes, std::size_t origin) {
    if (bytes.size() == 1) {
      out_ += bytes[0];
      if (origins_) origins_->push_back(origin);
      return;
    }
    out_.append(bytes);
    if (origins_) origins_->insert(origins_->end(), bytes.size(), origin);
  }

  void stepMarkedUnits() {
    const std::size_t n = units_.size();
    for (std::size_t k = 0; k < n; ++k) {
      const std::size_t origin = origins_ ? unitOrigins_[k] : 0;
      const std::size_t length = units_[k] < kInvalid && infoOf(units_[k]).startsMark ? matchMark(k) : 0;
      if (length == 0) {
        step(units_[k], origin);
        continue;
      }
      endWord();
      emit(" ", origin);
      k += length - 1;
      wordStart_ = true;
    }
  }

  // Steps one unit of the normalised text. A digit that begins a word goes
  // and leaves the next unit at the start of a word, so a whole run goes.
  void step(char32_t unit, std::size_t origin) {
    if (unit >= kInvalid) {
      beginWord();
      const char byte = static_cast<char>(unit - kInvalid);
      emit(std::string_view(&byte, 1), origin);
      if (steps_.stemWords) {
        addStemUnit(std::string_view(&byte, 1), false);
        wordInvalid_ = true;
      }
      wordStart_ = false;
      return;
    }
    const CodeInfo& info = unit < 0x80 ? ascii_[unit] : infoOf(unit);
    switch (info.kind) {
      case Kind::kSpace: {
        endWord();
        const char blank = unit < 0x80 ? static_cast<char>(unit) : ' ';
        emit(std::string_view(&blank, 1), origin);
        wordStart_ = true;
        return;
      }
      case Kind::kPunctuation:
        endWord();
        emit(" ", origin);
        wordStart_ = true;
        return;
      case Kind::kDigit:
        if (wordStart_) return;
        break;
      default:
        break;
    }
    beginWord();
    emit(std::string_view(arena_).substr(info.text, info.textLength), origin);
    if (steps_.stemWords) {
      addStemUnit(std::string_view(arena_).substr(info.plain, info.plainLength), info.capital);
    }
    wordStart_ = false;
  }

  void beginWord() {
    if (inWord_) return;
    inWord_ = true;
    wordBegin_ = out_.size();
    stemInput_.clear();
    foldEnds_.clear();
    stemEnds_.clear();
    wordCapital_ = false;
    wordInvalid_ = false;
  }

  // Records one unit of the word for the stemmer: its input and where its
  // folded bytes and its stemmer bytes end. capital tells that the unit's
  // folded text is not that of its stemmer input.
  void addStemUnit(std::string_view plain, bool capital) {
    stemInput_.append(plain);
    foldEnds_.push_back(out_.size() - wordBegin_);
    stemEnds_.push_back(stemInput_.size());
    wordCapital_ = wordCapital_ || capital;
  }

  void truncate(std::size_t size) {
    out_.resize(size);
    if (origins_) origins_->resize(size);
  }

  bool isStopWord() const {
    return stopWords_.find(std::string_view(out_).substr(wordBegin_)) != TStringTable::kNone;
  }

  // Ends the word under way: a stop word goes, and other words are stemmed.
  // A word holding bytes that are not valid UTF-8 is not stemmed.
  void endWord() {
    if (!inWord_) return;
    inWord_ = false;
    if (!steps_.stemWords || wordInvalid_) {
      if (steps_.removeStopWords && isStopWord()) truncate(wordBegin_);
      return;
    }
    // The folded word is the stemmer input folded unless a capital letter
    // was folded by its look-alike, so the stem's entry can tell.
    const Stem& stem = stemOf(stemInput_);
    if (steps_.removeStopWords && (wordCapital_ ? isStopWord() : stem.stop)) {
      truncate(wordBegin_);
      return;
    }
    // The units the stem keeps whole at its start. The same stemmer input
    // may come from units of other lengths ("ss" from "SS" or from one
    // "\u00DF"), so they are counted for this word; the stem's folded rest
    // is the one worked out before when it starts at the same byte.
    std::size_t units = 0;
    while (units < stemEnds_.size() && stemEnds_[units] <= stem.same) ++units;
    const std::size_t kept = units == 0 ? 0 : stemEnds_[units - 1];
    std::string_view suffix = std::string_view(arena_).substr(stem.suffix, stem.length);
    if (kept != stem.kept) {
      foldedRest_.clear();
      appendFolded(std::string_view(arena_).substr(stem.text + kept, stem.textLength - kept),
                   foldedRest_);
      suffix = foldedRest_;
    }
    if (units == stemEnds_.size() && suffix.empty()) return;
    // The units the stem keeps at its start keep their folded bytes; the
    // rest of the stem takes the origin of the first unit it replaces.
    const std::size_t keptOut = wordBegin_ + (units == 0 ? 0 : foldEnds_[units - 1]);
    const std::size_t origin =
        origins_ ? (*origins_)[keptOut < out_.size() ? keptOut : out_.size() - 1] : 0;
    truncate(keptOut);
    emit(suffix, origin);
  }

  // What stemming does to a word: it keeps the word's first units code
  // points and adds the folded text at suffix in the arena. stop tells that
  // the word, folded, is a stop word.
  struct Stem {
    // The bytes the stem shares with the stemmer input at its start, and
    // the stem itself in the arena.
    std::size_t same = 0;
    std::uint32_t text = 0;
    std::uint32_t textLength = 0;
    // For the units of the word first stemmed: the input bytes its whole
    // units kept, and the rest of the stem, folded, in the arena.
    std::size_t kept = 0;
    std::uint32_t suffix = 0;
    std::uint32_t length = 0;
    bool stop = false;
  };

  // The folded text of valid UTF-8 text, appended to out.
  void appendFolded(std::string_view text, std::string& out) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto n = static_cast<std::int64_t>(text.size());
    for (std::int64_t i = 0; i < n;) {
      const std::int64_t start = i;
      UChar32 c;
      U8_NEXT(bytes, i, n, c);
      if (c < 0) {
        out.append(text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(i - start)));
      } else {
        const CodeInfo& info = infoOf(static_cast<char32_t>(c));
        out.append(arena_, info.text, info.textLength);
      }
    }
  }

  // The stem entry of word, the stemmer input of the word under way.
  const Stem& stemOf(const std::string& word) {
    const std::uint32_t known = stemInputs_.find(word);
    if (known != TStringTable::kNone) return stems_[known];
    (void)stemInputs_.intern(word);
    const sb_symbol* result = sb_stemmer_stem(stemmer_, reinterpret_cast<const sb_symbol*>(word.data()),
                                              static_cast<int>(word.size()));
    const std::string_view stem =
        result ? std::string_view(reinterpret_cast<const char*>(result),
                                  static_cast<std::size_t>(sb_stemmer_length(stemmer_)))
               : std::string_view(word);
    std::size_t same = 0;
    while (same < stem.size() && same < word.size() && stem[same] == word[same]) ++same;
    Stem entry;
    entry.same = same;
    entry.text = static_cast<std::uint32_t>(arena_.size());
    entry.textLength = static_cast<std::uint32_t>(stem.size());
    arena_ += stem;
    std::size_t units = 0;
    while (units < stemEnds_.size() && stemEnds_[units] <= same) ++units;
    entry.kept = units == 0 ? 0 : stemEnds_[units - 1];
    std::string folded;
    appendFolded(stem.substr(entry.kept), folded);
    entry.suffix = static_cast<std::uint32_t>(arena_.size());
    entry.length = static_cast<std::uint32_t>(folded.size());
    arena_ += folded;
    if (steps_.removeStopWords) {
      folded.clear();
      appendFolded(word, folded);
      entry.stop = stopWords_.find(folded) != TStringTable::kNone;
    }
    stems_.push_back(entry);
    return stems_.back();
  }

  // The length in units of the language-file mark that starts at unit k, or 0.
  std::size_t matchMark(std::size_t k) const {
    for (const std::u32string& mark : marks_) {
      if (units_.size() - k >= mark.size() &&
          std::u32string_view(units_).substr(k, mark.size()) == mark) {
        return mark.size();
      }
    }
    return 0;
  }

  // ---- The per-code-point table ----

  const CodeInfo& infoOf(char32_t c) {
    std::unique_ptr<CodeInfo[]>& page = pages_[c >> 8];
    if (!page) page = std::make_unique<CodeInfo[]>(256);
    CodeInfo& info = page[c & 0xFF];
    if (info.kind == Kind::kUnknown) fill(c, info);
    return info;
  }

  std::uint32_t store(const std::string& text, std::uint8_t& length) {
    const auto offset = static_cast<std::uint32_t>(arena_.size());
    const std::size_t size = text.size() < 255 ? text.size() : 255;
    arena_.append(text, 0, size);
    length = static_cast<std::uint8_t>(size);
    return offset;
  }

  void fill(char32_t c, CodeInfo& info) {
    const auto u = static_cast<UChar32>(c);
    const std::uint32_t category = U_GET_GC_MASK(u);
    if (isAsciiSpace(c) || u_isUWhiteSpace(u)) {
      info.kind = Kind::kSpace;
    } else if (steps_.removePontuation &&
               ((category & U_GC_P_MASK) != 0 || singleMarks_.count(c) != 0)) {
      info.kind = Kind::kPunctuation;
    } else if (steps_.removeNumbers && (category & U_GC_ND_MASK) != 0) {
      info.kind = Kind::kDigit;
    } else {
      info.kind = Kind::kLetter;
    }
    info.startsMark = markStarts_.count(c) != 0;
    info.format = u_charType(u) == U_FORMAT_CHAR;
    info.boundary = nfkc_->hasBoundaryBefore(u);
    icu::UnicodeString decomposition;
    info.decomposes = nfkc_->getDecomposition(u, decomposition);
    const std::string lower = steps_.lowerCase ? caseFold(u) : std::string();
    std::string single;
    appendUtf8(single, c);
    const std::string& plain = steps_.lowerCase ? lower : single;
    const std::string folded = steps_.foldLookalikes ? lookalike(single, plain) : plain;
    info.capital = steps_.foldLookalikes && folded != foldText(plain);
    info.text = store(folded, info.textLength);
    info.plain = store(steps_.stemWords && steps_.foldLookalikes ? scriptLetter(plain) : plain,
                       info.plainLength);
  }

  // The folded text of one code point, given it as UTF-8 and lower-cased.
  std::string lookalike(const std::string& single, const std::string& lower) {
    if (steps_.lowerCase && lower != single) {
      const std::string shape = skeleton(single);
      for (std::size_t k = 0; k < capitals_.size(); ++k) {
        if (shape == capitals_[k]) return foldText(std::string(1, static_cast<char>('a' + k)));
      }
    }
    return foldText(lower);
  }

  // The skeleton of text, recomposed, and case-folded again with lower case on.
  std::string foldText(const std::string& text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString shape = icu::UnicodeString::fromUTF8(skeleton(text));
    icu::UnicodeString composed = nfc_->normalize(shape, status);
    if (steps_.lowerCase) composed.foldCase();
    return U_SUCCESS(status) ? toUtf8(composed) : text;
  }

  std::string skeleton(const std::string& text) {
    UErrorCode status = U_ZERO_ERROR;
    char buffer[256];
    const std::int32_t length = uspoof_getSkeletonUTF8(spoof_, 0, text.data(),
                                                       static_cast<std::int32_t>(text.size()),
                                                       buffer, sizeof buffer, &status);
    if (U_FAILURE(status)) return text;
    return std::string(buffer, static_cast<std::size_t>(length));
  }

  std::string caseFold(UChar32 c) {
    icu::UnicodeString text(c);
    text.foldCase();
    return toUtf8(text);
  }

  // The letter of the stemmer's script whose folded text is that of text,
  // or text itself.
  std::string scriptLetter(const std::string& text) {
    auto found = scriptLetters_.find(foldText(text));
    return found == scriptLetters_.end() ? text : found->second;
  }

  void loadScript() {
    // The small letters of the stemmer's script; the first to give a folded
    // text stands for it.
    static const std::array<std::pair<const char*, std::pair<char32_t, char32_t>>, 9> kScripts = {{
        {"russian", {0x430, 0x45F}},
        {"ru", {0x430, 0x45F}},
        {"rus", {0x430, 0x45F}},
        {"greek", {0x3B1, 0x3C9}},
        {"el", {0x3B1, 0x3C9}},
        {"ell", {0x3B1, 0x3C9}},
        {"serbian", {0x430, 0x45F}},
        {"sr", {0x430, 0x45F}},
        {"srp", {0x430, 0x45F}},
    }};
    std::pair<char32_t, char32_t> range = {'a', 'z'};
    for (const auto& script : kScripts) {
      if (steps_.stemmerLanguage == script.first) range = script.second;
    }
    const auto add = [this](char32_t letter) {
      std::string single;
      appendUtf8(single, letter);
      scriptLetters_.emplace(foldText(single), single);
    };
    for (char32_t letter = range.first; letter <= range.second; ++letter) add(letter);
    if (range.first == 'a') {
      for (char32_t letter = 0xDF; letter <= 0x17F; ++letter) {
        if (u_islower(static_cast<UChar32>(letter))) add(letter);
      }
    }
  }

  void loadMarks() {
    for (const std::string& entry : steps_.punctuation) {
      UErrorCode status = U_ZERO_ERROR;
      const icu::UnicodeString mark = nfkc_->normalize(icu::UnicodeString::fromUTF8(entry), status);
      if (U_FAILURE(status) || mark.isEmpty()) continue;
      std::u32string points;
      bool allPunctuation = true;
      for (std::int32_t k = 0; k < mark.length();) {
        const UChar32 c = mark.char32At(k);
        k += U16_LENGTH(c);
        points += static_cast<char32_t>(c);
        if ((U_GET_GC_MASK(c) & U_GC_P_MASK) == 0) allPunctuation = false;
      }
      if (points.size() == 1) {
        singleMarks_.insert(points[0]);
      } else if (!allPunctuation) {
        markStarts_.insert(points[0]);
        marks_.push_back(std::move(points));
      }
    }
  }

  void loadStopWords() {
    TUnicodeSteps steps = steps_;
    steps.removeStopWords = false;
    steps.stemWords = false;
    Impl words(steps);
    for (const std::string& entry : steps_.stopWords) {
      std::string word = entry;
      if (!words.rewrite(word, nullptr)) continue;
      const std::size_t begin = word.find_first_not_of(" \t\n\v\f\r");
      if (begin == std::string::npos) continue;
      const std::size_t end = word.find_first_of(" \t\n\v\f\r", begin);
      if (end != std::string::npos && word.find_first_not_of(" \t\n\v\f\r", end) != std::string::npos) {
        continue;
      }
      (void)stopWords_.intern(std::string_view(word).substr(begin, end == std::string::npos ? end : end - begin));
    }
  }

  TUnicodeSteps steps_;
  bool ready_ = false;
  const icu::Normalizer2* nfkc_ = nullptr;
  const icu::Normalizer2* nfc_ = nullptr;
  USpoofChecker* spoof_ = nullptr;
  sb_stemmer* stemmer_ = nullptr;

  // The skeletons of A to Z.
  std::array<std::string, 26> capitals_;
  std::unordered_set<char32_t> singleMarks_;
  std::unordered_set<char32_t> markStarts_;
  std::vector<std::u32string> marks_;
  TStringTable stopWords_;
  WordMap scriptLetters_;
  TStringTable stemInputs_;
  std::vector<Stem> stems_;  // by the id of the word in stemInputs_

  // The table, in pages of 256 code points made when first used.
  std::array<std::unique_ptr<CodeInfo[]>, 0x1100> pages_;
  std::array<CodeInfo, 0x80> ascii_;
  std::string arena_;

  // The rewrite under way.
  std::vector<std::size_t>* origins_ = nullptr;
  std::u32string units_;
  std::vector<std::size_t> unitOrigins_;
  icu::UnicodeString segment_;
  icu::UnicodeString scratch_;
  std::size_t segmentStart_ = 0;
  // A segment of one code point without a decomposition, kept out of segment_.
  bool pending_ = false;
  UChar32 pendingCode_ = 0;
  std::string out_;
  bool inWord_ = false;
  bool wordStart_ = true;  // the next unit begins a word
  bool wordCapital_ = false;
  bool wordInvalid_ = false;
  std::size_t wordBegin_ = 0;
  std::string stemInput_;
  // The folded rest of a stem that a word's units split elsewhere.
  std::string foldedRest_;
  std::vector<std::size_t> foldEnds_;
  std::vector<std::size_t> stemEnds_;
};

TUnicodeText::TUnicodeText(const TUnicodeSteps& steps) : impl_(std::make_unique<Impl>(steps)) {}

TUnicodeText::~TUnicodeText() = default;

bool TUnicodeText::ready() const { return impl_->ready(); }

bool TUnicodeText::rewrite(std::string& text, std::vector<std::size_t>* origins) {
  return impl_->rewrite(text, origins);
}

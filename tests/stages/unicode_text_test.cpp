#include "stages/unicode_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "stages/pre_proc.h"
#include "stages/word_lists.h"

namespace {

// About 300 words of plain English, with accents, straight quotes, hyphens,
// "fi" and "fl", numbers and capitals for the disguises to work on.
const char kPassage[] =
    "The history of the small harbour town is older than most of its visitors think. "
    "In 1642 a group of fishermen built the first wooden pier, and for two centuries the "
    "town lived on herring, salt and rope. The old café by the quay still serves a naïve "
    "blend of coffee that the locals call \"black water\", and its façade - painted blue in "
    "1901 - has become the town's best-known image. Visitors often say that the rôle of the "
    "harbour-master was once the most powerful office in the region; his résumé, kept in "
    "the archive, lists fifteen shipwrecks and forty-two rescues. It is said that he never "
    "lost a sailor who could still swim. When the railway arrived in 1877, trade moved "
    "inland and the fleet shrank to a handful of boats. Many families left for the city, "
    "but those who stayed found new work in the canning factory, which flourished until "
    "the war. The factory's chimney, a slim tower of yellow brick, is the first thing one "
    "sees from the sea. Today the town depends on summer tourism. Hotels fill up in July "
    "and August, and the beaches, once black with tar, are now among the cleanest on the "
    "coast. Local officials claim that the water quality is 'excellent' and point to the "
    "flags that fly along the promenade. Not everyone agrees: some residents complain that "
    "the new marina - built with money from the capital - has pushed up prices and driven "
    "young people away. Yet the spirit of the place survives. Every autumn the whole town "
    "gathers for the Festival of Nets, a three-day feast of music, dancing and grilled "
    "fish. Old men tell stories of storms and whales, children run between the stalls, "
    "and for a few nights it feels as if the harbour had never lost its glory. A visitor "
    "who stays until the last evening will understand why people here say that the sea "
    "gives more than it takes, even in the hardest years. Such is the déjà vu of every "
    "small port.";

const std::vector<std::string> kMarks = {",", ".", ";", ":", "!", "?", "\"", "'", "(", ")"};
const std::vector<std::string> kStopWords = {"the", "a", "of", "and", "in", "is", "it", "to"};

// Applies pairs of replacements, each over the whole text, in order.
std::string replaced(std::string text, const std::vector<std::pair<std::string, std::string>>& pairs) {
  for (const auto& [from, to] : pairs) {
    for (std::size_t k = text.find(from); k != std::string::npos; k = text.find(from, k + to.size())) {
      text.replace(k, from.size(), to);
    }
  }
  return text;
}

// Puts insert after every third ASCII letter.
std::string interleaved(const std::string& text, const std::string& insert) {
  std::string out;
  int letters = 0;
  for (char c : text) {
    out += c;
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (letter && ++letters % 3 == 0) out += insert;
  }
  return out;
}

std::string fullWidth(const std::string& text) {
  std::string out;
  for (char c : text) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter) {
      out += c;
      continue;
    }
    const auto wide = static_cast<std::uint32_t>(c) + 0xFEE0;  // three UTF-8 bytes
    out += static_cast<char>(0xE0 | (wide >> 12));
    out += static_cast<char>(0x80 | ((wide >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (wide & 0x3F));
  }
  return out;
}

std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> out;
  for (std::string word; in >> word;) out.push_back(word);
  return out;
}

TUnicodeSteps allSteps() {
  TUnicodeSteps steps;
  steps.removePontuation = steps.removeNumbers = steps.lowerCase = steps.removeStopWords = true;
  steps.foldLookalikes = true;
  steps.punctuation = kMarks;
  steps.stopWords = kStopWords;
  return steps;
}

std::string unicodeRewrite(TUnicodeText& unicode, std::string text,
                           std::vector<std::size_t>* origins = nullptr) {
  EXPECT_TRUE(unicode.rewrite(text, origins));
  return text;
}

// The byte rules with all four steps, on a framed text.
std::string byteRewrite(const std::string& text) {
  TPreProcDoc byteStage;
  std::string working = " " + text + " ";
  EXPECT_TRUE(byteStage.stripNumbers(working));
  EXPECT_TRUE(TPreProcDoc::lowerText(working));
  return working;
}

}  // namespace

TEST(UnicodeText, DisguisedCopiesGiveThePlainWords) {
  struct Case {
    const char* name;
    std::function<std::string(const std::string&)> disguise;
  };
  const Case cases[] = {
      {"cyrillic",
       [](const std::string& t) {
         return replaced(t, {{"a", "\u0430"}, {"e", "\u0435"}, {"o", "\u043E"}, {"p", "\u0440"},
                             {"c", "\u0441"}, {"x", "\u0445"}, {"y", "\u0443"}, {"T", "\u0422"},
                             {"H", "\u041D"}, {"M", "\u041C"}, {"B", "\u0412"}, {"I", "\u0406"}});
       }},
      {"greek",
       [](const std::string& t) {
         return replaced(t, {{"o", "\u03BF"}, {"v", "\u03BD"}, {"A", "\u0391"}, {"T", "\u03A4"},
                             {"N", "\u039D"}, {"E", "\u0395"}, {"I", "\u0399"}});
       }},
      {"zero-width spaces", [](const std::string& t) { return interleaved(t, "\u200B"); }},
      {"joiners", [](const std::string& t) { return interleaved(t, "\u200D\u200C\u2060"); }},
      {"soft hyphens", [](const std::string& t) { return "\uFEFF" + interleaved(t, "\u00AD"); }},
      {"decomposed accents",
       [](const std::string& t) {
         return replaced(t, {{"é", "e\u0301"}, {"ï", "i\u0308"}, {"ç", "c\u0327"}, {"ô", "o\u0302"},
                             {"à", "a\u0300"}});
       }},
      {"full-width letters", fullWidth},
      {"ligatures", [](const std::string& t) { return replaced(t, {{"fi", "\uFB01"}, {"fl", "\uFB02"}}); }},
      {"curly quotes",
       [](const std::string& t) {
         return replaced(t, {{" \"", " \u201C"}, {"\"", "\u201D"}, {" '", " \u2018"}, {"'", "\u2019"}});
       }},
      {"dashes", [](const std::string& t) { return replaced(t, {{" - ", " \u2014 "}, {"-", "\u2013"}}); }},
      {"unicode blanks",
       [](const std::string& t) { return replaced(t, {{"a b", "a\u00A0b"}, {"e t", "e\u3000t"}}); }},
  };
  const std::string plain = kPassage;
  for (const bool stems : {false, true}) {
    TUnicodeSteps steps = allSteps();
    steps.stemWords = stems;
    steps.stemmerLanguage = "english";
    TUnicodeText unicode(steps);
    ASSERT_TRUE(unicode.ready());
    const std::vector<std::string> want = words(unicodeRewrite(unicode, plain));
    ASSERT_GT(want.size(), 150u);
    for (const Case& c : cases) {
      const std::string disguised = c.disguise(plain);
      ASSERT_NE(plain, disguised) << c.name;
      std::vector<std::size_t> origins;
      EXPECT_EQ(want, words(unicodeRewrite(unicode, disguised, &origins))) << c.name << stems;
      for (std::size_t i = 1; i < origins.size(); ++i) {
        ASSERT_LE(origins[i - 1], origins[i]) << c.name << " at " << i;
      }
      EXPECT_NE(words(byteRewrite(plain)), words(byteRewrite(disguised))) << c.name;
    }
  }
}

TEST(UnicodeText, StepsOneByOne) {
  struct Case {
    const char* name;
    void (*set)(TUnicodeSteps&);
    const char* text;
    const char* want;
  };
  const Case cases[] = {
      {"nothing", [](TUnicodeSteps&) {}, " A\u00A0\uFB01\u200Bx\n\u00C9 ", " A fix\n\u00C9 "},
      {"punctuation", [](TUnicodeSteps& s) { s.removePontuation = true; },
       " \u00ABa\u00BB b\u2014c \u201Ed\u201C e$f ", "  a  b c  d  e$f "},
      {"language-file marks", [](TUnicodeSteps& s) {
         s.removePontuation = true;
         s.punctuation = {"$", "<-"};
       },
       "a$b<-c<d", "a b c<d"},
      {"numbers", [](TUnicodeSteps& s) { s.removeNumbers = true; },
       " 1984 3rd a1 \u0663\u0664x \uFF11\uFF12 ", "  rd a1 x  "},
      {"case folding", [](TUnicodeSteps& s) { s.lowerCase = true; },
       "\u00C9T\u00C9 Stra\u00DFe \u0391\u03A3 \u0422", "\u00E9t\u00E9 strasse \u03B1\u03C3 \u0442"},
      {"stop words", [](TUnicodeSteps& s) {
         s.removeStopWords = true;
         s.stopWords = {"the", "\u00E0"};
       },
       " the cat the\tthe\nthe a\u0300 theme", "  cat \t\n  theme"},
      {"look-alikes keep case without lower case",
       [](TUnicodeSteps& s) { s.foldLookalikes = true; }, "\u0422\u0430 Ta I \u0406", "Ta Ta l l"},
      {"capital look-alikes fold to small letters",
       [](TUnicodeSteps& s) { s.foldLookalikes = s.lowerCase = true; },
       "\u0422 T \u0442 I i \u0406 l \u039F 0 m", "t t \u1D1B i i i l o o rn"},
      {"stop words after look-alikes",
       [](TUnicodeSteps& s) {
         s.foldLookalikes = s.lowerCase = s.removeStopWords = true;
         s.stopWords = {"a", "the"};
       },
       " \u0430 \u0422h\u0435 x ", "   x "},
  };
  for (const Case& c : cases) {
    TUnicodeSteps steps;
    c.set(steps);
    TUnicodeText unicode(steps);
    ASSERT_TRUE(unicode.ready()) << c.name;
    EXPECT_EQ(c.want, unicodeRewrite(unicode, c.text)) << c.name;
  }
}

TEST(UnicodeText, KeepsEveryInvalidByte) {
  TUnicodeSteps steps = allSteps();
  TUnicodeText unicode(steps);
  const std::string text = "A\xFF" "B \xC3(\xE2\x80 9\xF0\x9F x\xC0\xAF \x80";
  std::vector<std::size_t> origins;
  const std::string out = unicodeRewrite(unicode, text, &origins);
  EXPECT_EQ("a\xFF" "b \xC3 \xE2\x80 \xF0\x9F x\xC0\xAF \x80", out);
  ASSERT_EQ(out.size(), origins.size());
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (static_cast<unsigned char>(out[i]) >= 0x80) {
      EXPECT_EQ(text[origins[i]], out[i]) << i;
    }
  }
  std::string empty;
  EXPECT_FALSE(unicode.rewrite(empty));
}

TEST(UnicodeText, OriginsPointAtTheInputCodePoints) {
  struct Case {
    const char* text;
    const char* want;
    std::vector<std::size_t> origins;
  };
  const Case cases[] = {
      {"e\u0301x", "\u00E9x", {0, 0, 3}},                  // composed from two code points
      {"\uFB01n", "fin", {0, 0, 3}},                        // one code point, two letters
      {"a\u200Bb", "ab", {0, 4}},                           // a dropped format character
      {"\u00C9,\xFF", "\u00E9 \xFF", {0, 0, 2, 3}},         // case folding, a mark, an invalid byte
      {"\uFF21\u3000m", "a rn", {0, 3, 6, 6}},              // full width, a wide blank, a skeleton
  };
  TUnicodeSteps steps = allSteps();
  steps.removeStopWords = false;
  TUnicodeText unicode(steps);
  for (const Case& c : cases) {
    std::vector<std::size_t> origins;
    EXPECT_EQ(c.want, unicodeRewrite(unicode, c.text, &origins)) << c.text;
    EXPECT_EQ(c.origins, origins) << c.text;
  }
  // A stem keeps the origins of the letters it keeps, and a letter it
  // changes takes that of the letter it stands in for.
  steps.stemWords = true;
  steps.stemmerLanguage = "english";
  TUnicodeText stemmed(steps);
  std::vector<std::size_t> origins;
  EXPECT_EQ("happi cornput", unicodeRewrite(stemmed, "Happiness Computing", &origins));
  EXPECT_EQ((std::vector<std::size_t>{0, 1, 2, 3, 4, 9, 10, 11, 12, 12, 13, 14, 15}), origins);
}

// A stemmed word whose text before the stem is all gone (the text so far is
// empty) takes the origin of its own first letter.
TEST(UnicodeText, AStemAtTheStartOfAnEmptiedTextHasAnOrigin) {
  TUnicodeSteps steps;
  steps.removePontuation = steps.lowerCase = steps.removeStopWords = steps.stemWords = true;
  steps.stemmerLanguage = "english";
  steps.stopWords = {"the"};
  TUnicodeText unicode(steps);
  ASSERT_TRUE(unicode.ready());
  for (const char* text : {"SS \u00DF", "\u00DF", "SS"}) {
    std::string plain(text);
    ASSERT_TRUE(unicode.rewrite(plain)) << text;
    std::vector<std::size_t> origins;
    EXPECT_EQ(plain, unicodeRewrite(unicode, text, &origins)) << text;
    ASSERT_EQ(plain.size(), origins.size()) << text;
    for (const std::size_t origin : origins) EXPECT_LT(origin, std::string_view(text).size()) << text;
  }
}

TEST(UnicodeText, StemsInflectedWordsAlike) {
  struct Case {
    const char* language;
    const char* text;
  };
  const Case cases[] = {
      {"english", "computes computed computing"},
      {"fr", "calculer calcul\u00E9 calcul\u00E9es"},
      {"russian", "\u0441\u0442\u043E\u043B\u0430 \u0441\u0442\u043E\u043B\u0443 \u0441\u0442\u043E\u043B\u043E\u043C"},
  };
  for (const Case& c : cases) {
    for (const bool fold : {false, true}) {
      TUnicodeSteps steps;
      steps.lowerCase = steps.stemWords = true;
      steps.foldLookalikes = fold;
      steps.stemmerLanguage = c.language;
      TUnicodeText unicode(steps);
      ASSERT_TRUE(unicode.ready()) << c.language;
      const std::vector<std::string> stems = words(unicodeRewrite(unicode, c.text));
      ASSERT_EQ(3u, stems.size()) << c.language;
      EXPECT_EQ(stems[0], stems[1]) << c.language << fold;
      EXPECT_EQ(stems[0], stems[2]) << c.language << fold;
      steps.stemWords = false;
      TUnicodeText unstemmed(steps);
      const std::vector<std::string> plain = words(unicodeRewrite(unstemmed, c.text));
      EXPECT_NE(plain[0], plain[1]) << c.language;
    }
  }
  TUnicodeSteps unknown;
  unknown.stemWords = true;
  unknown.stemmerLanguage = "klingon";
  EXPECT_FALSE(TUnicodeText(unknown).ready());
}

TEST(UnicodeText, StemsLookAlikesAsTheirLetters) {
  TUnicodeSteps steps;
  steps.lowerCase = steps.stemWords = steps.foldLookalikes = true;
  steps.stemmerLanguage = "english";
  TUnicodeText unicode(steps);
  // Cyrillic letters inside the ending and inside the stem.
  const std::vector<std::string> stems =
      words(unicodeRewrite(unicode, "coming \u0441oming comin\u0261 computing comput\u0456ng"));
  ASSERT_EQ(5u, stems.size());
  EXPECT_EQ(stems[0], stems[1]);
  EXPECT_EQ(stems[0], stems[2]);
  EXPECT_EQ(stems[3], stems[4]);
}

TEST(UnicodeText, ShippedLanguagesTakeOutTheirMarksAndStopWords) {
  struct Case {
    const char* file;
    const char* text;
    const char* want;  // the words left, one blank apart
  };
  const Case cases[] = {
      {"french", "\u00AB Le Chat \u2014 dit-il \u2014 dort sur la table. \u00BB", "chat dort table"},
      {"german", "\u201EDer Hund\u201C \u2013 sagte er \u2013 \u201Eschl\u00E4ft auf der Stra\u00DFe.\u201C",
       "hund schl\u00E4ft strasse"},
      {"russian",
       "\u00AB\u041A\u043E\u0448\u043A\u0430 \u0441\u043F\u0438\u0442 \u043D\u0430 \u0441\u0442\u043E\u043B\u0435\u00BB "
       "\u2014 \u0441\u043A\u0430\u0437\u0430\u043B \u043E\u043D.",
       "\u043A\u043E\u0448\u043A\u0430 \u0441\u043F\u0438\u0442 \u0441\u0442\u043E\u043B\u0435"},
  };
  for (const Case& c : cases) {
    TWordLists lists;
    ASSERT_TRUE(lists.load(std::string(COLLUSION_LANGUAGES_DIR) + "/" + c.file + ".lang")) << c.file;
    TUnicodeSteps steps;
    steps.removePontuation = steps.removeNumbers = steps.lowerCase = steps.removeStopWords = true;
    steps.punctuation = lists.punctuation();
    steps.stopWords = lists.stopWords();
    steps.stemmerLanguage = lists.stemmerLanguage();
    TUnicodeText unicode(steps);
    ASSERT_TRUE(unicode.ready()) << c.file;
    std::string got;
    for (const std::string& word : words(unicodeRewrite(unicode, c.text))) {
      got += (got.empty() ? "" : " ") + word;
    }
    EXPECT_EQ(c.want, got) << c.file;
    steps.stemWords = true;
    EXPECT_TRUE(TUnicodeText(steps).ready()) << c.file;
  }
}

#include "results/origin_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "../support.h"
#include "documents/doc.h"
#include "stages/extract.h"
#include "stages/pre_proc.h"

using namespace std::string_literals;

namespace {

// Random document bytes from pieces that the steps treat specially.
std::string randomText(std::mt19937& random) {
  static const char* const kPieces[] = {
      " ",        " ",    " ",           "\n",   "\r\n",   "\r", "\t",
      "the",      "The",  "of",          "cat",  "CAT",    "a",  "1984",
      "3rd",      "x1",   ",",           ".",    "--",     "!",  "\xE2\x80\x9C",
      "\xC3\xA9", "\xFF", "\0"s.c_str(), "e.g.", "of the", "Dog"};
  std::uniform_int_distribution<std::size_t> piece(0, std::size(kPieces) - 1);
  std::uniform_int_distribution<int> length(0, 40);
  std::string text;
  for (int n = length(random); n > 0; --n) {
    const std::size_t p = piece(random);
    text += p == 23 ? "\0"s : std::string(kPieces[p]);
  }
  return text;
}

class OriginText : public ScratchTest {
 protected:
  // A stage whose language file holds the given punctuation and stop words.
  void load(TPreProcDoc& stage) {
    const std::string file =
        "[start stopWords]\nthe\nof the\na\nthe\ncat\n[stop stopWords]\n"
        "[start punctuation]\n,\n--\n-\n.\n!\n\xE2\x80\x9C\n[stop punctuation]\n";
    ASSERT_TRUE(stage.wordLists().load(write("lang", file)));
  }
};

// What loading and the stage's own steps make of raw.
std::string staged(const TPreProcDoc& stage, const std::string& raw, const TPreProcSwitches& on) {
  std::string text = raw;
  for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; ++at) {
    text.erase(at, 1);
  }
  text = " " + text + "\n ";
  bool ran = true;
  if (on.removePontuation) ran = stage.stripPunctuation(text) && ran;
  if (on.removeNumbers) ran = TPreProcDoc::stripNumbers(text) && ran;
  if (on.lowerCase) ran = TPreProcDoc::lowerText(text) && ran;
  if (on.removeStopWords) ran = stage.stripStopWords(text) && ran;
  EXPECT_TRUE(ran);
  return text;
}

}  // namespace

TEST_F(OriginText, ReplaysTheStageStepsAndExtraction) {
  TPreProcDoc stage;
  load(stage);
  std::mt19937 random(20240611);
  for (int round = 0; round < 400; ++round) {
    const std::string raw = randomText(random);
    for (int bits = 0; bits < 16; ++bits) {
      const TPreProcSwitches on{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0, (bits & 8) != 0};
      const TOriginText origin(raw, on, stage.wordLists());
      const std::string want = staged(stage, raw, on);
      ASSERT_EQ(want, origin.text())
          << "switches " << bits << " raw " << testing::PrintToString(raw);
      ASSERT_EQ(origin.text().size(), origin.origins().size());
      // Every kept byte is its raw byte, lowered at most.
      for (std::size_t i = 0; i < origin.text().size(); ++i) {
        const std::size_t from = origin.origins()[i];
        if (from == TOriginText::kNoOrigin) continue;
        const char c = raw[from];
        EXPECT_TRUE(origin.text()[i] == c ||
                    (on.lowerCase && c >= 'A' && c <= 'Z' && origin.text()[i] == c - 'A' + 'a'));
      }
      ASSERT_EQ(countWords(want), static_cast<std::int32_t>(origin.words().size()));

      const std::int32_t grams = 1 + round % 4;
      TDoc doc("d.txt", "dir");
      doc.setText(want);
      TExtractGrams extract;
      extract.setGramsSize(grams);
      ASSERT_GE(extract.extractDocument(&doc), 0);
      std::multiset<std::string> extracted;
      doc.vocabulary()->forEachEntry([&](std::string_view chunk, std::int32_t count) {
        for (std::int32_t n = 0; n < count; ++n) extracted.emplace(chunk);
      });
      std::multiset<std::string> traced;
      for (const TOriginChunk& chunk : origin.chunks(grams)) traced.insert(chunk.text);
      ASSERT_EQ(extracted, traced) << "grams " << grams;
    }
  }
}

TEST_F(OriginText, WordsSpanTheirSurvivingRawBytes) {
  TPreProcDoc stage;
  load(stage);
  struct Case {
    std::string raw;
    std::string want;  // word [from,to) ...
  };
  const Case cases[] = {
      {"Hello, World 42!", "hello[0,5) world[7,12)"},
      {"a--b\r\nThe cat", "b[3,4) the[6,9) cat[10,13)"},  // a is a stop word
      {"A,b", "b[2,3)"},
      {"x\r\n1st of the\tDog.", "x[0,1) st[4,6) of[7,9) the[10,13) dog[14,17)"},
      {"e.g. 3.5", "e[0,1) g[2,3)"},
      {" \xE2\x80\x9C q \xE2\x80\x9Cr", "q[5,6) r[10,11)"},
  };
  const TPreProcSwitches all{true, true, true, true};
  for (const Case& c : cases) {
    const TOriginText origin(c.raw, all, stage.wordLists());
    std::string got;
    for (const TOriginWord& word : origin.words()) {
      if (!got.empty()) got += ' ';
      got += std::string(word.text) + "[" + std::to_string(word.from) + "," +
             std::to_string(word.to) + ")";
    }
    EXPECT_EQ(c.want, got) << c.raw;
  }
}

TEST(OriginChunks, WindowOfGramsSizeWords) {
  struct Case {
    std::int32_t grams;
    std::string want;  // text[from,to); ...
  };
  // Words a, bb, c at raw bytes [0,1), [2,4), [5,6).
  const Case cases[] = {
      {1, "a[0,1);bb[2,4);c[5,6);"},
      {2, "a bb[0,4);bb c[2,6);"},
      {3, "a bb c[0,6);"},
      {5, "a bb c[0,6);"},
      {0, ""},
  };
  const TWordLists none;
  const TOriginText origin("a bb c", {}, none);
  for (const Case& c : cases) {
    std::string got;
    for (const TOriginChunk& chunk : origin.chunks(c.grams)) {
      got += chunk.text + "[" + std::to_string(chunk.from) + "," + std::to_string(chunk.to) + ");";
    }
    EXPECT_EQ(c.want, got) << c.grams;
  }
  EXPECT_TRUE(TOriginText(" \r\n\t", {}, none).chunks(2).empty());
}

#include "results/highlight.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <set>
#include <utility>
#include <vector>

#include "../support.h"
#include "results/html_text.h"
#include "results/origin_text.h"
#include "results/pair_page.h"
#include "results/results.h"
#include "stages/word_lists.h"

namespace {

// Passages as "[from,to)>partners;" per side.
std::string describe(const std::vector<TPassage>& passages) {
  std::string text;
  for (const TPassage& p : passages) {
    text += "[" + std::to_string(p.from) + "," + std::to_string(p.to) + ")>";
    for (const std::uint32_t partner : p.partners) text += std::to_string(partner);
    text += ";";
  }
  return text;
}

}  // namespace

TEST(Highlight, MergesOverlappingSpansAndLinksPartners) {
  struct Case {
    std::vector<TOriginChunk> chunks1, chunks2;
    const char* want1;
    const char* want2;
  };
  const Case cases[] = {
      // Overlapping occurrences merge; a later one of the same chunk is apart.
      {{{"a b", 0, 3}, {"b c", 2, 5}, {"c x", 4, 7}, {"a b", 8, 11}},
       {{"z a", 0, 3}, {"a b", 2, 5}, {"b c", 4, 7}},
       "[0,5)>0;[8,11)>0;",
       "[2,7)>01;"},
      // Touching spans stay two passages; unshared chunks are not marked.
      {{{"a", 0, 2}, {"b", 2, 4}, {"q", 5, 6}},
       {{"b", 0, 1}, {"a", 3, 4}},
       "[0,2)>1;[2,4)>0;",
       "[0,1)>1;[3,4)>0;"},
      {{{"a", 0, 1}}, {{"b", 0, 1}}, "", ""},
      {{}, {{"b", 0, 1}}, "", ""},
  };
  for (const Case& c : cases) {
    const THighlight highlight(c.chunks1, c.chunks2);
    EXPECT_EQ(c.want1, describe(highlight.passages(0)));
    EXPECT_EQ(c.want2, describe(highlight.passages(1)));
  }
}

namespace {

// A literal, byte-by-byte model of loading and pre-processing: every byte is
// carried with its raw offset (-1 for bytes put in), and each rule is applied
// as written, by erasing and inserting in a vector.
using Tagged = std::vector<std::pair<char, long>>;

std::size_t findIn(const Tagged& text, const std::string& what, std::size_t from) {
  for (std::size_t k = from; k + what.size() <= text.size(); ++k) {
    bool all = true;
    for (std::size_t j = 0; j < what.size() && all; ++j) all = text[k + j].first == what[j];
    if (all) return k;
  }
  return std::string::npos;
}

Tagged modelText(const std::string& raw, const TPreProcSwitches& on, const TWordLists& lists) {
  Tagged text;
  for (std::size_t i = 0; i < raw.size(); ++i) text.push_back({raw[i], static_cast<long>(i)});
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i].first == '\r' && text[i + 1].first == '\n') text.erase(text.begin() + i);
  }
  text.push_back({'\n', -1});
  text.insert(text.begin(), {' ', -1});
  text.push_back({' ', -1});
  const auto at = [&](std::size_t i) { return text.begin() + static_cast<long>(i); };
  if (on.removePontuation) {
    for (const std::string& p : lists.punctuation()) {
      for (std::size_t k = findIn(text, p, 0); k != std::string::npos; k = findIn(text, p, k + 1)) {
        const bool before = k > 0 && text[k - 1].first == ' ';
        const bool after = k + p.size() < text.size() && text[k + p.size()].first == ' ';
        if (before && after) {
          text.erase(at(k), at(k + p.size() + 1));
        } else {
          text.erase(at(k), at(k + p.size()));
          text.insert(at(k), {' ', -1});
        }
      }
    }
  }
  if (on.removeNumbers) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    for (std::size_t i = 0; i < text.size(); ++i) {
      const bool begins = i == 0 || text[i - 1].first == ' ' || text[i - 1].first == '\n' ||
                          text[i - 1].first == '\t';
      if (!digit(text[i].first) || !begins) continue;
      std::size_t j = i;
      while (j < text.size() && digit(text[j].first)) ++j;
      text.erase(at(i), at(j));
    }
  }
  if (on.lowerCase) {
    for (auto& [c, origin] : text)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  if (on.removeStopWords) {
    for (const std::string& w : lists.stopWords()) {
      const std::string pattern = " " + w + " ";
      for (std::size_t k = findIn(text, pattern, 0); k != std::string::npos;
           k = findIn(text, pattern, k + 1)) {
        text.erase(at(k), at(k + pattern.size()));
        text.insert(at(k), {' ', -1});
      }
    }
  }
  return text;
}

struct ModelChunk {
  std::string text;
  long from, to;
};

// The chunks as the window rule cuts them, with their raw spans.
std::vector<ModelChunk> modelChunks(const Tagged& text, int grams) {
  std::vector<ModelChunk> words;
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (blank(text[i].first) || (i > 0 && !blank(text[i - 1].first))) continue;
    ModelChunk word{"", -1, -1};
    for (std::size_t j = i; j < text.size() && !blank(text[j].first); ++j) {
      word.text += text[j].first;
      if (text[j].second < 0) continue;
      if (word.from < 0) word.from = text[j].second;
      word.to = text[j].second + 1;
    }
    words.push_back(word);
  }
  std::vector<ModelChunk> chunks;
  const std::size_t n = std::min<std::size_t>(grams, words.size());
  for (std::size_t first = 0; n > 0 && first + n <= words.size(); ++first) {
    ModelChunk chunk{words[first].text, words[first].from, words[first + n - 1].to};
    for (std::size_t w = first + 1; w < first + n; ++w) chunk.text += " " + words[w].text;
    chunks.push_back(chunk);
  }
  return chunks;
}

// The raw bytes that the shared chunks of mine cover.
std::set<long> sharedBytes(const std::vector<ModelChunk>& mine,
                           const std::vector<ModelChunk>& theirs) {
  std::set<std::string> other;
  for (const ModelChunk& c : theirs) other.insert(c.text);
  std::set<long> bytes;
  for (const ModelChunk& c : mine) {
    if (!other.count(c.text)) continue;
    for (long b = c.from; b < c.to; ++b) bytes.insert(b);
  }
  return bytes;
}

// The chunks of model whose texts are (in, true) or are not (in, false) in
// texts.
std::vector<ModelChunk> chunksIn(const std::vector<ModelChunk>& model,
                                 const std::set<std::string>& texts, bool in) {
  std::vector<ModelChunk> chosen;
  for (const ModelChunk& c : model) {
    if (texts.count(c.text) == (in ? 1u : 0u)) chosen.push_back(c);
  }
  return chosen;
}

// The raw bytes that chunks cover, less those of taken.
std::set<long> bytesOutside(const std::vector<ModelChunk>& chunks, const std::set<long>& taken) {
  std::set<long> bytes;
  for (const ModelChunk& c : chunks) {
    for (long b = c.from; b < c.to; ++b) {
      if (!taken.count(b)) bytes.insert(b);
    }
  }
  return bytes;
}

// The raw bytes that the page's marks of one side cover, or its template
// spans with kind "span class=\"template\"".
std::set<long> markedBytes(const std::string& page, int doc, const std::string& kind = "mark") {
  const std::regex kMark("<" + kind +
                         " data-doc=\"([12])\" data-from=\"([0-9]+)\" data-to=\"([0-9]+)\"");
  std::set<long> bytes;
  for (auto it = std::sregex_iterator(page.begin(), page.end(), kMark);
       it != std::sregex_iterator(); ++it) {
    if (std::stoi((*it)[1]) != doc) continue;
    for (long b = std::stol((*it)[2]); b < std::stol((*it)[3]); ++b) bytes.insert(b);
  }
  return bytes;
}

// The text of a side's <pre> without the mark tags.
std::string shownText(const std::string& page, int doc) {
  const std::string open = "<pre id=\"doc" + std::to_string(doc) + "\">";
  const std::size_t from = page.find(open) + open.size();
  const std::string inner = page.substr(from, page.find("</pre>", from) - from);
  return std::regex_replace(inner, std::regex("<mark[^>]*>|</mark>|<span[^>]*>|</span>"), "");
}

// A document with words, pieces of another document and noise.
std::string randomDocument(std::mt19937& random, const std::string& source) {
  static const char* const kPieces[] = {
      " ",   " ", "\r\n", "\n", "\t",  "the", "The", "cat", "sat",          "on",
      "of",  "A", "mat",  "42", "7th", ",",   ".",   "--",  "\xE2\x80\x9C", "\xC3\xA9t\xC3\xA9",
      "<b>", "&"};
  std::uniform_int_distribution<std::size_t> piece(0, std::size(kPieces) - 1);
  std::uniform_int_distribution<int> pick(0, 9);
  std::string text;
  for (int n = 0; n < 30; ++n) {
    if (pick(random) == 0 && !source.empty()) {
      std::uniform_int_distribution<std::size_t> start(0, source.size() - 1);
      const std::size_t from = start(random);
      text += source.substr(from, 25);
    } else {
      text += kPieces[piece(random)];
    }
  }
  return text;
}

}  // namespace

class HighlightCheck : public ScratchTest {};

// The marks of each side cover exactly the raw bytes of the shared chunks'
// occurrences, as a literal model of the pre-processing rules traces them;
// with a template, its chunks are never shared, and the bytes of their
// occurrences outside the marks are grey.
TEST_F(HighlightCheck, MarksCoverTheSharedChunksOfAnIndependentModel) {
  TWordLists lists;
  ASSERT_TRUE(lists.load(write("lang",
                               "[start stopWords]\nthe\non\nof the\n[stop stopWords]\n"
                               "[start punctuation]\n,\n.\n--\n-\n\xE2\x80\x9C\n"
                               "[stop punctuation]\n")));
  std::mt19937 random(7);
  for (int bits = 0; bits < 16; ++bits) {
    const TPreProcSwitches on{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0, (bits & 8) != 0};
    for (int grams = 1; grams <= 4; ++grams) {
      for (int round = 0; round < 6; ++round) {
        const std::string raw1 = randomDocument(random, "");
        const std::string raw2 = randomDocument(random, raw1);
        // Every other round, a template holding pieces of the first.
        const std::string rawTemplate = round % 2 ? randomDocument(random, raw1) : "";
        const auto model1 = modelChunks(modelText(raw1, on, lists), grams);
        const auto model2 = modelChunks(modelText(raw2, on, lists), grams);
        std::set<std::string> given;
        for (const ModelChunk& c : modelChunks(modelText(rawTemplate, on, lists), grams)) {
          given.insert(c.text);
        }

        const TOriginText origin1(raw1, on, lists);
        const TOriginText origin2(raw2, on, lists);
        std::vector<TOriginChunk> chunks[2], templateChunks[2];
        for (int side = 0; side < 2; ++side) {
          for (TOriginChunk& chunk : (side ? origin2 : origin1).chunks(grams)) {
            (given.count(chunk.text) ? templateChunks : chunks)[side].push_back(chunk);
          }
        }
        TResultsStudy study;
        study.documents = {{"one.txt", 0, 0}, {"two.txt", 0, 0}};
        study.pairs = {{0, 1, 1, 1, 1, 10000}};
        const TResults results(std::move(study));
        const std::string page = pairPage(results, 1, {raw1, &chunks[0], &templateChunks[0]},
                                          {raw2, &chunks[1], &templateChunks[1]});

        const std::string where = "switches " + std::to_string(bits) + " grams " +
                                  std::to_string(grams) + "\n" + testing::PrintToString(raw1) +
                                  "\n" + testing::PrintToString(raw2) + "\n" +
                                  testing::PrintToString(rawTemplate);
        const auto own1 = chunksIn(model1, given, false);
        const auto own2 = chunksIn(model2, given, false);
        const std::set<long> shared1 = sharedBytes(own1, own2);
        const std::set<long> shared2 = sharedBytes(own2, own1);
        ASSERT_EQ(shared1, markedBytes(page, 1)) << where;
        ASSERT_EQ(shared2, markedBytes(page, 2)) << where;
        const std::string grey = "span class=\"template\"";
        ASSERT_EQ(bytesOutside(chunksIn(model1, given, true), shared1), markedBytes(page, 1, grey))
            << where;
        ASSERT_EQ(bytesOutside(chunksIn(model2, given, true), shared2), markedBytes(page, 2, grey))
            << where;
        ASSERT_EQ(htmlText(raw1), shownText(page, 1)) << where;
        ASSERT_EQ(htmlText(raw2), shownText(page, 2)) << where;
      }
    }
  }
}

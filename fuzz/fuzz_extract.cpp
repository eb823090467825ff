// Fuzzes chunk extraction: TExtractGrams::extractDocument fills a document's
// vocabulary, which must equal the chunks counted the plain way (split the
// text into words, join every gramsSize words in a row by one blank).
//
// Input layout:
//   byte 0   bits 0-6: gramsSize + 1, taken modulo 12 (so -1 to 10)
//            bit 7:    extract the same text twice into the same vocabulary
//   then     the text
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "documents/doc.h"
#include "fuzz_support.h"
#include "stages/extract.h"

namespace {

bool isWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::map<std::string, std::int32_t, std::less<>> plainChunks(std::string_view text,
                                                             std::int32_t gramsSize) {
  std::map<std::string, std::int32_t, std::less<>> chunks;
  if (gramsSize <= 0) return chunks;
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    if (isWhiteSpace(text[i])) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < text.size() && !isWhiteSpace(text[i])) ++i;
    words.push_back(text.substr(start, i - start));
  }
  if (words.empty()) return chunks;
  const std::size_t n = static_cast<std::size_t>(gramsSize);
  const std::size_t size = words.size() < n ? words.size() : n;
  for (std::size_t first = 0; first + size <= words.size(); ++first) {
    std::string chunk(words[first]);
    for (std::size_t w = 1; w < size; ++w) {
      chunk += ' ';
      chunk += words[first + w];
    }
    ++chunks[chunk];
  }
  return chunks;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return -1;
  const std::int32_t gramsSize = (data[0] & 0x7f) % 12 - 1;
  const int passes = (data[0] & 0x80) ? 2 : 1;
  const std::string_view text = fuzz::bytesOf(data + 1, size - 1);
  auto what = [&](std::string_view problem, std::string_view chunk = {}) {
    return [=] {
      return "gramsSize " + std::to_string(gramsSize) + " on " + fuzz::quoted(text) + ": " +
             std::string(problem) + " " + fuzz::quoted(chunk);
    };
  };

  TExtractGrams extract;
  extract.setGramsSize(gramsSize);
  fuzz::checkEqual("no document", -1, extract.extractDocument(nullptr));

  TDoc doc("fuzz.txt", "/nonexistent");
  doc.setText(std::string(text));
  std::map<std::string, std::int32_t, std::less<>> expected = plainChunks(text, gramsSize);
  for (auto& [chunk, count] : expected) count *= passes;

  for (int pass = 0; pass < passes; ++pass) {
    const std::int32_t result = extract.extractDocument(&doc);
    if (text.empty()) {
      fuzz::checkEqual(what("result for an empty text"), -1, result);
    } else {
      fuzz::checkEqual(what("result"), static_cast<long long>(expected.size()), result);
    }
  }

  const TVocabulary* vocabulary = doc.vocabulary();
  fuzz::check(vocabulary != nullptr, "a document without vocabulary");
  fuzz::checkEqual(what("chunkCount"), static_cast<long long>(expected.size()), doc.chunkCount());
  fuzz::checkEqual(what("vocabulary size"), static_cast<long long>(expected.size()),
                   vocabulary->size());
  std::size_t visited = 0;
  vocabulary->forEachEntry([&](std::string_view chunk, std::int32_t count) {
    ++visited;
    const auto it = expected.find(chunk);
    if (it == expected.end()) fuzz::fail(what("an unexpected chunk")(), "", chunk);
    fuzz::checkEqual(what("count of", chunk), it->second, count);
  });
  fuzz::checkEqual(what("entries visited"), static_cast<long long>(expected.size()),
                   static_cast<long long>(visited));
  for (const auto& [chunk, count] : expected) {
    fuzz::checkEqual(what("countOf", chunk), count, vocabulary->countOf(chunk));
  }
  return 0;
}

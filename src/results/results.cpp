#include "results/results.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "base/text_file.h"
#include "results/csv_field.h"
#include "results/html_text.h"

// pairs.csv, one line per pair, most similar first, "\n" after every line:
//   rank,document1,document2,chunks1,chunks2,common,similarity,containment1,containment2,archive
//   1,/in/a.txt,/in/b.txt,40,52,12,0.1500,0.3000,0.2307,0
// documents.csv, one line per document in the study's order:
//   document,words,chunks,best_similarity,best_partner,listed_pairs,archive
//   /in/a.txt,310,120,0.1500,/in/b.txt,1,0
// Paths are quoted as RFC 4180 asks; the best and listed columns are empty
// when the study compared no pairs, the best ones also for a document
// without a pair. archive is 1 for an archive document and for a pair that
// holds one, else 0.

namespace {

// The pairs' indices, most similar first, then most chunks in common, then in
// comparison order. The two counts make one 64-bit key, sorted from its
// lowest byte to its highest with a stable counting sort per byte (bytes all
// pairs share are passed over), so that equal keys keep their order.
std::vector<std::uint32_t> rankPairs(const std::vector<TResultsPair>& pairs) {
  struct Keyed {
    std::uint64_t key;
    std::uint32_t index;
  };
  // Rising keys for falling counts: each signed count is made unsigned in
  // order, then the whole key inverted.
  const auto keyOf = [](const TResultsPair& pair) {
    const std::uint64_t high = static_cast<std::uint32_t>(pair.similarity) ^ 0x80000000u;
    const std::uint64_t low = static_cast<std::uint32_t>(pair.common) ^ 0x80000000u;
    return ~(high << 32 | low);
  };
  const std::size_t n = pairs.size();
  std::vector<Keyed> keyed(n);
  std::vector<std::size_t> counts(8 * 256, 0);
  for (std::size_t i = 0; i < n; ++i) {
    keyed[i] = {keyOf(pairs[i]), static_cast<std::uint32_t>(i)};
    for (std::size_t b = 0; b < 8; ++b) ++counts[b * 256 + (keyed[i].key >> (8 * b) & 0xFF)];
  }
  std::vector<Keyed> other(n);
  for (std::size_t b = 0; b < 8 && n > 1; ++b) {
    std::size_t* const count = counts.data() + b * 256;
    if (count[keyed[0].key >> (8 * b) & 0xFF] == n) continue;
    std::size_t start = 0;
    for (std::size_t digit = 0; digit < 256; ++digit) {
      const std::size_t here = count[digit];
      count[digit] = start;
      start += here;
    }
    for (const Keyed& k : keyed) other[count[k.key >> (8 * b) & 0xFF]++] = k;
    keyed.swap(other);
  }
  std::vector<std::uint32_t> ranking(n);
  for (std::size_t i = 0; i < n; ++i) ranking[i] = keyed[i].index;
  return ranking;
}

}  // namespace

TResults::TResults(TResultsStudy study)
    : study_(std::move(study)), ranking_(rankPairs(study_.pairs)) {
  const std::vector<TResultsPair>& pairs = study_.pairs;
  const auto limit = study_.top > 0 ? static_cast<std::size_t>(study_.top) : ranking_.size();
  while (listed_ < std::min(limit, ranking_.size()) &&
         pairs[ranking_[listed_]].similarity >= study_.threshold) {
    ++listed_;
  }
  best_.assign(study_.documents.size(), kNoPair);
  listedOf_.assign(study_.documents.size(), 0);
  for (std::size_t rank = 0; rank < ranking_.size(); ++rank) {
    const TResultsPair& pair = pairs[ranking_[rank]];
    for (const std::uint32_t doc : {pair.doc1, pair.doc2}) {
      if (best_[doc] == kNoPair) best_[doc] = ranking_[rank];
      if (rank < listed_) ++listedOf_[doc];
    }
  }
}

std::int32_t TResults::containment(std::int32_t common, std::int32_t chunks) {
  if (chunks <= 0) return 0;
  return static_cast<std::int32_t>(std::int64_t{common} * 10000 / chunks);
}

std::int32_t TResults::thresholdOf(double setting) {
  if (!(setting > 0)) return 0;
  if (setting > 1) return 10001;
  return static_cast<std::int32_t>(std::llround(setting * 10000));
}

std::string TResults::pairsCsv() const {
  std::string csv;
  (void)formatPairsCsv([&csv](std::string_view block) {
    csv += block;
    return true;
  });
  return csv;
}

bool TResults::writePairsCsv(int fd) const {
  return formatPairsCsv([fd](std::string_view block) { return writeAll(fd, block); });
}

bool TResults::formatPairsCsv(const std::function<bool(std::string_view)>& put) const {
  // Each document's path as a field, made once for all its pairs.
  std::vector<std::string> fields(study_.documents.size());
  std::size_t longest = 0;
  for (std::size_t doc = 0; doc < fields.size(); ++doc) {
    appendCsvField(fields[doc], study_.documents[doc].path);
    longest = std::max(longest, fields[doc].size());
  }
  // The lines are written into a block with room for the longest line past
  // its end: a rank, two fields, three counts, three shares and the rest.
  constexpr std::size_t kBlock = std::size_t{1} << 20;
  const std::size_t lineBytes = 24 + 2 * longest + 3 * 12 + 3 * kFourDecimalsBytes + 16;
  std::string block(kBlock + lineBytes, '\0');
  char* const begin = block.data();
  constexpr std::string_view kHeader =
      "rank,document1,document2,chunks1,chunks2,common,similarity,containment1,containment2,"
      "archive\n";
  std::memcpy(begin, kHeader.data(), kHeader.size());
  char* at = begin + kHeader.size();
  const auto number = [&at](auto value) {
    at = std::to_chars(at, at + 24, value).ptr;
  };
  for (std::size_t rank = 0; rank < ranking_.size(); ++rank) {
    if (static_cast<std::size_t>(at - begin) >= kBlock) {
      if (!put(std::string_view(begin, static_cast<std::size_t>(at - begin)))) return false;
      at = begin;
    }
    const TResultsPair& pair = study_.pairs[ranking_[rank]];
    number(static_cast<std::uint64_t>(rank + 1));
    for (const std::string* field : {&fields[pair.doc1], &fields[pair.doc2]}) {
      *at++ = ',';
      std::memcpy(at, field->data(), field->size());
      at += field->size();
    }
    for (const std::int32_t count : {pair.chunks1, pair.chunks2, pair.common}) {
      *at++ = ',';
      number(count);
    }
    for (const std::int32_t share : {pair.similarity, containment(pair.common, pair.chunks1),
                                     containment(pair.common, pair.chunks2)}) {
      *at++ = ',';
      at = writeFourDecimals(at, share);
    }
    const bool archive =
        study_.documents[pair.doc1].archive || study_.documents[pair.doc2].archive;
    std::memcpy(at, archive ? ",1\n" : ",0\n", 3);
    at += 3;
  }
  return at == begin || put(std::string_view(begin, static_cast<std::size_t>(at - begin)));
}

std::string TResults::documentsCsv() const {
  std::string csv = "document,words,chunks,best_similarity,best_partner,listed_pairs,archive\n";
  for (std::uint32_t doc = 0; doc < study_.documents.size(); ++doc) {
    const TResultsDocument& document = study_.documents[doc];
    appendCsvField(csv, document.path);
    csv += ',';
    csv += std::to_string(document.words);
    csv += ',';
    csv += std::to_string(document.chunks);
    csv += ',';
    if (study_.compared && best_[doc] != kNoPair) {
      const TResultsPair& best = study_.pairs[best_[doc]];
      csv += fourDecimals(best.similarity);
      csv += ',';
      appendCsvField(csv, study_.documents[best.doc1 == doc ? best.doc2 : best.doc1].path);
    } else {
      csv += ',';
    }
    csv += ',';
    if (study_.compared) csv += std::to_string(listedOf_[doc]);
    csv += document.archive ? ",1\n" : ",0\n";
  }
  return csv;
}

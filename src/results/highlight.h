#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "results/origin_text.h"

// One highlighted passage of a document: raw bytes [from, to), and the
// passages of the other document that share a chunk with it (indices into
// that side's list, increasing).
struct TPassage {
  std::size_t from = 0;
  std::size_t to = 0;
  std::vector<std::uint32_t> partners;
};

// The passages of a pair of documents. On each side every occurrence of every
// chunk the two documents share is covered; occurrences whose spans overlap
// (hold a byte in common) merge into one passage, while spans that merely
// touch stay apart. Each side's passages are in increasing, disjoint order.
class THighlight {
 public:
  // chunks1 and chunks2 are the chunk occurrences of the two documents, in
  // text order (as TOriginText::chunks gives them).
  THighlight(const std::vector<TOriginChunk>& chunks1, const std::vector<TOriginChunk>& chunks2);

  // side is 0 for the first document, 1 for the second.
  const std::vector<TPassage>& passages(int side) const { return sides_[side]; }

 private:
  std::vector<TPassage> sides_[2];
};

// A run of raw bytes [from, to).
struct TSpan {
  std::size_t from = 0;
  std::size_t to = 0;
};

// The bytes that the spans of chunks cover and no passage does, as
// increasing, disjoint spans; chunk spans that overlap or touch make one.
// passages must be increasing and disjoint (THighlight::passages).
std::vector<TSpan> uncoveredSpans(const std::vector<TOriginChunk>& chunks,
                                  const std::vector<TPassage>& passages);

#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "results/origin_text.h"

class TResults;

// One document of a pair page: its file's bytes as stored on disk and its
// chunk occurrences with their spans in those bytes (TOriginText::chunks):
// those that may be shared, and those of the templates, which never are.
struct TPageSide {
  std::string_view raw;
  const std::vector<TOriginChunk>* chunks = nullptr;
  const std::vector<TOriginChunk>* templateChunks = nullptr;
};

// pairs/<rank>.html: the header names both documents with their counts, the
// similarity and both containments, and links back to ../index.html; below,
// the two documents side by side, every byte escaped, lines kept. Each
// passage of shared chunks (THighlight) is one
//   <mark data-doc="1" data-from="12" data-to="80" data-n="3" id="p1-3" data-partners="1 4">
// whose data-from and data-to are its raw bytes [from, to), data-n its number
// on its side (from 1), and data-partners the numbers of the passages on the
// other side that share a chunk with it. The inline script marks those and
// scrolls to the first when the passage is clicked. The text of template
// chunks outside the passages is shown in grey, each run as one
//   <span class="template" data-doc="1" data-from="0" data-to="40">
//
// rank is 1 to results.listedCount(); side1 and side2 are the pair's first
// and second document.
std::string pairPage(const TResults& results, std::uint32_t rank, const TPageSide& side1,
                     const TPageSide& side2);

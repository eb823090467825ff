#include "results/highlight.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace {

constexpr std::uint32_t kNotShared = UINT32_MAX;

// Merges the spans of the shared occurrences into passages. ids holds each
// occurrence's shared-chunk id (or kNotShared); passageOf receives, for each
// shared chunk id, the passages holding one of its occurrences.
std::vector<TPassage> merge(const std::vector<TOriginChunk>& chunks,
                            const std::vector<std::uint32_t>& ids,
                            std::vector<std::vector<std::uint32_t>>& passagesOf) {
  struct Span {
    std::size_t from;
    std::size_t to;
    std::uint32_t id;
  };
  std::vector<Span> spans;
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    if (ids[i] != kNotShared && chunks[i].from < chunks[i].to) {
      spans.push_back({chunks[i].from, chunks[i].to, ids[i]});
    }
  }
  std::stable_sort(spans.begin(), spans.end(),
                   [](const Span& a, const Span& b) { return a.from < b.from; });
  std::vector<TPassage> passages;
  for (const Span& span : spans) {
    if (passages.empty() || span.from >= passages.back().to) {
      passages.push_back({span.from, span.to, {}});
    } else {
      passages.back().to = std::max(passages.back().to, span.to);
    }
    std::vector<std::uint32_t>& holders = passagesOf[span.id];
    const auto index = static_cast<std::uint32_t>(passages.size() - 1);
    if (holders.empty() || holders.back() != index) holders.push_back(index);
  }
  return passages;
}

}  // namespace

THighlight::THighlight(const std::vector<TOriginChunk>& chunks1,
                       const std::vector<TOriginChunk>& chunks2) {
  // Ids for the first document's chunk texts, then the shared ones marked.
  std::unordered_map<std::string_view, std::uint32_t> idOf;
  std::vector<std::uint32_t> ids1(chunks1.size());
  for (std::size_t i = 0; i < chunks1.size(); ++i) {
    ids1[i] = idOf.emplace(chunks1[i].text, static_cast<std::uint32_t>(idOf.size())).first->second;
  }
  std::vector<bool> shared(idOf.size(), false);
  std::vector<std::uint32_t> ids2(chunks2.size(), kNotShared);
  for (std::size_t i = 0; i < chunks2.size(); ++i) {
    const auto found = idOf.find(chunks2[i].text);
    if (found == idOf.end()) continue;
    ids2[i] = found->second;
    shared[found->second] = true;
  }
  for (std::uint32_t& id : ids1) {
    if (!shared[id]) id = kNotShared;
  }

  std::vector<std::vector<std::uint32_t>> passagesOf[2];
  passagesOf[0].resize(idOf.size());
  passagesOf[1].resize(idOf.size());
  sides_[0] = merge(chunks1, ids1, passagesOf[0]);
  sides_[1] = merge(chunks2, ids2, passagesOf[1]);

  for (int side = 0; side < 2; ++side) {
    const auto& mine = passagesOf[side];
    const auto& theirs = passagesOf[1 - side];
    for (std::size_t id = 0; id < mine.size(); ++id) {
      for (const std::uint32_t p : mine[id]) {
        std::vector<std::uint32_t>& partners = sides_[side][p].partners;
        partners.insert(partners.end(), theirs[id].begin(), theirs[id].end());
      }
    }
    for (TPassage& passage : sides_[side]) {
      std::sort(passage.partners.begin(), passage.partners.end());
      passage.partners.erase(std::unique(passage.partners.begin(), passage.partners.end()),
                             passage.partners.end());
    }
  }
}

std::vector<TSpan> uncoveredSpans(const std::vector<TOriginChunk>& chunks,
                                  const std::vector<TPassage>& passages) {
  std::vector<TSpan> covered;
  for (const TOriginChunk& chunk : chunks) {
    if (chunk.from < chunk.to) covered.push_back({chunk.from, chunk.to});
  }
  std::sort(covered.begin(), covered.end(),
            [](const TSpan& a, const TSpan& b) { return a.from < b.from; });
  std::vector<TSpan> merged;
  for (const TSpan& span : covered) {
    if (merged.empty() || span.from > merged.back().to) {
      merged.push_back(span);
    } else {
      merged.back().to = std::max(merged.back().to, span.to);
    }
  }
  // Each merged span less the passages within it.
  std::vector<TSpan> left;
  std::size_t p = 0;
  for (TSpan span : merged) {
    while (p < passages.size() && passages[p].to <= span.from) ++p;
    for (std::size_t q = p; q < passages.size() && passages[q].from < span.to; ++q) {
      if (passages[q].from > span.from) left.push_back({span.from, passages[q].from});
      span.from = std::max(span.from, passages[q].to);
    }
    if (span.from < span.to) left.push_back(span);
  }
  return left;
}

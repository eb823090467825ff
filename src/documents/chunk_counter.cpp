#include "documents/chunk_counter.h"

void TChunkCounter::begin(std::uint32_t idCount) {
  // The vector's own growth keeps resizing amortised; only ids in use are
  // ever touched.
  if (entries_.size() < idCount) entries_.resize(idCount, 0);
}

void TChunkCounter::end(const std::vector<std::uint32_t>& ids) {
  for (const std::uint32_t id : ids) entries_[id] = 0;
}

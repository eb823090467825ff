#include "documents/chunk_counter.h"

#include <algorithm>

void TChunkCounter::begin(std::uint32_t idCount) {
  if (marks_.size() < idCount) {
    const std::size_t size = idCount + idCount / 2 + 1024;
    marks_.resize(size, 0);
    entries_.resize(size, 0);
  }
  if (++mark_ == 0) {  // wrapped: old marks could be mistaken for the new one
    std::fill(marks_.begin(), marks_.end(), 0);
    mark_ = 1;
  }
}

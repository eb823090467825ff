#pragma once

#include <cstdint>

// What a compared pair comes to without its texts: the two documents, by
// their index in the document set, and the counts of its report.
struct TPairCounts {
  std::uint32_t doc1 = 0;
  std::uint32_t doc2 = 0;
  std::int32_t chunks1 = 0;
  std::int32_t chunks2 = 0;
  std::int32_t common = 0;
  std::int32_t similarity = 0;  // in ten-thousandths, 0 to 10000
};

#include "base/parse_int.h"

#include <cctype>
#include <cstdint>
#include <limits>

bool parseLeadingInt(std::string_view text, std::int32_t& value) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulate as a negative number so that INT32_MIN fits.
  std::int64_t acc = 0;
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    acc = acc * 10 - (text[i] - '0');
    if (acc < kMin) return false;
  }
  if (!negative) {
    if (acc < -std::int64_t{std::numeric_limits<std::int32_t>::max()}) return false;
    acc = -acc;
  }
  value = static_cast<std::int32_t>(acc);
  return true;
}

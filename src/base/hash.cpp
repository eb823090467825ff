#include "base/hash.h"

namespace {

inline std::uint64_t load64(const char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline std::uint64_t mix(std::uint64_t a, std::uint64_t b) {
  const __uint128_t product = static_cast<__uint128_t>(a) * b;
  return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

}  // namespace

std::uint64_t hashBytes(std::string_view text) {
  constexpr std::uint64_t k0 = 0xa0761d6478bd642fULL, k1 = 0xe7037ed1a0b428dbULL,
                          k2 = 0x8ebc6af09c88c6e3ULL;
  const char* p = text.data();
  std::size_t n = text.size();
  std::uint64_t h = k0 ^ n;
  while (n >= 16) {
    h = mix(load64(p) ^ k1, load64(p + 8) ^ h);
    p += 16;
    n -= 16;
  }
  std::uint64_t a = 0, b = 0;
  if (n >= 8) {
    a = load64(p);
    b = load64(p + n - 8);
  } else if (n > 0) {
    std::memcpy(&a, p, n);
  }
  return mix(a ^ k1, b ^ h ^ k2);
}

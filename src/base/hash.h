#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

// The one hash of byte strings that every table of the program uses: fast on
// the short texts it sees (words, chunks, file names) and well mixed in both
// halves, so that the low bits pick a slot and the high bits tell texts apart.
std::uint64_t hashBytes(std::string_view text);

// A slot number for a 32-bit key (an id) in a table of mask + 1 slots.
inline std::size_t slotOfKey(std::uint32_t key, std::size_t mask) {
  return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> 32) & mask;
}

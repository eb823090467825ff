#pragma once

#include <cstdint>
#include <string_view>

// The leading decimal integer of text, atoi-style (leading white space, an
// optional sign, digits up to the first other byte; 0 without digits).
// Returns false, leaving value alone, when the digits overflow 32 bits.
[[nodiscard]] bool parseLeadingInt(std::string_view text, std::int32_t& value);

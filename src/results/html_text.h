#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Appends bytes to out as HTML text that is safe inside an element or a
// quoted attribute: "&", "<", ">", '"' and "'" become character references,
// valid UTF-8 passes through, and every byte that is not part of a valid
// UTF-8 sequence (overlong forms, surrogates and code points past U+10FFFF
// included), as well as NUL, becomes U+FFFD.
void appendHtmlText(std::string& out, std::string_view bytes);

// bytes as appendHtmlText writes them.
std::string htmlText(std::string_view bytes);

// A value in ten-thousandths written with four decimals: 5999 as "0.5999",
// 10000 as "1.0000", -5 as "-0.0005".
std::string fourDecimals(std::int32_t tenThousandths);
// Appends fourDecimals(tenThousandths) to out.
void appendFourDecimals(std::string& out, std::int32_t tenThousandths);
// Writes fourDecimals(tenThousandths) at at, which has room for
// kFourDecimalsBytes, and returns the end of what it wrote.
constexpr std::size_t kFourDecimalsBytes = 16;
char* writeFourDecimals(char* at, std::int32_t tenThousandths);

// Appends the start of a self-contained page up to and including "<body>":
// its title (escaped), a content security policy that allows nothing but the
// page's own inline style and script, and the style sheet css.
void appendPageStart(std::string& out, std::string_view title, std::string_view css);

// Appends the inline script (trusted text, never document bytes) and the end
// of the page.
void appendPageEnd(std::string& out, std::string_view script);

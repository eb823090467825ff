#include "results/html_text.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr std::string_view kReplacement = "&#xFFFD;";

// The length of the valid UTF-8 sequence at the start of bytes, or 0.
std::size_t sequenceLength(std::string_view bytes) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;  // the range of the second byte
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong form
    if (lead == 0xED) high = 0x9F;  // no surrogate
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // no overlong form
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  if (byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

void appendHtmlText(std::string& out, std::string_view bytes) {
  out.reserve(out.size() + bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const char c = bytes[i];
    switch (c) {
      case '&':
        out += "&amp;";
        ++i;
        continue;
      case '<':
        out += "&lt;";
        ++i;
        continue;
      case '>':
        out += "&gt;";
        ++i;
        continue;
      case '"':
        out += "&quot;";
        ++i;
        continue;
      case '\'':
        out += "&#39;";
        ++i;
        continue;
      case '\0':
        out += kReplacement;
        ++i;
        continue;
      default:
        break;
    }
    const std::size_t length = sequenceLength(bytes.substr(i));
    if (length == 0) {
      out += kReplacement;
      ++i;
    } else {
      out.append(bytes, i, length);
      i += length;
    }
  }
}

std::string htmlText(std::string_view bytes) {
  std::string out;
  appendHtmlText(out, bytes);
  return out;
}

std::string fourDecimals(std::int32_t tenThousandths) {
  std::string text;
  appendFourDecimals(text, tenThousandths);
  return text;
}

void appendFourDecimals(std::string& out, std::int32_t tenThousandths) {
  char text[kFourDecimalsBytes];
  out.append(text, writeFourDecimals(text, tenThousandths));
}

char* writeFourDecimals(char* out, std::int32_t tenThousandths) {
  const std::int64_t value = tenThousandths;
  std::uint64_t magnitude = value < 0 ? static_cast<std::uint64_t>(-value)
                                      : static_cast<std::uint64_t>(value);
  // Written from the last digit back: four decimals, the point, the units.
  char digits[24];
  char* at = digits + sizeof digits;
  for (int place = 0; place < 4; ++place, magnitude /= 10) {
    *--at = static_cast<char>('0' + magnitude % 10);
  }
  *--at = '.';
  do {
    *--at = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *--at = '-';
  const auto length = static_cast<std::size_t>(digits + sizeof digits - at);
  std::memcpy(out, at, length);
  return out + length;
}

void appendPageStart(std::string& out, std::string_view title, std::string_view css) {
  out +=
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
      "style-src 'unsafe-inline'; script-src 'unsafe-inline'; base-uri 'none'; "
      "form-action 'none'\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
  appendHtmlText(out, title);
  out += "</title>\n<style>\n";
  out += css;
  out += "</style>\n</head>\n<body>\n";
}

void appendPageEnd(std::string& out, std::string_view script) {
  out += "<script>\n";
  out += script;
  out += "</script>\n</body>\n</html>\n";
}

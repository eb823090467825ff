#include "results/html_text.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

TEST(HtmlText, EscapesMarkupAndReplacesInvalidUtf8) {
  struct Case {
    std::string bytes;
    const char* want;
  };
  const Case cases[] = {
      {"plain text\n", "plain text\n"},
      {"<script>alert('x')</script>", "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;"},
      {"a & \"b\"", "a &amp; &quot;b&quot;"},
      {"</textarea><!--", "&lt;/textarea&gt;&lt;!--"},
      {"\xC3\xA9 \xE2\x80\x9C \xF0\x9F\x98\x80", "\xC3\xA9 \xE2\x80\x9C \xF0\x9F\x98\x80"},
      {"\x80", "&#xFFFD;"},                                      // a lone continuation byte
      {"\xC3", "&#xFFFD;"},                                      // cut short at the end
      {"\xE2\x80x", "&#xFFFD;&#xFFFD;x"},                        // cut short before an ASCII byte
      {"\xC0\x80", "&#xFFFD;&#xFFFD;"},                          // overlong
      {"\xE0\x80\x80", "&#xFFFD;&#xFFFD;&#xFFFD;"},              // overlong
      {"\xED\xA0\x80", "&#xFFFD;&#xFFFD;&#xFFFD;"},              // a surrogate
      {"\xF4\x90\x80\x80", "&#xFFFD;&#xFFFD;&#xFFFD;&#xFFFD;"},  // past U+10FFFF
      {"\xF5\xFF", "&#xFFFD;&#xFFFD;"},
      {"a\0b"s, "a&#xFFFD;b"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.want, htmlText(c.bytes)) << testing::PrintToString(c.bytes);
}

TEST(HtmlText, FourDecimals) {
  struct Case {
    std::int32_t value;
    const char* want;
  };
  const Case cases[] = {{5999, "0.5999"}, {10000, "1.0000"}, {0, "0.0000"},
                        {7, "0.0007"},    {1230, "0.1230"},  {-5, "-0.0005"},
                        {123456789, "12345.6789"}, {INT32_MIN, "-214748.3648"}};
  for (const Case& c : cases) EXPECT_EQ(c.want, fourDecimals(c.value)) << c.value;
}

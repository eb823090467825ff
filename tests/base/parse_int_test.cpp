#include "base/parse_int.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(ParseLeadingInt, OverflowIsRefused) {
  std::int32_t v = 7;
  EXPECT_TRUE(parseLeadingInt("-2147483648", v));
  EXPECT_EQ(INT32_MIN, v);
  EXPECT_TRUE(parseLeadingInt("2147483647x", v));
  EXPECT_EQ(INT32_MAX, v);
  EXPECT_FALSE(parseLeadingInt("2147483648", v));
  EXPECT_FALSE(parseLeadingInt("-2147483649", v));
  EXPECT_TRUE(parseLeadingInt("", v));
  EXPECT_EQ(0, v);
}

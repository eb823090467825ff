#include "results/csv_field.h"

#include <gtest/gtest.h>

TEST(CsvField, QuotesOnlyWhatRfc4180Asks) {
  struct Case {
    const char* value;
    const char* want;
  };
  const Case cases[] = {
      {"/in/a.txt", "/in/a.txt"},
      {"", ""},
      {"a,b", "\"a,b\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\nlines", "\"two\nlines\""},
      {"cr\rhere", "\"cr\rhere\""},
      {" spaced ", " spaced "},
      {"\"", "\"\"\"\""},
  };
  for (const Case& c : cases) {
    std::string line = "x,";
    appendCsvField(line, c.value);
    EXPECT_EQ(std::string("x,") + c.want, line) << c.value;
  }
}

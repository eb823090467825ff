#include "results/csv_field.h"

void appendCsvField(std::string& line, std::string_view value) {
  if (value.find_first_of(",\"\r\n") == std::string_view::npos) {
    line.append(value);
    return;
  }
  line += '"';
  for (const char c : value) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

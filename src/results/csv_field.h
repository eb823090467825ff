#pragma once

#include <string>
#include <string_view>

// Appends value to line as one CSV field (RFC 4180): as it is, unless it
// holds a comma, a double quote, a carriage return or a line feed; then
// inside double quotes, with each double quote doubled.
void appendCsvField(std::string& line, std::string_view value);

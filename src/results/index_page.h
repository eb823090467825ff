#pragma once

#include <cstdint>
#include <string>

class TResults;

// index.html: the study's settings and counts, a histogram of all pairs'
// similarities (inline SVG, 20 bins), the listed pairs each linked to
// pairs/<rank>.html, and the documents. The tables are plain HTML; the inline
// script only sorts a table by the column whose header is clicked. Every
// path and setting is escaped.
std::string indexPage(const TResults& results);

// The histogram bin (0 to 19) of a similarity in ten-thousandths: bin b
// holds [b * 500, (b + 1) * 500), the last one 10000 too.
int histogramBin(std::int32_t similarity);

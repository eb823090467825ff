#include "results/index_page.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "results/html_text.h"
#include "results/results.h"

namespace {

constexpr int kBins = 20;

constexpr std::string_view kStyle = R"css(
body { font: 15px/1.4 system-ui, sans-serif; margin: 1.5em auto; max-width: 72em; padding: 0 1em; color: #1d232a; }
h1 { font-size: 1.5em; } h2 { font-size: 1.15em; margin-top: 1.6em; }
table { border-collapse: collapse; }
th, td { padding: 0.2em 0.6em; border-bottom: 1px solid #d8dde3; text-align: left; vertical-align: top; }
td.n, th.n { text-align: right; font-variant-numeric: tabular-nums; }
td.path { overflow-wrap: anywhere; }
thead th { white-space: nowrap; }
table.sortable thead th { cursor: pointer; user-select: none; background: #eef2f6; position: sticky; top: 0; }
table.sortable thead th[aria-sort=ascending]::after { content: " \25B2"; }
table.sortable thead th[aria-sort=descending]::after { content: " \25BC"; }
table.facts th { font-weight: normal; color: #56606b; }
svg .bar { fill: #3b6ea8; } svg .bar:hover { fill: #e07b00; }
svg text { font-size: 11px; fill: #56606b; }
.note { color: #56606b; }
)css";

// Sorts a table by the clicked column: ascending first, then descending.
// Cells with a data-v attribute compare as numbers, an empty one after all
// others; other cells compare as text.
constexpr std::string_view kScript = R"js(
(function () {
  function keyOf(cell, numeric) {
    if (!numeric) return cell.textContent;
    var v = cell.getAttribute('data-v');
    return v === null || v === '' ? NaN : parseFloat(v);
  }
  function compare(a, b, numeric) {
    if (!numeric) return a < b ? -1 : a > b ? 1 : 0;
    if (isNaN(a)) return isNaN(b) ? 0 : 1;
    if (isNaN(b)) return -1;
    return a - b;
  }
  Array.prototype.forEach.call(document.querySelectorAll('table.sortable'), function (table) {
    var heads = table.tHead.rows[0].cells;
    Array.prototype.forEach.call(heads, function (head, column) {
      head.tabIndex = 0;
      function sort() {
        var numeric = head.classList.contains('n');
        var descending = head.getAttribute('aria-sort') === 'ascending';
        Array.prototype.forEach.call(heads, function (h) { h.removeAttribute('aria-sort'); });
        head.setAttribute('aria-sort', descending ? 'descending' : 'ascending');
        var body = table.tBodies[0];
        var rows = Array.prototype.map.call(body.rows, function (row, i) {
          return { row: row, key: keyOf(row.cells[column], numeric), i: i };
        });
        rows.sort(function (a, b) {
          var c = compare(a.key, b.key, numeric);
          if (descending && !(numeric && (isNaN(a.key) || isNaN(b.key)))) c = -c;
          return c || a.i - b.i;
        });
        rows.forEach(function (r) { body.appendChild(r.row); });
      }
      head.addEventListener('click', sort);
      head.addEventListener('keydown', function (e) { if (e.key === 'Enter') sort(); });
    });
  });
})();
)js";

void appendHeads(std::string& out, std::initializer_list<std::string_view> heads,
                 std::string_view numeric) {
  out += "<thead><tr>";
  std::size_t i = 0;
  for (const std::string_view head : heads) {
    out += numeric[i++] == 'n' ? "<th class=\"n\">" : "<th>";
    out += head;
    out += "</th>";
  }
  out += "</tr></thead>\n<tbody>\n";
}

void appendNumber(std::string& out, std::int64_t value) {
  out += "<td class=\"n\" data-v=\"";
  out += std::to_string(value);
  out += "\">";
  out += std::to_string(value);
  out += "</td>";
}

void appendShare(std::string& out, std::int32_t tenThousandths) {
  out += "<td class=\"n\" data-v=\"";
  out += std::to_string(tenThousandths);
  out += "\">";
  out += fourDecimals(tenThousandths);
  out += "</td>";
}

void appendPath(std::string& out, std::string_view path) {
  out += "<td class=\"path\">";
  appendHtmlText(out, path);
  out += "</td>";
}

void appendFact(std::string& out, std::string_view name, std::string_view value) {
  out += "<tr><th>";
  appendHtmlText(out, name);
  out += "</th><td>";
  appendHtmlText(out, value);
  out += "</td></tr>\n";
}

void appendHistogram(std::string& out, const TResults& results) {
  std::array<std::int64_t, kBins> counts{};
  for (const TResultsPair& pair : results.study().pairs) ++counts[histogramBin(pair.similarity)];
  const std::int64_t most =
      std::max<std::int64_t>(1, *std::max_element(counts.begin(), counts.end()));
  constexpr int kLeft = 40, kBar = 30, kHeight = 160, kTop = 10;
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" role=\"img\" width=\"" +
         std::to_string(kLeft + kBins * kBar + 10) + "\" height=\"" +
         std::to_string(kTop + kHeight + 30) +
         "\" aria-label=\"Number of pairs per similarity bin\">\n";
  for (int b = 0; b < kBins; ++b) {
    const std::int64_t height = counts[b] * kHeight / most;
    const int x = kLeft + b * kBar;
    out += "<rect class=\"bar\" x=\"" + std::to_string(x + 1) + "\" y=\"" +
           std::to_string(kTop + kHeight - height) + "\" width=\"" + std::to_string(kBar - 2) +
           "\" height=\"" + std::to_string(height) + "\" data-bin=\"" + std::to_string(b) +
           "\" data-count=\"" + std::to_string(counts[b]) + "\"><title>" + fourDecimals(b * 500) +
           " to " + fourDecimals((b + 1) * 500) + ": " + std::to_string(counts[b]) +
           " pairs</title></rect>\n";
  }
  for (int b = 0; b <= kBins; b += 4) {
    out += "<text x=\"" + std::to_string(kLeft + b * kBar) + "\" y=\"" +
           std::to_string(kTop + kHeight + 16) + "\" text-anchor=\"middle\">" +
           fourDecimals(b * 500).substr(0, 3) + "</text>\n";
  }
  out += "<text x=\"" + std::to_string(kLeft - 6) + "\" y=\"" + std::to_string(kTop + 10) +
         "\" text-anchor=\"end\">" + std::to_string(most) + "</text>\n";
  out += "<line x1=\"" + std::to_string(kLeft) + "\" x2=\"" + std::to_string(kLeft + kBins * kBar) +
         "\" y1=\"" + std::to_string(kTop + kHeight) + "\" y2=\"" + std::to_string(kTop + kHeight) +
         "\" stroke=\"#56606b\"/>\n</svg>\n";
}

}  // namespace

int histogramBin(std::int32_t similarity) {
  if (similarity <= 0) return 0;
  return static_cast<int>(
      std::min<std::int64_t>(kBins - 1, std::int64_t{similarity} * kBins / 10000));
}

std::string indexPage(const TResults& results) {
  const TResultsStudy& study = results.study();
  std::string out;
  appendPageStart(out, "Collusion results", kStyle);
  out +=
      "<h1>Collusion results</h1>\n<section id=\"study\">\n<h2>Study</h2>\n"
      "<table class=\"facts\">\n";
  for (const auto& [name, value] : study.settings) appendFact(out, name, value);
  appendFact(out, "documents", std::to_string(study.documents.size()));
  appendFact(out, "pairs compared", std::to_string(study.pairs.size()));
  appendFact(out, "pairs listed", std::to_string(results.listedCount()));
  out += "</table>\n</section>\n";

  out += "<section id=\"histogram\">\n<h2>Similarity of all pairs</h2>\n";
  appendHistogram(out, results);
  out += "</section>\n";

  out +=
      "<section id=\"pairs\">\n<h2>Listed pairs</h2>\n<p class=\"note\">Pairs with a "
      "similarity of at least " +
      fourDecimals(std::min(study.threshold, 10000)) + ", the most similar first";
  if (study.top > 0) out += ", at most " + std::to_string(study.top);
  out += ". Click a column header to sort.</p>\n<table class=\"sortable\" id=\"pair-table\">\n";
  appendHeads(out,
              {"Rank", "Document 1", "Document 2", "Chunks 1", "Chunks 2", "Common", "Similarity",
               "Containment 1", "Containment 2"},
              "n--nnnnnn");
  for (std::uint32_t rank = 1; rank <= results.listedCount(); ++rank) {
    const TResultsPair& pair = results.pairAtRank(rank);
    const std::string number = std::to_string(rank);
    out += "<tr><td class=\"n\" data-v=\"" + number + "\"><a href=\"pairs/" + number + ".html\">" +
           number + "</a></td>";
    appendPath(out, study.documents[pair.doc1].path);
    appendPath(out, study.documents[pair.doc2].path);
    appendNumber(out, pair.chunks1);
    appendNumber(out, pair.chunks2);
    appendNumber(out, pair.common);
    appendShare(out, pair.similarity);
    appendShare(out, TResults::containment(pair.common, pair.chunks1));
    appendShare(out, TResults::containment(pair.common, pair.chunks2));
    out += "</tr>\n";
  }
  out += "</tbody>\n</table>\n</section>\n";

  out +=
      "<section id=\"documents\">\n<h2>Documents</h2>\n<table class=\"sortable\" "
      "id=\"document-table\">\n";
  appendHeads(out,
              {"Document", "Words", "Chunks", "Best similarity", "Best partner", "Listed pairs"},
              "-nnn-n");
  for (std::uint32_t doc = 0; doc < study.documents.size(); ++doc) {
    const TResultsDocument& document = study.documents[doc];
    out += "<tr>";
    appendPath(out, document.path);
    appendNumber(out, document.words);
    appendNumber(out, document.chunks);
    const std::uint32_t best = results.bestPairOf(doc);
    if (study.compared && best != TResults::kNoPair) {
      const TResultsPair& pair = study.pairs[best];
      appendShare(out, pair.similarity);
      appendPath(out, study.documents[pair.doc1 == doc ? pair.doc2 : pair.doc1].path);
    } else {
      out += "<td class=\"n\" data-v=\"\"></td><td class=\"path\"></td>";
    }
    if (study.compared) {
      appendNumber(out, results.listedPairsOf(doc));
    } else {
      out += "<td class=\"n\" data-v=\"\"></td>";
    }
    out += "</tr>\n";
  }
  out += "</tbody>\n</table>\n</section>\n";
  appendPageEnd(out, kScript);
  return out;
}

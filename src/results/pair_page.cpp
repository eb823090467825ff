#include "results/pair_page.h"

#include <algorithm>

#include "results/highlight.h"
#include "results/html_text.h"
#include "results/results.h"

namespace {

constexpr std::string_view kStyle = R"css(
body { font: 15px/1.4 system-ui, sans-serif; margin: 0; color: #1d232a; }
header { padding: 0.8em 1.2em; border-bottom: 1px solid #d8dde3; background: #f6f8fa; }
header h1 { font-size: 1.2em; margin: 0 0 0.4em; }
header table { border-collapse: collapse; }
header th, header td { padding: 0.1em 0.8em 0.1em 0; text-align: left; }
header td.n { text-align: right; font-variant-numeric: tabular-nums; }
.path { overflow-wrap: anywhere; }
main { display: grid; grid-template-columns: 1fr 1fr; gap: 0; }
section { min-width: 0; border-right: 1px solid #d8dde3; }
section h2 { font-size: 0.95em; margin: 0; padding: 0.4em 1em; background: #eef2f6; }
pre { margin: 0; padding: 0.6em 1em; height: calc(100vh - 13em); overflow: auto;
      white-space: pre-wrap; overflow-wrap: anywhere; font: 13px/1.45 ui-monospace, monospace; }
mark { background: #fde68a; cursor: pointer; border-radius: 2px; }
mark::before { content: attr(data-n); font: bold 9px system-ui, sans-serif; vertical-align: super;
               color: #7a5b00; padding-right: 1px; }
mark.chosen { background: #93c5fd; }
mark.partner { background: #f9a8d4; outline: 2px solid #db2777; }
)css";

// Added to the style of a page that shows template text.
constexpr std::string_view kTemplateStyle =
    "span.template { color: #6b7480; background: #eceff2; }\n";

// A click on a passage marks the passages of the other side that share a
// chunk with it and scrolls the first of them into view.
constexpr std::string_view kScript = R"js(
(function () {
  document.addEventListener('click', function (event) {
    var mark = event.target.closest('mark[data-doc]');
    if (!mark) return;
    Array.prototype.forEach.call(document.querySelectorAll('mark.chosen, mark.partner'),
      function (m) { m.classList.remove('chosen', 'partner'); });
    mark.classList.add('chosen');
    var other = mark.getAttribute('data-doc') === '1' ? '2' : '1';
    var first = null;
    (mark.getAttribute('data-partners') || '').split(' ').forEach(function (n) {
      var partner = n && document.getElementById('p' + other + '-' + n);
      if (!partner) return;
      partner.classList.add('partner');
      if (!first) first = partner;
    });
    if (first) first.scrollIntoView({ block: 'center' });
  });
})();
)js";

// Appends raw[at, to) with its runs of template text in grey; advances
// greyAt past the runs that begin before to. The runs hold no byte of a
// passage, so none crosses to unless to is the end of raw.
void appendPlain(std::string& out, const std::string& side, std::string_view raw, std::size_t at,
                 std::size_t to, const std::vector<TSpan>& grey, std::size_t& greyAt) {
  for (; greyAt < grey.size() && grey[greyAt].from < to; ++greyAt) {
    const std::size_t from = std::max(grey[greyAt].from, at);
    const std::size_t end = std::min(grey[greyAt].to, to);
    if (from >= end) continue;
    appendHtmlText(out, raw.substr(at, from - at));
    out += "<span class=\"template\" data-doc=\"" + side + "\" data-from=\"" +
           std::to_string(from) + "\" data-to=\"" + std::to_string(end) + "\">";
    appendHtmlText(out, raw.substr(from, end - from));
    out += "</span>";
    at = end;
  }
  appendHtmlText(out, raw.substr(at, to - at));
}

void appendDocument(std::string& out, int doc, std::string_view path, std::string_view raw,
                    const std::vector<TPassage>& passages, const std::vector<TSpan>& grey) {
  const std::string side = std::to_string(doc);
  out += "<section>\n<h2>Document " + side + ": <span class=\"path\">";
  appendHtmlText(out, path);
  out += "</span></h2>\n<pre id=\"doc" + side + "\">";
  std::size_t at = 0;
  std::size_t greyAt = 0;
  for (std::size_t i = 0; i < passages.size(); ++i) {
    const TPassage& passage = passages[i];
    const std::size_t from = std::min(passage.from, raw.size());
    const std::size_t to = std::min(passage.to, raw.size());
    appendPlain(out, side, raw, at, from, grey, greyAt);
    const std::string number = std::to_string(i + 1);
    out += "<mark data-doc=\"" + side + "\" data-from=\"" + std::to_string(from) + "\" data-to=\"" +
           std::to_string(to) + "\" data-n=\"" + number + "\" id=\"p" + side + "-" + number +
           "\" data-partners=\"";
    for (std::size_t p = 0; p < passage.partners.size(); ++p) {
      if (p) out += ' ';
      out += std::to_string(passage.partners[p] + 1);
    }
    out += "\">";
    appendHtmlText(out, raw.substr(from, to - from));
    out += "</mark>";
    at = to;
  }
  appendPlain(out, side, raw, at, raw.size(), grey, greyAt);
  out += "</pre>\n</section>\n";
}

void appendRow(std::string& out, std::string_view label, const std::string& value1,
               const std::string& value2) {
  out += "<tr><th>";
  out += label;
  out += "</th><td class=\"n\">" + value1 + "</td><td class=\"n\">" + value2 + "</td></tr>\n";
}

}  // namespace

std::string pairPage(const TResults& results, std::uint32_t rank, const TPageSide& side1,
                     const TPageSide& side2) {
  const TResultsStudy& study = results.study();
  const TResultsPair& pair = results.pairAtRank(rank);
  const TResultsDocument& doc1 = study.documents[pair.doc1];
  const TResultsDocument& doc2 = study.documents[pair.doc2];
  static const std::vector<TOriginChunk> kNone;
  const THighlight highlight(side1.chunks ? *side1.chunks : kNone,
                             side2.chunks ? *side2.chunks : kNone);
  std::vector<TSpan> grey[2];
  const TPageSide* sides[2] = {&side1, &side2};
  for (int side = 0; side < 2; ++side) {
    if (sides[side]->templateChunks) {
      grey[side] = uncoveredSpans(*sides[side]->templateChunks, highlight.passages(side));
    }
  }

  std::string out;
  out.reserve(2 * (side1.raw.size() + side2.raw.size()) + 8192);
  const std::string number = std::to_string(rank);
  if (grey[0].empty() && grey[1].empty()) {
    appendPageStart(out, "Pair " + number, kStyle);
  } else {
    appendPageStart(out, "Pair " + number, std::string(kStyle) + std::string(kTemplateStyle));
  }
  out += "<header>\n<h1>Pair " + number + " of " + std::to_string(results.listedCount()) +
         " &middot; similarity " + fourDecimals(pair.similarity) +
         " &middot; <a href=\"../index.html\">all results</a></h1>\n<table>\n"
         "<tr><th></th><th>Document 1</th><th>Document 2</th></tr>\n<tr><th>Path</th>"
         "<td class=\"path\">";
  appendHtmlText(out, doc1.path);
  out += "</td><td class=\"path\">";
  appendHtmlText(out, doc2.path);
  out += "</td></tr>\n";
  appendRow(out, "Words", std::to_string(doc1.words), std::to_string(doc2.words));
  appendRow(out, "Chunks", std::to_string(pair.chunks1), std::to_string(pair.chunks2));
  appendRow(out, "Containment", fourDecimals(TResults::containment(pair.common, pair.chunks1)),
            fourDecimals(TResults::containment(pair.common, pair.chunks2)));
  appendRow(out, "Passages", std::to_string(highlight.passages(0).size()),
            std::to_string(highlight.passages(1).size()));
  out += "<tr><th>Common chunks</th><td class=\"n\" id=\"common\">" + std::to_string(pair.common) +
         "</td><td></td></tr>\n</table>\n</header>\n<main>\n";
  appendDocument(out, 1, doc1.path, side1.raw, highlight.passages(0), grey[0]);
  appendDocument(out, 2, doc2.path, side2.raw, highlight.passages(1), grey[1]);
  out += "</main>\n";
  appendPageEnd(out, kScript);
  return out;
}

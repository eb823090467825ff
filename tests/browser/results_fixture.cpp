// Writes the results of a small made-up study into the folder given as the
// only argument: index.html, pairs.csv, documents.csv and pairs/<rank>.html,
// as the results floor produces them. One document holds markup that must
// show as text. The browser checks run on this folder.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "results/index_page.h"
#include "results/origin_text.h"
#include "results/pair_page.h"
#include "results/results.h"
#include "stages/word_lists.h"

namespace {

struct Document {
  const char* path;
  const char* bytes;
};

const Document kDocuments[] = {
    {"/essays/anna.txt",
     "On the Origin of Rivers\r\n\r\nA river begins where rain gathers faster than the ground can "
     "drink it.\r\nSmall streams join in the hills, and the valley carries what they bring to "
     "the sea.\r\nIn 1850 surveyors counted 42 streams feeding the upper valley alone.\r\n"
     "Caf\xC3\xA9 owners by the bridge still say the water tastes of iron.\r\n"},
    {"/essays/ben.txt",
     "Rivers, a short essay\n\nEvery river begins where rain gathers faster than the ground can "
     "drink it.\nThe valley carries what they bring to the sea, and floods come in spring.\n"
     "Nobody counted the streams; the map shows only three.\n"},
    {"/essays/<script>alert(1)</script>.txt",
     "<script>alert(1)</script>\n</textarea> <!-- unclosed comment\n"
     "<img src=x onerror=alert(2)> small streams join in the hills, and the valley carries "
     "what they bring\n\xFF\xFE broken bytes & \"quotes\" 'too'\n"},
};

constexpr std::int32_t kGrams = 3;

bool writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: results_fixture <folder>\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder / "pairs");

  const TWordLists lists;
  TPreProcSwitches switches;
  switches.lowerCase = true;
  switches.removeNumbers = true;

  TResultsStudy study;
  study.settings = {{"gramsSize", std::to_string(kGrams)},
                    {"collusionMode", "3"},
                    {"resultsThreshold", "0"},
                    {"resultsTop", "0"}};
  study.threshold = 0;
  study.top = 0;
  std::vector<std::vector<TOriginChunk>> chunks;
  std::vector<std::set<std::string>> distinct;
  for (const Document& doc : kDocuments) {
    const TOriginText origin(doc.bytes, switches, lists);
    chunks.push_back(origin.chunks(kGrams));
    distinct.emplace_back();
    for (const TOriginChunk& chunk : chunks.back()) distinct.back().insert(chunk.text);
    study.documents.push_back({doc.path, static_cast<std::int32_t>(origin.words().size()),
                               static_cast<std::int32_t>(distinct.back().size())});
  }
  for (std::uint32_t i = 0; i < std::size(kDocuments); ++i) {
    for (std::uint32_t j = i + 1; j < std::size(kDocuments); ++j) {
      std::int32_t common = 0;
      for (const std::string& chunk : distinct[i]) common += distinct[j].count(chunk) ? 1 : 0;
      const std::int32_t c1 = study.documents[i].chunks;
      const std::int32_t c2 = study.documents[j].chunks;
      const std::int32_t similarity = common == 0 ? 0 : common * 10000 / (c1 + c2 - common);
      study.pairs.push_back({i, j, c1, c2, common, similarity});
    }
  }

  const TResults results(std::move(study));
  bool ok = writeFile(folder / "pairs.csv", results.pairsCsv()) &&
            writeFile(folder / "documents.csv", results.documentsCsv()) &&
            writeFile(folder / "index.html", indexPage(results));
  for (std::uint32_t rank = 1; ok && rank <= results.listedCount(); ++rank) {
    const TResultsPair& pair = results.pairAtRank(rank);
    const std::string page =
        pairPage(results, rank, {kDocuments[pair.doc1].bytes, &chunks[pair.doc1]},
                 {kDocuments[pair.doc2].bytes, &chunks[pair.doc2]});
    ok = writeFile(folder / "pairs" / (std::to_string(rank) + ".html"), page);
  }
  if (!ok) std::cerr << "results_fixture: cannot write into " << folder << "\n";
  return ok ? 0 : 1;
}

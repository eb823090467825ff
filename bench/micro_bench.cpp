// Micro-benchmarks of the hot paths: pre-processing by bytes and by code
// points, chunk extraction, the comparison of all pairs, and vocabulary file
// writing. Inputs are generated from a fixed seed.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "settings/environment.h"
#include "settings/param_file.h"
#include "documents/files.h"
#include "log/log.h"
#include "reports/reports.h"
#include "stages/compare.h"
#include "stages/extract.h"
#include "stages/pre_proc.h"
#include "stages/unicode_text.h"
#include "stages/word_lists.h"

namespace {

// Zipf-distributed made-up words, with a copied passage planted now and then.
std::vector<std::string> makeTexts(int documents, int words, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::string> vocabulary;
  for (int i = 0; i < 20000; ++i) {
    std::string word;
    for (int s = 0, n = 1 + static_cast<int>(random() % 3); s < n; ++s) {
      word += "bcdfgklmnprstvz"[random() % 15];
      word += "aeiou"[random() % 5];
    }
    vocabulary.push_back(word);
  }
  std::vector<double> weights(vocabulary.size());
  for (std::size_t i = 0; i < weights.size(); ++i) weights[i] = 1.0 / std::pow(i + 1.0, 1.1);
  std::discrete_distribution<std::size_t> zipf(weights.begin(), weights.end());
  std::vector<std::string> texts;
  for (int d = 0; d < documents; ++d) {
    std::string text;
    for (int w = 0; w < words; ++w) {
      text += vocabulary[zipf(random)];
      text += ' ';
    }
    if (d > 0 && random() % 3 == 0) {
      const std::string& source = texts[random() % texts.size()];
      text += source.substr(0, std::min<std::size_t>(source.size(), 600));
    }
    texts.push_back(std::move(text));
  }
  return texts;
}

// A study environment with its log, published for the benchmark's lifetime.
struct Study {
  explicit Study(const std::string& mode) {
    TParamFile map;
    map.set("collusionMode", mode);
    env = std::make_unique<TEnvironment>(map);
    env->log = &log;
    environment = env.get();
  }
  ~Study() { environment = nullptr; }
  TLog log;
  std::unique_ptr<TEnvironment> env;
};

void fill(TFiles& files, const std::vector<std::string>& texts) {
  for (std::size_t d = 0; d < texts.size(); ++d) {
    (void)files.add("d" + std::to_string(d) + ".txt", "dir");
    files.get(static_cast<std::int32_t>(d))->setText(texts[d]);
  }
}

void extractAll(TFiles& files, std::int32_t grams) {
  TExtractGrams extract;
  extract.setGramsSize(grams);
  for (std::int32_t d = 0; d < files.count(); ++d) (void)extract.extractDocument(files.get(d));
}

void BM_Extraction(benchmark::State& state) {
  const auto texts = makeTexts(20, static_cast<int>(state.range(0)), 1);
  std::size_t bytes = 0;
  for (const auto& t : texts) bytes += t.size();
  for (auto _ : state) {
    TFiles files;
    fill(files, texts);
    extractAll(files, 3);
    benchmark::DoNotOptimize(files.get(0)->chunkCount());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_Extraction)->Arg(2000)->Arg(50000)->Unit(benchmark::kMillisecond);

// The generated texts as prose: a capital and a full stop every twelve words,
// a comma every seven, a number every fifty.
std::vector<std::string> makeProse(int documents, int words, unsigned seed) {
  std::vector<std::string> texts = makeTexts(documents, words, seed);
  for (std::string& text : texts) {
    std::string prose;
    prose.reserve(text.size() + text.size() / 8);
    int word = 0;
    bool capital = true;
    for (char c : text) {
      if (c != ' ') {
        prose += capital ? static_cast<char>(c - 'a' + 'A') : c;
        capital = false;
        continue;
      }
      ++word;
      if (word % 12 == 0) {
        prose += ". ";
        capital = true;
      } else if (word % 7 == 0) {
        prose += ", ";
      } else if (word % 50 == 0) {
        prose += " 1984 ";
      } else {
        prose += ' ';
      }
    }
    text.swap(prose);
  }
  return texts;
}

// The prose with its letters written in Cyrillic, two bytes each.
std::vector<std::string> makeCyrillicProse(int documents, int words, unsigned seed) {
  std::vector<std::string> texts = makeProse(documents, words, seed);
  for (std::string& text : texts) {
    std::string cyrillic;
    cyrillic.reserve(text.size() * 2);
    for (char c : text) {
      const bool small = c >= 'a' && c <= 'z';
      if (!small && !(c >= 'A' && c <= 'Z')) {
        cyrillic += c;
        continue;
      }
      // U+0430 onwards for small letters, U+0410 onwards for capitals.
      const int letter = 0x10 + (small ? 0x20 : 0) + (small ? c - 'a' : c - 'A');
      cyrillic += static_cast<char>(0xD0 | (letter >> 6));
      cyrillic += static_cast<char>(0x80 | (letter & 0x3F));
    }
    text.swap(cyrillic);
  }
  return texts;
}

// All four steps with the English language file: by bytes (0), by code points
// with look-alikes folded (1), the same with stems (2), and with origins (3);
// then by bytes (4) and by code points (5) on Cyrillic prose.
void BM_PreProc(benchmark::State& state) {
  const auto texts = state.range(0) < 4 ? makeProse(20, 50000, 4) : makeCyrillicProse(20, 50000, 4);
  std::size_t bytes = 0;
  for (const auto& t : texts) bytes += t.size();
  TPreProcDoc byteStage;
  (void)byteStage.wordLists().load(COLLUSION_SOURCE_DIR "/languages/english.lang");
  TUnicodeSteps steps;
  steps.removePontuation = steps.removeNumbers = steps.lowerCase = steps.removeStopWords = true;
  steps.foldLookalikes = true;
  steps.stemWords = state.range(0) == 2;
  steps.stemmerLanguage = "english";
  steps.punctuation = byteStage.wordLists().punctuation();
  steps.stopWords = byteStage.wordLists().stopWords();
  TUnicodeText unicode(steps);
  std::vector<std::size_t> origins;
  for (auto _ : state) {
    for (const std::string& text : texts) {
      std::string working = " " + text + " ";
      if (state.range(0) == 0 || state.range(0) == 4) {
        (void)byteStage.stripPunctuation(working);
        (void)TPreProcDoc::stripNumbers(working);
        (void)TPreProcDoc::lowerText(working);
        (void)byteStage.stripStopWords(working);
      } else {
        (void)unicode.rewrite(working, state.range(0) == 3 ? &origins : nullptr);
      }
      benchmark::DoNotOptimize(working.data());
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_PreProc)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void BM_CompareAllPairs(benchmark::State& state) {
  Study study("3");
  const auto documents = static_cast<int>(state.range(0));
  const auto texts = makeTexts(documents, 2000, 2);
  TFiles files;
  fill(files, texts);
  extractAll(files, 3);
  for (auto _ : state) {
    TReports reports;
    TCompareGrams compare;
    benchmark::DoNotOptimize(compare.run(files, reports));
  }
  state.counters["pairs"] = documents * (documents - 1) / 2.0;
  state.counters["us/pair"] = benchmark::Counter(
      documents * (documents - 1) / 2.0 * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CompareAllPairs)->Arg(100)->Arg(250)->Unit(benchmark::kMillisecond);

void BM_VocabularyFile(benchmark::State& state) {
  const auto texts = makeTexts(1, static_cast<int>(state.range(0)), 3);
  TFiles files;
  fill(files, texts);
  extractAll(files, 3);
  const TVocabulary& vocabulary = *files.get(0)->vocabulary();
  const std::string path =
      (std::filesystem::temp_directory_path() / "collusion-bench.voc").string();
  TVocabularyScratch scratch;
  for (auto _ : state) benchmark::DoNotOptimize(vocabulary.saveToFile(path, scratch));
  std::filesystem::remove(path);
  state.counters["entries"] = vocabulary.size();
}
BENCHMARK(BM_VocabularyFile)->Arg(2000)->Arg(200000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// The threads setting changes nothing but speed: each end-to-end case and
// each generated study runs with threads=1 and with more threads, and every
// file the runs leave, the masked log, the exit status and the console
// output must be the same byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../support.h"
#include "run_program.h"

namespace fs = std::filesystem;

namespace {

const fs::path kCasesDir = COLLUSION_E2E_DIR;
const fs::path kMessages = kCasesDir / "../../examples/messages/english.msg";

// What one run left: every file under its directory (logs masked), its exit
// status and its console output.
struct Outcome {
  std::map<std::string, std::string> files;
  int status = -1;
  std::string out;
  std::string err;
};

// Builds a study's inputs in a directory and names the arguments to run it
// with; the first argument is the configuration file.
struct Study {
  std::string name;
  std::map<std::string, std::string> files;
  std::vector<std::string> args;
};

// Runs study in a fresh directory under root with threads=threads put first
// in its configuration (the first line that gives a key wins).
Outcome runStudy(const fs::path& root, const Study& study, int threads, long fileSizeLimit = 0) {
  const fs::path work = root / (study.name + "-threads" + std::to_string(threads));
  fs::remove_all(work);
  fs::create_directories(work);
  for (const auto& [path, bytes] : study.files) {
    writeBytes(work / path, path == study.args.front()
                                ? "threads=" + std::to_string(threads) + "\n" + bytes
                                : bytes);
  }
  const RunResult run = runProgram(work, study.args, fileSizeLimit);
  Outcome outcome{{}, run.status, run.out, run.err};
  for (const auto& entry : fs::recursive_directory_iterator(work)) {
    if (!entry.is_regular_file() || entry.is_symlink()) continue;
    const std::string path = fs::relative(entry.path(), work).generic_string();
    if (path == study.args.front()) continue;
    std::string bytes = readBytes(entry.path());
    if (entry.path().filename() == "log.log") bytes = maskLog(bytes);
    outcome.files[path] = std::move(bytes);
  }
  return outcome;
}

void expectSameOutcome(const Outcome& single, const Outcome& several, const std::string& what) {
  SCOPED_TRACE(what);
  EXPECT_EQ(single.status, several.status);
  EXPECT_EQ(single.out, several.out);
  EXPECT_EQ(single.err, several.err);
  std::vector<std::string> singleNames;
  std::vector<std::string> severalNames;
  for (const auto& file : single.files) singleNames.push_back(file.first);
  for (const auto& file : several.files) severalNames.push_back(file.first);
  ASSERT_EQ(singleNames, severalNames);
  for (const auto& [path, bytes] : single.files) EXPECT_EQ(bytes, several.files.at(path)) << path;
}

// The end-to-end cases that run a configuration file.
std::vector<Study> fixtureStudies() {
  std::vector<Study> studies;
  for (const auto& entry : fs::directory_iterator(kCasesDir)) {
    if (!entry.is_directory() || !fs::exists(entry.path() / "args")) continue;
    Study study{entry.path().filename().string(), {}, {}};
    std::istringstream lines(readBytes(entry.path() / "args"));
    for (std::string line; std::getline(lines, line);) study.args.push_back(line);
    if (study.args.size() != 1 || !fs::is_regular_file(entry.path() / study.args.front())) {
      continue;
    }
    for (const auto& file : fs::recursive_directory_iterator(entry.path())) {
      const std::string path = fs::relative(file.path(), entry.path()).generic_string();
      const std::string top = path.substr(0, path.find('/'));
      if (!file.is_regular_file() || top == "args" || top == "expected" ||
          top == "expected.status" || top == "expected.stdout" || top == "README") {
        continue;
      }
      study.files[path] = readBytes(file.path());
    }
    studies.push_back(std::move(study));
  }
  return studies;
}

const std::string kLanguage =
    "[start stopWords]\nthe\nand\na\nof\nin and out\n[stop stopWords]\n"
    "[start punctuation]\n,\n.\n!\n?\n;\n--\n[stop punctuation]\n";

// Documents that share passages, with punctuation, numbers, capitals and
// stop words for the switches to work on; two with the same name in
// different folders, one where its own vocabulary would go, and one left
// empty by pre-processing.
std::map<std::string, std::string> generatedDocuments() {
  const std::string shared =
      "The Quick brown fox, 12 jumps over the lazy dog and runs in and out of 3 barns. ";
  const std::string other = "Every Good boy deserves fudge; 42 apples -- of the Orchard! ";
  std::map<std::string, std::string> docs;
  for (int i = 0; i < 9; ++i) {
    std::string text;
    for (int k = 0; k <= i; ++k) {
      text += (k % 2 ? shared : other) + "Line " + std::to_string(i * 7 + k) + " of text " +
              std::to_string(k) + ". ";
    }
    docs["docs/d" + std::to_string(i) + ".txt"] = text + "\n";
  }
  docs["docs/one/same.txt"] = shared + other + "\n";
  docs["docs/two/same.txt"] = other + shared + shared + "\n";
  docs["voc/inside.voc"] = shared + "kept apart\n";
  docs["docs/marks.txt"] = ", . ! 12 the\n";
  return docs;
}

// Studies over generatedDocuments with every combination of the four
// switches, gramsSize 1 to 4 and collusionMode 1 to 3; half of them by
// Unicode rules, each combination of the switches in both ways.
std::vector<Study> generatedStudies() {
  const auto documents = generatedDocuments();
  std::string fileKeys;
  int n = 0;
  for (const auto& [path, bytes] : documents) fileKeys += "file" + std::to_string(++n) + "=" + path + "\n";
  const std::string messages = readBytes(kMessages);
  std::vector<Study> studies;
  const char* switches[] = {"removePontuation", "removeNumbers", "lowerCase", "removeStopWords"};
  for (int mask = 0; mask < 16; ++mask) {
    for (int grams = 1; grams <= 4; ++grams) {
      for (int mode = 1; mode <= 3; ++mode) {
        std::string config =
            "interLangFileName=messages.msg\nlanguageFileName=language.lang\nsaveLogIn=.\n"
            "dirVocabularies=voc\ndirReports=rep\nisToshowLog=1\nisToshowWarning=1\n";
        config += "gramsSize=" + std::to_string(grams) + "\ncollusionMode=" +
                  std::to_string(mode) + "\n";
        for (int s = 0; s < 4; ++s) {
          config += std::string(switches[s]) + "=" + ((mask >> s & 1) ? "1" : "0") + "\n";
        }
        config += std::string("unicodeText=") + ((mask + grams) % 2 ? "1" : "0") + "\n";
        if (mask % 3 == 0) config += "dirResults=res\nmaxChunkDocuments=6\n";
        config += fileKeys;
        Study study{"s" + std::to_string(mask) + "-g" + std::to_string(grams) + "-m" +
                        std::to_string(mode),
                    documents,
                    {"study.cfg"}};
        study.files["study.cfg"] = config;
        study.files["messages.msg"] = messages;
        study.files["language.lang"] = kLanguage;
        studies.push_back(std::move(study));
      }
    }
  }
  return studies;
}

class Threads : public testing::TestWithParam<int> {
 protected:
  void SetUp() override { root_ = freshScratchDirectory(); }
  void TearDown() override {
    if (!HasFailure()) fs::remove_all(root_);
  }
  void expectSameAsOneThread(const std::vector<Study>& studies) {
    for (const Study& study : studies) {
      const Outcome single = runStudy(root_, study, 1);
      const Outcome several = runStudy(root_, study, GetParam());
      expectSameOutcome(single, several, study.name);
      if (!HasFailure()) {
        fs::remove_all(root_ / (study.name + "-threads1"));
        fs::remove_all(root_ / (study.name + "-threads" + std::to_string(GetParam())));
      }
    }
  }

  fs::path root_;
};

TEST_P(Threads, EndToEndCasesGiveTheSameOutputs) { expectSameAsOneThread(fixtureStudies()); }

TEST_P(Threads, GeneratedStudiesGiveTheSameOutputs) { expectSameAsOneThread(generatedStudies()); }

// Documents large enough to be cut in several pieces: blanks of every kind
// and length, long words where a piece would end, a document of fewer words
// than a chunk, and each gramsSize. Chunks that cross a piece's end, or begin
// just at it, come out as from one thread.
TEST_P(Threads, LargeDocumentsCutInPiecesGiveTheSameOutputs) {
  const char* blanks[] = {" ", "  ", "\n", " \t ", "\r\n", "\f", " \n\n "};
  std::map<std::string, std::string> docs;
  for (int d = 0; d < 3; ++d) {
    std::string text;
    unsigned state = 7u + static_cast<unsigned>(d);
    while (text.size() < 700000) {
      state = state * 1103515245u + 12345u;
      const unsigned pick = state >> 16;
      if (pick % 997 == 0) text += std::string(70000, 'x');  // spans a piece's end
      text += "w" + std::to_string(pick % (d == 2 ? 50 : 5000));
      text += blanks[pick % 100 < 80 ? 0 : pick % 7];
    }
    docs["docs/big" + std::to_string(d) + ".txt"] = text;
  }
  docs["docs/two_words.txt"] = std::string(300000, 'a') + " " + std::string(300000, 'b') + "\n";
  for (int grams = 1; grams <= 4; ++grams) {
    Study study{"pieces-g" + std::to_string(grams), docs, {"study.cfg"}};
    study.files["messages.msg"] = readBytes(kMessages);
    study.files["voc/.keep"] = "";
    study.files["rep/.keep"] = "";
    std::string config =
        "interLangFileName=messages.msg\nsaveLogIn=.\ndirVocabularies=voc\ndirReports=rep\n"
        "isToshowLog=1\nisToshowWarning=1\ncollusionMode=3\ngramsSize=" +
        std::to_string(grams) + "\n";
    int n = 0;
    for (const auto& [path, bytes] : docs) config += "file" + std::to_string(++n) + "=" + path + "\n";
    study.files["study.cfg"] = config;
    const Outcome single = runStudy(root_, study, 1);
    const Outcome several = runStudy(root_, study, GetParam());
    EXPECT_EQ(0, single.status) << single.err;
    expectSameOutcome(single, several, study.name);
  }
}

// Writes past 4,096 bytes fail, as on a full disk: the same outputs are lost
// with the same warnings, and no partial or temporary file is left. The
// second study writes a results folder, whose index page is too large, and
// no pair files, so that its tables are written beside the vocabularies.
TEST_P(Threads, FilesTooLargeToWriteAreLostTheSameWay) {
  for (const std::string extra : {"", "dirResults=res\npairFiles=0\n"}) {
    Study study{extra.empty() ? "too_large" : "too_large_results", {}, {"study.cfg"}};
    std::string words;
    for (int i = 0; i < 2000; ++i) words += "word" + std::to_string(i) + " ";
    study.files["docs/big.txt"] = words + "\n";
    study.files["docs/big2.txt"] = words + "\n";
    study.files["docs/a.txt"] = "a few words of text\n";
    study.files["docs/b.txt"] = "a few words of text and more\n";
    study.files["messages.msg"] = readBytes(kMessages);
    if (!extra.empty()) study.files["res/.keep"] = "";
    study.files["study.cfg"] =
        "interLangFileName=messages.msg\nsaveLogIn=.\ndirVocabularies=voc\ndirReports=rep\n"
        "isToshowLog=1\nisToshowWarning=1\ngramsSize=1\n"
        "file1=docs/big.txt\nfile2=docs/big2.txt\nfile3=docs/a.txt\nfile4=docs/b.txt\n" +
        extra;
    const Outcome single = runStudy(root_, study, 1, 4096);
    const Outcome several = runStudy(root_, study, GetParam(), 4096);
    expectSameOutcome(single, several, study.name);
    EXPECT_EQ(1, several.status);
    for (const auto& [path, bytes] : several.files) {
      if (path.rfind("docs/", 0) == 0) continue;
      EXPECT_LE(bytes.size(), 4096u) << path;
      EXPECT_EQ(std::string::npos, path.find(".tmp")) << path;
    }
    const std::string& log = several.files.at("log.log");
    EXPECT_NE(std::string::npos, log.find("big.txt")) << "losses logged";
    if (!extra.empty()) {
      EXPECT_TRUE(several.files.count("res/documents.csv")) << "small tables are written";
      EXPECT_NE(std::string::npos, log.find("index.html")) << "the index page's loss logged";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Counts, Threads, testing::Values(2, 4, 7),
                         [](const testing::TestParamInfo<int>& param) {
                           return "threads" + std::to_string(param.param);
                         });

}  // namespace

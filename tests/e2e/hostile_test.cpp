// Hostile input: studies whose configuration, message file, documents or
// output directories are broken, odd or huge. Each case builds its inputs in
// a fresh directory, runs the built program there and checks
//   - the exit status and that nothing was written to standard error
//     (where a sanitizer would report),
//   - the whole log file after masking its time stamps and lap times, or that
//     no log file was written,
//   - exactly which files the run created or changed, that each of them lies
//     in a configured output directory (the log file aside), that no input
//     was touched or removed, and that nothing new appeared at the root of
//     the file system.
// Without a message file every log text is the message key, one blank and
// the argument, which keeps the expected lines readable.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../support.h"
#include "run_program.h"

namespace fs = std::filesystem;

namespace {

const fs::path kMessages = fs::path(COLLUSION_E2E_DIR) / "../../examples/messages/english.msg";

// ---------------------------------------------------------------- expected log lines

const std::string kStamp = "YYYY-MM-DD hh:mm:ss: ";
const std::string kLap = " [hh:mm:ss.cc]";

std::string entry(int kind, const std::string& key, const std::string& argument) {
  return "(" + std::to_string(kind) + ") " + kStamp + key + " " + argument;
}
std::string progress(const std::string& key, const std::string& argument = "") {
  return entry(1, key, argument);
}
std::string lap(const std::string& key) { return progress(key) + kLap; }
std::string warning(const std::string& key, const std::string& argument) {
  return entry(3, key, argument);
}

// The log of a study that gets as far as saving.
struct Flow {
  std::vector<std::string> loading{};  // entries while the documents load
  std::vector<std::string> preProc{};  // entries of the pre-processing steps
  std::vector<std::string> saving{};   // entries while vocabularies and reports are saved
  bool saved = true;                   // whether the save succeeded
};

std::vector<std::string> studyLog(const Flow& flow) {
  std::vector<std::string> lines{progress("log_start_collusion")};
  lines.insert(lines.end(), flow.loading.begin(), flow.loading.end());
  lines.push_back(lap("log_files_loaded"));
  lines.push_back(progress("log_start_preProc"));
  lines.insert(lines.end(), flow.preProc.begin(), flow.preProc.end());
  lines.push_back(lap("log_files_preprocessed"));
  lines.push_back(lap("log_extracted_chunks"));
  lines.push_back(lap("log_vocabularies_compared"));
  lines.insert(lines.end(), flow.saving.begin(), flow.saving.end());
  if (flow.saved) lines.push_back(lap("log_study_saved"));
  lines.push_back(progress("log_end_collusion"));
  return lines;
}

// One progress entry per document and pre-processing step, documents outer.
std::vector<std::string> preProcOf(const std::vector<std::string>& paths,
                                   const std::vector<std::string>& keys) {
  std::vector<std::string> lines;
  for (const std::string& path : paths) {
    for (const std::string& key : keys) lines.push_back(progress(key, path));
  }
  return lines;
}

const std::vector<std::string> kAllSteps{"log_punctuation_removed", "log_numbers_removed",
                                         "log_lowercase_executed", "log_stopWord_removed"};

// ---------------------------------------------------------------- inputs

class Tree {
 public:
  explicit Tree(fs::path root) : root_(std::move(root)) {}
  const fs::path& root() const { return root_; }

  void write(const std::string& name, const std::string& bytes) const {
    const fs::path file = root_ / name;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
  }
  void mkdir(const std::string& name) const { fs::create_directories(root_ / name); }

 private:
  fs::path root_;
};

const std::string kA = "the cat sat on the mat\n";
const std::string kB = "the cat sat on the hat\n";
// Settings of every study unless a case says otherwise; no saveLogIn, so the
// log is ./log.log.
const std::string kSettings = "isToshowLog=1\nisToshowWarning=1\n";
const std::string kDirs = "dirVocabularies=voc\ndirReports=rep\n";
const std::string kTwoDocs = "file1=docs/a.txt\nfile2=docs/b.txt\n";

// docs/a.txt, docs/b.txt, empty voc/ and rep/, and study.cfg holding config.
void twoDocs(const Tree& tree, const std::string& config) {
  tree.write("docs/a.txt", kA);
  tree.write("docs/b.txt", kB);
  tree.mkdir("voc");
  tree.mkdir("rep");
  tree.write("study.cfg", config);
}

// The files of a successful study of docs/a.txt and docs/b.txt.
const std::vector<std::string> kTwoDocOutputs{"voc/a.voc", "voc/b.voc", "rep/a.txt.b.txt",
                                              "voc/a-b.voc"};

std::string report(const std::string& file1, const std::string& file2, int chunks1, int chunks2,
                   int common, const std::string& similarity) {
  return "file1: " + file1 + "\nfile2: " + file2 + "\nchunksInDoc1: " + std::to_string(chunks1) +
         "\nchunksInDoc2: " + std::to_string(chunks2) +
         "\ncommonChunks: " + std::to_string(common) + "\nsimilarity: " + similarity;
}

// ---------------------------------------------------------------- the table

struct Case {
  std::string name{};
  std::function<void(const Tree&)> setup{};
  int status = 0;
  // The whole log, masked, line by line; none: no log file may be written.
  std::optional<std::vector<std::string>> log{};
  // Where the run may write; "." allows the whole directory.
  std::vector<std::string> outDirs{"voc", "rep"};
  // Exactly the files the run must create or change, the log file aside.
  std::vector<std::string> files{};
  std::vector<std::string> args{"study.cfg"};
  std::string stdoutHas{};                       // a text standard output must hold
  std::string err{};                             // all of standard error
  long fileSizeLimit = 0;                        // RLIMIT_FSIZE of the run, in bytes; 0: none
  long memoryLimit = 0;                          // RLIMIT_AS of the run, in bytes; 0: none
  std::function<void(const fs::path&)> check{};  // further checks on the outputs
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

std::string exceptionLine(const std::string& path) {
  return "\nAn exception occurred. Exception: file_not_exists: " + path + "\n";
}

std::vector<Case> configurationCases() {
  const auto brokenConfig = [](std::string bytes) {
    return [bytes](const Tree& tree) { twoDocs(tree, bytes); };
  };
  std::vector<Case> cases{
      {.name = "missing",
       .setup = brokenConfig(kDirs + kSettings + kTwoDocs),
       .status = 255,
       .args = {"missing.cfg"},
       .stdoutHas = exceptionLine("missing.cfg")},
      // A single argument that names a folder asks for a quick study of its
      // documents; this one has none.
      {.name = "a_directory",
       .setup = [](const Tree& tree) { tree.mkdir("study.cfg"); },
       .status = 1,
       .outDirs = {"collusion-results"},
       .files = {"collusion-results/log/log.log"},
       .stdoutHas = "Documents folder: study.cfg\n",
       .err = "collusion: no documents: the configuration lists none (file1, file2, ... or dirDocuments)\n"},
      {.name = "empty", .setup = brokenConfig(""), .status = 1},
      {.name = "only_comments",
       .setup = brokenConfig("// dirReports=rep\n//file1=docs/a.txt\n\n   \nno separator\n"),
       .status = 1},
      // The mark sticks to the first key, so dirReports is not found: the
      // vocabularies are saved, the reports are not, and the study fails.
      {.name = "byte_order_mark",
       .setup = brokenConfig("\xEF\xBB\xBF"
                             "dirReports=rep\ndirVocabularies=voc\n" +
                             kSettings + kTwoDocs),
       .status = 1,
       .log = studyLog({.saved = false}),
       .files = {"voc/a.voc", "voc/b.voc"},
       .err = "collusion: unknown key \xEF\xBB\xBF" "dirReports is ignored\n"
              "collusion: no reports were saved: dirReports is not set\n"},
      {.name = "crlf_line_ends",
       .setup =
           brokenConfig(std::regex_replace(kDirs + kSettings + kTwoDocs, std::regex("\n"), "\r\n")),
       .log = studyLog({}),
       .files = kTwoDocOutputs,
       .check =
           [](const fs::path& root) {
             EXPECT_EQ(report("a.txt", "b.txt", 4, 4, 3, "0.5999"),
                       readBytes(root / "rep/a.txt.b.txt"));
           }},
      // The document list stands after 10,000 other lines.
      {.name = "ten_thousand_lines",
       .setup =
           [](const Tree& tree) {
             std::string config = kDirs + kSettings;
             for (int i = 0; i < 10000; ++i) {
               config += i % 3 == 0   ? "// comment " + std::to_string(i) + "\n"
                         : i % 3 == 1 ? "unusedKey" + std::to_string(i) + " = value\n"
                                      : "\n";
             }
             twoDocs(tree, config + kTwoDocs);
           },
       .log = studyLog({}),
       .files = kTwoDocOutputs,
       // One line for each of the first twenty unknown keys, in byte order.
       .err = [] {
         std::vector<std::string> keys;
         for (int i = 1; i < 10000; i += 3) keys.push_back("unusedKey" + std::to_string(i));
         std::sort(keys.begin(), keys.end());
         std::string err;
         for (std::size_t k = 0; k < 20; ++k) err += "collusion: unknown key " + keys[k] + " is ignored\n";
         return err + "collusion: ... and " + std::to_string(keys.size() - 20) +
                " more lines about the configuration\n";
       }()},
      // The first value of a key wins; the later ones point elsewhere.
      {.name = "repeated_keys",
       .setup =
           [](const Tree& tree) {
             tree.mkdir("other");
             twoDocs(tree, kDirs + kSettings + kTwoDocs +
                               "dirReports=other\ndirVocabularies=other\nfile1=docs/b.txt\n"
                               "file2=docs/missing.txt\nisToshowLog=0\n");
           },
       .log = studyLog({}),
       .files = kTwoDocOutputs},
      {.name = "equals_in_values",
       .setup =
           [](const Tree& tree) {
             tree.write("docs/x=y.txt", kA);
             tree.mkdir("rep=1");
             twoDocs(tree, "dirVocabularies=voc\ndirReports = rep=1\n" + kSettings +
                               "file1 =docs/x=y.txt\nfile2= docs/b.txt\n");
           },
       .log = studyLog({}),
       .outDirs = {"voc", "rep=1"},
       .files = {"voc/x=y.voc", "voc/b.voc", "rep=1/x=y.txt.b.txt", "voc/x=y-b.voc"}},
      {.name = "one_megabyte_line",
       .setup =
           [](const Tree& tree) {
             const std::string big(1 << 20, 'x');
             twoDocs(tree, kDirs + "unused=" + big + "\n" + big + "\n//" + big + "\n" + kSettings +
                               kTwoDocs);
           },
       .log = studyLog({}),
       .files = kTwoDocOutputs,
       .err = "collusion: unknown key unused is ignored\n"},
  };
  return cases;
}

std::vector<Case> messageCases() {
  return {
      {.name = "message_file_missing",
       .setup =
           [](const Tree& tree) {
             twoDocs(tree, "interLangFileName=nope.msg\n" + kDirs + kSettings + kTwoDocs);
           },
       .status = 255,
       .stdoutHas = exceptionLine("nope.msg")},
      {.name = "message_file_a_directory",
       .setup =
           [](const Tree& tree) {
             tree.mkdir("msgs");
             twoDocs(tree, "interLangFileName=msgs\n" + kDirs + kSettings + kTwoDocs);
           },
       .status = 255,
       .stdoutHas = exceptionLine("msgs")},
      // The punctuation and stop-word steps run with empty lists.
      {.name = "language_file_missing",
       .setup =
           [](const Tree& tree) {
             tree.write("english.msg", readBytes(kMessages));
             twoDocs(tree,
                     "interLangFileName=english.msg\nlanguageFileName=nope.lang\n"
                     "removePontuation=1\nremoveStopWords=1\n" +
                         kDirs + kSettings + kTwoDocs);
           },
       .log =
           std::vector<std::string>{
               "(1) " + kStamp + "Study started",
               "(1) " + kStamp + "Documents loaded" + kLap,
               "(1) " + kStamp + "Pre-processing started",
               "(1) " + kStamp + "Punctuation removed from docs/a.txt",
               "(1) " + kStamp + "Stop words removed from docs/a.txt",
               "(1) " + kStamp + "Punctuation removed from docs/b.txt",
               "(1) " + kStamp + "Stop words removed from docs/b.txt",
               "(1) " + kStamp + "Documents pre-processed" + kLap,
               "(1) " + kStamp + "Chunks extracted" + kLap,
               "(1) " + kStamp + "Vocabularies compared" + kLap,
               "(1) " + kStamp + "Study saved" + kLap,
               "(1) " + kStamp + "Study finished",
           },
       .files = kTwoDocOutputs,
       .check =
           [](const fs::path& root) {
             EXPECT_EQ("1\nthe cat sat\n1\nsat on the\n1\ncat sat on",
                       readBytes(root / "voc/a-b.voc"));
           }},
  };
}

// A document listed between docs/a.txt and docs/b.txt that cannot be loaded.
Case withThirdDocument(std::string name, std::string file, std::function<void(const Tree&)> make,
                       std::vector<std::string> loading) {
  const std::string removed = progress("log_file_removed_from_process", "docs/" + file);
  loading.push_back(removed);
  return {.name = std::move(name),
          .setup =
              [file, make](const Tree& tree) {
                make(tree);
                twoDocs(tree, kDirs + kSettings + "file1=docs/a.txt\nfile2=docs/" + file +
                                  "\nfile3=docs/b.txt\n");
              },
          .log = studyLog({.loading = loading}),
          .files = kTwoDocOutputs,
          .err = "collusion: 1 of 3 documents could not be read (see the log)\n"};
}

// Two documents under the given names, compared.
Case namedPair(std::string name, std::string first, std::string second,
               std::vector<std::string> files, std::vector<std::string> args = {"study.cfg"}) {
  return {.name = std::move(name),
          .setup =
              [first, second, config = args.front()](const Tree& tree) {
                tree.write("docs/" + first, kA);
                tree.write("docs/" + second, kB);
                tree.mkdir("voc");
                tree.mkdir("rep");
                tree.write(config, kDirs + kSettings + "file1=docs/" + first + "\nfile2=docs/" +
                                       second + "\n");
              },
          .log = studyLog({}),
          .files = std::move(files),
          .args = std::move(args)};
}

std::vector<Case> documentCases() {
  std::vector<Case> cases{
      withThirdDocument("missing", "missing.txt", [](const Tree&) {},
                        {warning("warning_file_not_found", "docs/missing.txt")}),
      withThirdDocument("a_directory", "sub", [](const Tree& tree) { tree.mkdir("docs/sub"); },
                        {warning("warning_file_not_found", "docs/sub")}),
      // A FIFO without a writer would block a plain open and read forever.
      withThirdDocument("a_fifo", "pipe",
                        [](const Tree& tree) {
                          tree.mkdir("docs");
                          ASSERT_EQ(0, ::mkfifo((tree.root() / "docs/pipe").c_str(), 0600));
                        },
                        {warning("warning_file_not_found", "docs/pipe")}),
      withThirdDocument("zero_bytes", "empty.txt",
                        [](const Tree& tree) { tree.write("docs/empty.txt", ""); },
                        {warning("warning_empty_File", "docs/empty.txt")}),
      // No chunks, but the document stays and is compared.
      {.name = "only_whitespace",
       .setup =
           [](const Tree& tree) {
             tree.write("docs/blank.txt", " \t\n\r\n\v\f  \n");
             twoDocs(tree, kDirs + kSettings + "file1=docs/a.txt\nfile2=docs/blank.txt\n");
           },
       .log = studyLog({}),
       .files = {"voc/a.voc", "voc/blank.voc", "rep/a.txt.blank.txt", "voc/a-blank.voc"},
       .check =
           [](const fs::path& root) {
             EXPECT_EQ(report("a.txt", "blank.txt", 4, 0, 0, "     0"),
                       readBytes(root / "rep/a.txt.blank.txt"));
             EXPECT_EQ("", readBytes(root / "voc/blank.voc"));
             EXPECT_EQ("", readBytes(root / "voc/a-blank.voc"));
           }},
      // Lower-casing keeps the NUL bytes, so they reach the vocabulary.
      {.name = "binary_with_nuls",
       .setup =
           [](const Tree& tree) {
             std::minstd_rand random(20240611);
             std::string bytes(1 << 16, '\0');
             for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
             tree.write("docs/bin.dat", bytes);
             twoDocs(tree, kDirs + kSettings +
                               "lowerCase=1\nremoveNumbers=1\n"
                               "file1=docs/bin.dat\nfile2=docs/a.txt\n");
           },
       .log = studyLog({.preProc = preProcOf({"docs/bin.dat", "docs/a.txt"},
                                             {"log_numbers_removed", "log_lowercase_executed"})}),
       .files = {"voc/bin.voc", "voc/a.voc", "rep/bin.dat.a.txt", "voc/bin-a.voc"},
       .check =
           [](const fs::path& root) {
             const std::string vocabulary = readBytes(root / "voc/bin.voc");
             EXPECT_GT(vocabulary.size(), 10000u);
             EXPECT_NE(std::string::npos, vocabulary.find('\0'));
           }},
      // Words split at the ASCII blank, CR and LF bytes only; each NUL before
      // a letter stays in its word, and the NULs after CR and LF are words.
      {.name = "utf16_with_byte_order_mark",
       .setup =
           [](const Tree& tree) {
             std::string bytes = "\xFF\xFE";
             for (char c : std::string("THE cat sat on the mat\r\n")) {
               bytes += c;
               bytes += '\0';
             }
             tree.write("docs/utf16.txt", bytes);
             twoDocs(tree,
                     kDirs + kSettings + "lowerCase=1\nfile1=docs/utf16.txt\nfile2=docs/a.txt\n");
           },
       .log = studyLog(
           {.preProc = preProcOf({"docs/utf16.txt", "docs/a.txt"}, {"log_lowercase_executed"})}),
       .files = {"voc/utf16.voc", "voc/a.voc", "rep/utf16.txt.a.txt", "voc/utf16-a.voc"},
       .check =
           [](const fs::path& root) {
             EXPECT_EQ(report("utf16.txt", "a.txt", 6, 4, 0, "     0"),
                       readBytes(root / "rep/utf16.txt.a.txt"));
             const std::string vocabulary = readBytes(root / "voc/utf16.voc");
             EXPECT_NE(std::string::npos,
                       vocabulary.find(std::string("\xFF\xFEt\0h\0e\0 \0c\0a\0t\0", 16)));
           }},
      // Bytes from 128 up pass through untouched and sort above ASCII.
      {.name = "latin1_and_utf8",
       .setup =
           [](const Tree& tree) {
             tree.write("docs/latin1.txt", "CAF\xC9 na\xEFve r\xE9sum\xE9 \xC0 la carte\n");
             tree.write("docs/utf8.txt",
                        "CAF\xC3\x89 na\xC3\xAFve r\xC3\xA9sum\xC3\xA9 \xC3\x80 la carte\n");
             twoDocs(tree, kDirs + kSettings +
                               "lowerCase=1\n"
                               "file1=docs/latin1.txt\nfile2=docs/utf8.txt\n");
           },
       .log = studyLog({.preProc = preProcOf({"docs/latin1.txt", "docs/utf8.txt"},
                                             {"log_lowercase_executed"})}),
       .files = {"voc/latin1.voc", "voc/utf8.voc", "rep/latin1.txt.utf8.txt",
                 "voc/latin1-utf8.voc"},
       .check =
           [](const fs::path& root) {
             EXPECT_EQ(
                 "1\n\xC0 la carte\n1\nr\xE9sum\xE9 \xC0 la\n1\nna\xEFve r\xE9sum\xE9 \xC0\n"
                 "1\ncaf\xC9 na\xEFve r\xE9sum\xE9",
                 readBytes(root / "voc/latin1.voc"));
             EXPECT_EQ(
                 "1\n\xC3\x80 la carte\n1\nr\xC3\xA9sum\xC3\xA9 \xC3\x80 la\n"
                 "1\nna\xC3\xAFve r\xC3\xA9sum\xC3\xA9 \xC3\x80\n"
                 "1\ncaf\xC3\x89 na\xC3\xAFve r\xC3\xA9sum\xC3\xA9",
                 readBytes(root / "voc/utf8.voc"));
             EXPECT_EQ(report("latin1.txt", "utf8.txt", 4, 4, 0, "     0"),
                       readBytes(root / "rep/latin1.txt.utf8.txt"));
           }},
      // 100 MiB on one line, every switch on. After pre-processing the text
      // is "alpha beta gamma delta" over and over, then "omega end".
      {.name = "hundred_megabytes_on_one_line",
       .setup =
           [](const Tree& tree) {
             const std::string unit = "Alpha, beta 12 the GAMMA delta! ";  // 32 bytes
             std::string block;
             for (int i = 0; i < 32768; ++i) block += unit;  // 1 MiB
             tree.mkdir("docs");
             {
               std::ofstream out(tree.root() / "docs/big.txt", std::ios::binary);
               for (int i = 0; i < 100; ++i)
                 out.write(block.data(), static_cast<std::streamsize>(block.size()));
               out << "Omega, 99 THE end!";
             }
             tree.write("docs/small.txt", "alpha beta gamma delta alpha\n");
             tree.write("lang.txt",
                        "[start punctuation]\n,\n!\n[stop punctuation]\n"
                        "[start stopWords]\nthe\n[stop stopWords]\n");
             twoDocs(tree, kDirs + kSettings +
                               "languageFileName=lang.txt\nremovePontuation=1\nremoveNumbers=1\n"
                               "lowerCase=1\nremoveStopWords=1\nremoveMultipleBlanks=1\n"
                               "collusionMode=3\nfile1=docs/big.txt\nfile2=docs/small.txt\n");
           },
       .log = studyLog({.preProc = preProcOf({"docs/big.txt", "docs/small.txt"}, kAllSteps)}),
       .files = {"voc/big.voc", "voc/small.voc", "rep/big.txt.small.txt", "voc/big-small.voc"},
       .check =
           [](const fs::path& root) {
             EXPECT_EQ(
                 "3276800\nbeta gamma delta\n3276800\nalpha beta gamma\n"
                 "3276799\ngamma delta alpha\n3276799\ndelta alpha beta\n"
                 "1\ngamma delta omega\n1\ndelta omega end",
                 readBytes(root / "voc/big.voc"));
             EXPECT_EQ(report("big.txt", "small.txt", 6, 3, 3, "   0.5"),
                       readBytes(root / "rep/big.txt.small.txt"));
             EXPECT_EQ("1\ngamma delta alpha\n1\nbeta gamma delta\n1\nalpha beta gamma",
                       readBytes(root / "voc/big-small.voc"));
           }},
      namedPair("blanks_and_tab_in_names", " my essay .txt", "your\tessay.txt",
                {"voc/ my essay .voc", "voc/your\tessay.voc", "rep/ my essay .txt.your\tessay.txt",
                 "voc/ my essay -your\tessay.voc"}),
      namedPair("non_ascii_names", "\xC3\xA9t\xC3\xA9.txt", "caf\xE9.txt",
                {"voc/\xC3\xA9t\xC3\xA9.voc", "voc/caf\xE9.voc",
                 "rep/\xC3\xA9t\xC3\xA9.txt.caf\xE9.txt", "voc/\xC3\xA9t\xC3\xA9-caf\xE9.voc"}),
      // The configuration file's name looks like an option too.
      namedPair("leading_dash", "-n.txt", "--help.txt",
                {"voc/-n.voc", "voc/--help.voc", "rep/-n.txt.--help.txt", "voc/-n---help.voc"},
                {"-study.cfg"}),
  };

  // Several dots, none, and a name that is all extension.
  Case dots{.name = "several_dots_or_none",
            .setup =
                [](const Tree& tree) {
                  tree.write("docs/a.tar.gz", kA);
                  tree.write("docs/README", kB);
                  tree.write("docs/.hidden", "the cat sat on a log\n");
                  twoDocs(tree, kDirs + kSettings +
                                    "file1=docs/a.tar.gz\nfile2=docs/README\nfile3=docs/.hidden\n");
                },
            .log = studyLog({}),
            .files = {"voc/a.tar.voc", "voc/README.voc", "voc/.voc", "rep/a.tar.gz.README",
                      "voc/a.tar-README.voc", "rep/a.tar.gz..hidden", "voc/a.tar-.voc",
                      "rep/README..hidden", "voc/README-.voc"}};
  cases.push_back(dots);

  // 5,000 documents; the first against each other one gives 4,999 pairs.
  constexpr int kMany = 5000;
  const auto doc = [](int i) {
    char name[16];
    std::snprintf(name, sizeof name, "d%04d", i);
    return std::string(name);
  };
  Case many{.name = "five_thousand_documents",
            .setup =
                [doc](const Tree& tree) {
                  std::string config = kDirs + kSettings + "collusionMode=2\n";
                  for (int i = 1; i <= kMany; ++i) {
                    tree.write("docs/" + doc(i) + ".txt",
                               "alpha beta gamma w" + std::to_string(i) + "\n");
                    config += "file" + std::to_string(i) + "=docs/" + doc(i) + ".txt\n";
                  }
                  twoDocs(tree, config);
                },
            .log = studyLog({}),
            .check =
                [doc](const fs::path& root) {
                  EXPECT_EQ(report("d0001.txt", doc(kMany) + ".txt", 2, 2, 1, "0.3333"),
                            readBytes(root / ("rep/d0001.txt." + doc(kMany) + ".txt")));
                }};
  for (int i = 1; i <= kMany; ++i) {
    many.files.push_back("voc/" + doc(i) + ".voc");
    if (i > 1) {
      many.files.push_back("rep/d0001.txt." + doc(i) + ".txt");
      many.files.push_back("voc/d0001-" + doc(i) + ".voc");
    }
  }
  cases.push_back(many);
  return cases;
}

std::vector<Case> outputCases() {
  const std::vector<std::string> notSavedAB{warning("warning_vocabulary_not_saved", "docs/a.txt"),
                                            warning("warning_vocabulary_not_saved", "docs/b.txt")};
  const std::string reportNotSaved = warning("warning_report_not_saved", "a.txtb.txt");
  const auto withDirs = [](std::string dirs, std::function<void(const Tree&)> make = {}) {
    return [dirs, make](const Tree& tree) {
      if (make) make(tree);
      twoDocs(tree, dirs + kSettings + kTwoDocs);
    };
  };
  const auto plainFile = [](const Tree& tree) { tree.write("plain", "not a directory\n"); };
  const std::string longName(250, 'n');

  return {
      {.name = "reports_directory_missing",
       .setup = withDirs("dirVocabularies=voc\ndirReports=nodir\n"),
       .status = 1,
       .log = studyLog({.saving = {reportNotSaved}, .saved = false}),
       .files = {"voc/a.voc", "voc/b.voc"},
       .err = "collusion: 1 of 4 output files could not be written\ncollusion: the folder nodir does not exist (dirReports)\n"},
      // The pair vocabulary can't be written either; that goes unreported in
      // the log, but counts as lost.
      {.name = "vocabularies_directory_missing",
       .setup = withDirs("dirVocabularies=nodir\ndirReports=rep\n"),
       .status = 1,
       .log = studyLog({.saving = notSavedAB, .saved = false}),
       .files = {"rep/a.txt.b.txt"},
       .err = "collusion: 3 of 5 output files could not be written\ncollusion: the folder nodir does not exist (dirVocabularies)\n"},
      {.name = "reports_directory_is_a_file",
       .setup = withDirs("dirVocabularies=voc\ndirReports=plain\n", plainFile),
       .status = 1,
       .log = studyLog({.saving = {reportNotSaved}, .saved = false}),
       .files = {"voc/a.voc", "voc/b.voc"},
       .err = "collusion: 1 of 4 output files could not be written\ncollusion: plain is not a folder (dirReports)\n"},
      {.name = "vocabularies_directory_is_a_file",
       .setup = withDirs("dirVocabularies=plain\ndirReports=rep\n", plainFile),
       .status = 1,
       .log = studyLog({.saving = notSavedAB, .saved = false}),
       .files = {"rep/a.txt.b.txt"},
       .err = "collusion: 3 of 5 output files could not be written\ncollusion: plain is not a folder (dirVocabularies)\n"},
      {.name = "reports_directory_empty",
       .setup = withDirs("dirVocabularies=voc\ndirReports=\n"),
       .status = 1,
       .log = studyLog({.saved = false}),
       .files = {"voc/a.voc", "voc/b.voc"},
       .err = "collusion: no reports were saved: dirReports is not set\n"},
      // No pair vocabulary either, and nothing at the root.
      {.name = "vocabularies_directory_empty",
       .setup = withDirs("dirVocabularies=  \ndirReports=rep\n"),
       .status = 1,
       .log = studyLog({.saved = false}),
       .files = {"rep/a.txt.b.txt"},
       .err = "collusion: no vocabularies were saved: dirVocabularies is not set\n"},
      {.name = "path_component_is_a_file",
       .setup = withDirs("dirVocabularies=plain/voc\ndirReports=plain/rep\n", plainFile),
       .status = 1,
       .log = studyLog({.saving = {notSavedAB[0], notSavedAB[1], reportNotSaved}, .saved = false}),
       .outDirs = {"plain/voc", "plain/rep"},
       .err = "collusion: 3 of 4 output files could not be written\ncollusion: the folder plain/voc does not exist (dirVocabularies)\ncollusion: the folder plain/rep does not exist (dirReports)\n"},
      // The results folder is missing: everything else is written, and the
      // study fails with an error entry naming the folder.
      {.name = "results_directory_missing",
       .setup = withDirs(kDirs + "dirResults=nowhere\n"),
       .status = 1,
       .log = studyLog({.saving = {entry(2, "error_results_not_saved", "nowhere")}, .saved = false}),
       .files = kTwoDocOutputs,
       .err = "collusion: the folder nowhere does not exist (dirResults)\n"},
      // Every other output is written; the log has nowhere to go, and its
      // loss fails the study.
      {.name = "log_directory_is_a_file",
       .setup = withDirs(kDirs + "saveLogIn=plain\n", plainFile),
       .status = 1,
       .files = kTwoDocOutputs,
       .err = "collusion: 1 of 5 output files could not be written\ncollusion: the log could not be written to plain/log.log: plain is not a folder\n"},
      // The document's own name fits, a report name holding it does not; the
      // pair without it is still saved.
      {.name = "name_longer_than_the_file_system_allows",
       .setup =
           [longName](const Tree& tree) {
             tree.write("docs/" + longName + ".txt", kA);
             twoDocs(tree, kDirs + kSettings + "file1=docs/" + longName + ".txt\n" +
                               "file2=docs/a.txt\nfile3=docs/b.txt\n");
           },
       .status = 1,
       .log = studyLog({.saving = {warning("warning_report_not_saved", longName + ".txta.txt"),
                                   warning("warning_report_not_saved", longName + ".txtb.txt")},
                        .saved = false}),
       .files = {"voc/" + longName + ".voc", "voc/a.voc", "voc/b.voc", "rep/a.txt.b.txt",
                 "voc/a-b.voc"},
       .err = "collusion: 2 of 8 output files could not be written\n"},
      // Writes beyond 4,096 bytes fail with EFBIG: the two large document
      // vocabularies and the large pair vocabulary are not saved and leave no
      // partial file; the pair vocabulary's failure goes unreported.
      {.name = "writes_failing_part_way",
       .setup =
           [](const Tree& tree) {
             std::string words;
             for (int i = 0; i < 2000; ++i) words += "word" + std::to_string(i) + " ";
             tree.write("docs/big.txt", words + "\n");
             tree.write("docs/big2.txt", words + "\n");
             twoDocs(tree, kDirs + kSettings +
                               "file1=docs/big.txt\nfile2=docs/big2.txt\nfile3=docs/a.txt\n");
           },
       .status = 1,
       .log = studyLog({.saving = {warning("warning_vocabulary_not_saved", "docs/big.txt"),
                                   warning("warning_vocabulary_not_saved", "docs/big2.txt")},
                        .saved = false}),
       .files = {"voc/a.voc", "rep/big.txt.big2.txt", "rep/big.txt.a.txt", "voc/big-a.voc",
                 "rep/big2.txt.a.txt", "voc/big2-a.voc"},
       .err = "collusion: 3 of 10 output files could not be written\n",
       .fileSizeLimit = 4096,
       .check =
           [](const fs::path& root) {
             EXPECT_EQ(report("big.txt", "big2.txt", 1998, 1998, 1998, "     1"),
                       readBytes(root / "rep/big.txt.big2.txt"));
           }},
  };
}

// Mistakes a new user makes that the log, as specified, does not show with
// warnings off: the console names each one.
std::vector<Case> silentCases() {
  const std::string quiet = "isToshowLog=1\n";
  const auto study = [](std::string config) {
    return [config](const Tree& tree) { twoDocs(tree, config); };
  };
  return {
      {.name = "mistyped_key",
       .setup = study(kDirs + quiet + "gramSize=5\nremovePunctuation=1\nflie3=docs/c.txt\n" +
                      kTwoDocs),
       .log = studyLog({}),
       .files = kTwoDocOutputs,
       .err = "collusion: unknown key flie3 is ignored; did you mean file3?\n"
              "collusion: unknown key gramSize is ignored; did you mean gramsSize?\n"
              "collusion: unknown key removePunctuation is ignored; did you mean "
              "removePontuation?\n"},
      {.name = "value_out_of_range",
       .setup = study(kDirs + quiet + "gramsSize=12\n" + kTwoDocs),
       .log = studyLog({}),
       .files = kTwoDocOutputs,
       .err = "collusion: gramsSize=12 is out of range (1 to 10); using 3\n"},
      {.name = "missing_output_folder",
       .setup = study("dirVocabularies=voc\ndirReports=nodir\n" + quiet + kTwoDocs),
       .status = 1,
       .log = studyLog({.saved = false}),
       .files = {"voc/a.voc", "voc/b.voc"},
       .err = "collusion: 1 of 4 output files could not be written\n"
              "collusion: the folder nodir does not exist (dirReports)\n"},
      {.name = "missing_log_folder",
       .setup = study(kDirs + quiet + "saveLogIn=nologs\n" + kTwoDocs),
       .status = 1,
       .files = kTwoDocOutputs,
       .err = "collusion: 1 of 5 output files could not be written\n"
              "collusion: the log could not be written to nologs/log.log: the folder nologs "
              "does not exist\n"},
      {.name = "documents_not_found",
       .setup = study(kDirs + quiet + kTwoDocs + "file3=docs/gone.txt\n"),
       .log = studyLog({.loading = {progress("log_file_removed_from_process", "docs/gone.txt")}}),
       .files = kTwoDocOutputs,
       .err = "collusion: 1 of 3 documents could not be read (set isToshowWarning=1 to list them "
              "in the log)\n"},
  };
}

// A NUL byte can't stand in a file name, so a path holding one names nothing:
// it must not be cut short at the NUL and then read or written. The program
// does cut such paths today; these cases are disabled until it stops.
// Ways a study could lose or corrupt data: outputs over inputs, writes
// through links, one folder under two names, running out of memory, one
// document listed many times. Each output is written whole or renamed, never
// over what the study reads or outside its folders.
std::vector<Case> lossCases() {
  const auto renamed = [](const std::string& path) {
    return warning("warning_output_renamed", path);
  };
  std::vector<Case> cases{
      // A document in the vocabulary folder, named like a.txt's vocabulary.
      {.name = "document_where_an_output_goes",
       .setup =
           [](const Tree& tree) {
             tree.write("voc/a.voc", "keep these words\n");
             twoDocs(tree, kDirs + kSettings + kTwoDocs + "file3=voc/a.voc\n");
           },
       .log = studyLog({.saving = {renamed("voc/a~2.voc"), renamed("voc/a~3.voc")}}),
       .files = {"voc/a~2.voc", "voc/b.voc", "voc/a~3.voc", "rep/a.txt.b.txt", "rep/a.txt.a.voc",
                 "rep/b.txt.a.voc", "voc/a-b.voc", "voc/a-a.voc", "voc/b-a.voc"},
       .err = "collusion: 2 outputs were written under a ~N name, since the name was taken already (see the log)\n",
       .check =
           [](const fs::path& root) {
             EXPECT_EQ("keep these words\n", readBytes(root / "voc/a.voc"));
           }},
      // The configuration itself stands where a report goes.
      {.name = "configuration_where_a_report_goes",
       .setup =
           [](const Tree& tree) {
             twoDocs(tree, "");
             tree.write("rep/a.txt.b.txt", kDirs + kSettings + kTwoDocs);
           },
       .log = studyLog({.saving = {renamed("rep/a.txt.b.txt~2")}}),
       .files = {"voc/a.voc", "voc/b.voc", "rep/a.txt.b.txt~2", "voc/a-b.voc"},
       .args = {"rep/a.txt.b.txt"},
       .err = "collusion: 1 output was written under a ~N name, since the name was taken already (see the log)\n"},
      // A document called log.log in the log folder: the log goes beside it.
      {.name = "document_where_the_log_goes",
       .setup =
           [](const Tree& tree) {
             tree.write("logs/log.log", "the dog sat on the mat\n");
             twoDocs(tree, kDirs + kSettings + kTwoDocs + "saveLogIn=logs\nfile3=logs/log.log\n");
           },
       .outDirs = {"voc", "rep", "logs"},
       .files = {"voc/a.voc", "voc/b.voc", "voc/log.voc", "rep/a.txt.b.txt", "rep/a.txt.log.log",
                 "rep/b.txt.log.log", "voc/a-b.voc", "voc/a-log.voc", "voc/b-log.voc",
                 "logs/log~2.log"},
       .err = "collusion: the log is in logs/log~2.log, since logs/log.log is a file the study "
              "reads\n",
       .check =
           [](const fs::path& root) {
             EXPECT_EQ("the dog sat on the mat\n", readBytes(root / "logs/log.log"));
             EXPECT_EQ(studyLog({}), maskedLines(readBytes(root / "logs/log~2.log")));
           }},
      // A link at an output name is replaced; its target outside the folder
      // stays as it was, and a dangling one makes no file.
      {.name = "link_where_an_output_goes",
       .setup =
           [](const Tree& tree) {
             tree.write("k", "outside\n");
             twoDocs(tree, kDirs + kSettings + kTwoDocs);
             fs::create_symlink("../k", tree.root() / "voc/a.voc");
             fs::create_symlink("../nowhere", tree.root() / "voc/b.voc");
           },
       .log = studyLog({}),
       .files = kTwoDocOutputs,
       .check =
           [](const fs::path& root) {
             EXPECT_EQ("outside\n", readBytes(root / "k"));
             EXPECT_FALSE(fs::is_symlink(root / "voc/a.voc"));
             EXPECT_FALSE(fs::exists(root / "nowhere"));
           }},
      // A hard link to a document is that document: it is not replaced.
      {.name = "hard_link_to_a_document_where_an_output_goes",
       .setup =
           [](const Tree& tree) {
             twoDocs(tree, kDirs + kSettings + kTwoDocs);
             fs::create_hard_link(tree.root() / "docs/a.txt", tree.root() / "voc/a.voc");
           },
       .log = studyLog({.saving = {renamed("voc/a~2.voc")}}),
       .files = {"voc/a~2.voc", "voc/b.voc", "rep/a.txt.b.txt", "voc/a-b.voc"},
       .err = "collusion: 1 output was written under a ~N name, since the name was taken already (see the log)\n",
       .check = [](const fs::path& root) { EXPECT_EQ(kA, readBytes(root / "voc/a.voc")); }},
      // Reports go to a link to the vocabulary folder, where the report of
      // "a" and "voc" meets the vocabulary of "a".
      {.name = "one_folder_under_two_names",
       .setup =
           [](const Tree& tree) {
             tree.write("docs/a", kA);
             tree.write("docs/voc", kB);
             tree.mkdir("voc");
             fs::create_directory_symlink("voc", tree.root() / "al");
             tree.write("study.cfg", "dirVocabularies=voc\ndirReports=al\n" + kSettings +
                                         "file1=docs/a\nfile2=docs/voc\n");
           },
       .log = studyLog({.saving = {renamed("al/a.voc~2")}}),
       .outDirs = {"voc"},
       .files = {"voc/a.voc", "voc/voc.voc", "voc/a.voc~2", "voc/a-voc.voc"},
       .err = "collusion: 1 output was written under a ~N name, since the name was taken already (see the log)\n",
       .check =
           [](const fs::path& root) {
             EXPECT_EQ(report("a", "voc", 4, 4, 3, "0.5999"), readBytes(root / "voc/a.voc~2"));
           }},
  };

  // One document listed a thousand times (first against each other): every
  // output gets the next number of its name.
  Case many{.name = "one_document_listed_a_thousand_times",
       .err = "collusion: 2995 outputs were written under a ~N name, since the name was taken already (see the log)\n"};
  constexpr int kCopies = 1000;
  std::string list;
  std::vector<std::string> saving;
  std::vector<std::string> files;
  for (int i = 1; i <= kCopies; ++i) list += "file" + std::to_string(i) + "=docs/a.txt\n";
  const auto numbered = [](const std::string& stem, int n, const std::string& extension) {
    return n == 1 ? stem + extension : stem + "~" + std::to_string(n) + extension;
  };
  for (int i = 1; i <= kCopies; ++i) {
    files.push_back(numbered("voc/a", i, ".voc"));
    if (i > 1) saving.push_back(renamed(files.back()));
  }
  for (int i = 1; i < kCopies; ++i) {
    files.push_back(numbered("rep/a.txt.a.txt", i, ""));
    if (i > 1) saving.push_back(renamed(files.back()));
    files.push_back(numbered("voc/a-a", i, ".voc"));
    if (i > 1) saving.push_back(renamed(files.back()));
  }
  many.setup = [list](const Tree& tree) {
    twoDocs(tree, kDirs + "isToshowWarning=1\ncollusionMode=2\n" + list);
  };
  many.log = saving;
  many.files = files;
  cases.push_back(many);

  // The sanitizers' shadow memory does not fit in the address space this case
  // allows.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  // A million words at ten words a chunk under a 200 MB address space: the
  // study stops with an error entry and a console line, and saves its log.
  cases.push_back(
      {.name = "out_of_memory",
       .setup =
           [](const Tree& tree) {
             std::mt19937 random(7);
             std::string text;
             for (int i = 0; i < 1000000; ++i) {
               text += "w" + std::to_string(random() % 50000) + (i % 20 == 19 ? "\n" : " ");
             }
             tree.write("docs/big.txt", text);
             twoDocs(tree,
                     kDirs + kSettings + "gramsSize=10\nfile1=docs/big.txt\nfile2=docs/a.txt\n");
           },
       .status = 1,
       .files = {"log.log"},
       .err = "collusion: out of memory; the study stopped\n",
       .memoryLimit = 200000L * 1024,
       .check =
           [](const fs::path& root) {
             const std::vector<std::string> lines = maskedLines(readBytes(root / "log.log"));
             ASSERT_GE(lines.size(), 3u);
             EXPECT_EQ(entry(2, "error_out_of_memory", ""), lines[lines.size() - 2]);
             EXPECT_EQ(progress("log_end_collusion"), lines.back());
           }});
#endif
  return cases;
}

std::vector<Case> nulByteCases() {
  const std::string nul(1, '\0');
  const std::string cut = "docs/b.txt" + nul + "junk";
  return {
      {.name = "in_a_document_path",
       .setup =
           [cut](const Tree& tree) {
             twoDocs(tree,
                     kDirs + kSettings + "file1=docs/a.txt\nfile2=" + cut + "\nfile3=docs/b.txt\n");
           },
       .log = studyLog({.loading = {warning("warning_file_not_found", cut),
                                    progress("log_file_removed_from_process", cut)}}),
       .files = kTwoDocOutputs,
       .err = "collusion: 1 of 3 documents could not be read (see the log)\n"},
      {.name = "in_the_vocabularies_directory",
       .setup =
           [nul](const Tree& tree) {
             twoDocs(tree, "dirVocabularies=vocabularies" + nul + "junk\ndirReports=rep\n" +
                               kSettings + kTwoDocs);
           },
       .status = 1,
       .log = studyLog({.saving = {warning("warning_vocabulary_not_saved", "docs/a.txt"),
                                   warning("warning_vocabulary_not_saved", "docs/b.txt")},
                        .saved = false}),
       .outDirs = {"rep"},
       .files = {"rep/a.txt.b.txt"},
       .err = "collusion: 3 of 5 output files could not be written\ncollusion: a folder name holds a NUL byte (dirVocabularies)\n"},
      {.name = "in_the_log_directory",
       .setup =
           [nul](const Tree& tree) {
             twoDocs(tree, kDirs + "saveLogIn=logs" + nul + "junk\n" + kSettings + kTwoDocs);
           },
       .status = 1,
       .files = kTwoDocOutputs,
       .err = "collusion: 1 of 5 output files could not be written\ncollusion: the log could not be written to logs" + nul +
              "junk/log.log: a folder name holds a NUL byte\n"},
  };
}

// ---------------------------------------------------------------- running and watching

// What a path is, enough to tell whether a run created, changed or removed it.
struct Stat {
  fs::file_type type;
  std::uintmax_t size;
  std::int64_t modified;  // nanoseconds; 0 for directories
  ino_t inode;
  bool operator==(const Stat&) const = default;
};

std::map<std::string, Stat> snapshot(const fs::path& root) {
  std::map<std::string, Stat> paths;
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    struct stat st {};
    if (::lstat(item.path().c_str(), &st) != 0) continue;
    const bool directory = S_ISDIR(st.st_mode);
    // Lexically: fs::relative would follow a link to the file it names.
    paths[item.path().lexically_relative(root).generic_string()] = {
        item.symlink_status().type(), directory ? 0 : static_cast<std::uintmax_t>(st.st_size),
        directory ? 0 : std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec,
        st.st_ino};
  }
  return paths;
}

std::set<std::string> rootEntries() {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& item : fs::directory_iterator("/", error)) {
    names.insert(item.path().filename().string());
  }
  return names;
}

bool isUnder(const std::string& path, const std::string& directory) {
  return directory == "." || path == directory || path.starts_with(directory + "/");
}

std::string printable(std::string text) {
  std::string shown;
  for (unsigned char c : text) {
    if (c >= 32 && c < 127) {
      shown += static_cast<char>(c);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", c);
      shown += escape;
    }
  }
  return shown.size() > 300 ? shown.substr(0, 300) + "..." : shown;
}

class HostileInput : public testing::TestWithParam<Case> {
 protected:
  void SetUp() override { scratch_ = freshScratchDirectory(); }
  void TearDown() override {
    if (HasFailure()) {
      std::cerr << "scratch directory kept: " << scratch_ << '\n';
    } else {
      fs::remove_all(scratch_);
    }
  }
  fs::path scratch_;
};

TEST_P(HostileInput, FailsCleanlyAndWritesOnlyItsOutputs) {
  const Case& c = GetParam();
  c.setup(Tree(scratch_));
  const auto before = snapshot(scratch_);
  const auto rootBefore = rootEntries();

  const RunResult run = runProgram(scratch_, c.args, c.fileSizeLimit, c.memoryLimit);

  EXPECT_EQ(c.status, run.status) << "standard output:\n" << run.out;
  EXPECT_EQ(c.err, run.err);
  EXPECT_TRUE(run.out.find("Config file: " + c.args.front() + "\n") != std::string::npos ||
              run.out.find("Documents folder: " + c.args.front() + "\n") != std::string::npos);
  if (!c.stdoutHas.empty()) {
    EXPECT_NE(std::string::npos, run.out.find(c.stdoutHas)) << run.out;
  }

  const auto after = snapshot(scratch_);
  for (const auto& [path, stat] : before) {
    EXPECT_TRUE(after.count(path)) << "removed: " << printable(path);
  }
  std::set<std::string> written;
  for (const auto& [path, stat] : after) {
    const auto old = before.find(path);
    if (old != before.end() && old->second == stat) continue;
    const bool allowed = path == "log.log" || std::any_of(c.outDirs.begin(), c.outDirs.end(),
                                                          [&path](const std::string& dir) {
                                                            return isUnder(path, dir);
                                                          });
    EXPECT_TRUE(allowed) << "written outside the output directories: " << printable(path);
    if (stat.type == fs::file_type::regular) written.insert(path);
  }
  EXPECT_EQ(rootBefore, rootEntries()) << "the run changed the root directory";

  if (c.log) {
    EXPECT_TRUE(written.erase("log.log")) << "no log file";
    EXPECT_EQ(*c.log, maskedLines(readBytes(scratch_ / "log.log")));
  }
  const std::set<std::string> expected(c.files.begin(), c.files.end());
  if (written != expected) {
    for (const auto& path : written) {
      EXPECT_TRUE(expected.count(path)) << "unexpected output: " << printable(path);
    }
    for (const auto& path : expected) {
      EXPECT_TRUE(written.count(path)) << "missing output: " << printable(path);
    }
  }
  if (c.fileSizeLimit > 0) {
    for (const auto& path : written) {
      EXPECT_LE(after.at(path).size, static_cast<std::uintmax_t>(c.fileSizeLimit))
          << printable(path);
    }
  }
  if (c.check) c.check(scratch_);
}

std::string caseName(const testing::TestParamInfo<Case>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Configuration, HostileInput, testing::ValuesIn(configurationCases()),
                         caseName);
INSTANTIATE_TEST_SUITE_P(Messages, HostileInput, testing::ValuesIn(messageCases()), caseName);
INSTANTIATE_TEST_SUITE_P(Documents, HostileInput, testing::ValuesIn(documentCases()), caseName);
INSTANTIATE_TEST_SUITE_P(Output, HostileInput, testing::ValuesIn(outputCases()), caseName);
INSTANTIATE_TEST_SUITE_P(Losses, HostileInput, testing::ValuesIn(lossCases()), caseName);
INSTANTIATE_TEST_SUITE_P(Silent, HostileInput, testing::ValuesIn(silentCases()), caseName);
INSTANTIATE_TEST_SUITE_P(NulByte, HostileInput, testing::ValuesIn(nulByteCases()),
                         caseName);

}  // namespace

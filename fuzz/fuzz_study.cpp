// Fuzzes a whole study: configuration, message file, language file and up to
// four documents are carved from the input and written into a scratch
// directory of this process, then TCollusion::run reads them and writes its
// vocabularies, reports and log there. The scratch directory is emptied
// before and removed after every run.
//
// Input layout:
//   byte 0   bits 0-1: number of documents - 1
//            bit 2:    name a message file (else interLangFileName is unset)
//            bit 3:    write the language file
//            bit 4:    vocabularies and reports share one directory
//            bit 5:    create the output directories (else every save fails)
//            bit 6:    the log goes into the reports directory
//   byte 1   bits 0-3: the switches removePontuation, removeNumbers, lowerCase,
//                      removeStopWords
//            bits 4-5: collusionMode (0: not given)
//            bit 6:    isToshowLog
//            bit 7:    isToshowWarning
//   byte 2   bits 0-3: gramsSize (0: not given; 11 to 15 are out of range)
//            bit 4:    no dirVocabularies
//            bit 5:    no dirReports
//            bit 6:    interLangFileName names a file that does not exist
//            bit 7:    no languageFileName
//   then     parts separated by "\n##\n": configuration lines, message file,
//            language file, document names (one a line), then the documents
//
// The configuration file starts with the paths, which stay inside the scratch
// directory: the first line that gives a key wins, and lines of the input
// that give a path key or a fileN key are dropped. The input's own lines come
// next, so its settings override the ones taken from bytes 1 and 2, which
// follow.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "control/collusion.h"
#include "settings/param_file.h"
#include "fuzz_support.h"
#include "log/log.h"

namespace {

constexpr std::string_view kSeparator = "\n##\n";
constexpr std::size_t kMaxDocuments = 4;

// Keys the input may not give: they name files the study reads or writes.
bool isPathKey(std::string_view key) {
  return key.starts_with("file") || key == "interLangFileName" || key == "languageFileName" ||
         key == "saveLogIn" || key == "dirVocabularies" || key == "dirReports";
}

// The input's configuration lines without those that give a path key. Lines
// are cut at line feeds as the configuration reader cuts them (a CR of a CR LF
// pair can only end a value), and the key is the text before the first "="
// trimmed of blanks, tabs, CR and LF.
std::string safeLines(std::string_view lines) {
  std::string out;
  for (const std::string_view line : fuzz::split(lines, "\n")) {
    const std::size_t equals = line.find('=');
    if (equals != std::string_view::npos) {
      std::string_view key = line.substr(0, equals);
      const std::size_t begin = key.find_first_not_of(" \n\r\t");
      key = begin == std::string_view::npos
                ? std::string_view()
                : key.substr(begin, key.find_last_not_of(" \n\r\t") + 1 - begin);
      if (isPathKey(key)) continue;
    }
    out += line;
    out += '\n';
  }
  return out;
}

// A document name from the input: up to eight bytes mapped onto a small
// alphabet rich in dots, so that stems, extensions and clashing output names
// ("log", "voc", "a.b" against "a") come up often. "." and ".." stay possible:
// such a document is a directory and cannot be read.
std::string documentName(std::string_view line, std::size_t index) {
  static constexpr std::string_view kAlphabet = "ablogvc.~-";
  std::string name;
  for (std::size_t i = 0; i < line.size() && i < 8; ++i) {
    name += kAlphabet[static_cast<unsigned char>(line[i]) % kAlphabet.size()];
  }
  if (name.empty()) name = "d" + std::to_string(index + 1) + ".txt";
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::ScratchGuard scratch(fuzz::scratchPath("study"));
  if (size < 3) return -1;
  const std::uint8_t layout = data[0];
  const std::uint8_t switches = data[1];
  const std::uint8_t more = data[2];
  const std::vector<std::string_view> parts =
      fuzz::split(fuzz::bytesOf(data + 3, size - 3), kSeparator);
  auto part = [&parts](std::size_t i) { return i < parts.size() ? parts[i] : std::string_view(); };

  namespace fs = std::filesystem;
  const fs::path dir = scratch.path();
  std::error_code error;
  fs::remove_all(dir, error);
  fs::create_directories(dir / "docs");

  const std::string reports = (dir / "rep").string();
  const std::string vocabularies = (layout & 0x10) ? reports : (dir / "voc").string();
  const std::string logs = (layout & 0x40) ? reports : (dir / "log").string();
  if (layout & 0x20) {
    fs::create_directories(reports);
    fs::create_directories(vocabularies);
    fs::create_directories(logs);
  }

  std::string config = "saveLogIn=" + logs + "\n";
  if (!(more & 0x10)) config += "dirVocabularies=" + vocabularies + "\n";
  if (!(more & 0x20)) config += "dirReports=" + reports + "\n";
  if (more & 0x40) {
    config += "interLangFileName=" + (dir / "absent.msg").string() + "\n";
  } else if (layout & 0x04) {
    const std::string messages = (dir / "messages.msg").string();
    fuzz::mustWriteFile(messages, part(1));
    config += "interLangFileName=" + messages + "\n";
  }
  if (!(more & 0x80)) {
    const std::string language = (dir / "language.lang").string();
    if (layout & 0x08) fuzz::mustWriteFile(language, part(2));
    config += "languageFileName=" + language + "\n";
  }
  const std::vector<std::string_view> names = fuzz::split(part(3), "\n");
  const std::size_t documents = (layout & 0x03) + 1u;
  for (std::size_t i = 0; i < documents && i < kMaxDocuments; ++i) {
    const std::string name = documentName(i < names.size() ? names[i] : "", i);
    const std::string path = (dir / "docs" / name).string();
    // A document without its part is never written and cannot be read;
    // "." and ".." are directories and cannot be written.
    if (4 + i < parts.size()) (void)fuzz::writeFile(path, parts[4 + i]);
    config += "file" + std::to_string(i + 1) + "=" + path + "\n";
  }

  config += safeLines(part(0));

  static constexpr const char* kSwitches[] = {"removePontuation", "removeNumbers", "lowerCase",
                                              "removeStopWords"};
  for (int i = 0; i < 4; ++i)
    config += std::string(kSwitches[i]) + "=" + ((switches >> i) & 1 ? "1" : "0") + "\n";
  if (const int mode = (switches >> 4) & 3)
    config += "collusionMode=" + std::to_string(mode) + "\n";
  config += std::string("isToshowLog=") + ((switches & 0x40) ? "1" : "0") + "\n";
  config += std::string("isToshowWarning=") + ((switches & 0x80) ? "1" : "0") + "\n";
  if (const int grams = more & 0x0f) config += "gramsSize=" + std::to_string(grams) + "\n";

  const std::string configPath = (dir / "study.cfg").string();
  fuzz::mustWriteFile(configPath, config);
  {
    TLog log;
    TCollusion collusion;
    try {
      (void)collusion.run(configPath, log);
    } catch (const VrxException&) {
      // An unreadable message file ends the study; the run log stays with the caller.
    }
    (void)log.fullText("log_full_time  [" + log.totalTime() + "]");
  }
  fs::remove_all(dir, error);
  return 0;
}

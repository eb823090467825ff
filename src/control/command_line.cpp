#include "control/command_line.h"

#include <sys/stat.h>

#include <string_view>

namespace {

enum class Entry { missing, folder, other };

Entry entryAt(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return Entry::missing;
  return S_ISDIR(st.st_mode) ? Entry::folder : Entry::other;
}

constexpr std::string_view kDefaultOutput = "collusion-results";

bool isLanguage(std::string_view code) {
  for (const std::string_view known : {"en", "fr", "de", "es", "pt", "it", "nl", "sv", "pl", "ru"}) {
    if (code == known) return true;
  }
  return false;
}

}  // namespace

TCommandLine parseCommandLine(int argc, char* argv[]) {
  TCommandLine line;
  const std::string first = argv[1];
  if (argc == 2 && (first == "--help" || first == "-h")) {
    line.kind = TCommandLine::Kind::help;
    return line;
  }
  if (argc == 2 && first == "--version") {
    line.kind = TCommandLine::Kind::version;
    return line;
  }
  const auto error = [&line](std::string text) {
    line.kind = TCommandLine::Kind::error;
    line.error = std::move(text);
    return line;
  };
  if (first == "--output" || first == "--language") {
    // Options of the quick study, then its folder, the last argument.
    line.output = kDefaultOutput;
    int i = 1;
    for (; i + 1 < argc && std::string_view(argv[i]).starts_with("--"); i += 2) {
      const std::string_view option = argv[i];
      if (option == "--output") {
        line.output = argv[i + 1];
      } else if (option == "--language") {
        line.language = argv[i + 1];
        if (!isLanguage(line.language)) {
          return error("no language " + line.language + " (en, fr, de, es, pt, it, nl, sv, pl, ru)");
        }
      } else {
        return error("unknown option " + std::string(option) + " (see --help)");
      }
    }
    if (i != argc - 1) {
      return error("--output and --language each take a value, and a folder of documents follows");
    }
    line.folder = argv[i];
    if (entryAt(line.output) == Entry::other) {
      return error("the output folder " + line.output + " is a file");
    }
    if (entryAt(line.folder) == Entry::missing) {
      return error("the folder " + line.folder + " does not exist");
    }
    if (entryAt(line.folder) != Entry::folder) {
      return error(line.folder + " is not a folder");
    }
    line.kind = TCommandLine::Kind::quickStudy;
    return line;
  }
  if (first.starts_with("--")) return error("unknown option " + first + " (see --help)");
  if (argc == 2 && entryAt(first) == Entry::folder) {
    line.kind = TCommandLine::Kind::quickStudy;
    line.folder = first;
    line.output = kDefaultOutput;
    if (entryAt(line.output) == Entry::other) {
      return error("the output folder " + line.output + " is a file");
    }
    return line;
  }
  // A path with blanks may be given unquoted: the arguments are joined again.
  line.configPath = first;
  for (int i = 2; i < argc; ++i) {
    line.configPath += ' ';
    line.configPath += argv[i];
  }
  return line;
}

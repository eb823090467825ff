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
  if (first == "--output") {
    if (argc != 4) return error("--output takes a folder for the outputs and a folder of documents");
    line.output = argv[2];
    line.folder = argv[3];
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

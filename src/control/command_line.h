#pragma once

#include <string>

// What the command line asks for. Any argument list but the ones below names
// a configuration file: its arguments joined with one blank.
//   --help | -h              the usage
//   --version                the name and version
//   FOLDER                   a quick study of a folder's documents, when the
//                            single argument names a folder
//   --output DIR FOLDER      the same, its outputs under DIR
//   --language CODE FOLDER   the same by the Unicode rules of a language,
//                            stop words removed (both options may be given)
//   --anything-else          an error
struct TCommandLine {
  enum class Kind { config, help, version, quickStudy, error };
  Kind kind = Kind::config;
  // The configuration file's path (config).
  std::string configPath;
  // The documents' folder and the outputs' folder (quickStudy).
  std::string folder;
  std::string output;
  // The language's code (en, fr, ...) when --language gives one.
  std::string language;
  // One line saying what is wrong (error).
  std::string error;
};

// Reads argv[1] to argv[argc - 1]; argc must be at least 2.
TCommandLine parseCommandLine(int argc, char* argv[]);

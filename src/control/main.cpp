// The collusion tool: one study per run, configured by the file named on the
// command line. Exit status 0 when the study succeeded, 1 when it failed or
// no configuration was given, -1 when a parameter file could not be read.
#include <iostream>
#include <memory>
#include <string>

#include "control/collusion.h"
#include "control/param_file.h"
#include "log/log.h"

int main(int argc, char* argv[]) {
  TLog log;
  if (argc < 2) return 1;

  std::cout << " --oOo--\n"
            << " Tarnhollow Collusion Application\n"
            << " (c) 2025-2026\n"
            << " Version 1.0.0 (2026-12-10)\n"
            << " by the collusion developers\n"
            << " \n";

  // A path with blanks may be given unquoted: the arguments are joined again.
  std::string path = argv[1];
  for (int i = 2; i < argc; ++i) {
    path += ' ';
    path += argv[i];
  }
  std::cout << "Config file: " << path << '\n' << std::flush;
  if (path.empty()) return 1;

  int status = 1;
  auto collusion = std::make_unique<TCollusion>();
  try {
    status = collusion->run(path, log) ? 0 : 1;
  } catch (const VrxException& exception) {
    const std::string text = "An exception occurred. Exception: " + exception.message();
    log.addError(text);
    std::cout << text << '\n' << std::flush;
    status = -1;
  }
  collusion.reset();
  return status;
}

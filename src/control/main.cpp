// The collusion tool: one study per run, configured by the file named on the
// command line, or a quick study of a folder. Exit status 0 when the study
// succeeded, 1 when it failed or no configuration was given, 2 for a wrong
// command line, -1 (255) when a parameter file could not be read.
#include <iostream>
#include <memory>
#include <new>
#include <string>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "base/text_file.h"
#include "control/built_in_language.h"
#include "control/collusion.h"
#include "control/command_line.h"
#include "control/quick_study.h"
#include "settings/config_keys.h"
#include "settings/param_file.h"
#include "log/log.h"

int main(int argc, char* argv[]) {
#if defined(__GLIBC__)
  // A study allocates and frees buffers of several megabytes per document
  // (texts, token tables, file contents). Served from fresh mappings and
  // handed back at once, each would be faulted in page by page again; kept
  // in the heap instead, they are reused as they are.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_TOP_PAD, 64 << 20);
#endif
  // An interrupted save leaves no temporary file behind.
  removeTemporaryOnInterrupt();
  TLog log;
  if (argc < 2) return 1;
  const TCommandLine line = parseCommandLine(argc, argv);
  switch (line.kind) {
    case TCommandLine::Kind::help:
      std::cout << usageText() << std::flush;
      return 0;
    case TCommandLine::Kind::version:
      std::cout << "collusion " << COLLUSION_VERSION << '\n' << std::flush;
      return 0;
    case TCommandLine::Kind::error:
      std::cerr << "collusion: " << line.error << '\n';
      return 2;
    case TCommandLine::Kind::config:
    case TCommandLine::Kind::quickStudy:
      break;
  }

  std::cout << " --oOo--\n"
            << " Tarnhollow Collusion Application\n"
            << " (c) 2025-2026\n"
            << " Version 1.0.0 (2026-12-10)\n"
            << " by the collusion developers\n"
            << " \n";

  TParamFile quickMap;
  if (line.kind == TCommandLine::Kind::quickStudy) {
    std::cout << "Documents folder: " << line.folder << '\n' << std::flush;
    std::string error;
    if (!prepareQuickStudy(line.folder, line.output, line.language, quickMap, error)) {
      std::cerr << "collusion: " << error << '\n';
      return 1;
    }
  } else {
    std::cout << "Config file: " << line.configPath << '\n' << std::flush;
    if (line.configPath.empty()) return 1;
  }

  int status = 1;
  auto collusion = std::make_unique<TCollusion>();
  try {
    const bool done = line.kind == TCommandLine::Kind::quickStudy
                          ? collusion->runStudy(quickMap, quickMap.count(), log, "",
                                                builtInLanguage(line.language.empty() ? "en" : line.language))
                          : collusion->run(line.configPath, log);
    status = done ? 0 : 1;
  } catch (const std::bad_alloc&) {
    // Out of memory before the study could take care of it (reading the
    // configuration, say).
    std::cerr << "collusion: out of memory; the study stopped\n";
    status = 1;
  } catch (const VrxException& exception) {
    const std::string text = "An exception occurred. Exception: " + exception.message();
    log.addError(text);
    std::cout << text << '\n' << std::flush;
    status = -1;
  }
  collusion.reset();
  return status;
}

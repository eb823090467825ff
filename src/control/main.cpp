// The collusion tool: one study per run, configured by the file named on the
// command line. Exit status 0 when the study succeeded, 1 when it failed or
// no configuration was given, -1 when a parameter file could not be read.
#include <cstring>
#include <iostream>
#include <memory>
#include <new>
#include <string>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "base/text_file.h"
#include "control/collusion.h"
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
  // The two options a user asks for first; any other argument list names a
  // configuration file.
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::cout << usageText() << std::flush;
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::cout << "collusion " << COLLUSION_VERSION << '\n' << std::flush;
    return 0;
  }

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

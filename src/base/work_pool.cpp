#include "base/work_pool.h"

#include <sched.h>

std::size_t usableCores() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return static_cast<std::size_t>(count);
  }
  const unsigned count = std::thread::hardware_concurrency();
  return count > 0 ? count : 1;
}

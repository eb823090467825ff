#include "base/free_memory.h"

#include <malloc.h>

void giveBackFreeMemory() { ::malloc_trim(0); }

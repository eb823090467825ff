#include "control/param_file.h"

#include <gtest/gtest.h>

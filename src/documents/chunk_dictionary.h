#pragma once

#include "base/string_table.h"

// Every distinct chunk text of a study, stored once and numbered from 0 in the
// order first seen. Vocabularies hold these numbers (ids) instead of strings,
// so that counting and comparing chunks works on integers.
using TChunkDictionary = TStringTable;

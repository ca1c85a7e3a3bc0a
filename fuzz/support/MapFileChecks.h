#pragma once

#include "crash/symbols/MapFile.h"

namespace qv::fuzz {

// What every symbol source must leave for the look-ups: each public and line is found again at
// its own address. (Segments are not checked: a damaged file may declare overlapping ones.)
void CheckLookups(const crash::TMapFile& map);

} // namespace qv::fuzz

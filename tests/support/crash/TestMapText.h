#pragma once

#include "crash/symbols/MapFile.h"

#include <cstdint>
#include <string>

namespace qv::crash::test {

// A map file with two code units, one data segment, mangled and plain publics, line numbers
// and an entry point, as the tests of the map reader and of the package round trip use it.
std::string SampleMapText();
// The sample read with its code at `codeStart`; a failure to read it fails the test.
TMapFile SampleMap(uintptr_t codeStart);

} // namespace qv::crash::test

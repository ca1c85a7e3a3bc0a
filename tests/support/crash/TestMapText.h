#pragma once

#include <string>

namespace qv::crash::test {

// A map file with two code units, one data segment, mangled and plain publics, line numbers
// and an entry point, as the tests of the map reader and of the package round trip use it.
std::string SampleMapText();

} // namespace qv::crash::test

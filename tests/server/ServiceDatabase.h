#pragma once

#include <string>

namespace qv::test {

// One database built from seed 1 for the whole test program, removed at exit.
const std::string& ServiceDatabasePath();

} // namespace qv::test

#pragma once

#include "tests/support/PeerProcess.h"

#include <memory>
#include <string>

namespace qv::server::test {

// One database built from seed 1 for the whole test program, removed at exit.
const std::string& ServiceDatabasePath();

// quorvane-service on that database at 127.0.0.1 and a free port (not in the sanitizer build).
std::unique_ptr<qv::test::PeerProcess> StartService();

} // namespace qv::server::test

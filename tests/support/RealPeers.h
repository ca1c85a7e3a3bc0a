#pragma once

#include "tests/support/PeerProcess.h"

#include <gtest/gtest.h>

#include <memory>

namespace qv::test {

// tinyproxy on 127.0.0.1 as user nobody; CONNECT goes to any port. Its log (level Info)
// names the request line of every request it forwards.
std::unique_ptr<PeerProcess> StartTinyProxy();

// dante on 127.0.0.1 as user nobody, SOCKS 4 and 5 without authentication, CONNECT only.
std::unique_ptr<PeerProcess> StartDante();

// Succeeds when the peer runs; otherwise fails with the peer's log, so that a missing or
// broken daemon shows up as a failed test rather than a skipped one.
::testing::AssertionResult PeerRunning(const PeerProcess& peer);

} // namespace qv::test

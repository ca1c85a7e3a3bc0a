#pragma once

#include "tests/support/PeerProcess.h"

#include <gtest/gtest.h>

#include <memory>

namespace qv::test {

// tinyproxy on 127.0.0.1 as user nobody; CONNECT goes to any port. Its log (level Info)
// names the request line of every request it forwards. With an upstream port it hands every
// request on to an HTTP proxy at 127.0.0.1 on that port, so that a scripted server there
// can answer for any host on any port.
std::unique_ptr<PeerProcess> StartTinyProxy(uint16_t upstreamPort = 0);

// dante on 127.0.0.1 as user nobody, SOCKS 4 and 5 without authentication, CONNECT only.
std::unique_ptr<PeerProcess> StartDante();

// aiosmtpd (Debian's python3-aiosmtpd) on 127.0.0.1, offering AUTH LOGIN for the account
// "reporter" with the password "secret": without TLS, or, given a certificate and its key, only
// after STARTTLS, which it then offers and requires. Each mail it takes lands in the peer's
// folder as mail-N: "FROM sender", a "TO recipient" line per recipient, "TLS" when the mail came
// over TLS, an empty line, then the mail's text as the server received it.
std::unique_ptr<PeerProcess> StartSmtpServer(const std::string& tlsCert = {}, const std::string& tlsKey = {});

// Succeeds when the peer runs; otherwise fails with the peer's log, so that a missing or
// broken daemon shows up as a failed test rather than a skipped one.
::testing::AssertionResult PeerRunning(const PeerProcess& peer);

} // namespace qv::test

#pragma once

#include "tests/support/ScriptedServer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qv::test {

// A SOCKS 4/4A server on 127.0.0.1 for the handshakes that dante refuses. It reads one
// request per connection, answers with `replyCode` as the second byte of its 8-byte reply
// and, when that is 90 (granted), connects to the requested host and port and relays the
// bytes both ways until either side closes.
class Socks4aResponder {
public:
    explicit Socks4aResponder(uint8_t replyCode = 90);

    uint16_t Port() const { return server_.Port(); }
    // The raw request bytes of each connection, in order of arrival.
    std::vector<std::string> Requests() const { return server_.Heads(); }

private:
    void Serve(ScriptedPeer& client);

    uint8_t replyCode_;
    ScriptedServer server_;
};

} // namespace qv::test

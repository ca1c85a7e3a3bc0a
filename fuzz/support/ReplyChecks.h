#pragma once

#include "fuzz/support/FuzzInput.h"
#include "http/IdBuffer.h"
#include "http/IdHTTP.h"

#include <string>

namespace qv::fuzz {

// The reply that the next exchange gets, and its body.
inline const std::string kNextReply = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nnext";

// What a call of the client promises about the reply it read, whether it answered or raised.
inline void RequireReplyPromises(http::TIdHTTP& client, const http::TIdBuffer& body, bool answered, bool head,
                                 bool readBody) {
    Require(client.HopCount() == 0, "every call ends with the hop count at 0");
    if (!answered) return;
    Require(client.StatusCode() / 100 == 2 && client.Response().Location.empty(),
            "only a 2xx reply without Location is an answer");
    if (head || !readBody)
        Require(body.Size() == 0, "a HEAD request or a call without stream reads no body");
    else if (client.StatusCode() == 204)
        Require(body.Size() == 0, "a 204 reply has no body");
    else if (client.Response().ExtraHeaders.IndexOfHeader("Transfer-Encoding") < 0 &&
             client.Response().ContentLength > 0)
        Require(body.Size() == client.Response().ContentLength, "a counted body is read to its length");
}

// Whatever the call before left behind, the next one (answered with kNextReply) reads its own reply.
inline void RequireNextExchange(http::TIdHTTP& client, const std::string& url) {
    std::string next;
    try {
        next = client.Get(url);
    } catch (const framework::Exception& e) {
        Require(false, ("the next exchange fails: " + e.Message()).c_str());
    }
    Require(next == "next", "the next exchange reads its own reply");
}

} // namespace qv::fuzz

// The HTTP reply as the client reads it from a server: status lines, interim replies, headers
// with continuation lines, counted, chunked and until-close bodies, and redirects, through the
// connection's own buffered reading. The first byte chooses the request and how the replies
// arrive; the rest is what the server answers, one answer per request, separated by "\n#next\n".
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/MemoryPeer.h"
#include "http/IdBuffer.h"
#include "http/IdHTTP.h"

namespace {

constexpr const char* kUrl = "http://127.0.0.1/app.php?action=browse";
const std::string kNextReply = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nnext";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    const fuzz::FuzzInput input(data, size);
    fuzz::MemoryPeer peer(input.Parts("\n#next\n"), fuzz::MemoryPeer::Answers::PerRequestHead,
                          input.Piece(5));
    http::TIdHTTP client;
    client.HandleRedirects = input.Option(0);
    const bool head = input.Option(1);
    if (input.Option(2)) client.ProtocolVersion = http::pv1_0;
    if (input.Option(3)) {
        client.Request().ProxyServer = "127.0.0.1";
        client.Request().ProxyPort = 8080;
    }
    const bool readBody = !input.Option(4);

    http::TIdBuffer body;
    bool answered = false;
    try {
        client.PerformRequest(head ? http::rkHead : http::rkGet, kUrl, {}, readBody ? &body : nullptr);
        answered = true;
    } catch (const framework::Exception&) {}
    fuzz::Require(client.HopCount() == 0, "every call ends with the hop count at 0");
    if (answered) {
        fuzz::Require(client.StatusCode() / 100 == 2 && client.Response().Location.empty(),
                      "only a 2xx reply without Location is an answer");
        if (head || !readBody)
            fuzz::Require(body.Size() == 0, "a HEAD request or a call without stream reads no body");
        else if (client.StatusCode() == 204)
            fuzz::Require(body.Size() == 0, "a 204 reply has no body");
        else if (client.Response().ExtraHeaders.IndexOfHeader("Transfer-Encoding") < 0 &&
                 client.Response().ContentLength > 0)
            fuzz::Require(body.Size() == client.Response().ContentLength,
                          "a counted body is read to its length");
    }

    // Whatever the first call left behind, the next one reads its own reply.
    peer.SetAnswers({kNextReply});
    client.HandleRedirects = false;
    std::string next;
    try {
        next = client.Get(kUrl);
    } catch (const framework::Exception& e) {
        fuzz::Require(false, ("the next exchange fails: " + e.Message()).c_str());
    }
    fuzz::Require(next == "next", "the next exchange reads its own reply");
    return 0;
}

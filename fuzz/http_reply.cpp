// The HTTP reply as the client reads it from a server: status lines, interim replies, headers
// with continuation lines, counted, chunked and until-close bodies, and redirects, through the
// connection's own buffered reading. The first byte chooses the request and how the replies
// arrive; the rest is what the server answers, one answer per request, separated by "\n#next\n".
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/MemoryPeer.h"
#include "fuzz/support/ReplyChecks.h"

namespace {

constexpr const char* kUrl = "http://127.0.0.1/app.php?action=browse";

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
    fuzz::RequireReplyPromises(client, body, answered, head, readBody);

    peer.SetAnswers({fuzz::kNextReply});
    client.HandleRedirects = false;
    fuzz::RequireNextExchange(client, kUrl);
    return 0;
}

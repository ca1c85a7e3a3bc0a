// The HTTP reply as the client reads it through TLS: the reply reaches the client in TLS
// records of any size, from a real TLS server on loopback, and the server ends TLS in order or
// cuts the TCP stream. The first byte chooses the request, how the reply is cut into records
// and how the server ends; the rest is the reply.
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/ReplyChecks.h"
#include "fuzz/support/TlsReplyServer.h"
#include "http/IdSSLConnectionIntercept.h"

#include <algorithm>
#include <cctype>

namespace {

bool Mentions(std::string text, const std::string& name) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text.find(name) != std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    static fuzz::TlsReplyServer server;
    const std::string url = "https://127.0.0.1:" + std::to_string(server.Port()) + "/app.php?action=browse";
    const fuzz::FuzzInput input(data, size);
    const bool head = input.Option(0);
    const bool cut = input.Option(1);
    const bool readBody = !input.Option(2);
    server.SetAnswer(input.Text(), input.Piece(5), cut);

    http::TIdHTTP client;
    client.SetIntercept(new http::TIdSSLConnectionIntercept(&client));
    http::TIdBuffer body;
    bool answered = false;
    try {
        client.PerformRequest(head ? http::rkHead : http::rkGet, url, {}, readBody ? &body : nullptr);
        answered = true;
    } catch (const framework::Exception&) {}
    fuzz::RequireReplyPromises(client, body, answered, head, readBody);
    const bool untilClose = !head && readBody && client.StatusCode() != 204 &&
                            !Mentions(input.Text(), "content-length") &&
                            !Mentions(input.Text(), "transfer-encoding");
    fuzz::Require(!(answered && cut && untilClose), "a body that runs to a cut stream is never an answer");
    client.Disconnect();

    server.SetAnswer(fuzz::kNextReply, fuzz::kNextReply.size(), false);
    fuzz::RequireNextExchange(client, url);
    return 0;
}

// Compares the rate of our HTTP client with libcurl's on one loopback server: many small
// GETs with a new connection each, one large GET and one large POST, against a server that acknowledges
// at once, against one that delays its ACKs, and over https (TLS through OpenSSL for both,
// with a certificate made for the run).
//
// Usage: http_get [N]   (N small requests per client and round, 300 by default)
#include "bench/CurlClient.h"
#include "bench/LoopbackServer.h"
#include "http/IdHTTP.h"
#include "service/ServiceExchange.h"
#include "tests/support/tls/TlsServerConnection.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using qv::bench::CurlClient;
using qv::bench::LoopbackServer;

constexpr size_t kSmallSize = 2048;
constexpr size_t kLargeSize = size_t{50} << 20;
// The machine is shared: the best of a few rounds is the figure least disturbed by others.
constexpr int kRounds = 5;

using GetFunction = std::function<std::string(const std::string& url)>;

// A contender's two exchanges: a GET, and a POST of kLargeSize bytes; each answers the reply body.
struct Contender {
    const char* name;
    GetFunction get;
    GetFunction post;
};

struct Rates {
    double ours;
    double peer;
};

// Seconds for `count` requests to `url`; every reply body must have `expected` bytes.
double TimeGets(const GetFunction& get, const std::string& url, int count, size_t expected) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i)
        if (get(url).size() != expected) throw std::runtime_error("wrong body size from " + url);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Best rate of each contender in `units` per second, the rounds alternating between them.
Rates Measure(const GetFunction& ours, const GetFunction& peer, const std::string& url, int count,
              size_t expected, double units) {
    double best[2] = {1e30, 1e30};
    for (int round = 0; round < kRounds; ++round) {
        best[0] = std::min(best[0], TimeGets(ours, url, count, expected));
        best[1] = std::min(best[1], TimeGets(peer, url, count, expected));
    }
    return {units / best[0], units / best[1]};
}

struct Comparison {
    std::string name;
    Rates rates;
};

// With `tls` the server speaks https.
void RunAgainst(bool delayAcks, const qv::test::TlsServerContext* tls, int smallCount, const Contender& ours,
                const Contender& peer, std::vector<Comparison>& results) {
    LoopbackServer server(delayAcks, kSmallSize, kLargeSize, tls);
    const std::string base =
        (tls ? "https" : "http") + std::string("://127.0.0.1:") + std::to_string(server.Port());
    const std::string prefix = tls ? "https-" : "";
    const std::string suffix = delayAcks ? "-delayed-ack" : "";
    std::printf("server %s%s:\n", delayAcks ? "delays its ACKs" : "answers at once", tls ? ", https" : "");

    const Rates small = Measure(ours.get, peer.get, base + "/small", smallCount, kSmallSize, smallCount);
    std::printf("  %d x GET 2 KB, new connection each: %s %.0f req/s, %s %.0f req/s\n", smallCount, ours.name,
                small.ours, peer.name, small.peer);
    results.push_back({prefix + "small" + suffix, small});

    const Rates large = Measure(ours.get, peer.get, base + "/large", 1, kLargeSize, 50.0);
    std::printf("  GET 50 MB: %s %.0f MB/s, %s %.0f MB/s\n", ours.name, large.ours, peer.name, large.peer);
    results.push_back({prefix + "large" + suffix, large});

    const Rates posted = Measure(ours.post, peer.post, base + "/post", 1, kSmallSize, 50.0);
    std::printf("  POST 50 MB: %s %.0f MB/s, %s %.0f MB/s\n", ours.name, posted.ours, peer.name, posted.peer);
    results.push_back({prefix + "post" + suffix, posted});
}

} // namespace

int main(int argc, char** argv) {
    const int smallCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    try {
        const std::string& trust = qv::test::Certificates().trustFile;
        ::setenv("SSL_CERT_FILE", trust.c_str(), 1);
        const qv::test::TlsServerContext tls(qv::test::Certificates().good);
        CurlClient curl;
        curl.TrustFile(trust);
        const std::string upload(kLargeSize, 'u');
        const Contender peer{"libcurl", [&curl](const std::string& url) { return curl.Get(url); },
                             [&curl, &upload](const std::string& url) { return curl.Post(url, upload); }};
        // Sent from its start at every request.
        qv::framework::TMemoryStream source(upload);
        qv::http::TIdHTTP http;
        // As the application does: the service's time-outs, one exchange, then the connection
        // is closed.
        qv::service::ApplyServiceTimeouts(http);
        qv::service::ApplyServiceTls(http);
        const Contender ours{"TIdHTTP",
                             [&http](const std::string& url) {
                                 std::string body = http.Get(url);
                                 http.Disconnect();
                                 return body;
                             },
                             [&http, &source](const std::string& url) {
                                 qv::framework::TMemoryStream reply;
                                 http.PerformRequest(qv::http::rkPost, url, &source, &reply);
                                 http.Disconnect();
                                 return reply.ReleaseData();
                             }};
        std::vector<Comparison> results;
        RunAgainst(false, nullptr, smallCount, ours, peer, results);
        RunAgainst(true, nullptr, smallCount, ours, peer, results);
        RunAgainst(false, &tls, smallCount, ours, peer, results);
        for (const auto& r : results)
            std::printf("ratio %s: %.2f\n", r.name.c_str(), r.rates.ours / r.rates.peer);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "http_get: %s\n", e.what());
        return 1;
    }
    return 0;
}

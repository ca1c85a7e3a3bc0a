// Rates of the reference tender service for browse requests from 4 concurrent loopback
// clients: a keyword search and today's tenders, each next to a fixed reply of the same
// size from the same server, which is the ceiling. Each request opens its own connection,
// as the program does. The request log goes to /dev/null during the run.
//
// Usage: service [N]   (N requests per client and round, 1000 by default)
#include "server/CorpusGenerator.h"
#include "server/HttpFrontEnd.h"
#include "server/RequestHandler.h"
#include "server/TenderStore.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using qv::server::HttpFrontEnd;
using qv::server::RequestHandler;

constexpr int kClients = 4;
// The machine is shared: the best of a few rounds is the figure least disturbed by others.
constexpr int kRounds = 3;
const std::string kAccount = "&email=demo@quorvane.example&password=demo";
const std::vector<std::string> kKeywords = {"construction", "software", "cleaning", "medical",  "energy",
                                            "transport",    "catering", "security", "printing", "consulting"};
const std::vector<std::string> kCountries = {"EU", "AT", "BE", "DK", "FI", "FR", "DE", "GR", "IE",
                                             "IM", "IT", "LU", "MC", "NL", "PT", "ES", "SE", "GB"};

// One GET on a new connection; the body of the reply.
std::string Get(uint16_t port, const std::string& target) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::string reply;
    const std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
        char buffer[16384];
        for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
            reply.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    const size_t body = reply.find("\r\n\r\n");
    if (reply.compare(0, 12, "HTTP/1.1 200") != 0 || body == std::string::npos)
        throw std::runtime_error("no reply for " + target);
    return reply.substr(body + 4);
}

// Requests per second of kClients threads, each sending `perClient` requests; `target`
// gives the request for a client and sequence number.
double Rate(uint16_t port, int perClient, const std::function<std::string(int, int)>& target) {
    std::atomic<bool> failed{false};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c)
        clients.emplace_back([&, c] {
            try {
                for (int i = 0; i < perClient; ++i)
                    if (Get(port, target(c, i)).compare(0, 2, "ok") != 0) failed = true;
            } catch (const std::exception&) {
                failed = true;
            }
        });
    for (auto& client : clients)
        client.join();
    if (failed) throw std::runtime_error("a request failed");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return kClients * perClient / seconds;
}

std::string Browse(const std::string& keyword, const std::string& country, int page) {
    return "/app.php?action=browse" + kAccount + "&page=" + std::to_string(page) + "&keyword=" + keyword +
           "&filterby1='" + country + "'";
}

struct Workload {
    std::string name;
    std::function<std::string(int, int)> target;
    std::string fixedPath;
};

} // namespace

int main(int argc, char** argv) {
    const int perClient = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    char templ[] = "/tmp/qv-bench-service-XXXXXX";
    const std::string dir = ::mkdtemp(templ);
    int status = 0;
    try {
        const std::string path = dir + "/tenders.db";
        const auto seedStart = std::chrono::steady_clock::now();
        qv::server::TenderStore::CreateGenerated(path, qv::server::CorpusGenerator(1));
        std::printf("corpus of seed 1 built in %.2f s\n",
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - seedStart).count());

        RequestHandler handler(path);
        const std::vector<Workload> workloads = {
            {"search",
             [](int c, int i) {
                 return Browse(kKeywords[static_cast<size_t>(c * 3 + i) % kKeywords.size()], "EU", 1 + i % 3);
             },
             "/fixed-search"},
            {"today",
             [](int c, int i) { return Browse("", kCountries[static_cast<size_t>(c + i) % 3], 1 + i % 5); },
             "/fixed-today"},
        };
        HttpFrontEnd frontEnd(handler);
        for (const auto& workload : workloads)
            frontEnd.ServeFixed(workload.fixedPath,
                                handler.Handle({{"action", "browse"},
                                                {"email", "demo@quorvane.example"},
                                                {"password", "demo"},
                                                {"page", "1"},
                                                {"keyword", workload.name == "search" ? "construction" : ""},
                                                {"filterby1", "'EU'"}}));
        const auto port = static_cast<uint16_t>(frontEnd.Bind("127.0.0.1", 0));
        std::thread server([&] { frontEnd.Run(); });
        std::fflush(stderr);
        if (!std::freopen("/dev/null", "w", stderr))
            throw std::runtime_error("cannot silence the request log");

        // Every request of this series asks for a page no earlier request asked for.
        std::atomic<int> fresh{0};
        const double uncached = Rate(port, std::max(1, perClient / 10), [&](int, int) {
            const int n = fresh++;
            return Browse(kKeywords[static_cast<size_t>(n) % kKeywords.size()],
                          kCountries[static_cast<size_t>(n / 10) % 18], 1 + n / 180);
        });
        std::printf("search, every page asked for the first time: %.0f req/s\n", uncached);

        for (const auto& workload : workloads) {
            double best = 0;
            double ceiling = 0;
            for (int round = 0; round < kRounds; ++round) {
                best = std::max(best, Rate(port, perClient, workload.target));
                ceiling =
                    std::max(ceiling, Rate(port, perClient, [&](int, int) { return workload.fixedPath; }));
            }
            std::printf("%s: %.0f req/s, fixed reply of the same size: %.0f req/s\n", workload.name.c_str(),
                        best, ceiling);
            std::printf("ratio %s: %.2f\n", workload.name.c_str(), best / ceiling);
        }
        frontEnd.Stop();
        server.join();
    } catch (const std::exception& e) {
        std::printf("service: %s\n", e.what());
        status = 1;
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return status;
}

// Rates of the reference tender service for browse requests from 4 concurrent loopback
// clients: a keyword search and today's tenders, each next to a fixed reply of the same
// size from the same server, which is the ceiling. Each request opens its own connection,
// as the program does. The request log goes to /dev/null during the run.
//
// On PostgreSQL, first-time searches from two service processes on one database next to one
// process: `ratio two-processes`. Clients, services and the database share the machine's cores.
//
// Usage: service [N]   (N requests per client and round, 1000 by default)
#include "bench/ServiceClient.h"
#include "server/CorpusGenerator.h"
#include "server/RequestHandler.h"
#include "server/TenderBackend.h"
#include "server/TenderStore.h"
#include "server/frontend/HttpFrontEnd.h"
#include "tests/server/TestService.h"
#include "tests/support/ScopedTempFolder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using qv::bench::ServiceClient;
using qv::server::HttpFrontEnd;
using qv::server::RequestHandler;

constexpr int kClients = 4;
// The machine is shared: the best of a few rounds is the figure least disturbed by others.
constexpr int kRounds = 3;
const std::vector<std::string> kKeywords = {"construction", "software", "cleaning", "medical",  "energy",
                                            "transport",    "catering", "security", "printing", "consulting"};
const std::vector<std::string> kCountries = {"EU", "AT", "BE", "DK", "FI", "FR", "DE", "GR", "IE",
                                             "IM", "IT", "LU", "MC", "NL", "PT", "ES", "SE", "GB"};

struct Workload {
    std::string name;
    std::function<std::string(int, int)> target;
    std::string fixedPath;
};

// The n-th search of a series in which no page is asked for twice.
std::string FreshSearch(int n) {
    return ServiceClient::Browse(kKeywords[static_cast<size_t>(n) % kKeywords.size()],
                                 kCountries[static_cast<size_t>(n / 10) % 18], 1 + n / 180);
}

// First-time searches from `services` new processes on one PostgreSQL database, the clients
// spread over them.
double FreshSearchRate(const std::string& database, int services, int perClient) {
    std::vector<std::unique_ptr<qv::test::PeerProcess>> running;
    std::vector<uint16_t> ports;
    for (int i = 0; i < services; ++i) {
        running.push_back(qv::server::test::StartServiceOn(database));
        if (!running.back()->Started())
            throw std::runtime_error("the service did not start: " + running.back()->Log());
        ports.push_back(running.back()->Port());
        // The first login checks the password the slow way; it is not what this measures.
        ServiceClient::Get(ports.back(), ServiceClient::Browse("", "EU", 1));
    }
    return ServiceClient::Rate(ports, kClients, perClient,
                               [&](int c, int i) { return FreshSearch(i * kClients + c); });
}

void TwoProcesses(int perClient) {
    auto& server = qv::test::PostgresServer::Instance();
    if (!server.Running()) {
        std::printf("two-processes: no PostgreSQL server: %s\n", server.Reason().c_str());
        return;
    }
    const std::string database = server.CreateDatabase();
    qv::server::TenderBackend::For(database)->CreateGenerated(qv::server::CorpusGenerator(1));
    double one = 0;
    double two = 0;
    for (int round = 0; round < kRounds; ++round) {
        one = std::max(one, FreshSearchRate(database, 1, perClient));
        two = std::max(two, FreshSearchRate(database, 2, perClient));
    }
    std::printf(
        "PostgreSQL, search, every page asked for the first time: one service %.0f req/s, two services "
        "%.0f req/s\n",
        one, two);
    std::printf("ratio two-processes: %.2f\n", two / one);
}

} // namespace

int main(int argc, char** argv) {
    const int perClient = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const qv::test::ScopedTempFolder folder("qv-bench-service");
    const std::string& dir = folder.Path();
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
                 return ServiceClient::Browse(kKeywords[static_cast<size_t>(c * 3 + i) % kKeywords.size()],
                                              "EU", 1 + i % 3);
             },
             "/fixed-search"},
            {"today",
             [](int c, int i) {
                 return ServiceClient::Browse("", kCountries[static_cast<size_t>(c + i) % 3], 1 + i % 5);
             },
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
        const double uncached = ServiceClient::Rate(port, kClients, std::max(1, perClient / 10),
                                                    [&](int, int) { return FreshSearch(fresh++); });
        std::printf("search, every page asked for the first time: %.0f req/s\n", uncached);

        for (const auto& workload : workloads) {
            double best = 0;
            double ceiling = 0;
            for (int round = 0; round < kRounds; ++round) {
                best = std::max(best, ServiceClient::Rate(port, kClients, perClient, workload.target));
                ceiling = std::max(ceiling, ServiceClient::Rate(port, kClients, perClient, [&](int, int) {
                                       return workload.fixedPath;
                                   }));
            }
            std::printf("%s: %.0f req/s, fixed reply of the same size: %.0f req/s\n", workload.name.c_str(),
                        best, ceiling);
            std::printf("ratio %s: %.2f\n", workload.name.c_str(), best / ceiling);
        }
        frontEnd.Stop();
        server.join();
        TwoProcesses(std::max(1, perClient / 10));
    } catch (const std::exception& e) {
        std::printf("service: %s\n", e.what());
        status = 1;
    }
    return status;
}

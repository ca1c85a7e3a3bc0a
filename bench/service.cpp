// Rates of the reference tender service for browse requests from 4 concurrent loopback
// clients: a keyword search and today's tenders, each next to a fixed reply of the same
// size from the same server, which is the ceiling. Each request opens its own connection,
// as the program does. The request log goes to /dev/null during the run.
//
// Searches whose every page is asked for the first time run on a service of their own each
// round, so that no reply is in its cache yet: `ratio search-cold`, against the fixed reply of
// the search's size.
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
#include <atomic>
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

// A service on its own thread, with the fixed replies of the workloads, serving until destroyed.
class RunningService {
public:
    RunningService(const std::string& database, const std::vector<Workload>& workloads)
        : handler_(database), frontEnd_(handler_) {
        for (const auto& workload : workloads)
            frontEnd_.ServeFixed(
                workload.fixedPath,
                handler_.Handle({{"action", "browse"},
                                 {"email", "demo@quorvane.example"},
                                 {"password", "demo"},
                                 {"page", "1"},
                                 {"keyword", workload.name == "search" ? "construction" : ""},
                                 {"filterby1", "'EU'"}}));
        port_ = static_cast<uint16_t>(frontEnd_.Bind("127.0.0.1", 0));
        thread_ = std::thread([this] { frontEnd_.Run(); });
    }
    ~RunningService() {
        frontEnd_.Stop();
        thread_.join();
    }
    uint16_t Port() const { return port_; }

private:
    RequestHandler handler_;
    HttpFrontEnd frontEnd_;
    uint16_t port_ = 0;
    std::thread thread_;
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
        std::fflush(stderr);
        if (!std::freopen("/dev/null", "w", stderr))
            throw std::runtime_error("cannot silence the request log");

        double uncached = 0;
        double coldCeiling = 0;
        for (int round = 0; round < kRounds; ++round) {
            const RunningService fresh(path, workloads);
            // The first login checks the password the slow way; it is not what this measures.
            ServiceClient::Get(fresh.Port(), ServiceClient::Browse("", "EU", 1));
            // Every request of this series asks for a page no earlier request asked for.
            std::atomic<int> next{0};
            uncached =
                std::max(uncached, ServiceClient::Rate(fresh.Port(), kClients, std::max(1, perClient / 10),
                                                       [&](int, int) { return FreshSearch(next++); }));
            coldCeiling =
                std::max(coldCeiling, ServiceClient::Rate(fresh.Port(), kClients, perClient,
                                                          [](int, int) { return "/fixed-search"; }));
        }
        std::printf("search, every page asked for the first time: %.0f req/s, fixed reply of the same size: "
                    "%.0f req/s\n",
                    uncached, coldCeiling);
        std::printf("ratio search-cold: %.2f\n", uncached / coldCeiling);

        const RunningService service(path, workloads);
        for (const auto& workload : workloads) {
            double best = 0;
            double ceiling = 0;
            for (int round = 0; round < kRounds; ++round) {
                best =
                    std::max(best, ServiceClient::Rate(service.Port(), kClients, perClient, workload.target));
                ceiling =
                    std::max(ceiling, ServiceClient::Rate(service.Port(), kClients, perClient,
                                                          [&](int, int) { return workload.fixedPath; }));
            }
            std::printf("%s: %.0f req/s, fixed reply of the same size: %.0f req/s\n", workload.name.c_str(),
                        best, ceiling);
            std::printf("ratio %s: %.2f\n", workload.name.c_str(), best / ceiling);
        }
        TwoProcesses(std::max(1, perClient / 10));
    } catch (const std::exception& e) {
        std::printf("service: %s\n", e.what());
        status = 1;
    }
    return status;
}

// First-time keyword searches (every page asked for the first time, 4 loopback clients) on a
// corpus of 1,000,000 generated tenders next to the same requests on 20,000: the cost of a
// search should barely grow with the corpus. Also prints the size of the database per tender.
// Building the large database takes a minute or two. Then the same on PostgreSQL, on a server of
// the run's own (the test suite's), built anew each run: `ratio postgresql-scale` and, on the
// million, PostgreSQL's rate against SQLite's, `ratio postgresql-vs-sqlite`.
//
// Usage: scale [DIR]   (SQLite databases kept in DIR and reused when there; a temporary folder by default)
#include "bench/ServiceClient.h"
#include "server/CorpusGenerator.h"
#include "server/RequestHandler.h"
#include "server/TenderBackend.h"
#include "server/TenderStore.h"
#include "server/frontend/HttpFrontEnd.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/ScopedTempFolder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using qv::bench::ServiceClient;

constexpr int kClients = 4;
constexpr int kPerClient = 500;
// The machine is shared: the best of alternating rounds is the figure least disturbed by others.
constexpr int kRounds = 3;
constexpr int64_t kSmall = 20000;
constexpr int64_t kLarge = 1000000;

const std::vector<std::string> kKeywords = {
    "construction", "software", "cleaning",   "medical",  "energy",    "transport",   "catering",
    "security",     "printing", "consulting", "services", "supply",    "maintenance", "road",
    "school",       "water",    "waste",      "bridge",   "insurance", "audit"};
const std::vector<std::string> kCountries = {"EU", "AT", "BE", "DK", "FI", "FR", "DE", "GR", "IE",
                                             "IM", "IT", "LU", "MC", "NL", "PT", "ES", "SE", "GB"};

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Database(const std::string& dir, int64_t tenders) {
    const std::string path = dir + "/tenders-" + std::to_string(tenders) + ".db";
    if (!std::filesystem::exists(path)) {
        const auto start = std::chrono::steady_clock::now();
        qv::server::TenderStore::CreateGenerated(
            path, qv::server::CorpusGenerator(1, tenders), [](int64_t written) {
                std::fprintf(stderr, "  %lld tenders written\n", static_cast<long long>(written));
            });
        std::printf("database of %lld tenders built in %.1f s\n", static_cast<long long>(tenders),
                    SecondsSince(start));
    }
    std::printf("database of %lld tenders: %.0f bytes per tender\n", static_cast<long long>(tenders),
                static_cast<double>(std::filesystem::file_size(path)) / static_cast<double>(tenders));
    return path;
}

// One round on a service of its own, so that no reply is in its cache yet: every request of the
// round asks for a page no earlier request asked for.
double FirstTimeSearchRate(const std::string& database) {
    qv::server::RequestHandler handler(database);
    qv::server::HttpFrontEnd frontEnd(handler);
    const auto port = static_cast<uint16_t>(frontEnd.Bind("127.0.0.1", 0));
    std::thread server([&] { frontEnd.Run(); });
    // The first login checks the password the slow way; it is not what this measures.
    ServiceClient::Get(port, ServiceClient::Browse("", "EU", 1));
    const int keywords = static_cast<int>(kKeywords.size());
    const int countries = static_cast<int>(kCountries.size());
    const double rate = ServiceClient::Rate(port, kClients, kPerClient, [&](int client, int i) {
        const int n = i * kClients + client;
        return ServiceClient::Browse(kKeywords[static_cast<size_t>(n % keywords)],
                                     kCountries[static_cast<size_t>(n / keywords % countries)],
                                     1 + n / (keywords * countries));
    });
    frontEnd.Stop();
    server.join();
    return rate;
}

// The best rates of alternating rounds on the small and the large database, the first round of
// each warming the caches.
std::pair<double, double> BestRates(const std::string& small, const std::string& large) {
    FirstTimeSearchRate(small);
    FirstTimeSearchRate(large);
    double smallRate = 0;
    double largeRate = 0;
    for (int round = 0; round < kRounds; ++round) {
        smallRate = std::max(smallRate, FirstTimeSearchRate(small));
        largeRate = std::max(largeRate, FirstTimeSearchRate(large));
    }
    return {smallRate, largeRate};
}

std::string PostgresDatabase(int64_t tenders) {
    const std::string database = qv::test::PostgresServer::Instance().CreateDatabase();
    const auto start = std::chrono::steady_clock::now();
    qv::server::TenderBackend::For(database)->CreateGenerated(qv::server::CorpusGenerator(1, tenders));
    std::printf("PostgreSQL database of %lld tenders built in %.1f s\n", static_cast<long long>(tenders),
                SecondsSince(start));
    std::fflush(stdout);
    return database;
}

} // namespace

int main(int argc, char** argv) {
    // A folder given keeps its databases for the next run; without one they go at the end.
    std::optional<qv::test::ScopedTempFolder> scratch;
    if (argc <= 1) scratch.emplace("qv-bench-scale");
    const std::string dir = scratch ? scratch->Path() : argv[1];
    int status = 0;
    try {
        const std::string small = Database(dir, kSmall);
        const std::string large = Database(dir, kLarge);
        std::fflush(stdout);
        std::fflush(stderr);
        if (!std::freopen("/dev/null", "w", stderr))
            throw std::runtime_error("cannot silence the request log");
        const auto [smallRate, largeRate] = BestRates(small, large);
        std::printf("first-time search, %lld tenders: %.0f req/s\n", static_cast<long long>(kSmall),
                    smallRate);
        std::printf("first-time search, %lld tenders: %.0f req/s\n", static_cast<long long>(kLarge),
                    largeRate);
        std::printf("ratio scale: %.2f\n", largeRate / smallRate);
        std::fflush(stdout);

        const auto& postgres = qv::test::PostgresServer::Instance();
        if (!postgres.Running()) throw std::runtime_error("no PostgreSQL server: " + postgres.Reason());
        const auto [pgSmallRate, pgLargeRate] = BestRates(PostgresDatabase(kSmall), PostgresDatabase(kLarge));
        std::printf("PostgreSQL first-time search, %lld tenders: %.0f req/s\n",
                    static_cast<long long>(kSmall), pgSmallRate);
        std::printf("PostgreSQL first-time search, %lld tenders: %.0f req/s\n",
                    static_cast<long long>(kLarge), pgLargeRate);
        std::printf("ratio postgresql-scale: %.2f\n", pgLargeRate / pgSmallRate);
        std::printf("ratio postgresql-vs-sqlite: %.2f\n", pgLargeRate / largeRate);
    } catch (const std::exception& e) {
        std::printf("scale: %s\n", e.what());
        status = 1;
    }
    return status;
}

#include "server/HttpFrontEnd.h"
#include "server/RequestHandler.h"
#include "server/ServiceOptions.h"
#include "server/TenderDatabase.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <pthread.h>
#include <sys/stat.h>
#include <thread>

using namespace qv::server;

namespace {

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

int Serve(const ServiceOptions& options) {
    if (!FileExists(options.database)) {
        std::fprintf(stderr, "creating %s from seed %llu\n", options.database.c_str(),
                     static_cast<unsigned long long>(options.seed));
        const auto start = std::chrono::steady_clock::now();
        TenderDatabase::Create(options.database, options.seed);
        std::fprintf(stderr, "database ready in %.1f s\n",
                     std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    RequestHandler handler(options.database);
    HttpFrontEnd frontEnd(handler);
    const int port = frontEnd.Bind(options.bind, options.port);

    // The signals are taken by a thread of their own, where stopping the server is safe;
    // the server's threads inherit the blocked mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::thread waiter([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        frontEnd.Stop();
    });

    std::fprintf(stderr, "quorvane-service listening on http://%s:%d/app.php\n", options.bind.c_str(), port);
    frontEnd.Run();
    // Run also ends without a signal when listening fails; the waiter must not outlive it.
    pthread_kill(waiter.native_handle(), SIGTERM);
    waiter.join();
    std::fprintf(stderr, "quorvane-service stopped\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = ParseServiceOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "quorvane-service: %s\n%s", error.c_str(), kServiceUsage);
        return 2;
    }
    if (options->help) {
        std::fputs(kServiceUsage, stdout);
        return 0;
    }
    try {
        return Serve(*options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvane-service: %s\n", e.what());
        return 1;
    }
}

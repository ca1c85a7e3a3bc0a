#include "framework/CommandLine.h"
#include "server/CorpusGenerator.h"
#include "server/RequestHandler.h"
#include "server/ServiceOptions.h"
#include "server/TenderBackend.h"
#include "server/TerminalText.h"
#include "server/frontend/HttpFrontEnd.h"
#include "server/import/NoticeImporter.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <pthread.h>
#include <thread>

using namespace qv::server;

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Names and reasons may hold bytes from archives and documents.
void Report(const std::string& name, const std::string& reason) {
    std::fprintf(stderr, "quorvane-service: %s: %s\n", TerminalText(name).c_str(),
                 TerminalText(reason).c_str());
}

// Imports every path, one package at a time; the summary goes to standard output. Succeeds
// when anything was imported.
int Import(const ServiceOptions& options) {
    NoticeImporter importer(options.database, Report);
    bool failed = false;
    try {
        for (const auto& path : options.imports)
            for (const auto& package : NoticePackage::Find(path, Report))
                Report(package.Name(), importer.Import(package).Summary());
        importer.Finish();
    } catch (const EDatabaseError& e) {
        Report(TenderBackend::For(options.database)->Name(),
               std::string(e.what()) + "; the package in hand was left out");
        failed = true;
    }
    const ImportCounts& counts = importer.Counts();
    std::printf("%s\n", counts.Summary().c_str());
    return !failed && counts.imported + counts.replaced > 0 ? 0 : 1;
}

int Generate(const ServiceOptions& options) {
    const auto backend = TenderBackend::For(options.database);
    const auto exists = [&] {
        Report(backend->Name(), "exists already; --generate builds a new database");
        return 1;
    };
    if (backend->Inspect() != TenderDatabase::Kind::Missing) return exists();
    const auto start = std::chrono::steady_clock::now();
    const bool created =
        backend->CreateGenerated(CorpusGenerator(options.seed, options.generate), [&](int64_t written) {
            std::fprintf(stderr, "%lld of %lld tenders written\n", static_cast<long long>(written),
                         static_cast<long long>(options.generate));
        });
    if (!created) return exists();
    std::printf("%lld tenders generated into %s in %.1f s\n", static_cast<long long>(options.generate),
                backend->Name().c_str(), SecondsSince(start));
    return 0;
}

void CreateFromSeed(TenderBackend& backend, const ServiceOptions& options, const char* why) {
    std::fprintf(stderr, "%s %s from seed %llu\n", why, backend.Name().c_str(),
                 static_cast<unsigned long long>(options.seed));
    const auto start = std::chrono::steady_clock::now();
    // Another service on the same database may have made it meanwhile: then that one is served.
    if (backend.CreateGenerated(CorpusGenerator(options.seed)))
        std::fprintf(stderr, "database ready in %.1f s\n", SecondsSince(start));
}

int Serve(const ServiceOptions& options) {
    const auto backend = TenderBackend::For(options.database);
    switch (backend->Inspect()) {
    case TenderDatabase::Kind::Missing:
        CreateFromSeed(*backend, options, "creating");
        break;
    case TenderDatabase::Kind::Outdated:
        // An earlier version only ever generated its corpus: nothing is lost by generating it anew.
        CreateFromSeed(*backend, options, "rebuilding the earlier version's");
        break;
    case TenderDatabase::Kind::Generated:
    case TenderDatabase::Kind::Imported:
        break;
    }
    RequestHandler handler(options.database);
    FrontEndLimits limits;
    limits.maxConnectionsPerAddress = options.maxConnectionsPerAddress;
    HttpFrontEnd frontEnd(handler, limits);
    const bool secure = !options.tlsCertificate.empty();
    if (secure) frontEnd.ServeTls(options.tlsCertificate, options.tlsKey);
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

    // Scripts read the address the service can be reached at from this line.
    const bool ipv6 = options.bind.find(':') != std::string::npos;
    std::fprintf(stderr, "quorvane-service listening on %s://%s%s%s:%d/app.php\n", secure ? "https" : "http",
                 ipv6 ? "[" : "", options.bind.c_str(), ipv6 ? "]" : "", port);
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
    if (!options) return qv::framework::RefuseCommandLine("quorvane-service", error, kServiceUsage);
    if (const auto answered = qv::framework::AnswerHelpOrVersion(options->help, options->version,
                                                                 "quorvane-service", kServiceUsage))
        return *answered;
    try {
        if (!options->imports.empty()) return Import(*options);
        if (options->generate) return Generate(*options);
        return Serve(*options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvane-service: %s\n", e.what());
        return 1;
    }
}

// Import rate of generated eForms notices (parsing, mapping, storing and indexing, the merge
// of the index included) next to `xmllint --noout --stream`, which only parses, over the same
// files. Prints `ratio import: R`, xmllint's time divided by ours; and `ratio import-parse: R`
// for our notice reader alone on the same files (read from disk, checked, parsed and mapped to
// notices), without the database.
//
// Usage: import [N]   (N notices, 5000 by default)
#include "bench/NoticeXmlWriter.h"
#include "server/import/NoticeImporter.h"
#include "tests/support/ScopedTempFolder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The machine is shared: the best of alternating rounds is the figure least disturbed by others.
constexpr int kRounds = 3;

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double OurSeconds(const std::string& folder, const std::string& database) {
    fs::remove(database);
    qv::server::NoticeImporter importer(database, [](const std::string& name, const std::string& reason) {
        throw std::runtime_error(name + ": " + reason);
    });
    const auto start = std::chrono::steady_clock::now();
    for (const auto& package : qv::server::NoticePackage::Find(folder, [](const auto&, const auto&) {}))
        importer.Import(package);
    importer.Finish();
    const double seconds = SecondsSince(start);
    if (importer.Counts().skipped != 0) throw std::runtime_error("notices were skipped");
    return seconds;
}

double ParseSeconds(const std::string& folder) {
    qv::server::EformsNoticeReader reader;
    size_t identifiers = 0;
    const auto start = std::chrono::steady_clock::now();
    for (const auto& package : qv::server::NoticePackage::Find(folder, [](const auto&, const auto&) {}))
        package.Read([&](const std::string&,
                         const std::string& bytes) { identifiers += !reader.Read(bytes).identifier.empty(); },
                     [](const std::string& name, const std::string& reason) {
                         throw std::runtime_error(name + ": " + reason);
                     });
    const double seconds = SecondsSince(start);
    if (identifiers == 0) throw std::runtime_error("no notice was read");
    return seconds;
}

double XmllintSeconds(const std::vector<std::string>& files) {
    std::vector<std::string> arguments = {"xmllint", "--noout", "--stream"};
    arguments.insert(arguments.end(), files.begin(), files.end());
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xmllint", nullptr, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("xmllint is missing (libxml2-utils)");
    int status = 0;
    waitpid(pid, &status, 0);
    const double seconds = SecondsSince(start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("xmllint refused the notices");
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;
    const qv::test::ScopedTempFolder scratch("qv-bench-import");
    const std::string& dir = scratch.Path();
    int status = 0;
    try {
        const std::string folder = dir + "/notices";
        fs::create_directory(folder);
        qv::bench::NoticeXmlWriter writer(1);
        std::vector<std::string> files;
        uintmax_t bytes = 0;
        for (int i = 0; i < count; ++i) {
            files.push_back(folder + "/" + std::to_string(100000 + i) + ".xml");
            const std::string notice = writer.Write(i);
            std::ofstream(files.back(), std::ios::binary) << notice;
            bytes += notice.size();
        }
        std::printf("%d notices of %.1f KB on average\n", count, static_cast<double>(bytes) / count / 1024);
        double ours = 1e9;
        double parse = 1e9;
        double xmllint = 1e9;
        for (int round = 0; round < kRounds; ++round) {
            ours = std::min(ours, OurSeconds(folder, dir + "/tenders.db"));
            xmllint = std::min(xmllint, XmllintSeconds(files));
            parse = std::min(parse, ParseSeconds(folder));
        }
        std::printf("import: %.0f notices/s (%.1f MB/s)\n", count / ours,
                    static_cast<double>(bytes) / ours / 1e6);
        std::printf("xmllint --noout --stream: %.0f notices/s (%.1f MB/s)\n", count / xmllint,
                    static_cast<double>(bytes) / xmllint / 1e6);
        std::printf("ratio import: %.2f\n", xmllint / ours);
        std::printf("notice reader alone: %.0f notices/s (%.1f MB/s)\n", count / parse,
                    static_cast<double>(bytes) / parse / 1e6);
        std::printf("ratio import-parse: %.2f\n", xmllint / parse);
    } catch (const std::exception& e) {
        std::printf("import: %s\n", e.what());
        status = 1;
    }
    return status;
}

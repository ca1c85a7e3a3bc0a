#include "tests/server/TestService.h"

#include "server/TenderDatabase.h"

#include <cstdlib>
#include <filesystem>

namespace qv::test {

namespace {

struct TemporaryDatabase {
    TemporaryDatabase() {
        char templ[] = "/tmp/qv-service-XXXXXX";
        dir = ::mkdtemp(templ);
        path = dir + "/tenders.db";
        server::TenderDatabase::Create(path, 1);
    }
    ~TemporaryDatabase() {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    std::string dir;
    std::string path;
};

} // namespace

const std::string& ServiceDatabasePath() {
    static const TemporaryDatabase database;
    return database.path;
}

std::unique_ptr<PeerProcess> StartService() {
    // The peer writes the free port into its configuration file; the shell hands it on.
    return std::make_unique<PeerProcess>(
        "/bin/sh",
        std::vector<std::string>{"-c", std::string("exec ") + QV_SERVICE_PATH +
                                           " --port \"$(cat {CONFIG})\" --db " + ServiceDatabasePath()},
        "{PORT}");
}

} // namespace qv::test

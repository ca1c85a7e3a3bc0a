#include "tests/server/ServiceDatabase.h"

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

} // namespace qv::test

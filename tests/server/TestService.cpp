#include "tests/server/TestService.h"

#include "server/CorpusGenerator.h"
#include "server/TenderStore.h"

#include <cstdlib>
#include <filesystem>

namespace qv::server::test {

namespace {

struct TemporaryDatabase {
    TemporaryDatabase() {
        char templ[] = "/tmp/qv-service-XXXXXX";
        dir = ::mkdtemp(templ);
        path = dir + "/tenders.db";
        TenderStore::CreateGenerated(path, CorpusGenerator(1));
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

} // namespace qv::server::test

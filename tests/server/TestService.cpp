#include "tests/server/TestService.h"

#include "server/CorpusGenerator.h"
#include "server/TenderBackend.h"
#include "server/TenderStore.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/ScopedTempFolder.h"

namespace qv::server::test {

namespace {

struct TemporaryDatabase {
    TemporaryDatabase() : folder("qv-service"), path(folder / "tenders.db") {
        TenderStore::CreateGenerated(path, CorpusGenerator(1));
    }
    qv::test::ScopedTempFolder folder;
    std::string path;
};

} // namespace

std::string KindName(DatabaseKind kind) {
    return kind == DatabaseKind::Sqlite ? "SQLite" : "PostgreSQL";
}

const std::string& ServiceDatabasePath() {
    static const TemporaryDatabase database;
    return database.path;
}

const std::string& ServiceDatabase(DatabaseKind kind) {
    if (kind == DatabaseKind::Sqlite) return ServiceDatabasePath();
    static const std::string database = [] {
        std::string conninfo = qv::test::PostgresServer::Instance().CreateDatabase();
        TenderBackend::For(conninfo)->CreateGenerated(CorpusGenerator(1));
        return conninfo;
    }();
    return database;
}

std::string NewDatabase(DatabaseKind kind, const std::string& folder) {
    return kind == DatabaseKind::Sqlite ? folder + "/tenders.db"
                                        : qv::test::PostgresServer::Instance().CreateDatabase();
}

} // namespace qv::server::test

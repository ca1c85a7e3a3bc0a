#pragma once

#include "tests/support/PeerProcess.h"
#include "tests/support/PostgresServer.h"

#include <memory>
#include <string>

namespace qv::server::test {

// The kinds of database the service runs on; tests of what both must do run on each.
enum class DatabaseKind { Sqlite, Postgres };
std::string KindName(DatabaseKind kind);

// One database built from seed 1 for the whole test program, removed at exit.
const std::string& ServiceDatabasePath();
// The same corpus in a database of the kind, as --db names it; PostgreSQL's on the test
// program's own server (call QV_REQUIRE_POSTGRES first).
const std::string& ServiceDatabase(DatabaseKind kind);
// A new, empty database of the kind in `folder` (SQLite) or on the test server.
std::string NewDatabase(DatabaseKind kind, const std::string& folder);

// quorvane-service on a database at 127.0.0.1 and a free port (not in the sanitizer build).
std::unique_ptr<qv::test::PeerProcess> StartService(const std::string& database);
std::unique_ptr<qv::test::PeerProcess> StartService();

} // namespace qv::server::test

// Runs a parameterised suite on both kinds of database, named after them.
#define QV_ON_EVERY_DATABASE(Suite)                                                                          \
    INSTANTIATE_TEST_SUITE_P(Databases, Suite,                                                               \
                             ::testing::Values(::qv::server::test::DatabaseKind::Sqlite,                     \
                                               ::qv::server::test::DatabaseKind::Postgres),                  \
                             [](const auto& test) { return ::qv::server::test::KindName(test.param); })

// Skips the test, with the reason, on PostgreSQL where no server can run here.
#define QV_REQUIRE_DATABASE(kind)                                                                            \
    do {                                                                                                     \
        if ((kind) == ::qv::server::test::DatabaseKind::Postgres) QV_REQUIRE_POSTGRES();                     \
    } while (false)

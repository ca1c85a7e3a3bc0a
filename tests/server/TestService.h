#pragma once

#include "tests/support/PeerProcess.h"
#include "tests/support/PostgresServer.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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

// quorvane-service at 127.0.0.1 and a free port, on the database of seed 1 or on `database`, with
// `options` besides (not in the sanitizer build).
std::unique_ptr<qv::test::PeerProcess> StartService(const std::vector<std::string>& options = {});
std::unique_ptr<qv::test::PeerProcess> StartServiceOn(const std::string& database,
                                                      const std::vector<std::string>& options = {});

// The body of a GET of `target` from the service over HTTPS through libcurl, which checks the
// certificate against `caFile`; `tlsVersion` (CURL_SSLVERSION_TLSv1_2 or _TLSv1_3) is then the
// only version it offers. Nothing, with `error` set, when the exchange failed or took longer
// than `limit`.
std::optional<std::string> GetOverTls(uint16_t port, const std::string& target, const std::string& caFile,
                                      long tlsVersion, std::chrono::milliseconds limit, std::string& error);

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

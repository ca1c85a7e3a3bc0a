#pragma once

#include "tests/support/ScopedTempFolder.h"

#include <optional>
#include <string>
#include <vector>

namespace qv::test {

// A PostgreSQL server of its own for a test program, from Debian's postgresql package: a new
// cluster in a private temporary folder, reached through a Unix socket there only, run as the
// postgres user when the tests run as root (the server refuses root). Started on first use,
// stopped and removed at exit.
class PostgresServer {
public:
    // The one server of the program; started on the first call.
    static PostgresServer& Instance();

    // A server on the cluster in `folder`, made there when missing and kept when the server
    // stops, so that a benchmark finds what it built in an earlier run. A cluster that does
    // not start (it runs without fsync, so a crash of the machine may damage it) is made anew.
    explicit PostgresServer(const std::string& keptFolder);

    // False, with the reason, when the package is missing or the server did not start.
    bool Running() const { return reason_.empty(); }
    const std::string& Reason() const { return reason_; }

    // Makes a new, empty database and gives its libpq connection string; raises
    // std::runtime_error when the server refuses.
    std::string CreateDatabase();
    // The libpq connection string of the database `name`, made or not.
    std::string ConnectionString(const std::string& name) const;

    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

private:
    PostgresServer();
    // Makes the cluster in dir_ when `fresh`, and starts it; sets reason_ on failure.
    void Start(bool fresh);
    // Runs a program of the server's, as the postgres user when we are root; gives what went
    // wrong, or nothing.
    std::string Run(const std::string& program, const std::vector<std::string>& arguments);

    std::string bindir_;
    // The private temporary folder of the cluster, when it is not one kept between runs.
    std::optional<ScopedTempFolder> folder_;
    std::string dir_;
    std::string reason_;
    bool started_ = false;
    int databases_ = 0;
};

} // namespace qv::test

// Skips the test, saying why, where no PostgreSQL server can run here.
#define QV_REQUIRE_POSTGRES()                                                                                \
    do {                                                                                                     \
        if (!::qv::test::PostgresServer::Instance().Running())                                               \
            GTEST_SKIP() << "no PostgreSQL server: " << ::qv::test::PostgresServer::Instance().Reason();     \
    } while (false)

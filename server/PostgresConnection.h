#pragma once

#include "server/DatabaseError.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct pg_conn;
struct pg_result;

namespace qv::server {

QV_EXCEPTION_CLASS(EPostgresError, EDatabaseError);

// The rows a statement gave, as text.
class PostgresResult {
public:
    explicit PostgresResult(pg_result* result);

    int Rows() const;
    bool IsNull(int row, int column) const;
    std::string Text(int row, int column) const;
    // Raises EPostgresError for a value that is no integer.
    int64_t Int(int row, int column) const;

private:
    std::unique_ptr<pg_result, void (*)(pg_result*)> result_;
};

// One connection to a PostgreSQL server, opened from a libpq connection string (a
// postgresql:// URI or "key=value" pairs), talking UTF-8. Every failure raises EPostgresError
// with the server's message.
class PostgresConnection {
public:
    explicit PostgresConnection(const std::string& conninfo);
    ~PostgresConnection();
    PostgresConnection(const PostgresConnection&) = delete;
    PostgresConnection& operator=(const PostgresConnection&) = delete;

    // True for a connection string rather than a file name: a postgresql:// or postgres:// URI,
    // "key=value" pairs that libpq reads, or text that begins with one of libpq's keywords and an
    // '=', so that libpq names the mistake in it.
    static bool IsConnectionString(const std::string& text);

    // Runs SQL without parameters, one statement or several.
    void Execute(const std::string& sql);
    // Runs one statement with text parameters ($1, $2, ...).
    PostgresResult Query(const std::string& sql, const std::vector<std::string>& parameters = {});
    // Prepares a statement once for the life of the connection, then runs it by name.
    void Prepare(const std::string& name, const std::string& sql);
    PostgresResult Run(const std::string& name, const std::vector<std::string>& parameters);
    // COPY ... FROM STDIN with `rows` in COPY's text format.
    void Copy(const std::string& sql, const std::string& rows);
    // Starts hearing NOTIFY on `channel`.
    void Listen(const std::string& channel);
    // True when a notification came since the last call; reads what the server sent, never waits.
    bool Notified();

private:
    PostgresResult Checked(pg_result* result);
    [[noreturn]] void Fail(const std::string& what) const;

    std::unique_ptr<pg_conn, void (*)(pg_conn*)> connection_;
};

// `text` as one field of COPY's text format: backslash, tab and line breaks escaped.
std::string CopyField(const std::string& text);

} // namespace qv::server

#pragma once

#include "server/DatabaseError.h"

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace qv::server {

QV_EXCEPTION_CLASS(ESqliteError, EDatabaseError);

// A prepared statement, kept for the life of its connection and reset after each use.
class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, const char* sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Indexes count from 1, as in the SQL text.
    SqliteStatement& Bind(int index, int64_t value);
    SqliteStatement& Bind(int index, const std::string& value);
    // Binds text without copying it: it must stay as it is until Reset.
    SqliteStatement& BindView(int index, std::string_view value);
    // True while a result row is ready; false once the statement is done.
    bool Step();
    // Clears the bindings too, so that a value never leaks into the next use.
    void Reset();
    int64_t Int(int column) const;
    std::string Text(int column) const;

    // Runs SQL without results; raises ESqliteError on failure.
    static void Execute(sqlite3* db, const char* sql);

private:
    void Check(int code) const;

    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

} // namespace qv::server

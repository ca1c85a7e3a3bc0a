#include "server/SqliteStatement.h"

#include <sqlite3.h>

namespace qv::server {

SqliteStatement::SqliteStatement(sqlite3* db, const char* sql) : db_(db) {
    Check(sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement_, nullptr));
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(statement_);
}

void SqliteStatement::Check(int code) const {
    if (code != SQLITE_OK) throw ESqliteError(sqlite3_errmsg(db_));
}

SqliteStatement& SqliteStatement::Bind(int index, int64_t value) {
    Check(sqlite3_bind_int64(statement_, index, value));
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, const std::string& value) {
    Check(
        sqlite3_bind_text(statement_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT));
    return *this;
}

SqliteStatement& SqliteStatement::BindView(int index, std::string_view value) {
    Check(sqlite3_bind_text(statement_, index, value.data(), static_cast<int>(value.size()), SQLITE_STATIC));
    return *this;
}

bool SqliteStatement::Step() {
    const int code = sqlite3_step(statement_);
    if (code == SQLITE_ROW) return true;
    if (code == SQLITE_DONE) return false;
    const std::string message = sqlite3_errmsg(db_);
    sqlite3_reset(statement_);
    throw ESqliteError(message);
}

void SqliteStatement::Reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

int64_t SqliteStatement::Int(int column) const {
    return sqlite3_column_int64(statement_, column);
}

std::string SqliteStatement::Text(int column) const {
    const auto* text = sqlite3_column_text(statement_, column);
    return text ? std::string(reinterpret_cast<const char*>(text),
                              static_cast<size_t>(sqlite3_column_bytes(statement_, column)))
                : std::string();
}

void SqliteStatement::Execute(sqlite3* db, const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "SQL failed";
        sqlite3_free(error);
        throw ESqliteError(message);
    }
}

} // namespace qv::server

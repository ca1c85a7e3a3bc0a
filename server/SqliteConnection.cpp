#include "server/SqliteConnection.h"

#include "server/SqliteStatement.h"

#include <sqlite3.h>

namespace qv::server {

SqliteConnection OpenSqlite(const std::string& path, int flags) {
    sqlite3* raw = nullptr;
    const int code = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    SqliteConnection db(raw, sqlite3_close);
    if (code != SQLITE_OK)
        throw ESqliteError(path + ": " + (raw ? sqlite3_errmsg(raw) : "cannot open the database"));
    // A writer that holds the database for an import makes readers wait a little, not fail at once.
    sqlite3_busy_timeout(raw, 5000);
    return db;
}

fts5_api* Fts5Api(sqlite3* db) {
    fts5_api* api = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &statement, nullptr) == SQLITE_OK) {
        sqlite3_bind_pointer(statement, 1, &api, "fts5_api_ptr", nullptr);
        sqlite3_step(statement);
    }
    sqlite3_finalize(statement);
    if (!api) throw ESqliteError("the full-text module of SQLite is missing");
    return api;
}

} // namespace qv::server

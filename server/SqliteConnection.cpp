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

} // namespace qv::server

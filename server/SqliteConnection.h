#pragma once

#include <memory>
#include <string>

struct fts5_api;
struct sqlite3;

namespace qv::server {

using SqliteConnection = std::unique_ptr<sqlite3, int (*)(sqlite3*)>;

// Opens a connection with the sqlite3_open_v2 flags; raises ESqliteError naming the path.
SqliteConnection OpenSqlite(const std::string& path, int flags);
// The connection's full-text module, where its tokenizers live; raises ESqliteError without one.
fts5_api* Fts5Api(sqlite3* db);

} // namespace qv::server

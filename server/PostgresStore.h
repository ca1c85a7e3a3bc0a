#pragma once

#include "server/PostgresConnection.h"
#include "server/TenderDatabase.h"
#include "server/TenderWriter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qv::server {

class CorpusGenerator;

// The service's tables in a PostgreSQL database: made on first use, in one transaction that
// other services wait for, and told apart by the meta values, as in a SQLite file.
class PostgresStore {
public:
    // The meta value "format" of the databases this version writes.
    static constexpr const char* kFormat = "pg2";

    // Missing for a database without the service's tables; raises EPostgresError for one made by
    // another version or by something else.
    static TenderDatabase::Kind Inspect(PostgresConnection& db);
    // Fills an empty database with the generator's corpus; `progress` hears the number of tenders
    // written now and then. False, with nothing done, when the database has the tables already.
    static bool CreateGenerated(const std::string& conninfo, const CorpusGenerator& generator,
                                const std::function<void(int64_t)>& progress);
    // A writer for imports, the tables made first when missing. Raises EPostgresError for a
    // database of generated tenders.
    static std::unique_ptr<TenderWriter> OpenWriter(const std::string& conninfo);
};

} // namespace qv::server

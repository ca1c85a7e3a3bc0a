#pragma once

#include "server/TenderDatabase.h"
#include "server/TenderWriter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qv::server {

class CorpusGenerator;

// The database that --db names, chosen once: a PostgreSQL database for a libpq connection
// string (a postgresql:// URI or "key=value" pairs), a SQLite file for anything else.
class TenderBackend {
public:
    static std::unique_ptr<TenderBackend> For(const std::string& database);
    virtual ~TenderBackend() = default;

    // How messages name the database: never with a password.
    virtual std::string Name() const = 0;
    // Raises EDatabaseError, naming the database, for one that is not of this service.
    virtual TenderDatabase::Kind Inspect() = 0;
    // A connection that reads a database of the current kind.
    virtual std::unique_ptr<TenderDatabase> OpenReader() = 0;
    // Builds a new database of the generator's corpus, in place of a missing or outdated one; the
    // database shows nothing until it is complete. False when another process made it meanwhile.
    virtual bool CreateGenerated(const CorpusGenerator& generator,
                                 const std::function<void(int64_t)>& progress = {}) = 0;
    // A connection for imports, the database created first when missing. Raises EDatabaseError for
    // a database of generated tenders.
    virtual std::unique_ptr<TenderWriter> OpenWriter() = 0;
};

} // namespace qv::server

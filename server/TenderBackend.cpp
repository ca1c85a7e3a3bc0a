#include "server/TenderBackend.h"

#include "server/PostgresConnection.h"
#include "server/PostgresStore.h"
#include "server/PostgresTenderDatabase.h"
#include "server/SqliteTenderDatabase.h"
#include "server/SqliteTenderWriter.h"
#include "server/TenderStore.h"

#include <libpq-fe.h>

namespace qv::server {

namespace {

class SqliteBackend : public TenderBackend {
public:
    explicit SqliteBackend(std::string path) : path_(std::move(path)) {}

    std::string Name() const override { return path_; }
    TenderDatabase::Kind Inspect() override { return SqliteTenderDatabase::Inspect(path_); }
    std::unique_ptr<TenderDatabase> OpenReader() override {
        return std::make_unique<SqliteTenderDatabase>(path_);
    }
    bool CreateGenerated(const CorpusGenerator& generator,
                         const std::function<void(int64_t)>& progress) override {
        TenderStore::CreateGenerated(path_, generator, progress);
        return true;
    }
    std::unique_ptr<TenderWriter> OpenWriter() override {
        return std::make_unique<SqliteTenderWriter>(path_);
    }

private:
    std::string path_;
};

// Failures name the database as the service's messages do for a file.
class PostgresBackend : public TenderBackend {
public:
    explicit PostgresBackend(std::string conninfo) : conninfo_(std::move(conninfo)) {}

    std::string Name() const override {
        std::string dbname;
        std::string host;
        if (PQconninfoOption* options = PQconninfoParse(conninfo_.c_str(), nullptr)) {
            for (const PQconninfoOption* option = options; option->keyword; ++option) {
                if (!option->val) continue;
                if (std::string_view(option->keyword) == "dbname") dbname = option->val;
                if (std::string_view(option->keyword) == "host") host = option->val;
            }
            PQconninfoFree(options);
        }
        return "PostgreSQL database " + dbname + (host.empty() ? "" : " on " + host);
    }
    TenderDatabase::Kind Inspect() override {
        return Named([&] {
            PostgresConnection db(conninfo_);
            return PostgresStore::Inspect(db);
        });
    }
    std::unique_ptr<TenderDatabase> OpenReader() override {
        return Named([&]() -> std::unique_ptr<TenderDatabase> {
            return std::make_unique<PostgresTenderDatabase>(conninfo_);
        });
    }
    bool CreateGenerated(const CorpusGenerator& generator,
                         const std::function<void(int64_t)>& progress) override {
        return Named([&] { return PostgresStore::CreateGenerated(conninfo_, generator, progress); });
    }
    std::unique_ptr<TenderWriter> OpenWriter() override {
        return Named([&] { return PostgresStore::OpenWriter(conninfo_); });
    }

private:
    template <typename F>
    auto Named(F&& run) const -> decltype(run()) {
        try {
            return run();
        } catch (const EPostgresError& e) {
            throw EPostgresError(Name() + ": " + e.Message());
        }
    }

    std::string conninfo_;
};

} // namespace

std::unique_ptr<TenderBackend> TenderBackend::For(const std::string& database) {
    if (PostgresConnection::IsConnectionString(database)) return std::make_unique<PostgresBackend>(database);
    return std::make_unique<SqliteBackend>(database);
}

} // namespace qv::server

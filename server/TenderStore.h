#pragma once

#include "server/IndexWordTap.h"
#include "server/SqliteStatement.h"
#include "server/Tender.h"
#include "server/TermCounter.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct sqlite3;

namespace qv::server {

class CorpusGenerator;

// Writes tenders: their rows, their full texts, the full-text index and the word counts, kept
// in step with each other. Works inside the caller's transaction. The index takes its rows in
// batches sorted by id: it writes rows in rising order in one go, but each row that comes
// lower than the one before makes it write out everything it holds first.
class TenderStore {
public:
    enum class Dates { Relative, Absolute };

    // The meta value "format" of the databases this store writes; others are from an
    // earlier version of the service.
    static constexpr const char* kFormat = "2";
    static constexpr int64_t kProgressStep = 100000;

    // Tables, meta values and the demo accounts of a new database. Generated corpora count
    // their days from the current day, imported notices keep calendar days.
    static void CreateTables(sqlite3* db, Dates dates);
    // Builds a new database at `path` through `fill`; the file appears only when it is
    // complete, so that an interrupted build leaves nothing half-filled behind.
    static void CreateFile(const std::string& path, Dates dates, const std::function<void(sqlite3*)>& fill);
    // A database of the generator's corpus; `progress` hears the number of tenders written
    // after every kProgressStep of them.
    static void CreateGenerated(const std::string& path, const CorpusGenerator& generator,
                                const std::function<void(int64_t)>& progress = {});

    explicit TenderStore(sqlite3* db);

    void Insert(const Tender& tender);
    // Puts `tender` in place of the stored tender with its id.
    void Replace(const Tender& tender);
    // Writes what is gathered for the index and the word counts; call before the transaction commits.
    void Flush();
    // Forgets what is gathered; call when the transaction was rolled back.
    void Discard();

private:
    // A row for the index to take (change 1) or to give up (-1), in the form the index reads.
    struct Indexing {
        int64_t id;
        int change;
        std::string text;
        std::string country;
    };
    static constexpr size_t kMaxPendingRows = 4096;
    static constexpr size_t kMaxPendingBytes = 32 * 1024 * 1024;
    // Changes to the word counts written by one statement: each statement costs about as much
    // as the rows it writes.
    static constexpr size_t kTermBatch = 32;

    struct TermChange {
        std::string word;
        std::string country;
        int64_t change;
    };

    // Writes the tender's row and text with the two statements (insert or update, parameters
    // in the same order) and hands it to the index.
    void WriteRows(SqliteStatement& row, SqliteStatement& text, const Tender& tender);
    void Index(const Tender& tender, int change);
    void WriteIndex();
    // Writes the gathered changes to the word counts: a full batch in one statement, and what is
    // left at a flush one by one.
    void WriteTermBatch();
    void WriteTermsLeft();

    // Before the statements, which open the index: the word counts hear the index's words.
    IndexWordTap& wordTap_;
    SqliteStatement insertTender_;
    SqliteStatement insertText_;
    SqliteStatement updateTender_;
    SqliteStatement updateText_;
    SqliteStatement findTender_;
    SqliteStatement index_;
    SqliteStatement unindex_;
    SqliteStatement addTerm_;
    SqliteStatement addTerms_;
    TermCounter terms_;
    std::vector<TermChange> termChanges_;
    std::vector<Indexing> pending_;
    size_t pendingBytes_ = 0;
};

} // namespace qv::server

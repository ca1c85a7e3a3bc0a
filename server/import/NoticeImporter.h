#pragma once

#include "server/SqliteConnection.h"
#include "server/SqliteStatement.h"
#include "server/import/EformsNoticeReader.h"
#include "server/import/NoticePackage.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace qv::server {

class TenderStore;

struct ImportCounts {
    int64_t read = 0;
    int64_t imported = 0;
    int64_t replaced = 0;
    // Notices that could not be read, and notices the database already holds in the same or a newer version.
    int64_t skipped = 0;

    ImportCounts& operator+=(const ImportCounts& other);
    // "12 notices read, 10 imported, 1 replaced, 1 skipped"; "1 notice read, ..." for one.
    std::string Summary() const;
};

// Imports eForms notices into a database of imported notices, one package in one transaction.
// A notice is known by its identifier: importing it again changes nothing, a newer version
// takes the place of the older one, and a change notice takes the place of the notice it
// changes. Tender ids grow with the issue day, so that listings newest first stay cheap.
class NoticeImporter {
public:
    // Notices of one issue day: the low bits of a tender id.
    static constexpr int kDayBits = 20;

    // Opens the database at `path`, creating it with the demo accounts when it is missing.
    // Raises ESqliteError for a database of generated tenders or of an earlier version.
    NoticeImporter(const std::string& path, NoticePackage::ProblemSink problems);
    ~NoticeImporter();

    // Imports the package in one transaction and gives its counts. A notice that cannot be read
    // goes to the problem sink and is skipped. Raises ESqliteError when the database fails;
    // nothing of the package is then kept.
    ImportCounts Import(const NoticePackage& package);
    // Merges the search index into one piece once the packages are in, when they brought at
    // least a tenth of the tenders: a merge rewrites the whole index, so smaller imports leave
    // it to the merging the index does as it is written. An interrupted merge changes nothing.
    void Finish();
    // Every package imported so far.
    const ImportCounts& Counts() const { return counts_; }

private:
    struct Known {
        int64_t tender;
        int version;
    };

    void ImportNotice(const std::string& name, const std::string& bytes, ImportCounts& counts);
    std::optional<Known> Find(const std::string& identifier);
    void Remember(const std::string& identifier, int64_t tender, int version);
    int TenderDay(int64_t tender);
    // Nothing when the day has no id left.
    std::optional<int64_t> NewTenderId(int day);

    NoticePackage::ProblemSink problems_;
    SqliteConnection db_;
    std::unique_ptr<TenderStore> store_;
    SqliteStatement find_;
    SqliteStatement remember_;
    SqliteStatement tenderDay_;
    SqliteStatement lastId_;
    // The last id given out for an issue day in the package in hand.
    std::unordered_map<int, int64_t> lastIds_;
    EformsNoticeReader reader_;
    ImportCounts counts_;
};

} // namespace qv::server

#pragma once

#include "server/TenderWriter.h"
#include "server/import/EformsNoticeReader.h"
#include "server/import/NoticePackage.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace qv::server {

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

    // Opens the database that `database` names (see TenderBackend), creating it with the demo
    // accounts when it is missing. Raises EDatabaseError for a database of generated tenders or
    // of an earlier version.
    NoticeImporter(const std::string& database, NoticePackage::ProblemSink problems);
    ~NoticeImporter();

    // Imports the package in one transaction and gives its counts. A notice that cannot be read
    // goes to the problem sink and is skipped. Raises EDatabaseError when the database fails;
    // nothing of the package is then kept.
    ImportCounts Import(const NoticePackage& package);
    // Merges the search index into one piece once the packages are in, when they brought at
    // least a tenth of the tenders: a merge rewrites the whole index, so smaller imports leave
    // it to the merging the index does as it is written. An interrupted merge changes nothing.
    void Finish();
    // Every package imported so far.
    const ImportCounts& Counts() const { return counts_; }

private:
    void ImportNotice(const std::string& name, const std::string& bytes, ImportCounts& counts);
    // Writes the notice's tender: new, in place of an older version, or not at all; gives the
    // reason to skip it, or nothing. Raises EUnindexableTender, with nothing written, for a tender
    // the database cannot index.
    std::string Store(const EformsNotice& notice, Tender& tender, ImportCounts& counts);
    // Nothing when the day has no id left.
    std::optional<int64_t> NewTenderId(int day);

    NoticePackage::ProblemSink problems_;
    std::unique_ptr<TenderWriter> writer_;
    // The last id given out for an issue day in the package in hand.
    std::unordered_map<int, int64_t> lastIds_;
    EformsNoticeReader reader_;
    ImportCounts counts_;
};

} // namespace qv::server

#include "server/import/NoticeImporter.h"

#include "framework/Format.h"
#include "server/TenderDatabase.h"
#include "server/TenderIndex.h"
#include "server/TenderStore.h"
#include "server/import/ArchiveReader.h"
#include "server/import/EformsNoticeReader.h"
#include "server/import/NoticeFormatter.h"

#include <climits>
#include <sqlite3.h>

namespace qv::server {

namespace {

constexpr const char* kNoticeSchema =
    "CREATE TABLE notice(identifier TEXT PRIMARY KEY, tender INTEGER NOT NULL, version INTEGER NOT NULL) "
    "WITHOUT ROWID";
// A change notice that does not name the version it changes changes every version.
constexpr int kEveryVersion = INT_MAX;
constexpr int64_t kIdsPerDay = int64_t{1} << NoticeImporter::kDayBits;
// An import that brings one tender in this many or more merges the index.
constexpr int64_t kMergeShare = 10;

SqliteConnection OpenForImport(const std::string& path) {
    switch (TenderDatabase::Inspect(path)) {
    case TenderDatabase::Kind::Missing:
        TenderStore::CreateFile(path, TenderStore::Dates::Absolute,
                                [](sqlite3* db) { SqliteStatement::Execute(db, kNoticeSchema); });
        break;
    case TenderDatabase::Kind::Generated:
    case TenderDatabase::Kind::Outdated:
        throw ESqliteError(path + ": holds generated tenders; import into a new database");
    case TenderDatabase::Kind::Imported:
        break;
    }
    SqliteConnection db = OpenSqlite(path, SQLITE_OPEN_READWRITE);
    // A package's writes stay in memory until it commits, instead of spilling to the journal.
    SqliteStatement::Execute(db.get(), "PRAGMA cache_size=-65536");
    return db;
}

} // namespace

ImportCounts& ImportCounts::operator+=(const ImportCounts& other) {
    read += other.read;
    imported += other.imported;
    replaced += other.replaced;
    skipped += other.skipped;
    return *this;
}

std::string ImportCounts::Summary() const {
    return framework::Format("%lld %s read, %lld imported, %lld replaced, %lld skipped",
                             static_cast<long long>(read), read == 1 ? "notice" : "notices",
                             static_cast<long long>(imported), static_cast<long long>(replaced),
                             static_cast<long long>(skipped));
}

NoticeImporter::NoticeImporter(const std::string& path, NoticePackage::ProblemSink problems)
    : problems_(std::move(problems)), db_(OpenForImport(path)),
      store_(std::make_unique<TenderStore>(db_.get())),
      find_(db_.get(), "SELECT tender, version FROM notice WHERE identifier = ?1"),
      remember_(db_.get(), "INSERT OR REPLACE INTO notice(identifier, tender, version) VALUES(?1, ?2, ?3)"),
      tenderDay_(db_.get(), "SELECT day FROM tender WHERE id = ?1"),
      lastId_(db_.get(), "SELECT max(id) FROM tender WHERE id BETWEEN ?1 AND ?2") {}

NoticeImporter::~NoticeImporter() = default;

ImportCounts NoticeImporter::Import(const NoticePackage& package) {
    ImportCounts counts;
    SqliteStatement::Execute(db_.get(), "BEGIN IMMEDIATE");
    // Another import may have written since the last package.
    lastIds_.clear();
    try {
        try {
            package.Read(
                [&](const std::string& name, const std::string& bytes) { ImportNotice(name, bytes, counts); },
                [&](const std::string& name, const std::string& reason) {
                    ++counts.read;
                    ++counts.skipped;
                    problems_(name, reason);
                });
        } catch (const EPackageError& e) {
            problems_(package.Name(), e.Message());
        }
        store_->Flush();
        SqliteStatement::Execute(db_.get(), "COMMIT");
    } catch (...) {
        sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        store_->Discard();
        throw;
    }
    counts_ += counts;
    return counts;
}

void NoticeImporter::Finish() {
    SqliteStatement count(db_.get(), "SELECT count(*) FROM tender");
    const int64_t tenders = count.Step() ? count.Int(0) : 0;
    if (counts_.imported > 0 && counts_.imported * kMergeShare >= tenders) TenderIndex::Merge(db_.get());
}

void NoticeImporter::ImportNotice(const std::string& name, const std::string& bytes, ImportCounts& counts) {
    ++counts.read;
    const auto skip = [&](const std::string& reason) {
        ++counts.skipped;
        problems_(name, reason);
    };
    EformsNotice notice;
    try {
        notice = reader_.Read(bytes);
    } catch (const framework::Exception& e) {
        return skip(e.Message());
    }
    Tender tender = NoticeFormatter::Format(notice);
    if (tender.day < 1) return skip("the issue date " + notice.issueDate + " lies before 1900");

    if (const auto known = Find(notice.identifier)) {
        // The same notice again, or an older version of it.
        if (known->version >= notice.version) {
            ++counts.skipped;
            return;
        }
        tender.id = known->tender;
        store_->Replace(tender);
        Remember(notice.identifier, tender.id, notice.version);
        ++counts.replaced;
        return;
    }
    if (const auto changed =
            notice.changedIdentifier.empty() ? std::nullopt : Find(notice.changedIdentifier)) {
        Remember(notice.identifier, changed->tender, notice.version);
        // A change issued later than this one is already shown.
        if (TenderDay(changed->tender) > tender.day) {
            ++counts.skipped;
            return;
        }
        tender.id = changed->tender;
        store_->Replace(tender);
        ++counts.replaced;
        return;
    }
    const auto id = NewTenderId(tender.day);
    if (!id)
        return skip(framework::Format("more than %lld notices issued on %s",
                                      static_cast<long long>(kIdsPerDay - 1), notice.issueDate.c_str()));
    tender.id = *id;
    store_->Insert(tender);
    Remember(notice.identifier, tender.id, notice.version);
    // The notice it changes, when it comes later, is older than this change.
    if (!notice.changedIdentifier.empty())
        Remember(notice.changedIdentifier, tender.id,
                 notice.changedVersion ? notice.changedVersion : kEveryVersion);
    ++counts.imported;
}

std::optional<NoticeImporter::Known> NoticeImporter::Find(const std::string& identifier) {
    find_.Bind(1, identifier);
    std::optional<Known> known;
    if (find_.Step()) known = Known{find_.Int(0), static_cast<int>(find_.Int(1))};
    find_.Reset();
    return known;
}

void NoticeImporter::Remember(const std::string& identifier, int64_t tender, int version) {
    remember_.Bind(1, identifier).Bind(2, tender).Bind(3, int64_t{version}).Step();
    remember_.Reset();
}

int NoticeImporter::TenderDay(int64_t tender) {
    tenderDay_.Bind(1, tender);
    const int day = tenderDay_.Step() ? static_cast<int>(tenderDay_.Int(0)) : 0;
    tenderDay_.Reset();
    return day;
}

std::optional<int64_t> NoticeImporter::NewTenderId(int day) {
    const int64_t first = int64_t{day} * kIdsPerDay;
    auto [last, added] = lastIds_.emplace(day, 0);
    if (added) {
        lastId_.Bind(1, first).Bind(2, first + kIdsPerDay - 1);
        last->second = lastId_.Step() ? lastId_.Int(0) : 0;
        lastId_.Reset();
        if (last->second == 0) last->second = first - 1;
    }
    if (last->second == first + kIdsPerDay - 1) return std::nullopt;
    return ++last->second;
}

} // namespace qv::server

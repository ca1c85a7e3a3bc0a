#include "server/import/NoticeImporter.h"

#include "framework/Format.h"
#include "server/TenderBackend.h"
#include "server/import/ArchiveReader.h"
#include "server/import/EformsNoticeReader.h"
#include "server/import/NoticeFormatter.h"

#include <climits>

namespace qv::server {

namespace {

// A change notice that does not name the version it changes changes every version.
constexpr int kEveryVersion = INT_MAX;
constexpr int64_t kIdsPerDay = int64_t{1} << NoticeImporter::kDayBits;
// An import that brings one tender in this many or more merges the index.
constexpr int64_t kMergeShare = 10;

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

NoticeImporter::NoticeImporter(const std::string& database, NoticePackage::ProblemSink problems)
    : problems_(std::move(problems)), writer_(TenderBackend::For(database)->OpenWriter()) {}

NoticeImporter::~NoticeImporter() = default;

ImportCounts NoticeImporter::Import(const NoticePackage& package) {
    ImportCounts counts;
    writer_->Begin();
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
        writer_->Commit();
    } catch (...) {
        writer_->Rollback();
        throw;
    }
    counts_ += counts;
    return counts;
}

void NoticeImporter::Finish() {
    if (counts_.imported > 0 && counts_.imported * kMergeShare >= writer_->TenderCount()) writer_->Merge();
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

    try {
        if (const std::string refusal = Store(notice, tender, counts); !refusal.empty()) skip(refusal);
    } catch (const EUnindexableTender& e) {
        skip(e.Message());
    }
}

std::string NoticeImporter::Store(const EformsNotice& notice, Tender& tender, ImportCounts& counts) {
    if (const auto known = writer_->FindNotice(notice.identifier)) {
        // The same notice again, or an older version of it.
        if (known->version >= notice.version) {
            ++counts.skipped;
            return {};
        }
        tender.id = known->tender;
        writer_->Replace(tender);
        writer_->RememberNotice(notice.identifier, tender.id, notice.version);
        ++counts.replaced;
        return {};
    }
    if (const auto changed =
            notice.changedIdentifier.empty() ? std::nullopt : writer_->FindNotice(notice.changedIdentifier)) {
        // A change issued later than this one is already shown.
        if (writer_->TenderDay(changed->tender) > tender.day) {
            writer_->RememberNotice(notice.identifier, changed->tender, notice.version);
            ++counts.skipped;
            return {};
        }
        tender.id = changed->tender;
        writer_->Replace(tender);
        writer_->RememberNotice(notice.identifier, changed->tender, notice.version);
        ++counts.replaced;
        return {};
    }
    const auto id = NewTenderId(tender.day);
    if (!id)
        return framework::Format("more than %lld notices issued on %s",
                                 static_cast<long long>(kIdsPerDay - 1), notice.issueDate.c_str());
    tender.id = *id;
    writer_->Insert(tender);
    writer_->RememberNotice(notice.identifier, tender.id, notice.version);
    // The notice it changes, when it comes later, is older than this change.
    if (!notice.changedIdentifier.empty())
        writer_->RememberNotice(notice.changedIdentifier, tender.id,
                                notice.changedVersion ? notice.changedVersion : kEveryVersion);
    ++counts.imported;
    return {};
}

std::optional<int64_t> NoticeImporter::NewTenderId(int day) {
    const int64_t first = int64_t{day} * kIdsPerDay;
    auto [last, added] = lastIds_.emplace(day, 0);
    if (added) {
        last->second = writer_->LastTenderId(first, first + kIdsPerDay - 1);
        if (last->second == 0) last->second = first - 1;
    }
    if (last->second == first + kIdsPerDay - 1) return std::nullopt;
    return ++last->second;
}

} // namespace qv::server

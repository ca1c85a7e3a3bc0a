#pragma once

#include "server/DatabaseError.h"
#include "server/Tender.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qv::server {

// A tender that the database cannot index; nothing of it was written.
QV_EXCEPTION_CLASS(EUnindexableTender, EDatabaseError);

// Writes imported notices into the service's store, one package at a time. What an import does
// is decided by the importer; each kind of database writes it in its own SQL.
class TenderWriter {
public:
    // A notice the store knows: the tender that shows it and the version it was in.
    struct Notice {
        int64_t tender;
        int version;
    };

    virtual ~TenderWriter() = default;

    // Everything between Begin and Commit is kept whole or, after Rollback, not at all; readers
    // see either. Imports into one database take their turns.
    virtual void Begin() = 0;
    virtual void Commit() = 0;
    // Never raises: it follows a failure, whose exception is the one to report.
    virtual void Rollback() noexcept = 0;

    virtual void Insert(const Tender& tender) = 0;
    // Puts `tender` in place of the stored tender with its id.
    virtual void Replace(const Tender& tender) = 0;
    virtual std::optional<Notice> FindNotice(const std::string& identifier) = 0;
    virtual void RememberNotice(const std::string& identifier, int64_t tender, int version) = 0;
    // The publication day of a stored tender, 0 for none.
    virtual int TenderDay(int64_t tender) = 0;
    // The highest tender id from `first` to `last`, 0 for none.
    virtual int64_t LastTenderId(int64_t first, int64_t last) = 0;
    virtual int64_t TenderCount() = 0;
    // Tidies the search index after a large import, outside any package.
    virtual void Merge() = 0;
};

} // namespace qv::server

#pragma once

#include "server/Tender.h"
#include "server/import/EformsNotice.h"

#include <string>

namespace qv::server {

// Turns a notice into a tender as users of the official portal know them: the listing title
// "<country>-<buyer's town>: <notice title>" and a full text of labelled lines.
class NoticeFormatter {
public:
    // Listing titles longer than this are cut; the full text keeps the whole title.
    static constexpr size_t kMaxTitleCharacters = 300;

    // The tender of a notice the reader accepted; its id is left to the caller.
    static Tender Format(const EformsNotice& notice);
    // The English name of a notice type code, or of the notice's form for a code it does not know.
    static std::string TypeName(const EformsNotice& notice);
};

} // namespace qv::server

#include "fuzz/support/MapFileChecks.h"

#include "fuzz/support/FuzzInput.h"

namespace qv::fuzz {

void CheckLookups(const crash::TMapFile& map) {
    for (const crash::TMfPublic& symbol : map.publics) {
        if (!symbol.valid) continue;
        const crash::TMfPublic* found = map.PublicAt(symbol.address, symbol.kind);
        Require(found && found->address == symbol.address, "a public is found at its address");
    }
    for (const crash::TMfLine& line : map.lines) {
        const crash::TMfLine* found = map.LineAt(line.address);
        Require(found && found->address == line.address, "a line is found at its address");
    }
}

} // namespace qv::fuzz

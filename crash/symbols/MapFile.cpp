#include "crash/symbols/MapFile.h"

#include <algorithm>

namespace qv::crash {

namespace {
// Index of the last entry whose address is not above the given one, or -1.
template <typename Table, typename Key>
std::ptrdiff_t LastNotAbove(const Table& table, uintptr_t address, Key key) {
    const auto it = std::upper_bound(table.begin(), table.end(), address,
                                     [&](uintptr_t a, const auto& entry) { return a < key(entry); });
    return (it - table.begin()) - 1;
}
} // namespace

void TMapFile::Sort() {
    std::stable_sort(segments.begin(), segments.end(),
                     [](const TMfSegment& a, const TMfSegment& b) { return a.start < b.start; });
    std::stable_sort(publics.begin(), publics.end(),
                     [](const TMfPublic& a, const TMfPublic& b) { return a.address < b.address; });
    std::stable_sort(lines.begin(), lines.end(),
                     [](const TMfLine& a, const TMfLine& b) { return a.address < b.address; });
}

void TMapFile::Clear() {
    valid = false;
    sourceFile.clear();
    entryPoint = 0;
    segments.clear();
    publics.clear();
    lines.clear();
}

const TMfSegment* TMapFile::SegmentAt(uintptr_t address, TMfKind kind) const {
    // Code and data offsets share one origin, so a data segment may start where code does.
    for (auto i = LastNotAbove(segments, address, [](const TMfSegment& s) { return s.start; }); i >= 0; --i) {
        const TMfSegment& segment = segments[static_cast<size_t>(i)];
        if (segment.kind != kind) continue;
        return segment.valid && address - segment.start < segment.size ? &segment : nullptr;
    }
    return nullptr;
}

const TMfPublic* TMapFile::PublicAt(uintptr_t address, TMfKind kind) const {
    for (auto i = LastNotAbove(publics, address, [](const TMfPublic& p) { return p.address; }); i >= 0; --i) {
        const TMfPublic& entry = publics[static_cast<size_t>(i)];
        if (entry.valid && entry.kind == kind) return &entry;
    }
    return nullptr;
}

const TMfPublic* TMapFile::PublicExactlyAt(uintptr_t address) const {
    const TMfPublic* found = PublicAt(address, TMfKind::Code);
    if (found == nullptr || found->address != address) found = PublicAt(address, TMfKind::Data);
    return found != nullptr && found->address == address ? found : nullptr;
}

uintptr_t TMapFile::NextPublicAfter(uintptr_t address) const {
    for (auto i = static_cast<size_t>(
             LastNotAbove(publics, address, [](const TMfPublic& p) { return p.address; }) + 1);
         i < publics.size(); ++i)
        if (publics[i].valid && publics[i].kind == TMfKind::Code) return publics[i].address;
    return 0;
}

const TMfLine* TMapFile::LineAt(uintptr_t address) const {
    const auto i = LastNotAbove(lines, address, [](const TMfLine& l) { return l.address; });
    return i >= 0 ? &lines[static_cast<size_t>(i)] : nullptr;
}

} // namespace qv::crash

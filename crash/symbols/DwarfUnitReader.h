#pragma once

#include "crash/symbols/ElfFile.h"
#include "crash/symbols/MapFile.h"

#include <elfutils/libdw.h>
#include <unordered_map>
#include <vector>

namespace qv::crash {

// Reads one DWARF compilation unit into a table: the unit's code ranges become segments named
// after its source file, its functions become publics and its line table becomes lines. Only
// addresses inside the module's executable segments are kept; bias is added to every address.
class TDwarfUnitReader {
public:
    TDwarfUnitReader(uintptr_t bias, std::vector<TElfRange> code) : bias_(bias), code_(std::move(code)) {}

    // The unit's ranges that lie in the module's code, without the bias.
    std::vector<TElfRange> CodeRanges(Dwarf_Die& unit) const;
    // Appends the unit's segments, publics and lines to the table, leaving it to be sorted.
    void Read(Dwarf_Die& unit, TMapFile& table);

private:
    uintptr_t bias_;
    std::vector<TElfRange> code_;
    TMapFile* table_ = nullptr;
    // The prefixes of the unit's namespaces and classes ("a::b::"); the first is the empty one.
    std::vector<std::string> scopeNames_;
    // The scope of each subprogram inside a namespace or class, as an index into scopeNames_.
    std::unordered_map<Dwarf_Off, size_t> scopes_;
    std::vector<std::pair<size_t, Dwarf_Off>> unscoped_;

    bool InCode(Dwarf_Addr start, Dwarf_Addr end) const;
    template <typename Sink>
    void Ranges(Dwarf_Die& die, Sink sink) const;
    void Lines(Dwarf_Die& unit);
    void CompactLines(size_t firstPublic, size_t firstLine);
    static constexpr size_t kNoScope = 0;

    void Scope(Dwarf_Die& parent, int depth, size_t prefix);
    size_t Nested(size_t prefix, const char* name);
    void Function(Dwarf_Die& die, size_t prefix);
};

} // namespace qv::crash

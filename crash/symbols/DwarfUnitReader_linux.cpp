#include "crash/symbols/DwarfUnitReader.h"

#include "crash/symbols/SymbolName.h"

#include <algorithm>
#include <dwarf.h>

namespace qv::crash {

namespace {

// Nested scopes deeper than this only occur in damaged data; stop there rather than recurse on.
constexpr int kMaxScopeDepth = 64;

std::string UnitName(const char* sourceFile) {
    std::string name = sourceFile != nullptr ? sourceFile : "";
    name.erase(0, name.find_last_of('/') + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

} // namespace

std::vector<TElfRange> TDwarfUnitReader::CodeRanges(Dwarf_Die& unit) const {
    std::vector<TElfRange> ranges;
    Ranges(unit, [&](Dwarf_Addr start, Dwarf_Addr end) { ranges.push_back({start, end}); });
    return ranges;
}

void TDwarfUnitReader::Read(Dwarf_Die& unit, TMapFile& table) {
    table_ = &table;
    const size_t firstPublic = table.publics.size();
    const size_t firstLine = table.lines.size();
    const std::string name = UnitName(dwarf_diename(&unit));
    Ranges(unit, [&](Dwarf_Addr start, Dwarf_Addr end) {
        table.segments.push_back(
            {true, TMfKind::Code, bias_ + start, static_cast<uint32_t>(end - start), name});
    });
    Lines(unit);
    scopeNames_.assign(1, std::string());
    scopes_.clear();
    unscoped_.clear();
    Scope(unit, 0, kNoScope);
    // A definition made outside its namespace takes the scope of its declaration.
    for (const auto& [index, declaration] : unscoped_)
        if (const auto scope = scopes_.find(declaration); scope != scopes_.end())
            table.publics[index].name.insert(0, scopeNames_[scope->second]);
    CompactLines(firstPublic, firstLine);
}

bool TDwarfUnitReader::InCode(Dwarf_Addr start, Dwarf_Addr end) const {
    return std::any_of(code_.begin(), code_.end(),
                       [&](const TElfRange& r) { return start >= r.start && end <= r.end && start < end; });
}

template <typename Sink>
void TDwarfUnitReader::Ranges(Dwarf_Die& die, Sink sink) const {
    Dwarf_Addr base = 0, start = 0, end = 0;
    for (ptrdiff_t offset = 0; (offset = dwarf_ranges(&die, offset, &base, &start, &end)) > 0;)
        if (InCode(start, end) && end - start <= 0xFFFFFFFFu) sink(start, end);
}

void TDwarfUnitReader::Lines(Dwarf_Die& unit) {
    Dwarf_Lines* lines = nullptr;
    size_t count = 0;
    if (dwarf_getsrclines(&unit, &lines, &count) != 0) return;
    for (size_t i = 0; i < count; ++i) {
        Dwarf_Line* line = dwarf_onesrcline(lines, i);
        Dwarf_Addr address = 0;
        int number = 0;
        bool endSequence = false;
        if (line == nullptr || dwarf_lineaddr(line, &address) != 0 || dwarf_lineno(line, &number) != 0 ||
            dwarf_lineendsequence(line, &endSequence) != 0 || endSequence || number <= 0 ||
            !InCode(address, address + 1))
            continue;
        table_->lines.push_back({number, bias_ + address});
    }
}

// Keeps one entry per address (the last one of the table) and drops an entry that repeats the
// line above it, unless a function starts in between: a look-up takes no line from before the
// start of the function, so that entry is what names the function's first statements.
void TDwarfUnitReader::CompactLines(size_t firstPublic, size_t firstLine) {
    std::vector<uintptr_t> starts;
    for (size_t i = firstPublic; i < table_->publics.size(); ++i)
        starts.push_back(table_->publics[i].address);
    std::sort(starts.begin(), starts.end());
    const auto functionStartsIn = [&](uintptr_t above, uintptr_t address) {
        const auto next = std::upper_bound(starts.begin(), starts.end(), above);
        return next != starts.end() && *next <= address;
    };
    std::vector<TMfLine>& lines = table_->lines;
    const auto first = lines.begin() + static_cast<std::ptrdiff_t>(firstLine);
    std::stable_sort(first, lines.end(),
                     [](const TMfLine& a, const TMfLine& b) { return a.address < b.address; });
    std::vector<TMfLine> kept;
    kept.reserve(static_cast<size_t>(lines.end() - first));
    for (auto line = first; line != lines.end(); ++line) {
        if (!kept.empty() && kept.back().address == line->address) kept.pop_back();
        if (!kept.empty() && kept.back().line == line->line &&
            !functionStartsIn(kept.back().address, line->address))
            continue;
        kept.push_back(*line);
    }
    lines.erase(first, lines.end());
    lines.insert(lines.end(), kept.begin(), kept.end());
}

// prefix indexes scopeNames_: the enclosing namespaces and classes, for functions without a
// linkage name. Class bodies hold mostly declarations, so names are only read where needed.
void TDwarfUnitReader::Scope(Dwarf_Die& parent, int depth, size_t prefix) {
    if (depth > kMaxScopeDepth) return;
    Dwarf_Die child;
    if (dwarf_child(&parent, &child) != 0) return;
    do {
        switch (dwarf_tag(&child)) {
        case DW_TAG_subprogram:
            if (prefix != kNoScope) scopes_[dwarf_dieoffset(&child)] = prefix;
            Function(child, prefix);
            Scope(child, depth + 1, prefix);
            break;
        case DW_TAG_namespace: {
            const char* name = dwarf_diename(&child);
            Scope(child, depth + 1, Nested(prefix, name != nullptr ? name : "(anonymous namespace)"));
            break;
        }
        case DW_TAG_class_type:
        case DW_TAG_structure_type:
        case DW_TAG_union_type: {
            const char* name = dwarf_diename(&child);
            Scope(child, depth + 1, name != nullptr ? Nested(prefix, name) : prefix);
            break;
        }
        case DW_TAG_lexical_block:
            Scope(child, depth + 1, prefix);
            break;
        default:
            break;
        }
    } while (dwarf_siblingof(&child, &child) == 0);
}

size_t TDwarfUnitReader::Nested(size_t prefix, const char* name) {
    scopeNames_.push_back(scopeNames_[prefix] + name + "::");
    return scopeNames_.size() - 1;
}

void TDwarfUnitReader::Function(Dwarf_Die& die, size_t prefix) {
    // Most subprograms are declarations without code: they need no name.
    std::vector<Dwarf_Addr> starts;
    Ranges(die, [&](Dwarf_Addr start, Dwarf_Addr) { starts.push_back(start); });
    if (starts.empty()) return;
    Dwarf_Attribute attribute;
    const char* linkage = dwarf_formstring(dwarf_attr_integrate(&die, DW_AT_linkage_name, &attribute));
    if (linkage == nullptr)
        linkage = dwarf_formstring(dwarf_attr_integrate(&die, DW_AT_MIPS_linkage_name, &attribute));
    const char* plain = dwarf_formstring(dwarf_attr_integrate(&die, DW_AT_name, &attribute));
    if (linkage == nullptr && plain == nullptr) return;
    const std::string name =
        linkage != nullptr ? FunctionNameFromLinkage(linkage) : scopeNames_[prefix] + plain;
    Dwarf_Die declaration;
    const bool needsScope =
        linkage == nullptr && prefix == kNoScope &&
        dwarf_formref_die(dwarf_attr(&die, DW_AT_specification, &attribute), &declaration);
    // Every range gets the name, so that split-off cold parts are not taken for the function before.
    for (const Dwarf_Addr start : starts) {
        if (needsScope) unscoped_.emplace_back(table_->publics.size(), dwarf_dieoffset(&declaration));
        table_->publics.push_back({true, TMfKind::Code, name, bias_ + start});
    }
}

} // namespace qv::crash

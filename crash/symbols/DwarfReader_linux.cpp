#include "crash/symbols/DwarfReader.h"

#include "crash/symbols/ElfFile.h"
#include "crash/symbols/SymbolName.h"

#include <algorithm>
#include <dwarf.h>
#include <elfutils/libdw.h>
#include <elfutils/libdwelf.h>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <unordered_map>

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

std::string Directory(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool Exists(const std::string& path) {
    return ::access(path.c_str(), R_OK) == 0;
}

// The separate debug file of a stripped module, by build id first, then by its debug link.
std::string SeparateDebugFile(const std::string& path, Elf* elf) {
    const void* id = nullptr;
    const ssize_t idLength = dwelf_elf_gnu_build_id(elf, &id);
    if (idLength > 1) {
        static constexpr char kHex[] = "0123456789abcdef";
        const auto* bytes = static_cast<const uint8_t*>(id);
        std::string name = "/usr/lib/debug/.build-id/";
        for (ssize_t i = 0; i < idLength; ++i) {
            name += kHex[bytes[i] >> 4];
            name += kHex[bytes[i] & 15];
            if (i == 0) name += '/';
        }
        name += ".debug";
        if (Exists(name)) return name;
    }
    GElf_Word crc = 0;
    const char* link = dwelf_elf_gnu_debuglink(elf, &crc);
    if (link == nullptr || std::string(link).find('/') != std::string::npos) return {};
    const std::string directory = Directory(path);
    for (const std::string& candidate :
         {directory + "/" + link, directory + "/.debug/" + link, "/usr/lib/debug" + directory + "/" + link})
        if (candidate != path && Exists(candidate)) return candidate;
    return {};
}

struct TDwarfDeleter {
    void operator()(Dwarf* dwarf) const { dwarf_end(dwarf); }
};
using TDwarfHandle = std::unique_ptr<Dwarf, TDwarfDeleter>;

class TCollector {
public:
    TCollector(TMapFile& map, uintptr_t bias, std::vector<TElfRange> code)
        : map_(map), bias_(bias), code_(std::move(code)) {}

    void Unit(Dwarf_Die& unit) {
        const std::string name = UnitName(dwarf_diename(&unit));
        Ranges(unit, [&](Dwarf_Addr start, Dwarf_Addr end) {
            map_.segments.push_back(
                {true, TMfKind::Code, bias_ + start, static_cast<uint32_t>(end - start), name});
        });
        Lines(unit);
        scopes_.clear();
        unscoped_.clear();
        Scope(unit, 0);
        // A definition made outside its namespace takes the scope of its declaration.
        for (const auto& [index, declaration] : unscoped_)
            if (const auto scope = scopes_.find(declaration); scope != scopes_.end())
                map_.publics[index].name.insert(0, scope->second);
    }

private:
    TMapFile& map_;
    uintptr_t bias_;
    std::vector<TElfRange> code_;
    std::unordered_map<Dwarf_Off, std::string> scopes_;
    std::vector<std::pair<size_t, Dwarf_Off>> unscoped_;

    bool InCode(Dwarf_Addr start, Dwarf_Addr end) const {
        return std::any_of(code_.begin(), code_.end(), [&](const TElfRange& r) {
            return start >= r.start && end <= r.end && start < end;
        });
    }

    template <typename Sink>
    void Ranges(Dwarf_Die& die, Sink sink) {
        Dwarf_Addr base = 0, start = 0, end = 0;
        for (ptrdiff_t offset = 0; (offset = dwarf_ranges(&die, offset, &base, &start, &end)) > 0;)
            if (InCode(start, end) && end - start <= 0xFFFFFFFFu) sink(start, end);
    }

    void Lines(Dwarf_Die& unit) {
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
            map_.lines.push_back({number, bias_ + address});
        }
    }

    // prefix is the enclosing namespaces and classes, for functions without a linkage name.
    void Scope(Dwarf_Die& parent, int depth, const std::string& prefix = {}) {
        if (depth > kMaxScopeDepth) return;
        Dwarf_Die child;
        if (dwarf_child(&parent, &child) != 0) return;
        do {
            const int tag = dwarf_tag(&child);
            const char* name = dwarf_diename(&child);
            switch (tag) {
            case DW_TAG_subprogram:
                if (!prefix.empty()) scopes_[dwarf_dieoffset(&child)] = prefix;
                Function(child, prefix);
                Scope(child, depth + 1, prefix);
                break;
            case DW_TAG_namespace:
                Scope(child, depth + 1, prefix + (name != nullptr ? name : "(anonymous namespace)") + "::");
                break;
            case DW_TAG_class_type:
            case DW_TAG_structure_type:
            case DW_TAG_union_type:
                Scope(child, depth + 1, name != nullptr ? prefix + name + "::" : prefix);
                break;
            case DW_TAG_lexical_block:
                Scope(child, depth + 1, prefix);
                break;
            default:
                break;
            }
        } while (dwarf_siblingof(&child, &child) == 0);
    }

    void Function(Dwarf_Die& die, const std::string& prefix) {
        Dwarf_Attribute attribute;
        const char* linkage = dwarf_formstring(dwarf_attr_integrate(&die, DW_AT_linkage_name, &attribute));
        if (linkage == nullptr)
            linkage = dwarf_formstring(dwarf_attr_integrate(&die, DW_AT_MIPS_linkage_name, &attribute));
        const char* plain = dwarf_formstring(dwarf_attr_integrate(&die, DW_AT_name, &attribute));
        if (linkage == nullptr && plain == nullptr) return;
        const std::string name = linkage != nullptr ? FunctionNameFromLinkage(linkage) : prefix + plain;
        Dwarf_Die declaration;
        const bool needsScope =
            linkage == nullptr && prefix.empty() &&
            dwarf_formref_die(dwarf_attr(&die, DW_AT_specification, &attribute), &declaration);
        // Every range gets the name, so that split-off cold parts are not taken for the function before.
        Ranges(die, [&](Dwarf_Addr start, Dwarf_Addr) {
            if (needsScope) unscoped_.emplace_back(map_.publics.size(), dwarf_dieoffset(&declaration));
            map_.publics.push_back({true, TMfKind::Code, name, bias_ + start});
        });
    }
};

// Keeps one entry per address (the last one of the table) and drops repeats of the line above.
void CompactLines(std::vector<TMfLine>& lines) {
    std::vector<TMfLine> kept;
    kept.reserve(lines.size());
    for (const TMfLine& line : lines) {
        if (!kept.empty() && kept.back().address == line.address) kept.pop_back();
        if (!kept.empty() && kept.back().line == line.line) continue;
        kept.push_back(line);
    }
    lines.swap(kept);
}

bool Collect(Dwarf* dwarf, TCollector& collector) {
    Dwarf_CU* unit = nullptr;
    Dwarf_Die unitDie;
    bool any = false;
    while (dwarf_get_units(dwarf, unit, &unit, nullptr, nullptr, &unitDie, nullptr) == 0) {
        collector.Unit(unitDie);
        any = true;
    }
    return any;
}

} // namespace

bool TDwarfReader::Read(const std::string& path, uintptr_t bias, TMapFile& map) {
    map.Clear();
    TElfFile file(path);
    if (!file.IsOpen()) return false;
    TCollector collector(map, bias, file.CodeRanges());
    TDwarfHandle own(dwarf_begin_elf(file.Handle(), DWARF_C_READ, nullptr));
    bool any = own && Collect(own.get(), collector);
    if (!any) {
        const std::string debugPath = SeparateDebugFile(path, file.Handle());
        if (debugPath.empty()) return false;
        TElfFile debugFile(debugPath);
        if (!debugFile.IsOpen()) return false;
        TDwarfHandle separate(dwarf_begin_elf(debugFile.Handle(), DWARF_C_READ, nullptr));
        any = separate && Collect(separate.get(), collector);
    }
    if (!any || (map.publics.empty() && map.lines.empty())) {
        map.Clear();
        return false;
    }
    map.Sort();
    CompactLines(map.lines);
    map.entryPoint = bias + file.EntryPoint();
    map.sourceFile = path;
    return true;
}

} // namespace qv::crash

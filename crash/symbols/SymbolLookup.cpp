#include "crash/symbols/SymbolLookup.h"

#include "crash/symbols/MapFileCache.h"

#include <algorithm>

namespace qv::crash {

namespace {

const TModuleInfo* FindModuleRefreshing(uintptr_t address) {
    TModuleCache& modules = TModuleCache::Instance();
    if (const TModuleInfo* module = modules.FindModule(address)) return module;
    // The module may have been loaded after the list was read.
    modules.Refresh();
    return modules.FindModule(address);
}

} // namespace

TLocation LocateInTable(const TMapFile& table, uintptr_t address) {
    TLocation location;
    const TMfSegment* segment = table.SegmentAt(address);
    if (segment != nullptr) location.unitName = segment->unitName;
    // Entries before the start of the address's unit belong to other code; so do all entries
    // for an address outside every unit, such as code linked in without debug information.
    const bool inUnits = segment != nullptr || table.segments.empty();
    const uintptr_t unitStart = segment != nullptr ? segment->start : 0;
    const TMfPublic* function = table.PublicAt(address, TMfKind::Code);
    if (inUnits && function != nullptr && function->address >= unitStart) {
        location.functionStart = function->address;
        location.functionName = function->name;
    }
    const TMfLine* line = table.LineAt(address);
    if (inUnits && line != nullptr && line->address >= std::max(unitStart, location.functionStart))
        location.line = line->line;
    return location;
}

TLocation LocateInModule(const TModuleInfo& module, uintptr_t address) {
    TMapFileCache& cache = TMapFileCache::Instance();
    TLocation location;
    if (cache.HasSymbols(module)) {
        if (const TMapFile* table = cache.TableAt(module, address)) location = LocateInTable(*table, address);
    } else if (!module.isProgram) {
        if (const TMfPublic* function = cache.Exports(module).FunctionAt(address)) {
            location.functionStart = function->address;
            location.functionName = function->name;
        }
    }
    location.moduleName = module.fileName;
    return location;
}

std::optional<TLocation> Locate(uintptr_t address) {
    const TModuleInfo* module = FindModuleRefreshing(address);
    if (module == nullptr) return std::nullopt;
    return LocateInModule(*module, address);
}

std::string PublicNameAt(uintptr_t address) {
    const TModuleInfo* module = FindModuleRefreshing(address);
    if (module == nullptr) return {};
    TMapFileCache& cache = TMapFileCache::Instance();
    if (cache.HasSymbols(*module)) {
        const TMapFile* table = cache.TableAt(*module, address);
        const TMfPublic* found = table != nullptr ? table->PublicExactlyAt(address) : nullptr;
        return found != nullptr ? found->name : std::string();
    }
    if (module->isProgram) return {};
    const TMfPublic* exported = cache.Exports(*module).FunctionExactlyAt(address);
    return exported != nullptr ? exported->name : std::string();
}

} // namespace qv::crash

#include "crash/SymbolLookup.h"

#include "crash/MapFileCache.h"

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

TLocation LocateInModule(const TModuleInfo& module, uintptr_t address) {
    TLocation location;
    location.moduleName = module.fileName;
    TMapFileCache& cache = TMapFileCache::Instance();
    const TMapFile& map = cache.MapFile(module);
    if (map.valid) {
        const TMfSegment* segment = map.SegmentAt(address);
        if (segment != nullptr) location.unitName = segment->unitName;
        const TMfPublic* function = map.PublicAt(address, TMfKind::Code);
        // A public before the start of the address's unit belongs to other code.
        if (function != nullptr && (segment == nullptr || function->address >= segment->start)) {
            location.functionStart = function->address;
            location.functionName = function->name;
        }
        uintptr_t lineFloor = segment != nullptr ? segment->start : 0;
        if (location.functionStart > lineFloor) lineFloor = location.functionStart;
        const TMfLine* line = map.LineAt(address);
        if (line != nullptr && line->address >= lineFloor) location.line = line->line;
    } else if (!module.isProgram) {
        if (const TMfPublic* function = cache.Exports(module).FunctionAt(address)) {
            location.functionStart = function->address;
            location.functionName = function->name;
        }
    }
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
    const TMapFile& map = cache.MapFile(*module);
    if (map.valid) {
        const TMfPublic* found = map.PublicExactlyAt(address);
        return found != nullptr ? found->name : std::string();
    }
    if (module->isProgram) return {};
    const TMfPublic* exported = cache.Exports(*module).FunctionExactlyAt(address);
    return exported != nullptr ? exported->name : std::string();
}

} // namespace qv::crash

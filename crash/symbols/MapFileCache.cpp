#include "crash/symbols/MapFileCache.h"

#include "crash/symbols/CacheLock.h"
#include "crash/symbols/SymbolLoader.h"

namespace qv::crash {

TMapFileCache& TMapFileCache::Instance() {
    static TMapFileCache cache;
    return cache;
}

TMapFileCache::TEntry& TMapFileCache::EntryLocked(const TModuleInfo& module) {
    auto& entry = entries_[{module.path, module.bias}];
    if (!entry) {
        entry = std::make_unique<TEntry>();
        TSymbolLoader::Load(module, entry->map);
    }
    return *entry;
}

const TMapFile& TMapFileCache::MapFile(const TModuleInfo& module) {
    const std::lock_guard lock(CacheLock());
    return EntryLocked(module).map;
}

const TExportTable& TMapFileCache::Exports(const TModuleInfo& module) {
    const std::lock_guard lock(CacheLock());
    TEntry& entry = EntryLocked(module);
    if (!entry.exports) {
        entry.exports = std::make_unique<TExportTable>();
        entry.exports->Load(module);
    }
    return *entry.exports;
}

} // namespace qv::crash

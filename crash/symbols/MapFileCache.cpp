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
    if (!entry) entry = std::make_unique<TEntry>(TEntry{TSymbolLoader::Load(module), nullptr});
    return *entry;
}

bool TMapFileCache::HasSymbols(const TModuleInfo& module) {
    const std::lock_guard lock(CacheLock());
    return EntryLocked(module).symbols.Valid();
}

const TMapFile* TMapFileCache::TableAt(const TModuleInfo& module, uintptr_t address) {
    const std::lock_guard lock(CacheLock());
    return EntryLocked(module).symbols.TableAt(address);
}

uintptr_t TMapFileCache::NextPublicAfter(const TModuleInfo& module, uintptr_t address) {
    const std::lock_guard lock(CacheLock());
    return EntryLocked(module).symbols.NextPublicAfter(address);
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

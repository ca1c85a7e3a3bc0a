#pragma once

#include "crash/symbols/ExportTable.h"
#include "crash/symbols/MapFile.h"
#include "crash/symbols/ModuleCache.h"
#include "crash/symbols/ModuleSymbols.h"

#include <map>
#include <memory>
#include <string>
#include <utility>

namespace qv::crash {

// The symbols of the process's modules, loaded on first use and kept for the process; a module's
// DWARF is read a compilation unit at a time as its addresses are looked up. The tables handed
// out stay valid and unchanged for the life of the cache.
class TMapFileCache {
public:
    static TMapFileCache& Instance();

    // Whether a symbol source has symbols for the module.
    bool HasSymbols(const TModuleInfo& module);
    // The table that names the address, as TModuleSymbols::TableAt gives it.
    const TMapFile* TableAt(const TModuleInfo& module, uintptr_t address);
    // The address of the first function above the address that the module's symbols know, or 0.
    uintptr_t NextPublicAfter(const TModuleInfo& module, uintptr_t address);
    const TExportTable& Exports(const TModuleInfo& module);

private:
    struct TEntry {
        TModuleSymbols symbols;
        std::unique_ptr<TExportTable> exports;
    };
    // Keyed by file and load bias, so that a module loaded again at another place is read again.
    std::map<std::pair<std::string, uintptr_t>, std::unique_ptr<TEntry>> entries_;

    TEntry& EntryLocked(const TModuleInfo& module);
};

} // namespace qv::crash

#pragma once

#include "crash/symbols/ExportTable.h"
#include "crash/symbols/MapFile.h"
#include "crash/symbols/ModuleCache.h"

#include <map>
#include <memory>
#include <string>
#include <utility>

namespace qv::crash {

// The symbol tables of the process's modules, loaded on first use and kept for the process.
// The tables handed out stay valid and unchanged for the life of the cache.
class TMapFileCache {
public:
    static TMapFileCache& Instance();

    // The module's table; its valid flag is off when no symbol source had one.
    const TMapFile& MapFile(const TModuleInfo& module);
    const TExportTable& Exports(const TModuleInfo& module);

private:
    struct TEntry {
        TMapFile map;
        std::unique_ptr<TExportTable> exports;
    };
    // Keyed by file and load bias, so that a module loaded again at another place is read again.
    std::map<std::pair<std::string, uintptr_t>, std::unique_ptr<TEntry>> entries_;

    TEntry& EntryLocked(const TModuleInfo& module);
};

} // namespace qv::crash

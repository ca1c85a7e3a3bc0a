#pragma once

#include "crash/symbols/MapFile.h"
#include "crash/symbols/ModuleCache.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qv::crash {

// What is known about a code address: line is 0 and the names empty where nothing was found.
struct TLocation {
    std::string moduleName;
    std::string unitName;
    int32_t line = 0;
    uintptr_t functionStart = 0;
    std::string functionName;
};

// Names an address of this process; fails when it lies in no loaded module.
std::optional<TLocation> Locate(uintptr_t address);
// Names an address of the given module from its symbols or, for a library without them, its exports.
TLocation LocateInModule(const TModuleInfo& module, uintptr_t address);
// The unit, function and line that a symbol table gives an address; the module name stays empty.
TLocation LocateInTable(const TMapFile& table, uintptr_t address);
// The public (or exported) name at exactly that address, else empty.
std::string PublicNameAt(uintptr_t address);

} // namespace qv::crash

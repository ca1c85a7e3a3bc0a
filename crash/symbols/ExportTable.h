#pragma once

#include "crash/symbols/MapFile.h"
#include "crash/symbols/ModuleCache.h"

#include <vector>

namespace qv::crash {

// The names a module without symbols still offers: its exported (dynamic) functions and its
// entry point, which has no name.
class TExportTable {
public:
    void Load(const TModuleInfo& module);
    // The export or entry point with the greatest address not above the address, or null.
    const TMfPublic* FunctionAt(uintptr_t address) const;
    const TMfPublic* FunctionExactlyAt(uintptr_t address) const;
    // The address of the first export or entry point above the address, or 0.
    uintptr_t NextFunctionAfter(uintptr_t address) const;

private:
    std::vector<TMfPublic> functions_;
};

} // namespace qv::crash

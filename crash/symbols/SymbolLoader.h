#pragma once

#include "crash/symbols/MapFile.h"
#include "crash/symbols/ModuleCache.h"

#include <string>

namespace qv::crash {

// Loads the symbol table of a module from the first source that has one: the package in the
// module's own ".zor.except" section, the module's DWARF (or its separate debug file), a text
// map file "<module>.map", a package file "<module>.zor".
class TSymbolLoader {
public:
    static constexpr char kSectionName[] = ".zor.except";
    // Symbol files are read whole; larger ones are refused.
    static constexpr size_t kMaxFileSize = 64u << 20;

    static bool Load(const TModuleInfo& module, TMapFile& map);
    // The module's path with its extension replaced (or the extension added when it has none).
    static std::string SiblingFile(const std::string& path, const std::string& extension);
};

} // namespace qv::crash

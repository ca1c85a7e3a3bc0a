#pragma once

#include "crash/symbols/ModuleCache.h"
#include "crash/symbols/ModuleSymbols.h"

#include <string>

namespace qv::crash {

// Loads the symbols of a module from the first source that has them: the package in the module's
// own ".zor.except" section, the module's DWARF (or its separate debug file), a text map file
// "<module>.map", a package file "<module>.zor" beside the module or, for an installed program, in
// its private folder (platform/CompanionFiles.h). DWARF is only indexed here and read later, a
// compilation unit at a time.
class TSymbolLoader {
public:
    static constexpr char kSectionName[] = ".zor.except";
    // Symbol files are read whole; larger ones are refused.
    static constexpr size_t kMaxFileSize = 64u << 20;

    // Symbols that are not Valid() when no source has any.
    static TModuleSymbols Load(const TModuleInfo& module);
    // The module's path with its extension replaced (or the extension added when it has none).
    static std::string SiblingFile(const std::string& path, const std::string& extension);
};

} // namespace qv::crash

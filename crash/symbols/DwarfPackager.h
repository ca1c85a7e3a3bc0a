#pragma once

#include "crash/symbols/MapFile.h"

#include <optional>
#include <string>

namespace qv::crash {

// Builds a packed symbol package from the DWARF of a module file, with addresses relative to the
// start of its executable segments, as the loader finds them once the module is loaded.
class TDwarfPackager {
public:
    // The package, or nothing with a message in error. table receives what was packed.
    static std::optional<std::string> Package(const std::string& binary, TMapFile& table, std::string& error);
};

} // namespace qv::crash

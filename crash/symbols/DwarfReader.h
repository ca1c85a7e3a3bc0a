#pragma once

#include "crash/symbols/MapFile.h"

#include <string>

namespace qv::crash {

// Fills a TMapFile from the DWARF debug information of a module file or of its separate debug
// file (found by build id or debug link): compilation units become segments named after their
// source file, functions become publics and the line tables become lines. Only addresses inside
// the module's executable segments are kept; bias is added to every address.
class TDwarfReader {
public:
    static bool Read(const std::string& path, uintptr_t bias, TMapFile& map);
};

} // namespace qv::crash

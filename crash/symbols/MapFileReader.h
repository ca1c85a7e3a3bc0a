#pragma once

#include "crash/symbols/MapFile.h"

#include <string>

namespace qv::crash {

// Reads the tables of a text map file: the detailed segment map, the publics by value, the line
// numbers of each unit and the program entry point. Addresses are segment offsets plus the
// map's code start. Lines that do not fit the format are passed over.
class TMapFileReader {
public:
    // False when the text names no segment, public or line.
    static bool Read(const std::string& text, TMapFile& map);
    // The public name and its unit of a mangled name ("@Unit@Class@Method$qqrv").
    static void SplitMangledName(const std::string& mangled, std::string& unit, std::string& name);
};

} // namespace qv::crash

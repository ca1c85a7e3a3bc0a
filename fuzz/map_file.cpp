// Text map files: the detailed map of segments, the publics by value, the line numbers of each
// unit and the entry point, as the crash reporter reads a ".map" file next to a module. Lines
// that do not fit are passed over, and every table entry read is found again by its address.
#include "crash/symbols/MapFileReader.h"
#include "fuzz/support/MapFileChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    crash::TMapFile map;
    map.codeStart = 0x401000;
    if (crash::TMapFileReader::Read(std::string(reinterpret_cast<const char*>(data), size), map)) {
        map.Sort();
        fuzz::CheckLookups(map);
    }
    return 0;
}

// DWARF debug information through our reader: the input is a module file (ELF) whose
// compilation units, functions and line tables the reader turns into segments, publics and
// lines. Damaged files give no tables or partial ones, and every entry read is found again by
// its address.
#include "crash/symbols/DwarfReader.h"
#include "fuzz/support/MapFileChecks.h"
#include "fuzz/support/TempDirectory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    static const fuzz::TempDirectory folder;
    const std::string module =
        folder.Write("module.so", std::string(reinterpret_cast<const char*>(data), size));
    crash::TMapFile map;
    if (crash::TDwarfReader::Read(module, 0x7f0000000000, map)) {
        map.Sort();
        fuzz::CheckLookups(map);
    }
    return 0;
}

// DWARF debug information through our reader: the input is a module file (ELF) whose
// compilation units, functions and line tables the reader turns into segments, publics and
// lines. Damaged files give no tables or partial ones, and every entry read is found again by
// its address.
#include "crash/symbols/DwarfReader.h"
#include "fuzz/support/MapFileChecks.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedTempFolder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    // The module goes to a file of a private folder that is also the temporary folder, so that
    // whatever the reader leaves there goes with it.
    static const test::ScopedTempFolder folder("qv-fuzz");
    static const test::ScopedEnvironment tmpdir{{"TMPDIR", folder.Path()}};
    const std::string module =
        folder.Write("module.so", std::string_view(reinterpret_cast<const char*>(data), size));
    crash::TMapFile map;
    if (crash::TDwarfReader::Read(module, 0x7f0000000000, map)) {
        map.Sort();
        fuzz::CheckLookups(map);
    }
    return 0;
}

// Packed symbol files (".zor"): signature, length, format, the scrambled and deflated payload
// and the packed tables inside it. With the first byte's lowest bit clear, the rest of the input
// is a whole file; set, it is the unpacked tables, which the target packs first, so that the
// fuzzer reaches the table reader past the checksum. A package read is found again by its
// addresses, and packing what was read and reading it once more gives the same package.
#include "crash/symbols/SymbolPackage.h"
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/MapFileChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv;
    const fuzz::FuzzInput input(data, size);
    const std::string package = input.Option(0) ? crash::TSymbolPackage::Pack(input.Text()) : input.Text();
    crash::TMapFile map;
    map.codeStart = 0x401000;
    if (!crash::TSymbolPackage::Read(package.data(), package.size(), map)) return 0;
    fuzz::CheckLookups(map);
    const std::string written = crash::TSymbolPackage::Write(map);
    crash::TMapFile again;
    again.codeStart = map.codeStart;
    fuzz::Require(crash::TSymbolPackage::Read(written.data(), written.size(), again),
                  "a written package reads");
    fuzz::Require(crash::TSymbolPackage::Write(again) == written,
                  "a package read and written again is the same");
    return 0;
}

#pragma once

#include "crash/symbols/MapFile.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

struct Dwarf;

namespace qv::crash {

class TElfFile;
class TDwarfUnitReader;
class TInflatedElfImage;

// The DWARF debug information of a module file or of its separate debug file (found by build id
// or debug link), read a compilation unit at a time: opening indexes the units by the code they
// cover, and a unit's functions and lines are read when an address in it is first looked up, so
// that naming a few addresses costs a few units rather than the whole module. Compilation units
// become segments named after their source file, functions become publics and the line tables
// become lines; only addresses inside the module's executable segments are kept, and bias is
// added to every address.
class TDwarfReader {
public:
    // Null when neither file has DWARF units, or when none of them covers code of the module.
    static std::unique_ptr<TDwarfReader> Open(const std::string& path, uintptr_t bias);
    // Every unit in one sorted table, as a package holds it; false when it would name nothing.
    static bool Read(const std::string& path, uintptr_t bias, TMapFile& map);
    ~TDwarfReader();
    TDwarfReader(const TDwarfReader&) = delete;
    TDwarfReader& operator=(const TDwarfReader&) = delete;

    // The sorted table of the unit whose code holds the address, read on first use; null when
    // the address lies in no unit.
    const TMapFile* UnitAt(uintptr_t address);
    // The address of the first function above the address in any unit, or 0.
    uintptr_t NextPublicAfter(uintptr_t address);

private:
    struct TUnitRange {
        uintptr_t start = 0;
        uintptr_t end = 0;
        uint64_t unit = 0;
    };

    uintptr_t bias_;
    std::unique_ptr<TElfFile> file_;
    // The separate debug file when the module carries no DWARF of its own.
    std::unique_ptr<TElfFile> debugFile_;
    // The file that holds the DWARF, in memory, when its sections are compressed.
    std::unique_ptr<TInflatedElfImage> image_;
    Dwarf* dwarf_ = nullptr;
    std::unique_ptr<TDwarfUnitReader> reader_;
    // Sorted by start; the units' own ranges do not overlap.
    std::vector<TUnitRange> ranges_;
    std::map<uint64_t, std::unique_ptr<TMapFile>> units_;

    TDwarfReader(std::unique_ptr<TElfFile> file, uintptr_t bias);
    bool Begin(const std::string& path);
    bool BeginOn(const TElfFile& file);
    void IndexUnits();
    const TMapFile& Unit(uint64_t offset);
    std::vector<TUnitRange>::const_iterator RangeAt(uintptr_t address) const;
};

} // namespace qv::crash

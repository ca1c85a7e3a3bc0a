#pragma once

#include "crash/symbols/MapFile.h"

#include <memory>
#include <string>

namespace qv::crash {

class TDwarfReader;

// The symbols of one module as its first symbol source gives them: one table read whole (a
// package or a map file), or DWARF read a compilation unit at a time as addresses are looked up.
// Not thread-safe: look-ups may read and keep more of the module's DWARF.
class TModuleSymbols {
public:
    // No symbols.
    TModuleSymbols();
    explicit TModuleSymbols(TMapFile table);
    TModuleSymbols(std::unique_ptr<TDwarfReader> dwarf, std::string sourceFile);
    TModuleSymbols(TModuleSymbols&&) noexcept;
    TModuleSymbols& operator=(TModuleSymbols&&) noexcept;
    ~TModuleSymbols();

    bool Valid() const { return valid_; }
    // The file the symbols were read from.
    const std::string& SourceFile() const { return sourceFile_; }
    // The table that names the address: the whole table, or that of the compilation unit holding
    // the address. Null without symbols, or when no unit holds the address. It stays valid and
    // unchanged for the life of this object.
    const TMapFile* TableAt(uintptr_t address);
    // The address of the first code public above the address, or 0.
    uintptr_t NextPublicAfter(uintptr_t address);

private:
    bool valid_ = false;
    std::string sourceFile_;
    TMapFile table_;
    std::unique_ptr<TDwarfReader> dwarf_;
};

} // namespace qv::crash

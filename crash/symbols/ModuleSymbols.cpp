#include "crash/symbols/ModuleSymbols.h"

#include "crash/symbols/DwarfReader.h"

namespace qv::crash {

TModuleSymbols::TModuleSymbols() = default;

TModuleSymbols::TModuleSymbols(TMapFile table)
    : valid_(table.valid), sourceFile_(table.sourceFile), table_(std::move(table)) {}

TModuleSymbols::TModuleSymbols(std::unique_ptr<TDwarfReader> dwarf, std::string sourceFile)
    : valid_(dwarf != nullptr), sourceFile_(std::move(sourceFile)), dwarf_(std::move(dwarf)) {}

TModuleSymbols::TModuleSymbols(TModuleSymbols&&) noexcept = default;
TModuleSymbols& TModuleSymbols::operator=(TModuleSymbols&&) noexcept = default;
TModuleSymbols::~TModuleSymbols() = default;

const TMapFile* TModuleSymbols::TableAt(uintptr_t address) {
    if (!valid_) return nullptr;
    return dwarf_ ? dwarf_->UnitAt(address) : &table_;
}

uintptr_t TModuleSymbols::NextPublicAfter(uintptr_t address) {
    if (!valid_) return 0;
    return dwarf_ ? dwarf_->NextPublicAfter(address) : table_.NextPublicAfter(address);
}

} // namespace qv::crash

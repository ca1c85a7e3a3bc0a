#include "crash/symbols/DwarfPackager.h"

#include "crash/symbols/DwarfReader.h"
#include "crash/symbols/ElfFile.h"
#include "crash/symbols/SymbolPackage.h"

namespace qv::crash {

std::optional<std::string> TDwarfPackager::Package(const std::string& binary, TMapFile& table,
                                                   std::string& error) {
    const TElfFile file(binary);
    const auto codeStart = file.IsOpen() ? file.CodeStart() : std::nullopt;
    if (!codeStart) {
        error = binary + ": not an ELF file with code";
        return std::nullopt;
    }
    table.codeStart = *codeStart;
    if (!TDwarfReader::Read(binary, 0, table)) {
        error = binary + ": no debug information";
        return std::nullopt;
    }
    return TSymbolPackage::Write(table);
}

} // namespace qv::crash

#pragma once

#include <cstdint>
#include <string>

namespace qv::crash {

// The report's two disassembly options.
struct TDisasmOptions {
    // Print the whole function rather than its entry and the stretch around the address.
    bool wholeFunction = false;
    // How many instructions the entry stretch and each side of the address show.
    int32_t context = 5;
};

// Writes the function that contains an address as assembler text, the instruction at the address
// marked with ">".
class TDisassembler {
public:
    static constexpr const char* kFailure =
        "Internal error in ParseFunction while composing the disassembling string...  :-(";

    static std::string Disassemble(uintptr_t address, const TDisasmOptions& options);
};

} // namespace qv::crash

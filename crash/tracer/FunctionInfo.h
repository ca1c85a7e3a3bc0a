#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::crash {

struct TCodeArea {
    uintptr_t start = 0;
    uintptr_t end = 0;
};

// A call found in a function; target is 0 when it is computed at run time.
struct TCallSite {
    uintptr_t site = 0;
    uintptr_t returnAddress = 0;
    uintptr_t target = 0;
};

struct TJumpSite {
    uintptr_t site = 0;
    uintptr_t target = 0;
};

// A table of jump targets of a switch: count entries at address.
struct TCaseTable {
    uintptr_t address = 0;
    uint32_t count = 0;
};

// What the analysis of one function found: every instruction reachable from its start.
struct TFunctionInfo {
    uintptr_t start = 0;
    std::string name;
    std::vector<TCodeArea> areas;
    std::vector<uintptr_t> instructions;
    std::vector<TCallSite> calls;
    std::vector<TJumpSite> jumps;
    std::vector<uintptr_t> labels;
    std::vector<TCaseTable> caseTables;
    bool invalid = true;

    bool IsInstructionStart(uintptr_t address) const;
    bool ContainsCode(uintptr_t address) const;
    const TCallSite* CallReturningTo(uintptr_t returnAddress) const;
};

} // namespace qv::crash

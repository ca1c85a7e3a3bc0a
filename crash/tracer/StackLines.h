#pragma once

#include "crash/tracer/StackOptions.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qv::crash {

// One line of a stack listing; line and relativeLine are 0 when unknown.
struct TStackLine {
    uintptr_t address = 0;
    uintptr_t functionStart = 0;
    std::string moduleName;
    std::string unitName;
    int32_t line = 0;
    int32_t relativeLine = 0;
    std::string functionName;
};

// Lays the lines out in columns: address, offset from the function start (option), module, unit,
// line number (with the distance from the function's first line as an option) and function.
// Each column is padded with blanks to its longest value plus one; a column empty on every line
// takes no room. Addresses have at least 8 lowercase hex digits. Lines are joined with CR LF.
std::string ComposeStackLines(const std::vector<TStackLine>& lines, const TStackOptions& options);

} // namespace qv::crash

#pragma once

#include "crash/tracer/FunctionInfo.h"

#include <cstdint>

namespace qv::crash {

// Decodes a function of this process from its start, following its jumps, until every reachable
// instruction below limit (the next function or the end of the code) has been decoded. Code is
// read through TMemoryReader, so an unmapped address gives an invalid result, never a fault.
class TFunctionAnalyzer {
public:
    // Functions are not followed further than this; larger ones are analysed only in part.
    static constexpr uintptr_t kMaxFunctionSize = 1u << 20;
    // A switch table with more entries than this is not taken for one.
    static constexpr uint32_t kMaxCaseCount = 4096;

    static TFunctionInfo Analyze(uintptr_t start, uintptr_t limit);
};

} // namespace qv::crash

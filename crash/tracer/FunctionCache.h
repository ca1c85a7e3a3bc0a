#pragma once

#include "crash/tracer/FunctionInfo.h"

#include <map>
#include <memory>

namespace qv::crash {

// The analysed functions of the process, by start address, each analysed once and kept.
class TFunctionCache {
public:
    static TFunctionCache& Instance();

    // The function starting at start, decoded up to the next function its module's symbols or
    // exports know (or the end of the module's code); invalid outside every module's code.
    const TFunctionInfo& Function(uintptr_t start);

private:
    std::map<uintptr_t, std::unique_ptr<TFunctionInfo>> functions_;
};

} // namespace qv::crash

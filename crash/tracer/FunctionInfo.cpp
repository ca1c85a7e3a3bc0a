#include "crash/tracer/FunctionInfo.h"

#include <algorithm>

namespace qv::crash {

bool TFunctionInfo::IsInstructionStart(uintptr_t address) const {
    return std::binary_search(instructions.begin(), instructions.end(), address);
}

bool TFunctionInfo::ContainsCode(uintptr_t address) const {
    return std::any_of(areas.begin(), areas.end(),
                       [&](const TCodeArea& area) { return address >= area.start && address < area.end; });
}

const TCallSite* TFunctionInfo::CallReturningTo(uintptr_t returnAddress) const {
    const auto it =
        std::lower_bound(calls.begin(), calls.end(), returnAddress,
                         [](const TCallSite& call, uintptr_t a) { return call.returnAddress < a; });
    return it != calls.end() && it->returnAddress == returnAddress ? &*it : nullptr;
}

} // namespace qv::crash

#pragma once

#include <cstdint>

namespace qv::crash {

// One frame of a caller chain: the return address and the stack slot it was found in.
struct TChainFrame {
    uintptr_t slot = 0;
    uintptr_t address = 0;
};

} // namespace qv::crash

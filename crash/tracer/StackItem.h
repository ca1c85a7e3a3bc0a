#pragma once

#include "crash/symbols/ModuleCache.h"
#include "crash/tracer/StackLines.h"

#include <cstdint>

namespace qv::crash {

// One candidate call frame of a trace.
struct TStackItem {
    // The return address, or the exception address for the certain item.
    uintptr_t address = 0;
    // The stack slot the address was found in; 0 for items not read from the stack.
    uintptr_t slot = 0;
    const TModuleInfo* module = nullptr;
    // On the frame-pointer or the call-frame chain, or one of the trace's fixed ends.
    bool anchored = false;
    // The item's place in the caller chain that call-frame information found: 0 for the trace's
    // start, 1 for its caller and so on; -1 when that chain does not hold the item. Neighbours in
    // that chain have nothing between them.
    int unwound = -1;
    bool certain = false;
    // The certain item of a thread stopped at a return address rather than at an instruction.
    bool afterCall = false;
    // Analysis or decoding found the call instruction that returns here.
    bool confirmed = false;
    // Where the call before the address leads; 0 when it is computed at run time or unknown.
    uintptr_t callTarget = 0;
    // The name at the call's target, where one is known.
    std::string callTargetName;
    // The start of the function holding the address, from symbols or exports; 0 when unknown.
    uintptr_t functionStart = 0;
    // The name of that function; a function's parts (such as the cold part of its throw paths,
    // which the compiler puts apart) share it.
    std::string functionName;
    bool moduleHasSymbols = false;
    bool hasLine = false;
    bool invalid = false;
    TStackLine output;

    // The address that names the item: a return address belongs to the call just before it.
    uintptr_t LookupAddress() const {
        return (certain && !afterCall) || address == 0 ? address : address - 1;
    }
};

} // namespace qv::crash

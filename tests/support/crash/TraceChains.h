#pragma once

#include <cstdint>

namespace qv::crash::test {

using TAction = void (*)(void* context);

// Chains of non-inlined functions for the trace tests; each runs the action at its deepest point.
// The line numbers are those of the calls, as the trace names them.
void ChainOuter(TAction action, void* context);
void ChainMiddle(TAction action, void* context);
void ChainInner(TAction action, void* context);
// Where ChainInner returns to in ChainMiddle (behind a 5-byte relative call), once a chain ran.
extern volatile uintptr_t gMiddleReturnAddress;
// A place among the code whose bytes before it end like a call, though no function makes one.
uintptr_t LookalikeReturnAddress();
extern const int kOuterCallLine;
extern const int kMiddleCallLine;
extern const int kInnerCallLine;

// A switch over eight cases that the compiler turns into a jump table.
int Switch(int x);

// RecurseA -> RecurseB -> RecurseC -> RecurseA ... depth times, then the action.
void RecurseA(int depth, TAction action, void* context);
// The one that branches: on to RecurseA or to the action.
void RecurseC(int depth, TAction action, void* context);
extern const int kRecurseCLine;

} // namespace qv::crash::test

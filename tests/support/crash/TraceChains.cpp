#include "tests/support/crash/TraceChains.h"

namespace qv::crash::test {

namespace {

volatile int gSink;

// Nops, then the bytes of a relative call, then nops, laid among the program's code.
__attribute__((section(".text.qv_lookalike"), used)) const uint8_t kLookalike[16] = {
    0x90, 0x90, 0x90, 0x90, 0xE8, 0x00, 0x00, 0x00, 0x00, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90};

} // namespace

volatile uintptr_t gMiddleReturnAddress;

uintptr_t LookalikeReturnAddress() {
    return reinterpret_cast<uintptr_t>(kLookalike) + 9;
}

__attribute__((noinline)) void ChainInner(TAction action, void* context) {
    gMiddleReturnAddress = reinterpret_cast<uintptr_t>(__builtin_return_address(0));
    action(context);
    gSink = gSink + 1;
}
const int kInnerCallLine = __LINE__ - 3;

__attribute__((noinline)) void ChainMiddle(TAction action, void* context) {
    gSink = gSink + 2;
    ChainInner(action, context);
    gSink = gSink + 2;
}
const int kMiddleCallLine = __LINE__ - 3;

__attribute__((noinline)) void ChainOuter(TAction action, void* context) {
    gSink = gSink + 3;
    ChainMiddle(action, context);
    gSink = gSink + 3;
}
const int kOuterCallLine = __LINE__ - 3;

__attribute__((noinline)) int Switch(int x) {
    int result = 0;
    switch (x) {
    case 0:
        result = gSink * 3;
        break;
    case 1:
        result = gSink * 7;
        break;
    case 2:
        result = gSink - 2;
        break;
    case 3:
        result = gSink ^ 9;
        break;
    case 4:
        result = gSink + 17;
        break;
    case 5:
        result = gSink * 19;
        break;
    case 6:
        result = gSink / 3;
        break;
    case 7:
        result = gSink % 5;
        break;
    default:
        result = -1;
        break;
    }
    gSink = result;
    return result;
}

void RecurseB(int depth, TAction action, void* context);

__attribute__((noinline)) void RecurseA(int depth, TAction action, void* context) {
    gSink = gSink + 1;
    RecurseB(depth, action, context);
    gSink = gSink + 1;
}

__attribute__((noinline)) void RecurseB(int depth, TAction action, void* context) {
    gSink = gSink + 1;
    RecurseC(depth, action, context);
    gSink = gSink + 1;
}

__attribute__((noinline)) void RecurseC(int depth, TAction action, void* context) {
    gSink = gSink + 1;
    if (depth > 0)
        RecurseA(depth - 1, action, context);
    else
        action(context);
    gSink = gSink + 1;
}
const int kRecurseCLine = __LINE__ - 5;

} // namespace qv::crash::test

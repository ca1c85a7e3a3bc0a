#pragma once

#include "crash/DoneEvent.h"

#include <csignal>
#include <cstdint>
#include <exception>
#include <string>
#include <sys/types.h>
#include <ucontext.h>

namespace qv::crash {

// How the faulting thread's registers were captured, which decides where its trace starts.
enum class TCaptureKind : uint32_t {
    // By a fault signal, at the faulting instruction.
    Signal,
    // By the reporter's entry called from the application: the trace starts in the caller.
    Call,
    // By the terminate handler while the runtime still stood in its throw: the trace starts at
    // the code that threw.
    Terminate,
};

// The registers of the faulting thread, which waits while its event is handled, and for a fault
// signal what the kernel said of it.
struct TFaultContext {
    TCaptureKind kind = TCaptureKind::Call;
    ucontext_t context;
    uintptr_t threadPointer = 0;
    siginfo_t signalInfo;
};

// One event on its way from the faulting thread to the handler thread, through the handler pipe
// as one record of native-width fields in this order. A record with no done event ends the handler
// thread.
struct TExceptionRequest {
    // Set by the handler thread when it is done.
    TDoneEvent* doneEvent = nullptr;
    uint64_t threadId = 0;
    // 1: no exception, the main thread stopped answering.
    uint64_t frozen = 0;
    // The exception, or none for a fault signal (its context says what happened) or a freeze.
    const std::exception_ptr* exceptObject = nullptr;
    uintptr_t exceptAddress = 0;
    // 1: the application may go on after this event.
    uint64_t canContinue = 0;
    uintptr_t stackPointer = 0;
    uintptr_t framePointer = 0;
    // Receives the report instead of its being shown, when set.
    std::string* reportOut = nullptr;
    const TFaultContext* contextInfo = nullptr;

    // An exception that the main thread's own event dispatch reported and that the program may
    // continue from: the main thread waits in its event loop, without user input, and is not held.
    bool FromMainThreadsEventDispatch(pid_t mainThread) const {
        return static_cast<pid_t>(threadId) == mainThread && frozen == 0 && canContinue != 0 &&
               contextInfo != nullptr && contextInfo->kind == TCaptureKind::Call;
    }
};
static_assert(sizeof(TExceptionRequest) == 10 * sizeof(uintptr_t));

} // namespace qv::crash

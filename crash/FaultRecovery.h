#pragma once

#include <cstdint>
#include <functional>
#include <ucontext.h>

namespace qv::crash {

// Lets a thread of the reporter live through a fault signal in work that stands on shaky ground
// (the memory of other threads, a process that just failed): the signal handler leads back to the
// faulting thread's innermost recovery point, and the thread goes on after the work.
class TFaultRecovery {
public:
    // Runs the work; false when a fault signal ended it, with the faulting instruction's address
    // in faultAddress. An exception of the work passes through.
    static bool Run(const std::function<void()>& work, uintptr_t& faultAddress);
    // From a fault signal handler: back to the calling thread's innermost recovery point. Returns
    // only when the thread has none.
    static void Recover(const ucontext_t& context);
};

} // namespace qv::crash

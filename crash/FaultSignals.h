#pragma once

namespace qv::crash {

// The routes by which fatal faults and escaping exceptions reach the reporter: handlers for the
// fault signals (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT), run on an alternate stack where the
// thread has one, and the runtime's terminate handler, which sees an exception that leaves a
// thread's outermost frame before its stack is unwound. The faulting thread waits while the
// handler thread reports; then a thread other than the main one ends, and a main thread that
// cannot go on ends the process.
class TFaultSignals {
public:
    static void Install();
    static void Uninstall();
    // Gives the calling thread an alternate signal stack, so that a stack overflow can be reported.
    static void GiveAlternateStack();
    // Takes the calling thread's alternate stack back, before the thread ends.
    static void TakeAlternateStack();
};

} // namespace qv::crash

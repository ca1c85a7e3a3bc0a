#include "crash/FaultSignals.h"

#include "crash/CrashReporter.h"
#include "crash/ZorException.h"
#include "crash/tracer/ThreadState.h"

#include <array>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <sys/syscall.h>
#include <unistd.h>

namespace qv::crash {

namespace {

constexpr std::array<int, 5> kFaultSignals = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
// Room for the handler, which only queues the request and waits, and for the unwinder's frames
// when the runtime reports from here.
constexpr size_t kAlternateStackBytes = 64 * 1024;

std::array<struct sigaction, kFaultSignals.size()> gPrevious{};
std::terminate_handler gPreviousTerminate = nullptr;
bool gInstalled = false;

pid_t CurrentThreadId() {
    return static_cast<pid_t>(::syscall(SYS_gettid));
}

// Ends the calling thread without unwinding its stack, which may be what failed.
[[noreturn]] void EndCurrentThread() {
    if (CurrentThreadId() == ::getpid()) ::_exit(TApplicationActions::kCloseExitCode);
    for (;;)
        ::syscall(SYS_exit, 0);
}

// Lets the signal take its default course: the process ends as if nobody had caught it.
void DefaultAction(int signal) {
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);
}

void OnFaultSignal(int signal, siginfo_t* info, void* raw) {
    TFaultContext fault;
    fault.kind = TCaptureKind::Signal;
    fault.context = *static_cast<const ucontext_t*>(raw);
    fault.context.uc_mcontext.fpregs = nullptr;
    fault.threadPointer = TThreadState::CurrentThreadPointer();
    fault.signalInfo = *info;
    const bool mainThread = CurrentThreadId() == ::getpid();
    if (!TCrashReporter::Instance().ReportFault(fault, !mainThread)) {
        DefaultAction(signal);
        return;
    }
    EndCurrentThread();
}

[[noreturn]] void OnTerminate() {
    static thread_local bool terminating = false;
    if (terminating) std::abort();
    terminating = true;
    TFaultContext fault;
    fault.kind = TCaptureKind::Terminate;
    ::getcontext(&fault.context);
    fault.threadPointer = TThreadState::CurrentThreadPointer();
    std::exception_ptr exception = std::current_exception();
    // Terminate without an exception: a fatal error of the runtime.
    if (!exception) exception = std::make_exception_ptr(ZorException("Runtime error"));
    TCrashReporter::Instance().Report(&exception, CurrentThreadId() != ::getpid(), &fault);
    EndCurrentThread();
}

} // namespace

void TFaultSignals::Install() {
    if (gInstalled) return;
    for (size_t i = 0; i < kFaultSignals.size(); ++i) {
        struct sigaction action {};
        action.sa_sigaction = &OnFaultSignal;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        ::sigaction(kFaultSignals[i], &action, &gPrevious[i]);
    }
    gPreviousTerminate = std::set_terminate(&OnTerminate);
    GiveAlternateStack();
    gInstalled = true;
}

void TFaultSignals::Uninstall() {
    if (!gInstalled) return;
    for (size_t i = 0; i < kFaultSignals.size(); ++i)
        ::sigaction(kFaultSignals[i], &gPrevious[i], nullptr);
    std::set_terminate(gPreviousTerminate);
    gInstalled = false;
}

void TFaultSignals::GiveAlternateStack() {
    stack_t current{};
    if (::sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE) == 0) return;
    stack_t stack{};
    stack.ss_sp = std::malloc(kAlternateStackBytes);
    stack.ss_size = kAlternateStackBytes;
    if (stack.ss_sp != nullptr && ::sigaltstack(&stack, nullptr) != 0) std::free(stack.ss_sp);
}

void TFaultSignals::TakeAlternateStack() {
    stack_t current{};
    if (::sigaltstack(nullptr, &current) != 0 || (current.ss_flags & SS_DISABLE) != 0) return;
    stack_t none{};
    none.ss_flags = SS_DISABLE;
    if (::sigaltstack(&none, nullptr) == 0) std::free(current.ss_sp);
}

} // namespace qv::crash

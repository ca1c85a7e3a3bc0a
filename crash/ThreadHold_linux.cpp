#include "crash/ThreadHold.h"

#include "crash/ThreadState.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <mutex>
#include <semaphore.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace qv::crash {

namespace {

enum TSlotState : int { kIdle, kRequested, kCapturing, kCaptured, kAbandoned };

// Everything the handler touches, allocated before any signal is sent: the handler may only use
// async-signal-safe operations.
struct TSlot {
    std::atomic<pid_t> target{0};
    std::atomic<int> state{kIdle};
    ucontext_t context;
    _libc_fpstate fpState;
    uintptr_t threadPointer = 0;
    sem_t ready;
    sem_t release;
};

TSlot gSlot;
std::atomic<int> gSignal{0};
// One hold at a time, since there is one slot.
std::mutex gHoldMutex;

void OnHoldSignal(int, siginfo_t*, void* raw) {
    const int savedErrno = errno;
    const auto self = static_cast<pid_t>(::syscall(SYS_gettid));
    int expected = kRequested;
    if (gSlot.target.load() == self && gSlot.state.compare_exchange_strong(expected, kCapturing)) {
        const auto* context = static_cast<const ucontext_t*>(raw);
        gSlot.context = *context;
        if (context->uc_mcontext.fpregs != nullptr) {
            gSlot.fpState = *context->uc_mcontext.fpregs;
            gSlot.context.uc_mcontext.fpregs = &gSlot.fpState;
        }
        gSlot.threadPointer = TThreadState::CurrentThreadPointer();
        gSlot.state.store(kCaptured);
        ::sem_post(&gSlot.ready);
        while (::sem_wait(&gSlot.release) != 0 && errno == EINTR) {}
    }
    errno = savedErrno;
}

bool InstallOnce() {
    if (::sem_init(&gSlot.ready, 0, 0) != 0 || ::sem_init(&gSlot.release, 0, 0) != 0) return false;
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0) continue;
        if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction action {};
        action.sa_sigaction = &OnHoldSignal;
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&action.sa_mask);
        if (::sigaction(signal, &action, nullptr) != 0) continue;
        gSignal.store(signal);
        return true;
    }
    return false;
}

bool WaitReady(int milliseconds) {
    timespec deadline{};
    ::clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += milliseconds / 1000;
    deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    while (::sem_clockwait(&gSlot.ready, CLOCK_MONOTONIC, &deadline) != 0)
        if (errno != EINTR) return false;
    return true;
}

} // namespace

bool TThreadHold::Install() {
    static const bool installed = InstallOnce();
    return installed;
}

int TThreadHold::Signal() {
    return gSignal.load();
}

TThreadHold::TThreadHold(pid_t thread) {
    if (!Install() || thread == static_cast<pid_t>(::syscall(SYS_gettid))) return;
    gHoldMutex.lock();
    gSlot.target.store(thread);
    gSlot.state.store(kRequested);
    if (::syscall(SYS_tgkill, ::getpid(), thread, gSignal.load()) != 0) {
        gSlot.state.store(kIdle);
        gHoldMutex.unlock();
        return;
    }
    if (!WaitReady(kAnswerMilliseconds)) {
        int expected = kRequested;
        if (gSlot.state.compare_exchange_strong(expected, kAbandoned)) {
            gHoldMutex.unlock();
            return;
        }
        // The handler started just in time and posts at once.
        while (::sem_wait(&gSlot.ready) != 0 && errno == EINTR) {}
    }
    held_ = true;
}

TThreadHold::~TThreadHold() {
    if (!held_) return;
    gSlot.state.store(kIdle);
    ::sem_post(&gSlot.release);
    gHoldMutex.unlock();
}

const ucontext_t& TThreadHold::Context() const {
    return gSlot.context;
}

uintptr_t TThreadHold::ThreadPointer() const {
    return gSlot.threadPointer;
}

} // namespace qv::crash

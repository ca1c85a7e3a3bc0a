#include "crash/tracer/ThreadHold.h"

#include "crash/tracer/StackMaps.h"
#include "crash/tracer/ThreadState.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <semaphore.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <unistd.h>
#include <vector>

namespace qv::crash {

namespace {

enum TSlotState : uint64_t { kIdle, kRequested, kCapturing, kCaptured, kAbandoned };

// The slot's target thread, state and hold generation share one atomic word, so that a late
// signal of an abandoned hold can never take the place of the current hold's thread: the handler
// only captures when the word names its own thread, the generation its signal carries and a
// request. Bits 0-31 thread id, 32-34 state, 35-63 generation.
constexpr uint64_t Word(pid_t thread, uint64_t state, uint64_t generation) {
    return static_cast<uint32_t>(thread) | state << 32 | generation << 35;
}
constexpr uint64_t kGenerationMask = (uint64_t{1} << 29) - 1;

// Everything the handler touches, prepared before any signal is sent: the handler may only use
// async-signal-safe operations.
struct TSlot {
    std::atomic<uint64_t> word{0};
    ucontext_t context;
    uintptr_t threadPointer = 0;
    sem_t ready;
    sem_t release;
};

TSlot gSlot;
std::atomic<int> gSignal{0};
// One hold at a time, since there is one slot; it also guards the stack buffer.
std::mutex gHoldMutex;
uint64_t gGeneration = 0;

void OnHoldSignal(int, siginfo_t* info, void* raw) {
    const int savedErrno = errno;
    const auto self = static_cast<pid_t>(::syscall(SYS_gettid));
    const auto generation =
        static_cast<uint64_t>(static_cast<uint32_t>(info->si_value.sival_int)) & kGenerationMask;
    uint64_t expected = Word(self, kRequested, generation);
    if (info->si_code == SI_QUEUE &&
        gSlot.word.compare_exchange_strong(expected, Word(self, kCapturing, generation))) {
        gSlot.context = *static_cast<const ucontext_t*>(raw);
        gSlot.context.uc_mcontext.fpregs = nullptr;
        gSlot.threadPointer = TThreadState::CurrentThreadPointer();
        gSlot.word.store(Word(self, kCaptured, generation));
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
        // On the alternate stack where the thread has one: a thread near the end of its stack
        // can still be held.
        action.sa_flags = SA_SIGINFO | SA_RESTART | SA_ONSTACK;
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

bool SendHoldSignal(pid_t thread, uint64_t generation) {
    siginfo_t info{};
    info.si_signo = gSignal.load();
    info.si_code = SI_QUEUE;
    info.si_pid = ::getpid();
    info.si_uid = ::getuid();
    info.si_value.sival_int = static_cast<int>(generation);
    return ::syscall(SYS_rt_tgsigqueueinfo, ::getpid(), thread, info.si_signo, &info) == 0;
}

// Lock-free: the thread is held. The stack buffer was sized before the hold. Bounds that came
// from an earlier reading of the mappings are only trusted through process_vm_readv, which fails
// on what is no longer mapped; a plain copy needs bounds read afresh.
size_t CopyHeldStack(uintptr_t low, uintptr_t high, uintptr_t* buffer, bool freshBounds) {
    const size_t size = std::min<uintptr_t>(high - low, TThreadHold::kMaxStackBytes);
    const iovec local{buffer, size};
    const iovec remote{reinterpret_cast<void*>(low), size};
    const ssize_t read = ::process_vm_readv(::getpid(), &local, 1, &remote, 1, 0);
    if (read >= 0) return static_cast<size_t>(read) == size ? size : 0;
    if ((errno != EPERM && errno != ENOSYS) || !freshBounds) return 0;
    // Where the kernel forbids the call, the bounds come from the mappings, so the range is
    // readable, and the thread is still.
    std::memcpy(buffer, reinterpret_cast<const void*>(low), size);
    return size;
}

// The stack of the held thread from its stack pointer up, by the mappings read before the hold,
// or by the mappings as they are now when those do not hold it: its stack may be younger, or a
// thread's control block lie beyond the mapping that held its stack pointer then. Sets stale
// in the second case. Lock-free.
size_t CopyHeldStackByMaps(const TStackMaps& maps, uintptr_t stackPointer, uintptr_t threadPointer,
                           uintptr_t* buffer, bool& stale) {
    uintptr_t top = maps.StackTop(stackPointer, threadPointer);
    const bool fits = top > stackPointer && (threadPointer <= stackPointer || top == threadPointer);
    if (fits) {
        if (const size_t copied = CopyHeldStack(stackPointer, top, buffer, false)) return copied;
    }
    stale = true;
    top = TStackMaps::ScanStackTop(stackPointer, threadPointer);
    return top > stackPointer ? CopyHeldStack(stackPointer, top, buffer, true) : 0;
}

} // namespace

bool TThreadHold::Install() {
    static const bool installed = InstallOnce();
    return installed;
}

int TThreadHold::Signal() {
    return gSignal.load();
}

std::optional<TThreadSnapshot> TThreadHold::Snapshot(pid_t thread) {
    if (!Install() || thread <= 0 || thread == static_cast<pid_t>(::syscall(SYS_gettid))) return std::nullopt;
    const std::lock_guard lock(gHoldMutex);
    // Read once and kept: reading them costs more than the rest of a hold.
    static TStackMaps maps;
    static bool mapsStale = true;
    if (mapsStale) {
        maps = TStackMaps::Read();
        mapsStale = false;
    }
    // Left uninitialised, so that only the pages a copy touches are ever committed.
    static const std::unique_ptr<uintptr_t[]> buffer(new uintptr_t[kMaxStackBytes / sizeof(uintptr_t)]);
    const uint64_t generation = ++gGeneration & kGenerationMask;
    gSlot.word.store(Word(thread, kRequested, generation));
    if (!SendHoldSignal(thread, generation)) {
        gSlot.word.store(Word(0, kIdle, generation));
        return std::nullopt;
    }
    if (!WaitReady(kAnswerMilliseconds)) {
        uint64_t expected = Word(thread, kRequested, generation);
        if (gSlot.word.compare_exchange_strong(expected, Word(thread, kAbandoned, generation)))
            return std::nullopt;
        // The handler started just in time and posts at once.
        while (::sem_wait(&gSlot.ready) != 0 && errno == EINTR) {}
    }
    const auto stackPointer =
        static_cast<uintptr_t>(gSlot.context.uc_mcontext.gregs[REG_RSP]) & ~uintptr_t{7};
    const size_t copied =
        CopyHeldStackByMaps(maps, stackPointer, gSlot.threadPointer, buffer.get(), mapsStale);
    const ucontext_t context = gSlot.context;
    const uintptr_t threadPointer = gSlot.threadPointer;
    gSlot.word.store(Word(0, kIdle, generation));
    ::sem_post(&gSlot.release);
    if (copied == 0) return std::nullopt;
    return TThreadSnapshot{
        context, threadPointer,
        TStackCopy(stackPointer,
                   std::vector<uintptr_t>(buffer.get(), buffer.get() + copied / sizeof(uintptr_t)))};
}

} // namespace qv::crash

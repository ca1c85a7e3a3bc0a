#include "crash/ThreadHolding.h"

#include "crash/ThreadRegistry.h"
#include "crash/symbols/MapFileCache.h"
#include "crash/symbols/ModuleCache.h"

#include <algorithm>
#include <sys/syscall.h>
#include <unistd.h>

namespace qv::crash {

namespace {

pid_t CurrentThreadId() {
    return static_cast<pid_t>(::syscall(SYS_gettid));
}

bool CreatedInModuleWithSymbols(uintptr_t creator) {
    const TModuleInfo* module = TModuleCache::Instance().FindModule(creator);
    return module != nullptr && TMapFileCache::Instance().HasSymbols(*module);
}

} // namespace

TThreadHolding& TThreadHolding::Instance() {
    static TThreadHolding& holding = *new TThreadHolding;
    return holding;
}

void TThreadHolding::SetMainThreadWaker(std::function<void()> waker) {
    const std::lock_guard lock(mutex_);
    wakeMain_ = std::move(waker);
}

void TThreadHolding::Hold(bool leaveMainThreadRunning) {
    const pid_t self = CurrentThreadId();
    std::vector<pid_t> held;
    for (const auto& [thread, creator] : TThreadRegistry::Instance().CreatedThreads())
        if (thread != self && thread != ::getpid() && CreatedInModuleWithSymbols(creator))
            held.push_back(thread);
    std::function<void()> wake;
    {
        const std::lock_guard lock(mutex_);
        held_ = std::move(held);
        othersHeld_ = true;
        mainTaken_ = self != ::getpid() && !leaveMainThreadRunning;
        mainHeld_ = mainTaken_;
        wake = wakeMain_;
    }
    // A main thread that waits for messages comes to its message retrieval and stays there.
    if (wake) wake();
}

void TThreadHolding::Release() {
    std::function<void()> wake;
    {
        const std::lock_guard lock(mutex_);
        othersHeld_ = false;
        mainHeld_ = false;
        mainTaken_ = false;
        held_.clear();
        wake = wakeMain_;
    }
    changed_.notify_all();
    if (wake) wake();
}

void TThreadHolding::SetMainThreadRunning(bool running) {
    {
        const std::lock_guard lock(mutex_);
        if (!othersHeld_) return;
        mainHeld_ = mainTaken_ && !running;
    }
    changed_.notify_all();
}

void TThreadHolding::WaitWhileHeld() {
    const pid_t self = CurrentThreadId();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] {
        if (self == ::getpid()) return !mainHeld_;
        return !othersHeld_ || std::find(held_.begin(), held_.end(), self) == held_.end();
    });
}

} // namespace qv::crash

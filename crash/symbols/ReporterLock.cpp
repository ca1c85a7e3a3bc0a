#include "crash/symbols/ReporterLock.h"

#include <array>
#include <sys/syscall.h>
#include <unistd.h>

namespace qv::crash {

namespace {

// The reporter has a handful of locks; each registers itself here once.
constexpr size_t kMaxLocks = 8;
std::array<std::atomic<TReporterLock*>, kMaxLocks> gLocks{};
std::atomic<void (*)(const char*)> gTakenHook{nullptr};

pid_t CurrentThreadId() {
    return static_cast<pid_t>(::syscall(SYS_gettid));
}

} // namespace

TReporterLock::TReporterLock(const char* name) : name_(name) {
    for (std::atomic<TReporterLock*>& slot : gLocks) {
        TReporterLock* empty = nullptr;
        if (slot.compare_exchange_strong(empty, this)) return;
    }
}

void TReporterLock::lock() {
    mutex_.lock();
    Taken();
}

void TReporterLock::Taken() {
    if (depth_++ == 0) owner_.store(CurrentThreadId());
    if (auto hook = gTakenHook.load()) hook(name_);
}

void TReporterLock::unlock() {
    if (--depth_ == 0) owner_.store(0);
    mutex_.unlock();
}

void TReporterLock::ReleaseHeldByThisThread() {
    const pid_t self = CurrentThreadId();
    for (const std::atomic<TReporterLock*>& slot : gLocks) {
        TReporterLock* lock = slot.load();
        if (lock == nullptr || lock->owner_.load() != self) continue;
        while (lock->depth_ > 0)
            lock->unlock();
    }
}

void TReporterLock::SetTakenHook(void (*hook)(const char* name)) {
    gTakenHook.store(hook);
}

} // namespace qv::crash

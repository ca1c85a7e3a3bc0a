#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <sys/types.h>

namespace qv::crash {

// A lock of the crash reporter (the thread registry's, the thread holding's, the caches' of report
// composition) that the handler thread can let go after a fault. A fault inside the handler thread
// ends its event with a jump out of the signal handler, past the code that would unlock: a lock
// left held there would stop the next event for good. Recursive for the thread that holds it.
class TReporterLock {
public:
    // The name must live as long as the lock; every lock lives as long as the process.
    explicit TReporterLock(const char* name);
    TReporterLock(const TReporterLock&) = delete;
    TReporterLock& operator=(const TReporterLock&) = delete;

    void lock();
    template <class TRep, class TPeriod>
    bool try_lock_for(const std::chrono::duration<TRep, TPeriod>& wait) {
        if (!mutex_.try_lock_for(wait)) return false;
        Taken();
        return true;
    }
    void unlock();

    // Lets go of every reporter lock that the calling thread holds, however deep.
    static void ReleaseHeldByThisThread();
    // A test's way to act at the moment a lock has been taken: called with the lock's name.
    static void SetTakenHook(void (*hook)(const char* name));

private:
    const char* name_;
    std::recursive_timed_mutex mutex_;
    std::atomic<pid_t> owner_{0};
    // How often the owner took it; only the owner touches it.
    int depth_ = 0;

    void Taken();
};

} // namespace qv::crash

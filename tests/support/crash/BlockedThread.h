#pragma once

#include <atomic>
#include <sys/types.h>
#include <thread>

namespace qv::crash::test {

// A thread that runs ChainOuter -> ChainMiddle -> ChainInner and blocks there in a read from a
// pipe until the object is destroyed. With blockHoldSignals it blocks every real-time signal.
class BlockedThread {
public:
    explicit BlockedThread(bool blockHoldSignals = false);
    ~BlockedThread();
    BlockedThread(const BlockedThread&) = delete;
    BlockedThread& operator=(const BlockedThread&) = delete;

    pid_t Id() const { return id_.load(); }

private:
    int pipe_[2] = {-1, -1};
    bool blockHoldSignals_;
    std::atomic<pid_t> id_{0};
    std::thread thread_;

    static void Wait(void* self);
    bool Sleeping() const;
};

} // namespace qv::crash::test

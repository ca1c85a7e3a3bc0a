#pragma once

#include "crash/ExceptionRequest.h"

#include <atomic>
#include <functional>
#include <sys/types.h>
#include <thread>

namespace qv::crash {

// The one thread that handles the events of the process, one at a time: requests arrive through
// a pipe as fixed-size records, so that threads with events at the same moment queue up in it.
class THandlerThread {
public:
    using THandler = std::function<void(const TExceptionRequest&)>;
    // How long Stop() waits for an event under way.
    static constexpr int kStopMilliseconds = 500;

    // Starts the thread, which names itself "-" in the thread registry and runs `prepare` before
    // it takes the first request; false when it cannot. Returns without waiting for the thread:
    // requests submitted meanwhile wait in the pipe.
    bool Start(THandler handler, std::function<void()> prepare = {});
    // Waits until the thread has prepared and takes requests; at once when it does not run.
    void WaitUntilReady() const;
    // Ends the thread: waits for it up to kStopMilliseconds, and leaves it alone after that.
    void Stop();

    bool Running() const { return writeEnd_.load() >= 0; }
    // 0 until the thread has begun.
    pid_t ThreadId() const { return threadId_.load(); }
    // Async-signal-safe: queues the request; false when the thread does not run.
    bool Submit(const TExceptionRequest& request) const;

private:
    std::atomic<int> writeEnd_{-1};
    int readEnd_ = -1;
    std::atomic<pid_t> threadId_{0};
    std::thread thread_;
    std::atomic<bool> ready_{false};
    std::atomic<bool> ended_{false};

    void Loop(const THandler& handler);
};

} // namespace qv::crash

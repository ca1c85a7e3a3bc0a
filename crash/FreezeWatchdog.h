#pragma once

#include <atomic>
#include <functional>
#include <sys/types.h>
#include <thread>

namespace qv::crash {

class THiddenMessageWindow;

// Notices when the main thread stops answering: it pings the main thread's hidden message window
// every tenth of the timeout, and after ten pings without an answer in a row reports a freeze;
// the next report then needs ten more misses at one and a half times the interval. One per process,
// named "-" in the thread registry.
class TFreezeWatchdog {
public:
    static constexpr int kMissesForFreeze = 10;

    // Starts the watchdog; reportFreeze runs in its thread.
    void Start(int timeoutMs, THiddenMessageWindow& mainWindow, std::function<void()> reportFreeze);
    void Stop();
    bool Running() const { return thread_.joinable(); }
    pid_t ThreadId() const { return threadId_.load(); }

    // Nested pausing around every handled event; async-signal-safe. Pauses from the watchdog's
    // own thread are ignored.
    void Pause();
    void Resume();
    void ResetMisses() { misses_.store(0); }

private:
    std::thread thread_;
    std::atomic<pid_t> threadId_{0};
    std::atomic<bool> stop_{false};
    std::atomic<int> pauses_{0};
    std::atomic<int> misses_{0};
    std::atomic<bool> answered_{false};
    THiddenMessageWindow* window_ = nullptr;
    unsigned pingMessage_ = 0;

    void Loop(int timeoutMs, const std::function<void()>& reportFreeze);
    // Sleeps while paused or for the time, whichever is longer; false when stopped meanwhile.
    bool Sleep(int milliseconds);
};

} // namespace qv::crash

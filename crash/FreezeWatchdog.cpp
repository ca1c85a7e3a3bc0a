#include "crash/FreezeWatchdog.h"

#include "crash/HiddenMessageWindow.h"
#include "crash/ThreadRegistry.h"

#include <chrono>
#include <sys/syscall.h>
#include <unistd.h>

namespace qv::crash {

namespace {

constexpr int kSleepStepMilliseconds = 5;

pid_t CurrentThreadId() {
    return static_cast<pid_t>(::syscall(SYS_gettid));
}

} // namespace

void TFreezeWatchdog::Start(int timeoutMs, THiddenMessageWindow& mainWindow,
                            std::function<void()> reportFreeze) {
    if (Running() || timeoutMs <= 0) return;
    window_ = &mainWindow;
    pingMessage_ = mainWindow.Register([this](intptr_t) {
        answered_.store(true);
        return intptr_t{0};
    });
    stop_.store(false);
    misses_.store(0);
    thread_ = std::thread([this, timeoutMs, reportFreeze = std::move(reportFreeze)] {
        threadId_.store(CurrentThreadId());
        TThreadRegistry::Instance().UpdateThreadEntry(threadId_.load(), TThreadRegistry::kInternalName, 0, 0,
                                                      {});
        Loop(timeoutMs, reportFreeze);
    });
}

void TFreezeWatchdog::Stop() {
    if (!Running()) return;
    stop_.store(true);
    thread_.join();
    window_->Unregister(pingMessage_);
    TThreadRegistry::Instance().RemoveThread(threadId_.exchange(0));
    pauses_.store(0);
}

void TFreezeWatchdog::Pause() {
    if (CurrentThreadId() == threadId_.load()) return;
    if (pauses_.fetch_add(1) == 0) misses_.store(0);
}

void TFreezeWatchdog::Resume() {
    if (CurrentThreadId() == threadId_.load()) return;
    if (pauses_.fetch_sub(1) == 1) misses_.store(0);
}

bool TFreezeWatchdog::Sleep(int milliseconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!stop_.load() && (pauses_.load() > 0 || std::chrono::steady_clock::now() < until))
        std::this_thread::sleep_for(std::chrono::milliseconds(kSleepStepMilliseconds));
    return !stop_.load();
}

void TFreezeWatchdog::Loop(int timeoutMs, const std::function<void()>& reportFreeze) {
    const int baseInterval = std::max(1, timeoutMs / 10);
    int interval = baseInterval;
    while (!stop_.load()) {
        answered_.store(false);
        window_->Post(pingMessage_, 0);
        if (!Sleep(interval)) return;
        if (answered_.load() || pauses_.load() > 0) {
            misses_.store(0);
            interval = baseInterval;
            continue;
        }
        if (misses_.fetch_add(1) + 1 < kMissesForFreeze) continue;
        reportFreeze();
        misses_.store(0);
        interval += interval / 2;
    }
}

} // namespace qv::crash

#include "crash/ReportListeners.h"

#include <algorithm>

namespace qv::crash {

TReportListeners& TReportListeners::Instance() {
    static TReportListeners& listeners = *new TReportListeners;
    return listeners;
}

int TReportListeners::AddExceptionListener(TExceptionListener listener, bool synchronous) {
    const std::lock_guard lock(mutex_);
    entries_.push_back({++lastId_, synchronous, std::move(listener), {}});
    return lastId_;
}

int TReportListeners::AddActionListener(TActionListener listener, bool synchronous) {
    const std::lock_guard lock(mutex_);
    entries_.push_back({++lastId_, synchronous, {}, std::move(listener)});
    return lastId_;
}

void TReportListeners::Remove(int id) {
    const std::lock_guard lock(mutex_);
    std::erase_if(entries_, [id](const TEntry& entry) { return entry.id == id; });
}

void TReportListeners::Clear() {
    const std::lock_guard lock(mutex_);
    entries_.clear();
}

void TReportListeners::SetMainThreadRunner(TMainThreadRunner runner) {
    const std::lock_guard lock(mutex_);
    mainThread_ = std::move(runner);
}

std::vector<TReportListeners::TEntry> TReportListeners::Snapshot() {
    const std::lock_guard lock(mutex_);
    return entries_;
}

void TReportListeners::Run(const TEntry& entry, const std::function<void()>& call) {
    TMainThreadRunner mainThread;
    {
        const std::lock_guard lock(mutex_);
        mainThread = mainThread_;
    }
    // A main thread that does not answer leaves the listener to the handler thread.
    if (!entry.synchronous || !mainThread || !mainThread(call)) call();
}

void TReportListeners::RunExceptionListeners(TListenerEvent& event) {
    const bool couldContinue = event.canContinue;
    for (const TEntry& entry : Snapshot()) {
        if (!entry.exception) continue;
        Run(entry, [&] { entry.exception(event); });
        event.canContinue = event.canContinue && couldContinue;
    }
}

bool TReportListeners::RunActionListeners(int action) {
    bool handled = false;
    for (const TEntry& entry : Snapshot())
        if (entry.action) Run(entry, [&] { handled = entry.action(action) || handled; });
    return handled;
}

} // namespace qv::crash

#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace qv::crash {

// What an exception listener sees of an event, and what it may change.
struct TListenerEvent {
    // 0 before the report is composed, 1 after it, 2 when stage 1 left the event unhandled.
    int stage = 0;
    bool frozen = false;
    std::string className;
    std::string message;
    // The report, from stage 1 on.
    std::string report;
    // A listener may clear it, never set it.
    bool canContinue = false;
    // Set by a listener: the reporter does nothing more of its own.
    bool handled = false;
};

// The application's callbacks around handled events: exception listeners (at each stage of an
// event) and action listeners (before each action, by its code). A synchronous listener runs in
// the main thread, the others in the handler thread. This program registers none.
class TReportListeners {
public:
    using TExceptionListener = std::function<void(TListenerEvent& event)>;
    // Gets the action code; returns true when it carried out the action itself.
    using TActionListener = std::function<bool(int action)>;
    // Runs a synchronous listener's call in the main thread, or returns false when it cannot.
    using TMainThreadRunner = std::function<bool(const std::function<void()>& call)>;

    static TReportListeners& Instance();

    int AddExceptionListener(TExceptionListener listener, bool synchronous);
    int AddActionListener(TActionListener listener, bool synchronous);
    void Remove(int id);
    void Clear();

    void SetMainThreadRunner(TMainThreadRunner runner);
    // Runs the exception listeners for the stage; a listener that clears canContinue cannot
    // set it again.
    void RunExceptionListeners(TListenerEvent& event);
    // True when a listener carried the action out.
    bool RunActionListeners(int action);

private:
    struct TEntry {
        int id;
        bool synchronous;
        TExceptionListener exception;
        TActionListener action;
    };
    std::mutex mutex_;
    std::vector<TEntry> entries_;
    int lastId_ = 0;
    TMainThreadRunner mainThread_;

    std::vector<TEntry> Snapshot();
    void Run(const TEntry& entry, const std::function<void()>& call);
};

} // namespace qv::crash

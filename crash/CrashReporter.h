#pragma once

#include "crash/ConsoleDialog.h"
#include "crash/CrashSettings.h"
#include "crash/ExceptionDialog.h"
#include "crash/ExceptionRequest.h"
#include "crash/ExceptionTimeHistory.h"
#include "crash/FreezeWatchdog.h"
#include "crash/HandlerThread.h"
#include "crash/HiddenMessageWindow.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>

namespace qv::crash {

// The program's way in. main() calls Install() first, before any window exists; the
// application's exception handler calls HandleException().

// Installs the reporter with the settings: takes over from a restarted instance's predecessor,
// starts the handler thread and the routes by which exceptions and faults arrive (fault signals,
// the terminate handler, the program's thread class) and, with a freeze timeout, the watchdog.
// Installing twice does nothing.
void Install(const CrashSettings& settings = CrashSettings::ThisBuild());
// Reports an exception that the application caught at an event handler's boundary, or the one
// being handled when none is given, and returns when the event was handled; the trace starts at
// the caller. canContinue is false when the program cannot go on after it. Never throws.
void HandleException(std::exception_ptr exception = nullptr, bool canContinue = true);
// Undoes the installation; runs by itself at the program's normal end.
void Shutdown();

// The reporter: one per process. The entry routine runs in the thread of the event; the handler
// routine in the handler thread.
class TCrashReporter {
public:
    static TCrashReporter& Instance();

    void Install(const CrashSettings& settings);
    void Shutdown();
    bool Installed() const { return installed_.load(); }

    // The entry routine: hands the event to the handler thread and waits until it is handled
    // (the main thread goes on handling window events meanwhile). Runs the handler routine itself
    // when the handler thread cannot be used, and ignores events of the handler thread itself.
    void Report(const std::exception_ptr* exception, bool canContinue, const TFaultContext* context,
                bool frozen = false, std::string* reportOut = nullptr);
    // The entry routine of a fault signal handler; async-signal-safe. False when the event cannot
    // be reported, so that the signal takes its default course.
    bool ReportFault(const TFaultContext& fault, bool canContinue);

    // The dialog the handler thread shows; the console form until another is set, and for none.
    void SetDialog(std::unique_ptr<TExceptionDialog> dialog);
    // Through the dialog, from any thread; false where there is no clipboard.
    bool PutOnClipboard(const std::string& text) { return dialog_->PutOnClipboard(text); }
    // A console program's message retrieval in its main thread: answers the watchdog and waits
    // while the main thread is held. Programs with a Qt event loop need not call it.
    void ProcessMainThreadMessages();

    const CrashSettings& Settings() const { return settings_; }
    std::chrono::system_clock::time_point InstalledAt() const { return installedAt_; }
    TExceptionTimeHistory& History() { return history_; }
    THiddenMessageWindow& MainThreadWindow() { return mainThreadWindow_; }
    pid_t HandlerThreadId() const { return handlerThread_.ThreadId(); }
    // Returns once the handler thread has done what takes locks ahead of the first event and
    // takes events; Install() does not wait for it.
    void WaitUntilReady() const { handlerThread_.WaitUntilReady(); }

private:
    std::atomic<bool> installed_{false};
    CrashSettings settings_;
    std::chrono::system_clock::time_point installedAt_;
    THandlerThread handlerThread_;
    TExceptionTimeHistory history_;
    THiddenMessageWindow mainThreadWindow_;
    unsigned listenerMessage_ = 0;
    TFreezeWatchdog watchdog_;
    std::unique_ptr<TExceptionDialog> dialog_ = std::make_unique<TConsoleDialog>();
    // Set while synchronous listeners run in the main thread: its own events are ignored then.
    std::atomic<bool> listenersInMainThread_{false};

    bool RunInMainThread(const std::function<void()>& call);
    void RunHandler(const TExceptionRequest& request);
};

} // namespace qv::crash

// Composes a report of the whole process without an exception, for an outside tool that starts a
// thread here: with maxLen of 1 or more it copies the report, cut to maxLen - 1 characters and
// ended by a zero, to the start of the shared memory "zorTraceProcessMap"; below 1 it puts the
// report on the clipboard through the dialog. Returns 0.
extern "C" int32_t zorTraceProcess(int32_t maxLen);

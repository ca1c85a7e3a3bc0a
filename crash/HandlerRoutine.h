#pragma once

#include "crash/ApplicationActions.h"
#include "crash/CrashSettings.h"
#include "crash/ExceptionDialog.h"
#include "crash/ExceptionRequest.h"
#include "crash/ExceptionTimeHistory.h"
#include "crash/FreezeWatchdog.h"

#include <chrono>
#include <string>

namespace qv::crash {

// Handles one event in the handler thread: holds the application's threads, records the time,
// runs the listeners, composes the report (unless the class is ignored), shows the dialog and
// carries out the chosen or the automatic action. Whatever fails inside is swallowed, a fault
// signal included: the faulting thread then goes on as if the event had been handled.
class THandlerRoutine {
public:
    // What the handler takes from the reporter: its settings and installation time for the report,
    // the event history for the automatic rules and restarts, the dialog, and the watchdog that
    // must not count the time spent here as a freeze.
    THandlerRoutine(const CrashSettings& settings, std::chrono::system_clock::time_point installedAt,
                    TExceptionTimeHistory& history, TExceptionDialog& dialog, TFreezeWatchdog& watchdog)
        : settings_(settings), installedAt_(installedAt), history_(history), dialog_(dialog),
          watchdog_(watchdog) {}

    void Run(const TExceptionRequest& request) const;

    // The automatic action: close when the close rule holds or the event cannot continue and the
    // restart rule does not hold; else restart when the restart rule holds; else continue.
    static TAction AutomaticAction(bool canContinue, bool closeRuleHolds, bool restartRuleHolds);
    // Whether the class is one of the comma-separated names (blanks around them and case aside).
    static bool IsIgnored(const std::string& className, const std::string& ignoredClasses);

private:
    const CrashSettings& settings_;
    std::chrono::system_clock::time_point installedAt_;
    TExceptionTimeHistory& history_;
    TExceptionDialog& dialog_;
    TFreezeWatchdog& watchdog_;

    void Handle(const TExceptionRequest& request) const;
    void CarryOut(TAction action) const;
};

} // namespace qv::crash

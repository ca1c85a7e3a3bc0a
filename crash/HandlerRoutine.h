#pragma once

#include "crash/ApplicationActions.h"
#include "crash/ExceptionRequest.h"

#include <string>

namespace qv::crash {

class TCrashReporter;

// Handles one event in the handler thread: holds the application's threads, records the time,
// runs the listeners, composes the report (unless the class is ignored), shows the dialog and
// carries out the chosen or the automatic action. Whatever fails inside is swallowed, a fault
// signal included: the faulting thread then goes on as if the event had been handled.
class THandlerRoutine {
public:
    static void Run(TCrashReporter& reporter, const TExceptionRequest& request);

    // The automatic action: close when the close rule holds or the event cannot continue and the
    // restart rule does not hold; else restart when the restart rule holds; else continue.
    static TAction AutomaticAction(bool canContinue, bool closeRuleHolds, bool restartRuleHolds);
    // Whether the class is one of the comma-separated names (blanks around them and case aside).
    static bool IsIgnored(const std::string& className, const std::string& ignoredClasses);
};

} // namespace qv::crash

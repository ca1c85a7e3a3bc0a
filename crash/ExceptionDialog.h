#pragma once

#include "crash/ApplicationActions.h"
#include "crash/CrashSettings.h"

#include <optional>
#include <string>

namespace qv::crash {

// What the exception dialog is shown for.
struct TDialogRequest {
    bool frozen = false;
    bool canContinue = false;
    // The exception's message, cleaned, for "%exceptMsg%".
    std::string exceptionMessage;
    std::string report;
    // PNG data, or empty.
    std::string screenshot;
    // Whether the automatic rules for closing and restarting hold: the dialog then offers that first.
    bool closeRuleHolds = false;
    bool restartRuleHolds = false;
};

// The exception dialog, run by the handler thread for each event. It shows the event and may let
// the user choose an action, which the handler thread then carries out.
class TExceptionDialog {
public:
    virtual ~TExceptionDialog() = default;
    // Shows the dialog and returns when it is gone: the chosen action (continue, restart or
    // close), or nothing when the dialog does not decide and the automatic action follows.
    virtual std::optional<TAction> Show(const TDialogRequest& request, const CrashSettings& settings) = 0;
    // While the report of an event for the dialog is composed: its progress in thousandths.
    virtual void ShowProgress(int /*permille*/) {}
    // When no dialog follows the progress after all.
    virtual void HideProgress() {}
    // Puts the text on the desktop's clipboard, where it stays after this call; from any thread,
    // the handler thread's dialog notwithstanding. False where there is no clipboard.
    virtual bool PutOnClipboard(const std::string& /*text*/) { return false; }

    // The dialog's message: the error or frozen message with "%exceptMsg%" and "%LF%" replaced.
    static std::string Message(const TDialogRequest& request, const CrashSettings& settings,
                               const std::string& exceptionMessage);
    // "%appname%" in the title replaced by the program's file name.
    static std::string Title(const CrashSettings& settings);
};

} // namespace qv::crash

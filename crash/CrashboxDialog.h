#pragma once

#include "crash/ConsoleDialog.h"
#include "crash/CrashboxChannel.h"
#include "crash/ExceptionDialog.h"

#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace qv::crash {

// The exception dialog of a desktop program, shown by the dialog program quorvane-crashbox: Qt's
// widgets live on one thread, and the dialog must work while the main thread is held, frozen or
// wrecked. The handler thread starts the program, shows the progress of the report through it,
// hands it the report, answers its questions (action listeners, mail, save) and takes its choice.
// Without a display, or when the program cannot start or dies, the console form and the
// automatic action follow: a broken dialog never leaves the program hanging.
class TCrashboxDialog : public TExceptionDialog {
public:
    static constexpr const char* kProgramName = "quorvane-crashbox";
    // How long the dialog program gets to end after its choice before it is killed.
    static constexpr int kEndWaitMs = 2000;
    // How long the dialog program gets to take the clipboard.
    static constexpr int kClipboardWaitMs = 10000;

    explicit TCrashboxDialog(std::string helperPath = HelperOfProgram());
    ~TCrashboxDialog() override;

    std::optional<TAction> Show(const TDialogRequest& request, const CrashSettings& settings) override;
    void ShowProgress(int permille) override;
    void HideProgress() override;
    // A dialog program of its own, without a window, owns the clipboard's text and stays until
    // another program takes the clipboard: this process may be frozen or gone meanwhile.
    bool PutOnClipboard(const std::string& text) override;

    // quorvane-crashbox beside the running program or in its private folder (see
    // platform/CompanionFiles.h); empty when there is none.
    static std::string HelperOfProgram();
    // Whether windows can be shown: a display, or a Qt platform named in the environment.
    static bool DisplayAvailable();

private:
    struct TSession {
        pid_t process = -1;
        TCrashboxChannel channel{-1};
    };
    std::string helperPath_;
    std::unique_ptr<TSession> session_;
    int lastProgress_ = -1;
    // Set when the program went during an event's progress: the event falls back to the console.
    bool broken_ = false;
    TConsoleDialog console_;

    bool StartSession();
    void EndSession();
    // Talks with the dialog program until it chooses; nothing when it went before that.
    std::optional<std::optional<TAction>> Converse(const TDialogRequest& request,
                                                   const CrashSettings& settings);
    std::string Answer(const TCrashboxChannel::TMessage& message, const TDialogRequest& request,
                       const CrashSettings& settings);
};

} // namespace qv::crash

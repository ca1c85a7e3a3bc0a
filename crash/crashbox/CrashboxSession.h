#pragma once

#include "crash/CrashboxChannel.h"
#include "crash/crashbox/ExceptionBox.h"
#include "crash/crashbox/ExceptionBoxActions.h"
#include "crash/crashbox/ProgressWindow.h"

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace qv::crash {

// The dialog program's side of the conversation with the handler thread, on the socket it got as
// standard input and output: shows the progress window, then the dialog, asks the handler thread
// for what the dialog's buttons need, and sends the choice. The program ends when the choice is
// sent or when the handler thread's side goes. Asked to own the clipboard instead, it ends when
// another program takes the clipboard.
class TCrashboxSession : public QObject, public TExceptionBoxActions {
public:
    // How often a wait for an answer lets the windows paint.
    static constexpr int kPaintSliceMs = 20;

    explicit TCrashboxSession(int socket);

    bool Handled(TAction action) override;
    TReportMail::TOutcome Mail() override;
    bool Save(const std::string& path) override;
    void Chosen(std::optional<TAction> action) override;

    TExceptionBox* Box() const { return box_.get(); }

private:
    TCrashboxChannel channel_;
    QSocketNotifier notifier_;
    std::unique_ptr<TProgressWindow> progress_;
    std::unique_ptr<TExceptionBox> box_;
    bool closeRequested_ = false;
    bool waiting_ = false;
    bool ownsClipboard_ = false;

    void Receive();
    void Handle(const TCrashboxChannel::TMessage& message);
    // Sends the question and waits for the answer; empty when the handler thread's side went.
    std::string Ask(TCrashboxChannel::TKind kind, const std::string& payload);
    // Owns the clipboard with the text and tells whether it does.
    void OwnClipboard(const std::string& text);
    void End();
};

} // namespace qv::crash

#include "crash/crashbox/CrashboxSession.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QTimer>

#include <cstdlib>
#include <sstream>

namespace qv::crash {

TCrashboxSession::TCrashboxSession(int socket) : channel_(socket), notifier_(socket, QSocketNotifier::Read) {
    connect(&notifier_, &QSocketNotifier::activated, this, &TCrashboxSession::Receive);
}

void TCrashboxSession::Receive() {
    if (waiting_) return;
    for (;;) {
        TCrashboxChannel::TMessage message;
        const TCrashboxChannel::TRead read = channel_.Read(message, 0);
        if (read == TCrashboxChannel::TRead::Timeout) return;
        if (read == TCrashboxChannel::TRead::Closed) {
            // The clipboard's owner outlives the conversation.
            if (ownsClipboard_)
                notifier_.setEnabled(false);
            else
                End();
            return;
        }
        Handle(message);
    }
}

void TCrashboxSession::Handle(const TCrashboxChannel::TMessage& message) {
    switch (message.kind) {
    case TCrashboxChannel::TKind::Progress:
        if (box_) return;
        if (!progress_) {
            progress_ = std::make_unique<TProgressWindow>();
            progress_->show();
        }
        progress_->SetProgress(std::atoi(message.payload.c_str()));
        return;
    case TCrashboxChannel::TKind::Dialog:
        if (box_) return;
        if (const std::optional<TCrashboxRequest> request = TCrashboxRequest::Decode(message.payload)) {
            progress_.reset();
            box_ = std::make_unique<TExceptionBox>(*request, *this);
            box_->Present();
        } else {
            End();
        }
        return;
    case TCrashboxChannel::TKind::Clipboard:
        if (box_ || progress_) return;
        OwnClipboard(message.payload);
        return;
    case TCrashboxChannel::TKind::Close:
        if (!box_) End();
        closeRequested_ = true;
        // Not inside a button's work: the dialog goes once that is over.
        QTimer::singleShot(0, this, [this] {
            if (box_ && !waiting_) box_->CloseWithoutChoice();
        });
        return;
    default:
        return;
    }
}

std::string TCrashboxSession::Ask(TCrashboxChannel::TKind kind, const std::string& payload) {
    if (!channel_.Write(kind, payload)) {
        End();
        return {};
    }
    waiting_ = true;
    std::string answer;
    for (;;) {
        TCrashboxChannel::TMessage message;
        const TCrashboxChannel::TRead read = channel_.Read(message, kPaintSliceMs);
        if (read == TCrashboxChannel::TRead::Closed) break;
        if (read == TCrashboxChannel::TRead::Timeout) {
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            continue;
        }
        if (message.kind == TCrashboxChannel::TKind::Reply) {
            answer = message.payload;
            break;
        }
        if (message.kind == TCrashboxChannel::TKind::Close) closeRequested_ = true;
    }
    waiting_ = false;
    if (closeRequested_ && box_) QTimer::singleShot(0, box_.get(), &TExceptionBox::CloseWithoutChoice);
    return answer;
}

bool TCrashboxSession::Handled(TAction action) {
    return Ask(TCrashboxChannel::TKind::Ask, std::to_string(static_cast<int>(action))) == "1";
}

TReportMail::TOutcome TCrashboxSession::Mail() {
    std::istringstream answer(Ask(TCrashboxChannel::TKind::Mail, {}));
    int result = 0;
    int way = 0;
    answer >> result >> way;
    return {static_cast<TReportMail::TResult>(result), static_cast<TReportMail::TWay>(way), {}};
}

bool TCrashboxSession::Save(const std::string& path) {
    return Ask(TCrashboxChannel::TKind::Save, path) == "1";
}

void TCrashboxSession::Chosen(std::optional<TAction> action) {
    channel_.Write(TCrashboxChannel::TKind::Chosen, action ? std::to_string(static_cast<int>(*action)) : "");
    End();
}

void TCrashboxSession::OwnClipboard(const std::string& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(TExceptionBox::DesktopText(text));
    ownsClipboard_ = clipboard->ownsClipboard();
    if (ownsClipboard_) {
        connect(clipboard, &QClipboard::changed, this, [this, clipboard](QClipboard::Mode mode) {
            if (mode == QClipboard::Clipboard && !clipboard->ownsClipboard()) End();
        });
    }
    if (!channel_.Write(TCrashboxChannel::TKind::Reply, ownsClipboard_ ? "1" : "0") && !ownsClipboard_) End();
}

void TCrashboxSession::End() {
    notifier_.setEnabled(false);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

} // namespace qv::crash

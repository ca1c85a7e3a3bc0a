#include "crash/CrashboxDialog.h"

#include "crash/CrashReporter.h"
#include "crash/CrashboxRequest.h"
#include "crash/ReportListeners.h"
#include "crash/delivery/ReportFile.h"
#include "crash/delivery/ReportMail.h"
#include "platform/CompanionFiles.h"
#include "platform/Process.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qv::crash {

namespace {

// How often the conversation looks whether the frozen main thread answers again.
constexpr int kFrozenCheckMs = 50;
constexpr int kEndPollMs = 10;

bool EnvironmentSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

} // namespace

TCrashboxDialog::TCrashboxDialog(std::string helperPath) : helperPath_(std::move(helperPath)) {}

TCrashboxDialog::~TCrashboxDialog() {
    EndSession();
}

std::string TCrashboxDialog::HelperOfProgram() {
    return platform::FindCompanionFile(platform::OwnExecutable(), kProgramName, X_OK);
}

bool TCrashboxDialog::DisplayAvailable() {
    return EnvironmentSet("DISPLAY") || EnvironmentSet("WAYLAND_DISPLAY") ||
           EnvironmentSet("QT_QPA_PLATFORM");
}

bool TCrashboxDialog::StartSession() {
    if (session_) return true;
    if (broken_ || !DisplayAvailable() || ::access(helperPath_.c_str(), X_OK) != 0) return false;
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) return false;
    std::optional<platform::THeldProcess> process =
        platform::THeldProcess::Start(helperPath_, {kProgramName}, {sockets[1], sockets[1], -1});
    ::close(sockets[1]);
    if (!process) {
        ::close(sockets[0]);
        return false;
    }
    process->Resume();
    session_ = std::make_unique<TSession>();
    session_->process = process->Id();
    session_->channel = TCrashboxChannel(sockets[0]);
    lastProgress_ = -1;
    return true;
}

void TCrashboxDialog::EndSession() {
    if (!session_) return;
    // Closing our end tells the program to go; it gets a moment before it is killed.
    ::close(session_->channel.Socket());
    const pid_t process = session_->process;
    session_.reset();
    int status = 0;
    for (int waited = 0; waited < kEndWaitMs; waited += kEndPollMs) {
        const pid_t ended = ::waitpid(process, &status, WNOHANG);
        if (ended == process || (ended < 0 && errno != EINTR)) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(kEndPollMs));
    }
    ::kill(process, SIGKILL);
    while (::waitpid(process, &status, 0) < 0 && errno == EINTR) {}
}

void TCrashboxDialog::ShowProgress(int permille) {
    if (permille == lastProgress_ || !StartSession()) return;
    lastProgress_ = permille;
    if (session_->channel.Write(TCrashboxChannel::TKind::Progress, std::to_string(permille))) return;
    // The program went: this event gets no other.
    EndSession();
    broken_ = true;
}

void TCrashboxDialog::HideProgress() {
    EndSession();
    broken_ = false;
}

bool TCrashboxDialog::PutOnClipboard(const std::string& text) {
    if (!DisplayAvailable() || ::access(helperPath_.c_str(), X_OK) != 0) return false;
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) return false;
    const bool started = platform::StartDetached(helperPath_, {kProgramName}, {sockets[1], sockets[1], -1});
    ::close(sockets[1]);
    TCrashboxChannel channel(sockets[0]);
    TCrashboxChannel::TMessage reply;
    const bool owned = started && channel.Write(TCrashboxChannel::TKind::Clipboard, text) &&
                       channel.Read(reply, kClipboardWaitMs) == TCrashboxChannel::TRead::Message &&
                       reply.kind == TCrashboxChannel::TKind::Reply && reply.payload == "1";
    ::close(sockets[0]);
    return owned;
}

std::optional<TAction> TCrashboxDialog::Show(const TDialogRequest& request, const CrashSettings& settings) {
    std::optional<std::optional<TAction>> chosen;
    if (StartSession()) chosen = Converse(request, settings);
    HideProgress();
    if (chosen) return *chosen;
    return console_.Show(request, settings);
}

std::optional<std::optional<TAction>> TCrashboxDialog::Converse(const TDialogRequest& request,
                                                                const CrashSettings& settings) {
    TCrashboxChannel& channel = session_->channel;
    if (!channel.Write(TCrashboxChannel::TKind::Dialog, TCrashboxRequest::From(request, settings).Encode()))
        return std::nullopt;
    // A frozen main thread that handles its messages again answers; the dialog then closes itself.
    THiddenMessageWindow& mainThread = TCrashReporter::Instance().MainThreadWindow();
    auto answered = std::make_shared<std::atomic<bool>>(false);
    unsigned recovery = 0;
    if (request.frozen) {
        recovery = mainThread.Register([answered](intptr_t) {
            answered->store(true);
            return intptr_t{0};
        });
        mainThread.Post(recovery, 0);
    }
    std::optional<std::optional<TAction>> chosen;
    bool closing = false;
    for (;;) {
        TCrashboxChannel::TMessage message;
        const TCrashboxChannel::TRead read = channel.Read(message, request.frozen ? kFrozenCheckMs : -1);
        if (read == TCrashboxChannel::TRead::Closed) break;
        if (read == TCrashboxChannel::TRead::Timeout) {
            if (answered->load() && !closing) closing = channel.Write(TCrashboxChannel::TKind::Close, {});
            continue;
        }
        if (message.kind == TCrashboxChannel::TKind::Chosen) {
            chosen.emplace();
            if (!message.payload.empty()) *chosen = static_cast<TAction>(std::atoi(message.payload.c_str()));
            break;
        }
        if (!channel.Write(TCrashboxChannel::TKind::Reply, Answer(message, request, settings))) break;
    }
    if (recovery != 0) mainThread.Unregister(recovery);
    return chosen;
}

std::string TCrashboxDialog::Answer(const TCrashboxChannel::TMessage& message, const TDialogRequest& request,
                                    const CrashSettings& settings) {
    switch (message.kind) {
    case TCrashboxChannel::TKind::Ask:
        return TReportListeners::Instance().RunActionListeners(std::atoi(message.payload.c_str())) ? "1"
                                                                                                   : "0";
    case TCrashboxChannel::TKind::Mail: {
        const TReportMail::TOutcome outcome =
            TReportMail(settings.delivery).Mail(request.report, request.screenshot, false);
        return std::to_string(static_cast<int>(outcome.result)) + " " +
               std::to_string(static_cast<int>(outcome.way));
    }
    case TCrashboxChannel::TKind::Save:
        return TReportFile::Save(request.report, message.payload, settings.delivery.reportFileMaxSize) ? "1"
                                                                                                       : "0";
    default:
        return {};
    }
}

} // namespace qv::crash

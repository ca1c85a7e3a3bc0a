#include "crash/ConsoleDialog.h"

#include <cerrno>
#include <unistd.h>

namespace qv::crash {

std::string TConsoleDialog::Text(const TDialogRequest& request, const CrashSettings& settings) {
    std::string text = Message(request, settings, request.exceptionMessage) + "\r\n";
    if (settings.showReportAtOnce || !settings.captionShow.empty()) text += "\r\n" + request.report + "\r\n";
    return text;
}

std::optional<TAction> TConsoleDialog::Show(const TDialogRequest& request, const CrashSettings& settings) {
    // Straight to the descriptor: the stream buffers' locks may belong to a thread that waits.
    const std::string text = Text(request, settings);
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(output_, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) break;
        done += static_cast<size_t>(written);
    }
    return std::nullopt;
}

} // namespace qv::crash

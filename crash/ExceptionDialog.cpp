#include "crash/ExceptionDialog.h"

#include "platform/Process.h"

namespace qv::crash {

namespace {

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

std::string TExceptionDialog::Message(const TDialogRequest& request, const CrashSettings& settings,
                                      const std::string& exceptionMessage) {
    const std::string& message = request.frozen ? settings.frozenMessage : settings.errorMessage;
    return ReplaceAll(ReplaceAll(message, "%exceptMsg%", exceptionMessage), "%LF%", "\r\n");
}

std::string TExceptionDialog::Title(const CrashSettings& settings) {
    const std::string program = platform::OwnExecutable();
    return ReplaceAll(settings.titleText, "%appname%", program.substr(program.find_last_of('/') + 1));
}

} // namespace qv::crash

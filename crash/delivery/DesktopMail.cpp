#include "crash/delivery/DesktopMail.h"

#include "framework/Cp1252.h"
#include "platform/Process.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qv::crash {

namespace {

constexpr int kPollMs = 10;

std::string Escaped(const std::string& ansi) {
    static constexpr const char* kEscaped = "\r\n \"#%&+<>?";
    std::string text;
    for (const char c : framework::Cp1252ToUtf8(ansi)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F || std::strchr(kEscaped, c) != nullptr) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", byte);
            text += hex;
        } else {
            text += c;
        }
    }
    return text;
}

} // namespace

bool TDesktopMail::Run(const std::vector<std::string>& arguments, int waitMs) {
    const std::optional<std::string> program = platform::FindProgramOnPath(arguments[0]);
    if (!program) return false;
    const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    // The desktop's tools say much on failure that the user need not read.
    std::optional<platform::THeldProcess> process =
        platform::THeldProcess::Start(*program, arguments, {devNull, devNull, devNull});
    if (devNull >= 0) ::close(devNull);
    if (!process) return false;
    const pid_t id = process->Id();
    if (!process->Resume()) {
        ::waitpid(id, nullptr, 0);
        return false;
    }
    for (int waited = 0; waited < waitMs; waited += kPollMs) {
        int status = 0;
        const pid_t ended = ::waitpid(id, &status, WNOHANG);
        if (ended == id) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (ended < 0 && errno != EINTR) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
    // Still running: the mail program is starting with the mail.
    return true;
}

bool TDesktopMail::HandOver(const TMail& mail, int waitMs) {
    std::vector<std::string> arguments{"xdg-email", "--utf8", "--subject",
                                       framework::Cp1252ToUtf8(mail.subject)};
    // xdg-email ends the body's lines itself.
    std::string body = framework::Cp1252ToUtf8(mail.body);
    for (size_t at = body.find("\r\n"); at != std::string::npos; at = body.find("\r\n", at))
        body.erase(at, 1);
    if (body.size() > kMaxMailtoLength) {
        size_t cut = kMaxMailtoLength;
        // Not inside a character of several bytes.
        while (cut > 0 && (static_cast<unsigned char>(body[cut]) & 0xC0) == 0x80)
            --cut;
        body.resize(cut);
    }
    arguments.insert(arguments.end(), {"--body", body});
    for (const std::string& file : mail.attachments)
        arguments.insert(arguments.end(), {"--attach", file});
    arguments.insert(arguments.end(), mail.recipients.begin(), mail.recipients.end());
    return Run(arguments, waitMs);
}

bool TDesktopMail::OpenMailto(const TMail& mail, int waitMs) {
    return Run({"xdg-open", MailtoAddress(mail)}, waitMs);
}

std::string TDesktopMail::MailtoAddress(const TMail& mail) {
    std::string recipients;
    for (const std::string& recipient : mail.recipients)
        recipients += (recipients.empty() ? "" : ",") + recipient;
    std::string address =
        "mailto:" + recipients + "?subject=" + Escaped(mail.subject) + "&body=" + Escaped(mail.body);
    if (address.size() <= kMaxMailtoLength) return address;
    size_t cut = kMaxMailtoLength;
    // An escape is "%" and two digits: do not end inside one.
    if (address[cut - 1] == '%')
        cut -= 1;
    else if (address[cut - 2] == '%')
        cut -= 2;
    address.resize(cut);
    return address;
}

} // namespace qv::crash

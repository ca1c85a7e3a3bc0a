#include "crash/delivery/ReportMail.h"

#include "crash/delivery/DesktopMail.h"
#include "crash/delivery/MailMessage.h"
#include "crash/delivery/ReportFile.h"
#include "crash/delivery/SmtpClient.h"
#include "framework/Conversions.h"
#include "platform/Process.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <unistd.h>

namespace qv::crash {

namespace {

constexpr const char* kExceptionMessageLabel = "exception message : ";
constexpr const char* kScreenshotFile = "screenShot.png";
constexpr const char* kReportAttachment = "bugreport.txt";

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::vector<std::string> Split(const std::string& text, const std::string& separators) {
    std::vector<std::string> items;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(separators, start);
        if (end == std::string::npos) end = text.size();
        const std::string item = framework::Trim(text.substr(start, end - start));
        if (!item.empty()) items.push_back(item);
        start = end + 1;
    }
    return items;
}

} // namespace

TReportMail::TReportMail(const DeliverySettings& settings)
    : TReportMail(settings, TMxLookup(TMxLookup::ConfiguredServers()), TSmtpClient::kReplyWaitMs) {}

TReportMail::TReportMail(const DeliverySettings& settings, TMxLookup exchangers, int smtpReplyWaitMs)
    : settings_(settings), exchangers_(std::move(exchangers)), smtpReplyWaitMs_(smtpReplyWaitMs) {}

std::vector<std::string> TReportMail::Recipients(const std::string& mailAddress) {
    return Split(mailAddress, ",;");
}

std::string TReportMail::Subject(const DeliverySettings& settings, const std::string& report) {
    const std::string program = platform::OwnExecutable();
    std::string message;
    if (const size_t at = report.find(kExceptionMessageLabel); at != std::string::npos) {
        const size_t start = at + std::strlen(kExceptionMessageLabel);
        message = framework::Trim(report.substr(start, report.find("\r\n", start) - start));
    }
    return ReplaceAll(
        ReplaceAll(settings.mailSubject, "%appname%", program.substr(program.find_last_of('/') + 1)),
        "%exceptMsg%", message);
}

std::string TReportMail::Sender(const DeliverySettings& settings) {
    if (!settings.senderAddress.empty()) return settings.senderAddress;
    const std::vector<std::string> recipients = Recipients(settings.mailAddress);
    if (recipients.empty()) return {};
    const std::string& first = recipients.front();
    const size_t open = first.find('<');
    return "zorExcept " + (open == std::string::npos ? "<" + first + ">" : first.substr(open));
}

bool TReportMail::Online() {
    ifaddrs* interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0) return false;
    bool online = false;
    for (const ifaddrs* entry = interfaces; entry != nullptr && !online; entry = entry->ifa_next)
        online = entry->ifa_addr != nullptr && (entry->ifa_flags & IFF_UP) != 0 &&
                 (entry->ifa_flags & IFF_RUNNING) != 0 && (entry->ifa_flags & IFF_LOOPBACK) == 0 &&
                 (entry->ifa_addr->sa_family == AF_INET || entry->ifa_addr->sa_family == AF_INET6);
    ::freeifaddrs(interfaces);
    return online;
}

std::string TReportMail::SettingsError(const DeliverySettings& settings) {
    const std::pair<const std::string*, const char*> fields[] = {{&settings.mailAddress, "recipient address"},
                                                                 {&settings.senderAddress, "sender address"},
                                                                 {&settings.mailSubject, "subject"}};
    for (const auto& [text, what] : fields)
        if (HasLineBreak(*text))
            return std::string("The mail's ") + what + " holds a line break: no mail was sent.";
    return {};
}

std::vector<std::string> TReportMail::Attachments(const std::string& screenshot,
                                                  TDeliveryFolder& folder) const {
    std::vector<std::string> files;
    if (settings_.attachReportFile) {
        const std::string report = TReportFile::AutomaticPath(settings_);
        if (::access(report.c_str(), F_OK) == 0) files.push_back(report);
    }
    if (!screenshot.empty())
        if (const std::string path = folder.Write(kScreenshotFile, screenshot); !path.empty())
            files.push_back(path);
    for (const std::string& extra : Split(settings_.extraAttachments, "|"))
        files.push_back(extra);
    return files;
}

bool TReportMail::SendBySmtp(const std::string& data, const std::vector<std::string>& recipients,
                             std::string& refusal) const {
    const TSmtpClient client(smtpReplyWaitMs_);
    TSmtpClient::TSession session;
    session.port = settings_.smtpPort;
    session.sender = Sender(settings_);
    session.data = data;
    if (settings_.smtpDirect) {
        bool sent = false;
        for (const std::string& recipient : recipients) {
            const std::optional<std::string> exchanger =
                exchangers_.ExchangerFor(recipient, client.Deadline());
            if (!exchanger) continue;
            session.host = *exchanger;
            session.recipients = {recipient};
            sent = client.Send(session) || sent;
        }
        return sent;
    }
    session.host = settings_.smtpServer;
    session.account = settings_.smtpAccount;
    session.password = settings_.smtpPassword;
    session.recipients = recipients;
    return client.Send(session, &refusal);
}

TReportMail::TOutcome TReportMail::Mail(const std::string& report, const std::string& screenshot,
                                        bool automatic) const {
    TOutcome outcome;
    outcome.error = SettingsError(settings_);
    if (!outcome.error.empty()) {
        std::fprintf(stderr, "%s\n", outcome.error.c_str());
        return outcome;
    }
    const std::vector<std::string> recipients = Recipients(settings_.mailAddress);
    const std::string subject = Subject(settings_, report);
    TDeliveryFolder folder;
    const std::vector<std::string> attachments = Attachments(screenshot, folder);
    const bool smtp = !recipients.empty() &&
                      (settings_.smtpDirect || (settings_.smtpViaRelay && !settings_.smtpServer.empty()));
    if (smtp && Online()) {
        TMailMessage message;
        message.recipients = recipients;
        message.sender = Sender(settings_);
        message.subject = subject;
        message.body = report;
        message.attachments = attachments;
        const std::optional<std::string> data = message.Compose(std::chrono::system_clock::now());
        if (data && SendBySmtp(*data, recipients, outcome.error)) outcome = {TResult::Sent, TWay::Smtp, {}};
        if (!outcome.error.empty()) std::fprintf(stderr, "%s\n", outcome.error.c_str());
    }
    TDesktopMail::TMail desktop{recipients, subject, report, attachments};
    if (outcome.result != TResult::Sent && settings_.useMapi && !automatic) {
        // The whole report goes along as a file: a mail program may cut a long body.
        if (const std::string file = folder.Write(kReportAttachment, report); !file.empty())
            desktop.attachments.insert(desktop.attachments.begin(), file);
        if (TDesktopMail::HandOver(desktop)) {
            outcome = {TResult::Sent, TWay::Desktop, {}};
            folder.Keep();
        }
    }
    if (outcome.result != TResult::Sent && settings_.useMailto && !automatic &&
        TDesktopMail::OpenMailto(desktop))
        outcome = {TResult::Sent, TWay::Mailto, {}};
    // A desktop mail program reads its attachments later: only a mail that went out lets the file go.
    if (outcome.way == TWay::Smtp && settings_.attachReportFile && settings_.deleteAttachedFile)
        ::unlink(TReportFile::AutomaticPath(settings_).c_str());
    return outcome;
}

} // namespace qv::crash

#pragma once

#include "crash/CrashSettings.h"
#include "crash/delivery/MxLookup.h"

#include <string>
#include <vector>

namespace qv::crash {

// Mails a report as the settings say: by SMTP, straight to each recipient's mail exchanger or
// through the relay; failing that, through the desktop's mail program (xdg-email), and, when the
// user asked for the mail, with a "mailto:" address.
class TReportMail {
public:
    enum class TResult { Failed = 0, Sent = 1, Cancelled = 2 };
    // The way by which the mail left, which tells the dialog what to say.
    enum class TWay { None, Smtp, Desktop, Mailto };
    struct TOutcome {
        TResult result = TResult::Failed;
        TWay way = TWay::None;
    };

    // The exchangers are looked up through the name servers of the system.
    explicit TReportMail(const CrashSettings& settings);
    TReportMail(const CrashSettings& settings, TMxLookup exchangers, int smtpReplyWaitMs);

    // An automatic mail uses no desktop program: it must not show a window.
    TOutcome Mail(const std::string& report, const std::string& screenshot, bool automatic) const;

    // The recipients of the settings, split at "," and ";", blanks around them dropped.
    static std::vector<std::string> Recipients(const std::string& mailAddress);
    // "%appname%" and "%exceptMsg%" (the report's first "exception message" value) replaced.
    static std::string Subject(const CrashSettings& settings, const std::string& report);
    // The sender address, or "zorExcept " + the first recipient in angle brackets.
    static std::string Sender(const CrashSettings& settings);
    // Whether the computer has a network connection beyond itself.
    static bool Online();

private:
    const CrashSettings& settings_;
    TMxLookup exchangers_;
    int smtpReplyWaitMs_;

    bool SendBySmtp(const std::string& data, const std::vector<std::string>& recipients) const;
    std::vector<std::string> Attachments(const std::string& screenshot) const;
};

} // namespace qv::crash

#pragma once

#include "crash/delivery/DeliveryFolder.h"
#include "crash/delivery/DeliverySettings.h"
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
        // Why the mail was refused before any way was tried, or why the SMTP relay was not given
        // the account (then the other ways are still tried); empty otherwise.
        std::string error;
    };

    // The exchangers are looked up through the name servers of the system.
    explicit TReportMail(const DeliverySettings& settings);
    TReportMail(const DeliverySettings& settings, TMxLookup exchangers, int smtpReplyWaitMs);

    // An automatic mail uses no desktop program: it must not show a window. Settings whose
    // addresses or subject hold a line break refuse the mail (the reason on standard error). The
    // files the mail needs live in a delivery folder that goes when the mail is done.
    TOutcome Mail(const std::string& report, const std::string& screenshot, bool automatic) const;

    // The recipients of the settings, split at "," and ";", blanks around them dropped.
    static std::vector<std::string> Recipients(const std::string& mailAddress);
    // "%appname%" and "%exceptMsg%" (the report's first "exception message" value) replaced.
    static std::string Subject(const DeliverySettings& settings, const std::string& report);
    // The sender address, or "zorExcept " + the first recipient in angle brackets.
    static std::string Sender(const DeliverySettings& settings);
    // Whether the computer has a network connection beyond itself.
    static bool Online();
    // Why the settings cannot make a mail: a recipient address, sender address or subject with a
    // CR or LF, which would end a command or header line early. Empty when they can.
    static std::string SettingsError(const DeliverySettings& settings);

private:
    const DeliverySettings& settings_;
    TMxLookup exchangers_;
    int smtpReplyWaitMs_;

    // `refusal` says why a session refused to go on when the account could not be sent safely.
    bool SendBySmtp(const std::string& data, const std::vector<std::string>& recipients,
                    std::string& refusal) const;
    std::vector<std::string> Attachments(const std::string& screenshot, TDeliveryFolder& folder) const;
};

} // namespace qv::crash

#pragma once

#include <string>
#include <vector>

namespace qv::crash {

// Hands a mail to the user's mail program through the desktop: xdg-email with the attachments
// attached, or a "mailto:" address opened by the desktop's URL handler. The desktop's programs are
// looked up in the absolute folders of PATH only; a mail for which none is found has failed.
class TDesktopMail {
public:
    // How long a hand-over is waited for; a mail program that is still starting then is left to it.
    static constexpr int kHandOverWaitMs = 10000;
    // The longest "mailto:" address handed over; a longer one is cut.
    static constexpr size_t kMaxMailtoLength = 32766;

    struct TMail {
        std::vector<std::string> recipients;
        std::string subject;
        // The report, in its code page.
        std::string body;
        std::vector<std::string> attachments;
    };

    // True when xdg-email took the mail.
    static bool HandOver(const TMail& mail, int waitMs = kHandOverWaitMs);
    // True when the desktop's URL handler took the address.
    static bool OpenMailto(const TMail& mail, int waitMs = kHandOverWaitMs);

    // "mailto:" + recipients + "?subject=" + subject + "&body=" + body, the texts in UTF-8 with
    // line ends, blanks, '"', '#', '%', '&', '+', '<', '>', '?' and every byte beyond ASCII escaped
    // as "%" and two hex digits, cut to the longest address without splitting an escape.
    static std::string MailtoAddress(const TMail& mail);

private:
    static bool Run(const std::vector<std::string>& arguments, int waitMs);
};

} // namespace qv::crash

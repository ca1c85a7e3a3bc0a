#pragma once

#include "crash/CrashSettings.h"
#include "crash/ExceptionDialog.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace qv::crash {

// What the dialog program needs to show one event: the texts resolved, the dialog settings, the
// facts of the event and the report. Texts are in the report's code page.
struct TCrashboxRequest {
    std::string title;
    std::string message;
    // Indexed by action code: mail, save, print, show, continue, restart, close.
    std::array<std::string, 7> captions;
    bool frozen = false;
    bool canContinue = false;
    bool closeRuleHolds = false;
    bool restartRuleHolds = false;
    bool showReportAtOnce = false;
    bool copyReportToClipboard = true;
    bool autoContinue = false;
    bool drawnButtons = true;
    int32_t autoActionDelaySec = 60;
    // The report file's name ("%appname%" replaced), and the folder a save dialog opens in.
    std::string saveFileName;
    std::string saveFolder;
    std::string mailSentMessage;
    std::string mailFailedMessage;
    std::string report;

    static TCrashboxRequest From(const TDialogRequest& request, const CrashSettings& settings);

    std::string Encode() const;
    // Nothing when the bytes are not a whole request.
    static std::optional<TCrashboxRequest> Decode(const std::string& bytes);

private:
    // Visits the fields in their order on the wire.
    template <class TRequest, class TVisitor>
    static void Fields(TRequest& request, TVisitor&& visit);
};

} // namespace qv::crash

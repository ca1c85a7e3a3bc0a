#include "crash/CrashboxRequest.h"

#include "crash/delivery/ReportFile.h"

#include <cstring>
#include <type_traits>

namespace qv::crash {

template <class TRequest, class TVisitor>
void TCrashboxRequest::Fields(TRequest& request, TVisitor&& visit) {
    visit(request.title);
    visit(request.message);
    for (auto& caption : request.captions)
        visit(caption);
    for (auto* flag : {&request.frozen, &request.canContinue, &request.closeRuleHolds,
                       &request.restartRuleHolds, &request.showReportAtOnce, &request.copyReportToClipboard,
                       &request.autoContinue, &request.drawnButtons})
        visit(*flag);
    visit(request.autoActionDelaySec);
    visit(request.saveFileName);
    visit(request.saveFolder);
    visit(request.mailSentMessage);
    visit(request.mailFailedMessage);
    visit(request.report);
}

TCrashboxRequest TCrashboxRequest::From(const TDialogRequest& request, const CrashSettings& settings) {
    TCrashboxRequest result;
    result.title = TExceptionDialog::Title(settings);
    result.message = TExceptionDialog::Message(request, settings, request.exceptionMessage + ".");
    result.captions = {settings.captionMail, settings.captionSave,     settings.captionPrint,
                       settings.captionShow, settings.captionContinue, settings.captionRestart,
                       settings.captionClose};
    result.frozen = request.frozen;
    result.canContinue = request.canContinue;
    result.closeRuleHolds = request.closeRuleHolds;
    result.restartRuleHolds = request.restartRuleHolds;
    result.showReportAtOnce = settings.showReportAtOnce;
    result.copyReportToClipboard = settings.copyReportToClipboard;
    result.autoContinue = settings.autoContinue;
    result.drawnButtons = settings.drawnButtons;
    result.autoActionDelaySec = settings.autoActionDelaySec;
    result.saveFileName = TReportFile::FileName(settings.delivery);
    result.saveFolder = TReportFile::ReportFolder();
    result.mailSentMessage = settings.delivery.mailSentMessage;
    result.mailFailedMessage = settings.delivery.mailFailedMessage;
    result.report = request.report;
    return result;
}

std::string TCrashboxRequest::Encode() const {
    std::string bytes;
    Fields(*this, [&bytes](const auto& field) {
        using T = std::decay_t<decltype(field)>;
        if constexpr (std::is_same_v<T, std::string>) {
            const auto length = static_cast<uint32_t>(field.size());
            bytes.append(reinterpret_cast<const char*>(&length), sizeof length);
            bytes += field;
        } else {
            bytes.append(reinterpret_cast<const char*>(&field), sizeof field);
        }
    });
    return bytes;
}

std::optional<TCrashboxRequest> TCrashboxRequest::Decode(const std::string& bytes) {
    TCrashboxRequest request;
    size_t at = 0;
    bool whole = true;
    auto take = [&](void* into, size_t size) {
        if (!whole || bytes.size() - at < size) {
            whole = false;
            return;
        }
        std::memcpy(into, bytes.data() + at, size);
        at += size;
    };
    Fields(request, [&](auto& field) {
        using T = std::decay_t<decltype(field)>;
        if constexpr (std::is_same_v<T, std::string>) {
            uint32_t length = 0;
            take(&length, sizeof length);
            if (!whole || bytes.size() - at < length) {
                whole = false;
                return;
            }
            field.assign(bytes, at, length);
            at += length;
        } else if constexpr (std::is_same_v<T, bool>) {
            char flag = 0;
            take(&flag, 1);
            field = flag != 0;
        } else {
            take(&field, sizeof field);
        }
    });
    if (!whole || at != bytes.size()) return std::nullopt;
    return request;
}

} // namespace qv::crash

#include "crash/HandlerRoutine.h"

#include "crash/BugReport.h"
#include "crash/ExceptionInfo.h"
#include "crash/FaultMessage.h"
#include "crash/FaultRecovery.h"
#include "crash/ReportFormat.h"
#include "crash/ReportListeners.h"
#include "crash/ThreadHolding.h"
#include "crash/ThreadRegistry.h"
#include "crash/ZorException.h"
#include "crash/delivery/ReportFile.h"
#include "crash/delivery/ReportMail.h"
#include "crash/tracer/ThreadTracer.h"
#include "framework/Conversions.h"

#include <sstream>
#include <unistd.h>

namespace qv::crash {

namespace {

// The screenshot's size class for a limit: 4, 51200, 102400, 204800 and 307200 give 1 to 5.
int ScreenshotSizeClass(int32_t limit) {
    static constexpr int32_t kLimits[] = {4, 51200, 102400, 204800, 307200};
    for (int i = 0; i < 5; ++i)
        if (limit == kLimits[i]) return i + 1;
    return 0;
}

// The exception that the request stands for: the one it carries, or what a fault signal turns into.
std::exception_ptr EventException(const TExceptionRequest& request) {
    if (request.exceptObject != nullptr) return *request.exceptObject;
    const TFaultContext* fault = request.contextInfo;
    if (request.frozen == 0 && fault != nullptr && fault->kind == TCaptureKind::Signal)
        return std::make_exception_ptr(ZorException(TFaultMessage::Compose(*fault)));
    return nullptr;
}

// Saves and mails the report before the dialog when the settings say so, without a window.
void Deliver(const CrashSettings& settings, const TDialogRequest& dialog) {
    TReportListeners& listeners = TReportListeners::Instance();
    if (settings.saveWithoutAsking && !listeners.RunActionListeners(static_cast<int>(TAction::Save)))
        TReportFile::Save(dialog.report, TReportFile::AutomaticPath(settings.delivery),
                          settings.delivery.reportFileMaxSize);
    if (settings.mailWithoutAsking && !listeners.RunActionListeners(static_cast<int>(TAction::Mail)))
        TReportMail(settings.delivery).Mail(dialog.report, dialog.screenshot, true);
}

} // namespace

void THandlerRoutine::CarryOut(TAction action) const {
    if (TReportListeners::Instance().RunActionListeners(static_cast<int>(action))) return;
    if (action == TAction::Restart) TApplicationActions::Restart(history_);
    if (action == TAction::Close) TApplicationActions::Close();
}

void THandlerRoutine::Handle(const TExceptionRequest& request) const {
    const bool frozen = request.frozen != 0;
    const std::exception_ptr exception = EventException(request);
    const TExceptionInfo info = TExceptionInfo::Describe(exception);
    if (!frozen && settings_.pauseOtherThreads)
        TThreadHolding::Instance().Hold(request.FromMainThreadsEventDispatch(::getpid()));
    history_.Push(TExceptionTimeHistory::Now());

    TListenerEvent event;
    event.frozen = frozen;
    event.className = info.className;
    event.message = info.message;
    event.canContinue = request.canContinue != 0;
    TReportListeners::Instance().RunExceptionListeners(event);
    TDialogRequest dialog;
    if (!event.handled && !IsIgnored(info.className, settings_.ignoredClasses)) {
        if (settings_.screenshotProvider && settings_.screenshotLimit > 0)
            dialog.screenshot = settings_.screenshotProvider(ScreenshotSizeClass(settings_.screenshotLimit));
        TReportSubject subject;
        subject.frozen = frozen;
        subject.exception = info;
        subject.exceptionAddress = request.exceptAddress;
        subject.threadId = frozen ? ::getpid() : static_cast<pid_t>(request.threadId);
        subject.context = frozen ? nullptr : request.contextInfo;
        TBugReport composer(settings_, installedAt_);
        // The progress window shows only when the dialog follows.
        if (settings_.showDialog && settings_.webExtensionEntry == nullptr)
            composer.SetProgress([this](int permille) { dialog_.ShowProgress(permille); });
        dialog.report = composer.Compose(subject);
        event.report = dialog.report;
        for (event.stage = 1; event.stage <= 2 && !event.handled; ++event.stage)
            TReportListeners::Instance().RunExceptionListeners(event);
    }
    const bool canContinue = event.canContinue;
    if (event.handled) dialog_.HideProgress();
    if (event.handled && canContinue) return;

    if (!event.handled) Deliver(settings_, dialog);
    std::optional<TAction> chosen;
    const int64_t now = TExceptionTimeHistory::Now();
    const bool closeRule = history_.RuleHolds(settings_.autoCloseRule, now);
    const bool restartRule = history_.RuleHolds(settings_.autoRestartRule, now);
    if (!event.handled && settings_.showDialog) {
        if (settings_.webExtensionEntry != nullptr && request.reportOut != nullptr) {
            *request.reportOut = dialog.report;
        } else {
            dialog.frozen = frozen;
            dialog.canContinue = canContinue;
            dialog.exceptionMessage = TReportFormat::CleanMessage(info.message);
            dialog.closeRuleHolds = closeRule;
            dialog.restartRuleHolds = restartRule;
            chosen = dialog_.Show(dialog, settings_);
        }
    }
    dialog_.HideProgress();
    // A dialog's continue is no choice for an event that cannot continue.
    if (!chosen || (*chosen == TAction::Continue && !canContinue))
        chosen = AutomaticAction(canContinue, closeRule, restartRule);
    CarryOut(*chosen);
}

bool THandlerRoutine::IsIgnored(const std::string& className, const std::string& ignoredClasses) {
    std::istringstream items(ignoredClasses);
    std::string item;
    while (std::getline(items, item, ','))
        if (framework::SameText(framework::Trim(item), className)) return true;
    return false;
}

TAction THandlerRoutine::AutomaticAction(bool canContinue, bool closeRuleHolds, bool restartRuleHolds) {
    if (closeRuleHolds || (!canContinue && !restartRuleHolds)) return TAction::Close;
    return restartRuleHolds ? TAction::Restart : TAction::Continue;
}

void THandlerRoutine::Run(const TExceptionRequest& request) const {
    try {
        // A fault inside ends the event's handling as if it were done.
        uintptr_t faultAddress = 0;
        TFaultRecovery::Run([&] { Handle(request); }, faultAddress);
    } catch (...) {
        // The reporter never lets an exception of its own escape.
    }
    const TFaultContext* fault = request.contextInfo;
    // A thread that met a fault or a fatal exception ends once its event is handled.
    if (fault != nullptr && fault->kind != TCaptureKind::Call &&
        static_cast<pid_t>(request.threadId) != ::getpid())
        TThreadRegistry::Instance().RemoveThread(static_cast<pid_t>(request.threadId));
    watchdog_.ResetMisses();
    TThreadHolding::Instance().Release();
}

} // namespace qv::crash

#include "crash/CrashReporter.h"

#include "crash/ApplicationActions.h"
#include "crash/BugReport.h"
#include "crash/ExceptionInfo.h"
#include "crash/FaultRecovery.h"
#include "crash/FaultSignals.h"
#include "crash/HandlerRoutine.h"
#include "crash/MainThreadEvents.h"
#include "crash/ReportListeners.h"
#include "crash/ThreadClassObserver.h"
#include "crash/ThreadHolding.h"
#include "crash/ThreadRegistry.h"
#include "crash/tracer/ThreadState.h"
#include "crash/tracer/ThreadTracer.h"
#include "platform/SharedMemory.h"

#include <algorithm>
#include <cfenv>
#include <cstdlib>
#include <cstring>
#include <sys/syscall.h>
#include <unistd.h>

namespace qv::crash {

namespace {

// The probe of the main thread before synchronous listeners run there, and its answer.
constexpr int kMainThreadProbeMilliseconds = 1500;
constexpr intptr_t kProbeAnswer = 777;

pid_t CurrentThreadId() {
    return static_cast<pid_t>(::syscall(SYS_gettid));
}

TThreadClassObserver gThreadClassObserver;

} // namespace

TCrashReporter& TCrashReporter::Instance() {
    // Never destroyed: threads may report up to the process's last moment.
    static TCrashReporter& reporter = *new TCrashReporter;
    return reporter;
}

void TCrashReporter::Install(const CrashSettings& settings) {
    if (installed_.exchange(true)) return;
    settings_ = settings;
    TApplicationActions::TakeOverFromRestart(history_);
    if (!(settings_.reporterEnabled && settings_.hookRuntime) && settings_.freezeTimeoutMs <= 0) return;
    installedAt_ = std::chrono::system_clock::now();
    TThreadRegistry::Instance().UpdateThreadEntry(::getpid(), "main thread", 0, 0, {});
    if (settings_.reporterEnabled || settings_.freezeTimeoutMs > 0) {
        // What takes locks is done before the first event, so that a trace in trouble finds it
        // done; the handler thread does it, beside the program's own start-up rather than before it.
        const bool started = handlerThread_.Start(
            [this](const TExceptionRequest& request) {
                RunHandler(request);
                request.doneEvent->Set();
                if (static_cast<pid_t>(request.threadId) == ::getpid()) TMainThreadEvents::Wake();
            },
            [] {
                // A fault in it ends only the priming; the thread goes on to take events.
                uintptr_t faultAddress = 0;
                TFaultRecovery::Run(&TThreadTracer::Prime, faultAddress);
            });
        if (!started) TThreadTracer::Prime();
        TMainThreadEvents::Install(mainThreadWindow_);
        mainThreadWindow_.SetWaker(&TMainThreadEvents::Wake);
        listenerMessage_ = mainThreadWindow_.Register(
            [](intptr_t parameter) { return parameter == 1 ? kProbeAnswer : intptr_t{0}; });
        TThreadHolding::Instance().SetMainThreadWaker(&TMainThreadEvents::Wake);
        TReportListeners::Instance().SetMainThreadRunner(
            [this](const std::function<void()>& call) { return RunInMainThread(call); });
    }
    if (settings_.reporterEnabled && settings_.hookRuntime) {
        TFaultSignals::Install();
        platform::TThread::SetObserver(&gThreadClassObserver);
    }
    if (settings_.freezeTimeoutMs > 0) {
        watchdog_.Start(settings_.freezeTimeoutMs, mainThreadWindow_,
                        [this] { Report(nullptr, true, nullptr, true); });
    }
    std::atexit([] { TCrashReporter::Instance().Shutdown(); });
}

void TCrashReporter::Shutdown() {
    if (!installed_.exchange(false)) return;
    TFaultSignals::Uninstall();
    platform::TThread::SetObserver(nullptr);
    watchdog_.Stop();
    handlerThread_.Stop();
    mainThreadWindow_.Unregister(listenerMessage_);
    TThreadHolding::Instance().Release();
    TReportListeners::Instance().Clear();
    TThreadRegistry::Instance().RemoveThread(::getpid());
}

void TCrashReporter::RunHandler(const TExceptionRequest& request) {
    THandlerRoutine(settings_, installedAt_, history_, *dialog_, watchdog_).Run(request);
}

bool TCrashReporter::RunInMainThread(const std::function<void()>& call) {
    if (mainThreadWindow_.Send(listenerMessage_, 1, kMainThreadProbeMilliseconds) != kProbeAnswer)
        return false;
    const unsigned message = mainThreadWindow_.Register([&](intptr_t) {
        listenersInMainThread_.store(true);
        call();
        listenersInMainThread_.store(false);
        return intptr_t{0};
    });
    TThreadHolding::Instance().SetMainThreadRunning(true);
    // No practical time-out: the listener runs for as long as it needs.
    mainThreadWindow_.Send(message, 0, INT32_MAX);
    TThreadHolding::Instance().SetMainThreadRunning(false);
    mainThreadWindow_.Unregister(message);
    return true;
}

void TCrashReporter::Report(const std::exception_ptr* exception, bool canContinue,
                            const TFaultContext* context, bool frozen, std::string* reportOut) {
    try {
        const pid_t self = CurrentThreadId();
        if (self == handlerThread_.ThreadId()) return;
        if (self == ::getpid() && listenersInMainThread_.load()) return;
        std::exception_ptr current;
        if (!frozen && (exception == nullptr || !*exception)) {
            current = std::current_exception();
            exception = &current;
        }
        if (!frozen && TExceptionInfo::Describe(*exception).isAbort) {
            if (!canContinue) TApplicationActions::Close();
            return;
        }
        TDoneEvent done;
        TExceptionRequest request;
        request.doneEvent = &done;
        request.threadId = static_cast<uint64_t>(self);
        request.frozen = frozen ? 1 : 0;
        request.exceptObject = frozen ? nullptr : exception;
        request.canContinue = canContinue ? 1 : 0;
        request.reportOut = reportOut;
        request.contextInfo = context;
        if (context != nullptr) {
            const greg_t* registers = context->context.uc_mcontext.gregs;
            request.stackPointer = static_cast<uintptr_t>(registers[REG_RSP]);
            request.framePointer = static_cast<uintptr_t>(registers[REG_RBP]);
            request.exceptAddress = TThreadTracer::StartAddress(context->context, context->threadPointer,
                                                                context->kind == TCaptureKind::Terminate
                                                                    ? TThreadTracer::TStart::Thrower
                                                                    : TThreadTracer::TStart::CallerOfCapture);
        }
        watchdog_.Pause();
        if (!handlerThread_.Submit(request)) {
            RunHandler(request);
        } else if (self == ::getpid() && TMainThreadEvents::CanPump()) {
            TMainThreadEvents::PumpUntil([&] { return done.IsSet(); });
        } else {
            done.Wait();
        }
        watchdog_.Resume();
        if (settings_.resetFpuAfterHandling) std::fesetenv(FE_DFL_ENV);
    } catch (...) {
        // The reporter never lets an exception of its own escape.
    }
}

bool TCrashReporter::ReportFault(const TFaultContext& fault, bool canContinue) {
    // A fault in the reporter's own work leads back to where that work began.
    TFaultRecovery::Recover(fault.context);
    const pid_t self = CurrentThreadId();
    if (self == handlerThread_.ThreadId()) return false;
    TDoneEvent done;
    TExceptionRequest request;
    request.doneEvent = &done;
    request.threadId = static_cast<uint64_t>(self);
    request.exceptAddress = static_cast<uintptr_t>(fault.context.uc_mcontext.gregs[REG_RIP]);
    request.canContinue = canContinue ? 1 : 0;
    request.stackPointer = static_cast<uintptr_t>(fault.context.uc_mcontext.gregs[REG_RSP]);
    request.framePointer = static_cast<uintptr_t>(fault.context.uc_mcontext.gregs[REG_RBP]);
    request.contextInfo = &fault;
    watchdog_.Pause();
    const bool submitted = handlerThread_.Submit(request);
    if (submitted) done.Wait();
    watchdog_.Resume();
    return submitted;
}

void TCrashReporter::SetDialog(std::unique_ptr<TExceptionDialog> dialog) {
    dialog_ = dialog ? std::move(dialog) : std::make_unique<TConsoleDialog>();
}

void TCrashReporter::ProcessMainThreadMessages() {
    mainThreadWindow_.Dispatch();
    TThreadHolding::Instance().WaitWhileHeld();
}

void Install(const CrashSettings& settings) {
    TCrashReporter::Instance().Install(settings);
}

__attribute__((noinline)) void HandleException(std::exception_ptr exception, bool canContinue) {
    TFaultContext fault;
    fault.kind = TCaptureKind::Call;
    ::getcontext(&fault.context);
    fault.threadPointer = TThreadState::CurrentThreadPointer();
    TCrashReporter::Instance().Report(&exception, canContinue, &fault);
}

void Shutdown() {
    TCrashReporter::Instance().Shutdown();
}

} // namespace qv::crash

extern "C" __attribute__((visibility("default"), used)) int32_t zorTraceProcess(int32_t maxLen) {
    using namespace qv::crash;
    try {
        const auto self = static_cast<pid_t>(::syscall(SYS_gettid));
        TThreadRegistry::Instance().RenameThread(self, TThreadRegistry::kInternalName);
        TReportSubject subject;
        subject.frozen = true;
        subject.threadId = ::getpid();
        TCrashReporter& reporter = TCrashReporter::Instance();
        const std::string report = TBugReport(reporter.Settings(), reporter.InstalledAt()).Compose(subject);
        if (maxLen < 1) reporter.PutOnClipboard(report);
        if (maxLen >= 1) {
            if (auto map = qv::platform::TSharedMemory::Open("zorTraceProcessMap")) {
                const size_t length =
                    std::min({report.size(), static_cast<size_t>(maxLen) - 1, map->Size() - 1});
                std::memcpy(map->Data(), report.data(), length);
                map->Data()[length] = '\0';
            }
        }
        TThreadRegistry::Instance().RemoveThread(self);
    } catch (...) {
        // Nothing leaves a thread that an outside tool started.
    }
    return 0;
}

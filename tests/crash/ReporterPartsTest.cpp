#include "crash/ConsoleDialog.h"
#include "crash/ExceptionInfo.h"
#include "crash/FaultMessage.h"
#include "crash/HiddenMessageWindow.h"
#include "crash/ReportFormat.h"
#include "crash/ThreadMarks.h"
#include "crash/ThreadRegistry.h"
#include "crash/ZorException.h"
#include "framework/EAbort.h"

#include <gtest/gtest.h>

#include <atomic>
#include <pthread.h>
#include <stdexcept>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace qv::crash::test {

namespace {

pid_t CurrentThreadId() {
    return static_cast<pid_t>(::syscall(SYS_gettid));
}

} // namespace

TEST(ExceptionInfo, ClassNamesAndMessages) {
    struct TCase {
        std::exception_ptr exception;
        const char* className;
        const char* message;
        bool isAbort;
    };
    const TCase cases[] = {
        {std::make_exception_ptr(ZorException("Runtime error")), "ZorException", "Runtime error", false},
        {std::make_exception_ptr(framework::EAbort("Operation aborted")), "EAbort", "Operation aborted",
         true},
        {std::make_exception_ptr(std::out_of_range("index 7")), "std::out_of_range", "index 7", false},
        {std::make_exception_ptr(42), "int", "int", false},
        {nullptr, "Unknown", "", false}};
    for (const TCase& c : cases) {
        const TExceptionInfo info = TExceptionInfo::Describe(c.exception);
        EXPECT_EQ(info.present, c.exception != nullptr) << c.className;
        EXPECT_EQ(info.className, c.className);
        EXPECT_EQ(info.message, c.message) << c.className;
        EXPECT_EQ(info.isAbort, c.isAbort) << c.className;
    }
}

TEST(ThreadRegistry, TitlesAndCreators) {
    TThreadRegistry& registry = TThreadRegistry::Instance();
    std::atomic<pid_t> other{0};
    std::atomic<bool> done{false};
    std::thread thread([&] {
        other.store(CurrentThreadId());
        while (!done.load())
            std::this_thread::yield();
    });
    while (other.load() == 0)
        std::this_thread::yield();
    const pid_t self = CurrentThreadId();
    const std::string selfId = TReportFormat::HexId(static_cast<uint64_t>(self));
    const std::string otherId = TReportFormat::HexId(static_cast<uint64_t>(other.load()));

    registry.UpdateThreadEntry(other, {}, self, 0x1234, "TWorker");
    const TThreadRegistry::TTitle worker = registry.ThreadTitle(other);
    EXPECT_EQ(worker.title, "thread " + otherId + " (TWorker)");
    EXPECT_EQ(worker.creatorAddress, 0x1234u);
    EXPECT_EQ(worker.creatorThreadId, self);
    registry.RenameThread(other, "fetcher");
    EXPECT_EQ(registry.ThreadTitle(other).title, "fetcher (" + otherId + ")")
        << "the name wins, the creator stays";
    EXPECT_EQ(registry.ThreadTitle(other).creatorAddress, 0x1234u);
    registry.RenameThread(self, TThreadRegistry::kInternalName);
    EXPECT_EQ(registry.ThreadTitle(self).title, "") << "an internal thread has no section";
    EXPECT_EQ(registry.ThreadTitle(self, true).title, "- (" + selfId + ")");
    registry.RemoveThread(self);
    EXPECT_EQ(registry.ThreadTitle(self).title, "thread " + selfId);
    registry.RemoveThread(other);
    EXPECT_EQ(registry.ThreadTitle(other).title, "thread " + otherId);
    ::pthread_setname_np(thread.native_handle(), "fetcher");
    EXPECT_EQ(registry.ThreadTitle(other).title, "fetcher (" + otherId + ")")
        << "the name the thread has from the system, when the program gave it none";
    registry.UpdateThreadEntry(other, {}, self, 0x1234, "TWorker");
    EXPECT_EQ(registry.ThreadTitle(other).title, "thread " + otherId + " (TWorker)")
        << "the program's title wins";
    done.store(true);
    thread.join();
    registry.RemoveThread(other);
}

TEST(ThreadMarks, StateAndNiceValueOfAStatLine) {
    const struct {
        const char* stat;
        const char* marks;
    } cases[] = {
        {"42 (worker) S 1 2 3 0 -1 4 5 0 0 0 1 2 0 0 20 0 1 0 100", ""},
        {"42 (a) b) T 1 2 3 0 -1 4 5 0 0 0 1 2 0 0 25 5 1 0 100", " <suspended> <priority:5>"},
        {"42 (worker) R 1 2 3", ""},
        {"42 (worker)", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ThreadMarksOf(c.stat), c.marks) << c.stat;
}

TEST(HiddenMessageWindow, RunsCallsInItsOwnersThread) {
    THiddenMessageWindow window;
    std::atomic<pid_t> ranIn{0};
    const unsigned doubling = window.Register([&](intptr_t parameter) {
        ranIn.store(CurrentThreadId());
        return parameter * 2;
    });
    EXPECT_EQ(doubling, THiddenMessageWindow::kFirstMessage);
    EXPECT_EQ(window.Register([](intptr_t) { return intptr_t{0}; }), THiddenMessageWindow::kFirstMessage + 1);
    EXPECT_FALSE(window.Send(doubling, 1, 50).has_value()) << "an owner that does not dispatch gives nothing";

    std::atomic<bool> stop{false};
    std::atomic<pid_t> owner{0};
    std::thread ownerThread([&] {
        owner.store(CurrentThreadId());
        while (!stop.load()) {
            window.Dispatch();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    EXPECT_EQ(window.Send(doubling, 21, 5000), 42);
    EXPECT_EQ(ranIn.load(), owner.load());
    window.Unregister(doubling);
    EXPECT_FALSE(window.Send(doubling, 1, 50).has_value()) << "no handler";
    stop.store(true);
    ownerThread.join();
}

TEST(FaultMessage, KindAddressModuleAndAccess) {
    const auto code = reinterpret_cast<uintptr_t>(&CurrentThreadId);
    const uintptr_t stack = 0x7ffd00100000;
    struct TCase {
        int signal;
        int code;
        uintptr_t target;
        greg_t error;
        std::string message;
    };
    const std::string where =
        " at address " + TReportFormat::Address(code) + " in module 'crash_report_tests'";
    const TCase cases[] = {
        {SIGSEGV, SEGV_MAPERR, 0x10, 4, "Access violation" + where + ". Read of address 00000010"},
        {SIGSEGV, SEGV_ACCERR, 0x10, 6, "Access violation" + where + ". Write of address 00000010"},
        {SIGSEGV, SEGV_ACCERR, 0x10, 20, "Access violation" + where + ". Execution of address 00000010"},
        {SIGSEGV, SEGV_MAPERR, stack - 8, 6, "Stack overflow" + where},
        {SIGFPE, FPE_INTDIV, code, 0, "Integer division by zero" + where},
        {SIGILL, ILL_PRVOPC, code, 0, "Privileged instruction" + where},
        {SIGILL, ILL_ILLOPN, code, 0, "Illegal instruction" + where},
        {SIGABRT, SI_TKILL, 0, 0, "Abnormal program termination" + where}};
    for (const TCase& c : cases) {
        TFaultContext fault;
        fault.kind = TCaptureKind::Signal;
        fault.context.uc_mcontext.gregs[REG_RIP] = static_cast<greg_t>(code);
        fault.context.uc_mcontext.gregs[REG_RSP] = static_cast<greg_t>(stack);
        fault.context.uc_mcontext.gregs[REG_ERR] = c.error;
        fault.signalInfo = {};
        fault.signalInfo.si_signo = c.signal;
        fault.signalInfo.si_code = c.code;
        fault.signalInfo.si_addr = reinterpret_cast<void*>(c.target);
        EXPECT_EQ(TFaultMessage::Compose(fault), c.message);
    }
}

TEST(ConsoleDialog, MessageLineAndReport) {
    CrashSettings settings;
    TDialogRequest request;
    request.report = "date/time         : 2024-03-01 09:05";
    request.exceptionMessage = "Bad login";
    EXPECT_EQ(TConsoleDialog::Text(request, settings),
              "An error occurred in the application.\r\n\r\n" + request.report + "\r\n");
    settings.errorMessage = "Failed: %exceptMsg%%LF%Sorry.";
    settings.captionShow.clear();
    EXPECT_EQ(TConsoleDialog::Text(request, settings), "Failed: Bad login\r\nSorry.\r\n") << "no show button";
    request.frozen = true;
    settings.showReportAtOnce = true;
    EXPECT_EQ(TConsoleDialog::Text(request, settings),
              "The application seems to be frozen.\r\n\r\n" + request.report + "\r\n");
}

} // namespace qv::crash::test

#include "crash/CrashReporter.h"
#include "crash/ReportListeners.h"
#include "crash/symbols/ReporterLock.h"
#include "platform/SharedMemory.h"
#include "platform/Thread.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ForkedCase.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <functional>
#include <mutex>
#include <pthread.h>
#include <regex>
#include <stdexcept>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace qv::crash::test {

using qv::test::ForkedResult;
using qv::test::RunForked;
using qv::test::WriteAll;

namespace {

constexpr const char* kMessageLine = "An error occurred in the application.";

// Runs the body in a child with the reporter installed; the console form and the body write to
// the output.
ForkedResult RunReporter(const std::function<void(CrashSettings&)>& configure,
                         const std::function<void()>& body) {
    return RunForked(
        [&](int out) {
            ::dup2(out, 1);
            CrashSettings settings = CrashSettings::ThisBuild();
            settings.listHardware = false;
            configure(settings);
            Install(settings);
            body();
        },
        60);
}

void Say(const std::string& text) {
    WriteAll(1, text + "\n");
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

volatile int* volatile gNowhere = nullptr;

// A thread of the program's thread class that faults once the start flag is set.
class TFaultingThread : public platform::TThread {
public:
    explicit TFaultingThread(const std::atomic<bool>& start) : start_(start) {}

protected:
    void Execute() override {
        while (!start_.load()) {}
        *gNowhere = 1;
    }

private:
    const std::atomic<bool>& start_;
};

// Counts while it runs, retrieving its messages after each step.
class TCountingThread : public platform::TThread {
public:
    std::atomic<long> count{0};

protected:
    void Execute() override {
        while (!Terminated()) {
            ++count;
            ProcessMessages();
        }
    }
};

} // namespace

TEST(Reporter, TwoThreadsFaultingAtOnceGiveTwoReportsOneAfterTheOther) {
    const ForkedResult result = RunReporter([](CrashSettings&) {},
                                            [] {
                                                std::atomic<bool> start{false};
                                                TFaultingThread first(start);
                                                TFaultingThread second(start);
                                                first.Start();
                                                second.Start();
                                                start.store(true);
                                                first.WaitFor();
                                                second.WaitFor();
                                                Say("both ended");
                                            });
    ASSERT_TRUE(result.exitedCleanly) << result.output;
    ASSERT_EQ(Count(result.output, kMessageLine), 2u) << result.output;
    const size_t second = result.output.find(kMessageLine, 1);
    for (const std::string& report : {result.output.substr(0, second), result.output.substr(second)}) {
        EXPECT_EQ(Count(report, "exception message : Access violation"), 1u) << report;
        EXPECT_EQ(Count(report, "\r\n\r\nmodules:"), 1u) << "whole, not interleaved:\n" << report;
    }
    EXPECT_EQ(result.output.substr(result.output.size() - 11), "both ended\n");
}

TEST(Reporter, AnEventBeforeInstallationGoesToTheConsoleForm) {
    const ForkedResult result = RunForked([](int out) {
        ::dup2(out, 1);
        HandleException(std::make_exception_ptr(std::runtime_error("early")));
        Say("resumed");
    });
    ASSERT_TRUE(result.exitedCleanly) << result.output;
    EXPECT_EQ(Count(result.output, kMessageLine), 1u) << result.output;
    EXPECT_EQ(result.output.substr(result.output.size() - 8), "resumed\n");
}

TEST(Reporter, AFaultInsideTheHandlerThreadIsSwallowed) {
    const ForkedResult result =
        RunReporter([](CrashSettings&) {},
                    [] {
                        const int faulty = TReportListeners::Instance().AddExceptionListener(
                            [](TListenerEvent&) { *gNowhere = 1; }, false);
                        HandleException(std::make_exception_ptr(std::runtime_error("first")));
                        Say("resumed");
                        TReportListeners::Instance().Remove(faulty);
                        HandleException(std::make_exception_ptr(std::runtime_error("second")));
                        Say("again");
                    });
    ASSERT_TRUE(result.exitedCleanly) << result.output;
    EXPECT_EQ(result.output.rfind("resumed\n", 0), 0u) << "no report of the first event:\n" << result.output;
    EXPECT_NE(result.output.find("exception message : second.\r\n"), std::string::npos)
        << "the handler thread lives on";
    EXPECT_EQ(result.output.substr(result.output.size() - 6), "again\n");
}

// The lock at whose taking the handler thread faults once; nothing when none is armed.
std::atomic<const char*> gFaultAtLock{nullptr};

void FaultInTheHandlerThreadAt(const char* name) {
    const char* armed = gFaultAtLock.load();
    if (armed == nullptr || std::strcmp(armed, name) != 0 ||
        static_cast<pid_t>(::syscall(SYS_gettid)) != TCrashReporter::Instance().HandlerThreadId())
        return;
    gFaultAtLock.store(nullptr);
    *gNowhere = 1;
}

TEST(Reporter, AFaultInsideTheHandlerThreadWhileItHoldsALockLeavesNoLockHeld) {
    // A fault while composing keeps the report so far; before it, the event ends without one.
    const std::pair<const char*, bool> cases[] = {
        {"registry", false}, {"holding", false}, {"composition", true}};
    for (const auto& [lock, composing] : cases) {
        const ForkedResult result =
            RunReporter([](CrashSettings&) {},
                        [lock] {
                            // The handler thread takes locks of its own as it starts.
                            TCrashReporter::Instance().WaitUntilReady();
                            TReporterLock::SetTakenHook(&FaultInTheHandlerThreadAt);
                            gFaultAtLock.store(lock);
                            HandleException(std::make_exception_ptr(std::runtime_error("first")));
                            Say(gFaultAtLock.load() == nullptr ? "faulted" : "never taken");
                            HandleException(std::make_exception_ptr(std::runtime_error("second")));
                            Say("again");
                        });
        ASSERT_TRUE(result.exitedCleanly) << lock << "\n" << result.output;
        const size_t faulted = result.output.find("faulted\n");
        ASSERT_NE(faulted, std::string::npos) << lock << "\n" << result.output;
        EXPECT_EQ(result.output.substr(0, faulted).find("composing the bug report. $") != std::string::npos,
                  composing)
            << lock << "\n"
            << result.output;
        EXPECT_EQ(faulted == 0, !composing) << lock;
        EXPECT_NE(result.output.find("exception message : second.\r\n"), std::string::npos) << lock;
        EXPECT_EQ(result.output.substr(result.output.size() - 6), "again\n") << lock;
    }
}

TEST(Reporter, TheApplicationsThreadsAreHeldWhileAnEventIsHandled) {
    const ForkedResult result = RunReporter(
        [](CrashSettings&) {},
        [] {
            TCountingThread counter;
            counter.Start();
            while (counter.count.load() == 0) {}
            long before = 0;
            long after = 0;
            TReportListeners::Instance().AddExceptionListener(
                [&](TListenerEvent& event) {
                    before = counter.count.load();
                    std::this_thread::sleep_for(std::chrono::milliseconds(200));
                    after = counter.count.load();
                    event.handled = true;
                },
                false);
            HandleException(std::make_exception_ptr(std::runtime_error("held")));
            const long released = counter.count.load();
            // A loaded machine may take its time to schedule the released thread again.
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (counter.count.load() == released && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            Say(std::to_string(after - before) + " " + std::to_string(counter.count.load() > released));
            counter.Terminate();
        });
    ASSERT_TRUE(result.exitedCleanly) << result.output;
    // At most the step the thread was in when the hold began; then it runs again.
    EXPECT_TRUE(result.output == "0 1\n" || result.output == "1 1\n") << result.output;
}

TEST(Reporter, TheMainThreadHandlesItsEventsWhileItsOwnEventIsReported) {
    // Its own event leaves the main thread running, held threads or not; another thread's event
    // holds it with the others.
    struct Case {
        bool hold;
        bool fromWorker;
        const char* output;
    };
    for (const Case& c :
         {Case{false, false, "1 1\n"}, Case{true, false, "1 1\n"}, Case{true, true, "0 1\n"}}) {
        const ForkedResult result = RunReporter(
            [&c](CrashSettings& settings) { settings.pauseOtherThreads = c.hold; },
            [&c] {
                int argc = 1;
                char name[] = "reporter";
                char* argv[] = {name, nullptr};
                QCoreApplication application(argc, argv);
                std::atomic<long> ticks{0};
                QTimer timer;
                QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
                timer.start(5);
                long during = 0;
                TReportListeners::Instance().AddExceptionListener(
                    [&](TListenerEvent& event) {
                        const long before = ticks.load();
                        std::this_thread::sleep_for(std::chrono::milliseconds(300));
                        during = ticks.load() - before;
                        event.handled = true;
                    },
                    false);
                auto report = [&] {
                    HandleException(std::make_exception_ptr(std::runtime_error("in an event handler")));
                    Say(std::to_string(during > 10) + " " + std::to_string(ticks > 0));
                    QMetaObject::invokeMethod(&application, &QCoreApplication::quit, Qt::QueuedConnection);
                };
                std::thread worker;
                QTimer::singleShot(20, [&] {
                    if (c.fromWorker)
                        worker = std::thread(report);
                    else
                        report();
                });
                application.exec();
                if (worker.joinable()) worker.join();
            });
        ASSERT_TRUE(result.exitedCleanly) << result.output;
        EXPECT_EQ(result.output, c.output) << "hold " << c.hold << ", from a worker " << c.fromWorker;
    }
}

TEST(Reporter, ATimersExceptionDuringTheMainThreadsWaitQueuesBehindTheFirst) {
    const ForkedResult result =
        RunReporter([](CrashSettings&) {},
                    [] {
                        int argc = 1;
                        char name[] = "reporter";
                        char* argv[] = {name, nullptr};
                        QCoreApplication application(argc, argv);
                        std::mutex mutex;
                        std::vector<std::string> steps;
                        auto step = [&](const std::string& text) {
                            const std::lock_guard lock(mutex);
                            steps.push_back(text);
                        };
                        std::atomic<bool> firstUnderWay{false};
                        std::atomic<bool> secondRaised{false};
                        TReportListeners::Instance().AddExceptionListener(
                            [&](TListenerEvent& event) {
                                step("handling " + event.message);
                                firstUnderWay.store(true);
                                // The first event is handled until the second waits behind it.
                                while (event.message == "first" && !secondRaised.load())
                                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                                event.handled = true;
                            },
                            false);
                        QTimer timer;
                        QObject::connect(&timer, &QTimer::timeout, [&] {
                            if (!firstUnderWay.load() || secondRaised.exchange(true)) return;
                            step("timer");
                            HandleException(std::make_exception_ptr(std::runtime_error("second")));
                            step("second returned");
                        });
                        timer.start(5);
                        QTimer::singleShot(20, [&] {
                            HandleException(std::make_exception_ptr(std::runtime_error("first")));
                            step("first returned");
                            application.quit();
                        });
                        application.exec();
                        for (const std::string& text : steps)
                            Say(text);
                    });
    ASSERT_TRUE(result.exitedCleanly) << result.output;
    EXPECT_EQ(result.output, "handling first\ntimer\nhandling second\nsecond returned\nfirst returned\n");
}

TEST(Reporter, ZorTraceProcessFillsTheSharedMemory) {
    const ForkedResult result =
        RunReporter([](CrashSettings&) {},
                    [] {
                        platform::TSharedMemory::Remove("zorTraceProcessMap");
                        const auto map = platform::TSharedMemory::Create("zorTraceProcessMap", 1 << 20);
                        using TTrace = int32_t (*)(int32_t);
                        const auto trace = reinterpret_cast<TTrace>(::dlsym(RTLD_DEFAULT, "zorTraceProcess"));
                        if (!map || trace == nullptr) return;
                        // A thread that an outside tool would start.
                        std::thread([&] { trace(200); }).join();
                        Say(std::to_string(std::strlen(map->Data())));
                        std::atomic<bool> stop{false};
                        std::thread named([&] {
                            while (!stop.load())
                                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                        });
                        ::pthread_setname_np(named.native_handle(), "fetcher");
                        std::thread([&] { trace(1 << 20); }).join();
                        stop.store(true);
                        named.join();
                        Say(map->Data());
                        platform::TSharedMemory::Remove("zorTraceProcessMap");
                    });
    ASSERT_TRUE(result.exitedCleanly) << result.output;
    ASSERT_EQ(result.output.rfind("199\ndate/time         : ", 0), 0u) << "cut to maxLen - 1:\n"
                                                                       << result.output;
    EXPECT_NE(result.output.find("exception message : The application seems to be frozen.\r\n"),
              std::string::npos);
    EXPECT_EQ(result.output.find("exception class"), std::string::npos);
    EXPECT_NE(result.output.find("\r\n\r\nmain thread ($"), std::string::npos);
    EXPECT_EQ(result.output.find("\r\n\r\nthread $"), std::string::npos)
        << "threads named \"-\" have no section";
    EXPECT_NE(result.output.find("\r\n\r\nfetcher ($"), std::string::npos) << "titled by the name it has";
    EXPECT_NE(result.output.find("\r\nversion           : 1.0.0.0\r\n"), std::string::npos);
    EXPECT_NE(result.output.find("\r\n\r\ndisassembling:\r\n"), std::string::npos)
        << "of the code found on the main thread's stack";
}

TEST(Reporter, AFreezeReportDisassemblesTheCodeOnTheMainThreadsStack) {
    const ForkedResult result =
        RunReporter([](CrashSettings& settings) { settings.freezeTimeoutMs = 100; },
                    [] {
                        std::atomic<bool> reported{false};
                        TReportListeners::Instance().AddExceptionListener(
                            [&](TListenerEvent& event) {
                                if (event.stage == 0) return;
                                Say(event.report.substr(event.report.find("\r\n\r\ndisassembling:\r\n")));
                                event.handled = true;
                                reported.store(true);
                            },
                            false);
                        while (!reported.load())
                            std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    });
    ASSERT_TRUE(result.exitedCleanly) << result.output;
    EXPECT_TRUE(std::regex_search(result.output, std::regex("\r\n[0-9a-f]{8,} > ")))
        << "the instruction marked:\n"
        << result.output;
}

TEST(Reporter, AFaultWhileComposingKeepsTheReportSoFarAndNamesItsAddress) {
    const ForkedResult result = RunReporter(
        [](CrashSettings& settings) {
            settings.disassembler = [](uintptr_t, const TDisasmOptions&) -> std::string {
                *gNowhere = 1;
                return {};
            };
        },
        [] {
            HandleException(std::make_exception_ptr(std::runtime_error("composed")));
            Say("resumed");
        });
    ASSERT_TRUE(result.exitedCleanly) << result.output;
    const std::regex note("exception message : composed\\.\r\n[^]*\r\n\r\nmodules:[^]*"
                          "\r\n\r\nAn exception occurred during composing the bug report\\. \\$[0-9a-f]+\r\n"
                          "resumed\n$");
    EXPECT_TRUE(std::regex_search(result.output, note)) << result.output;
}

TEST(Reporter, AFreezeIsReportedAfterTenMissedAnswers) {
    using TClock = std::chrono::steady_clock;
    const ForkedResult result = RunReporter(
        [](CrashSettings& settings) { settings.freezeTimeoutMs = 200; },
        [] {
            std::mutex mutex;
            std::vector<TClock::time_point> freezes;
            TReportListeners::Instance().AddExceptionListener(
                [&](TListenerEvent& event) {
                    const std::lock_guard lock(mutex);
                    if (event.frozen) freezes.push_back(TClock::now());
                    event.handled = true;
                },
                false);
            auto answerFor = [](int milliseconds) {
                const auto until = TClock::now() + std::chrono::milliseconds(milliseconds);
                while (TClock::now() < until) {
                    TCrashReporter::Instance().ProcessMainThreadMessages();
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                }
            };
            answerFor(400);
            const auto frozen = TClock::now();
            std::this_thread::sleep_for(std::chrono::milliseconds(2000));
            answerFor(400);
            const std::lock_guard lock(mutex);
            for (const TClock::time_point freeze : freezes)
                Say(std::to_string(
                    std::chrono::duration_cast<std::chrono::milliseconds>(freeze - frozen).count()));
        });
    ASSERT_TRUE(result.exitedCleanly) << result.output;
    std::vector<long> at;
    std::istringstream lines(result.output);
    for (long milliseconds = 0; lines >> milliseconds;)
        at.push_back(milliseconds);
    // Ten misses at 20 ms, then ten at 30 ms, then ten at 45 ms, and none while it answers.
    ASSERT_GE(at.size(), 2u) << result.output;
    EXPECT_GE(at[0], 190) << result.output;
    EXPECT_GE(at[1] - at[0], 290) << result.output;
    if (at.size() > 2) {
        EXPECT_GE(at[2] - at[1], 440) << result.output;
    }
    EXPECT_LE(at.back(), 2000) << result.output;
}

TEST(Reporter, TenEventsWithinTheRuleRestartAndTheCountSurvivesTheRestart) {
    const qv::test::ProgramResult nine = qv::test::RunProgram(QV_RESTART_PROBE, {"9"}, 60);
    EXPECT_EQ(nine.exitCode, 0) << nine.out << nine.err;
    EXPECT_NE(nine.out.find("continued 9\n"), std::string::npos) << nine.out;
    EXPECT_EQ(Count(nine.out, "history "), 1u) << nine.out;

    const qv::test::ProgramResult ten = qv::test::RunProgram(QV_RESTART_PROBE, {"10"}, 60);
    EXPECT_EQ(ten.exitCode, 2) << ten.out << ten.err;
    EXPECT_NE(ten.out.find("continued 9\n"), std::string::npos) << ten.out;
    EXPECT_EQ(ten.out.find("continued 10\n"), std::string::npos) << ten.out;
    EXPECT_EQ(ten.out.rfind("history 0\n", 0), 0u) << ten.out;
    EXPECT_EQ(ten.out.substr(ten.out.size() - 11), "history 10\n") << "the new instance, after the old ended";
}

} // namespace qv::crash::test

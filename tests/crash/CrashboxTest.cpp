#include "ForkedCase.h"

#include "crash/CrashReporter.h"
#include "crash/CrashboxDialog.h"
#include "crash/ReportListeners.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <optional>
#include <thread>
#include <unistd.h>

namespace qv::crash::test {

namespace {

constexpr const char* kMessageLine = "An error occurred in the application.\r\n";

std::string ProcessField(pid_t process, const std::string& file) {
    std::ifstream in("/proc/" + std::to_string(process) + "/" + file);
    std::string text;
    std::getline(in, text, '\0');
    return text;
}

// A running dialog program whose parent is the crash demo, waited for a few seconds.
pid_t DialogProgramOfTheDemo() {
    for (int tries = 0; tries < 1000; ++tries) {
        DIR* processes = ::opendir("/proc");
        while (const dirent* entry = ::readdir(processes)) {
            const auto process = static_cast<pid_t>(std::atoi(entry->d_name));
            if (process <= 0 || ProcessField(process, "cmdline") != TCrashboxDialog::kProgramName) continue;
            const std::string stat = ProcessField(process, "stat");
            const auto parent = static_cast<pid_t>(std::atoi(stat.c_str() + stat.rfind(')') + 4));
            if (ProcessField(parent, "comm").rfind("quorvane-crashd", 0) == 0) {
                ::closedir(processes);
                return process;
            }
        }
        ::closedir(processes);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

// Xvfb on a free display for the test, ended with it.
class VirtualDisplay {
public:
    VirtualDisplay() {
        int ready[2];
        if (::pipe(ready) != 0) return;
        process_ = ::fork();
        if (process_ == 0) {
            const int devNull = ::open("/dev/null", O_RDWR);
            ::dup2(devNull, 1);
            ::dup2(devNull, 2);
            const std::string fd = std::to_string(ready[1]);
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
                     "tcp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(ready[1]);
        char number[16] = {};
        if (::read(ready[0], number, sizeof number - 1) > 0) name_ = ":" + std::to_string(std::atoi(number));
        ::close(ready[0]);
    }
    ~VirtualDisplay() {
        if (process_ <= 0) return;
        ::kill(process_, SIGTERM);
        ::waitpid(process_, nullptr, 0);
    }
    const std::string& Name() const { return name_; }

private:
    pid_t process_ = -1;
    std::string name_;
};

std::future<qv::test::ProgramResult> StartDemo(std::vector<std::string> arguments) {
    return std::async(std::launch::async,
                      [arguments] { return qv::test::RunProgram(QV_CRASHDEMO, arguments, 60); });
}

} // namespace

TEST(Crashbox, WithoutADisplayTheConsoleFormAndTheAutomaticActionFollow) {
    const qv::test::ScopedEnvironment environment{
        {"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}, {"QT_QPA_PLATFORM", std::nullopt}};
    const qv::test::ProgramResult main = qv::test::RunProgram(QV_CRASHDEMO, {"segv", "--dialog"}, 60);
    EXPECT_EQ(main.exitCode, 1);
    EXPECT_EQ(main.out.rfind(kMessageLine, 0), 0u) << main.out;
    const qv::test::ProgramResult worker =
        qv::test::RunProgram(QV_CRASHDEMO, {"throw", "--worker", "--dialog"}, 60);
    EXPECT_EQ(worker.exitCode, 0);
    EXPECT_EQ(worker.out.rfind(kMessageLine, 0), 0u);
    EXPECT_EQ(worker.out.substr(worker.out.size() - 10), "continued\n");
}

TEST(Crashbox, TheDialogUnderXEscapedOrKilled) {
    const VirtualDisplay display;
    ASSERT_FALSE(display.Name().empty()) << "Xvfb did not start";
    const qv::test::ScopedEnvironment environment{{"DISPLAY", display.Name()},
                                                  {"QT_QPA_PLATFORM", std::nullopt}};
    struct Case {
        std::vector<std::string> arguments;
        bool kill;
        int exitCode;
        const char* out;
    };
    // Escape continues what may continue and closes the rest; a dialog program killed while its
    // dialog is up leaves the console form and the automatic action.
    const Case cases[] = {{{"segv", "--dialog"}, false, 1, ""},
                          {{"throw", "--worker", "--dialog"}, false, 0, "continued\n"},
                          {{"segv", "--dialog"}, true, 1, kMessageLine}};
    for (const Case& c : cases) {
        auto run = StartDemo(c.arguments);
        const qv::test::ProgramResult found = qv::test::RunProgram(
            "/usr/bin/xdotool", {"search", "--sync", "--name", "quorvane-crashdemo"}, 20);
        ASSERT_EQ(found.exitCode, 0) << found.err;
        const std::string window = found.out.substr(0, found.out.find('\n'));
        if (c.kill) {
            ::kill(DialogProgramOfTheDemo(), SIGKILL);
        } else {
            qv::test::RunProgram("/usr/bin/xdotool", {"windowfocus", "--sync", window}, 10);
            qv::test::RunProgram("/usr/bin/xdotool", {"key", "Escape"}, 10);
        }
        const qv::test::ProgramResult result = run.get();
        EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments[0] << result.err;
        EXPECT_EQ(result.out.substr(0, std::string(c.out).size()), c.out);
        if (!c.kill) {
            EXPECT_EQ(result.out, c.out) << "the dialog, not the console form";
        }
    }
}

TEST(Crashbox, TheFrozenDialogClosesItselfWhenTheMainThreadAnswers) {
    const qv::test::ScopedEnvironment environment{{"DISPLAY", std::nullopt},
                                                  {"QT_QPA_PLATFORM", "offscreen"}};
    const ForkedResult result = RunForked(
        [](int out) {
            ::dup2(out, 1);
            CrashSettings settings = CrashSettings::ThisBuild();
            settings.listHardware = false;
            settings.freezeTimeoutMs = 100;
            Install(settings);
            TCrashReporter::Instance().SetDialog(std::make_unique<TCrashboxDialog>(QV_CRASHBOX));
            static std::atomic<int> action{-1};
            TReportListeners::Instance().AddActionListener(
                [](int code) {
                    action.store(code);
                    return true;
                },
                false);
            // Frozen long enough for ten missed answers, then answering again.
            std::this_thread::sleep_for(std::chrono::milliseconds(600));
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (action.load() < 0 && std::chrono::steady_clock::now() < deadline) {
                TCrashReporter::Instance().ProcessMainThreadMessages();
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            WriteAll(1, "action " + std::to_string(action.load()) + "\n");
            ::_exit(0);
        },
        30);
    ASSERT_TRUE(result.exitedCleanly) << result.output;
    EXPECT_EQ(result.output, "action 4\n") << "continued by the automatic action, without the console form";
}

} // namespace qv::crash::test

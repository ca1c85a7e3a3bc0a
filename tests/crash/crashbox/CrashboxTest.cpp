#include "crash/CrashReporter.h"
#include "crash/CrashboxDialog.h"
#include "crash/ReportListeners.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ForkedCase.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/VirtualDisplay.h"
#include "tests/support/crash/ScreenProbe.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <future>
#include <optional>
#include <stdexcept>
#include <thread>
#include <unistd.h>

namespace qv::crash::test {

using qv::test::ForkedResult;
using qv::test::RunForked;
using qv::test::WriteAll;

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

// The running dialog programs whose display is the one named.
int DialogProgramsOn(const std::string& display) {
    int count = 0;
    DIR* processes = ::opendir("/proc");
    while (const dirent* entry = ::readdir(processes)) {
        const auto process = static_cast<pid_t>(std::atoi(entry->d_name));
        if (process <= 0 || ProcessField(process, "cmdline") != TCrashboxDialog::kProgramName) continue;
        std::ifstream in("/proc/" + std::to_string(process) + "/environ");
        for (std::string variable; std::getline(in, variable, '\0');)
            count += variable == "DISPLAY=" + display ? 1 : 0;
    }
    ::closedir(processes);
    return count;
}

// Runs the body in a child with the reporter installed and the dialog program as its dialog, in a
// Qt application on the display of the environment. The body's findings are the child's output.
ForkedResult RunWithDialogProgram(const std::function<std::string()>& body) {
    return RunForked(
        [&](int out) {
            CrashSettings settings = CrashSettings::ThisBuild();
            settings.listHardware = false;
            Install(settings);
            TCrashReporter::Instance().SetDialog(std::make_unique<TCrashboxDialog>(QV_CRASHBOX));
            int argc = 1;
            char name[] = "crashbox-test";
            char* argv[] = {name, nullptr};
            const QApplication application(argc, argv);
            WriteAll(out, body() + "\n");
            ::_exit(0);
        },
        120);
}

// A window of one colour that counts its paints and the keys it gets while a report is under way
// and after.
class TPaintedWindow : public QWidget {
public:
    static constexpr QRgb kColour = 0x00a040;
    std::atomic<int> paints{0};
    bool reporting = false;
    int keysWhileReporting = 0;
    int keysAfter = 0;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), QColor(kColour));
        ++paints;
    }
    void keyPressEvent(QKeyEvent*) override { ++(reporting ? keysWhileReporting : keysAfter); }
};

void XdoTool(const std::vector<std::string>& arguments) {
    qv::test::RunProgram("/usr/bin/xdotool", arguments, 10);
}

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
    const qv::test::VirtualDisplay display;
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
            const pid_t dialog = DialogProgramOfTheDemo();
            ASSERT_GT(dialog, 0) << "the demo started no dialog program";
            ::kill(dialog, SIGKILL);
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

TEST(Crashbox, TheMainWindowRepaintsAndAnswersPingsWhileTheDialogShows) {
    const qv::test::VirtualDisplay display;
    ASSERT_FALSE(display.Name().empty()) << "Xvfb did not start";
    const qv::test::ScopedEnvironment environment{{"DISPLAY", display.Name()},
                                                  {"QT_QPA_PLATFORM", std::nullopt}};
    const ForkedResult result = RunWithDialogProgram([] {
        TPaintedWindow window;
        window.setWindowTitle(QStringLiteral("main window"));
        // Apart from the dialog, which stands in the middle of the screen.
        window.setGeometry(20, 20, 200, 150);
        window.show();
        const auto windowId = static_cast<uint32_t>(window.winId());
        std::string findings;
        std::thread observer([&] {
            // The dialog's title is the program's name.
            qv::test::RunProgram("/usr/bin/xdotool",
                                 {"search", "--sync", "--name", "^crash_dialog_program_tests$"}, 60);
            TScreenProbe probe;
            const TScreenProbe::TArea area = probe.WindowArea(windowId);
            const int x = area.x + area.width / 2;
            const int y = area.y + area.height / 2;
            constexpr uint32_t kCover = 0xff0000;
            probe.Cover(area, kCover);
            findings += probe.ScreenPixel(x, y) == kCover ? "covered " : "not covered ";
            probe.Uncover();
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (probe.ScreenPixel(x, y) != TPaintedWindow::kColour &&
                   std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            findings += probe.ScreenPixel(x, y) == TPaintedWindow::kColour ? "repainted " : "not repainted ";
            findings += probe.Ping(windowId, 20000) ? "answered " : "not answered ";
            XdoTool({"key", "--window", std::to_string(windowId), "x"});
            const qv::test::ProgramResult dialog = qv::test::RunProgram(
                "/usr/bin/xdotool", {"search", "--name", "^crash_dialog_program_tests$"}, 10);
            XdoTool({"key", "--window", dialog.out.substr(0, dialog.out.find('\n')), "Escape"});
        });
        // Raised from the main thread's event dispatch once the window stands painted.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        bool reported = false;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, [&] {
            if (window.paints.load() == 0) return;
            if (!reported) {
                reported = true;
                window.reporting = true;
                HandleException(std::make_exception_ptr(std::runtime_error("while the window shows")));
                window.reporting = false;
                // The key typed meanwhile waits for the report's end; Qt hands such input on
                // with the next event from the X server, which a new title brings.
                window.setWindowTitle(QStringLiteral("after the report"));
            }
            if (window.keysAfter > 0 || std::chrono::steady_clock::now() > deadline) QCoreApplication::quit();
        });
        check.start(20);
        QCoreApplication::exec();
        observer.join();
        findings += std::to_string(window.keysWhileReporting) + " " + std::to_string(window.keysAfter);
        return findings;
    });
    ASSERT_TRUE(result.exitedCleanly) << result.output;
    EXPECT_EQ(result.output, "covered repainted answered 0 1\n")
        << "no user input while the report is under way";
}

TEST(Crashbox, ZorTraceProcessWithoutALengthLeavesTheReportOnTheClipboard) {
    const qv::test::VirtualDisplay display;
    ASSERT_FALSE(display.Name().empty()) << "Xvfb did not start";
    const qv::test::ScopedEnvironment environment{{"DISPLAY", display.Name()},
                                                  {"QT_QPA_PLATFORM", std::nullopt}};
    const ForkedResult result = RunWithDialogProgram([&display] {
        // A thread that an outside tool would start.
        std::thread([] { zorTraceProcess(0); }).join();
        std::string findings = std::to_string(DialogProgramsOn(display.Name())) + " ";
        const QString text = QGuiApplication::clipboard()->text();
        findings += text.startsWith(QStringLiteral("date/time         : ")) &&
                            text.contains(QStringLiteral("\nexception message : The application seems to be "
                                                         "frozen.\n"))
                        ? "report "
                        : "no report ";
        // Another program takes the clipboard: the dialog program goes.
        TScreenProbe other;
        other.TakeClipboard();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (DialogProgramsOn(display.Name()) > 0 && std::chrono::steady_clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        findings += std::to_string(DialogProgramsOn(display.Name()));
        return findings;
    });
    ASSERT_TRUE(result.exitedCleanly) << result.output;
    EXPECT_EQ(result.output, "1 report 0\n")
        << "one dialog program owns the report until the clipboard is taken";
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

// Start-up time of the desktop program: from the start of the process to the first listing
// painted, with a remembered account, against the reference tender service on loopback; next to
// the time a minimal Qt window takes from the start of its process until it has painted, on the
// same machine. Both run on the offscreen platform, in alternating rounds, each a new process,
// and the program runs as `quorvane` runs, crash reporter included. Each also reports its peak
// resident memory (VmHWM) at that moment.
// Prints the median of each and `ratio startup: R` (the minimal window's time divided by ours)
// and `ratio memory: R` (the minimal window's peak resident memory divided by ours).
//
// Usage: startup [ROUNDS]   (7 by default)
#include "app/ClientSession.h"
#include "app/CredentialStore.h"
#include "app/Program.h"
#include "server/CorpusGenerator.h"
#include "server/RequestHandler.h"
#include "server/TenderStore.h"
#include "server/frontend/HttpFrontEnd.h"
#include "skin/controls/TsuiScrollBar.h"
#include "skin/controls/TsuiStringGrid.h"
#include "tests/support/ScopedTempFolder.h"
#include "windows/MainForm.h"

#include <QApplication>
#include <QLabel>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

long long NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// The process's peak resident memory in kB, as the kernel counts it; 0 when it cannot be read.
long long PeakResidentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atoll(line.c_str() + 6);
    return 0;
}

// Reports the time at which the watched widget (or one of its children) has first been painted,
// with the peak resident memory until then, and ends the event loop. The paint event arrives before the
// widget paints; the report waits until the event loop is back, after the painting and the flush to the
// screen.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget& watched) : QObject(QApplication::instance()), watched_(watched) {
        QApplication::instance()->installEventFilter(this);
    }
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(object);
        if (event->type() == QEvent::Paint && widget &&
            (widget == &watched_ || watched_.isAncestorOf(widget))) {
            QApplication::instance()->removeEventFilter(this);
            QMetaObject::invokeMethod(
                QApplication::instance(),
                [] {
                    std::printf("%lld %lld\n", NowNs(), PeakResidentKb());
                    std::fflush(stdout);
                    QApplication::quit();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    QWidget& watched_;
};

int RunMinimalWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("Quorvane"));
    window.resize(792, 553);
    new FirstPaint(window);
    window.show();
    return QApplication::exec();
}

int RunProgram(int argc, char** argv) {
    return qv::app::RunProgram(
        argc, argv, [](qv::app::TClientSession& session) { new FirstPaint(*session.MainForm().sg); });
}

struct ChildFigures {
    double milliseconds = -1; // from the spawn to the first paint
    double peakMegabytes = 0;
};

// Runs `mode` in a new process; the time from its spawn to the first paint it reports, and its
// peak resident memory then. A negative time when the child failed.
ChildFigures TimeChild(const char* self, const char* mode) {
    char* argv[] = {const_cast<char*>(self), const_cast<char*>(mode), nullptr};
    int out[2];
    if (::pipe(out) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const long long start = NowNs();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(n));
    ::close(out[0]);
    int status = 0;
    if (spawned == 0) ::waitpid(pid, &status, 0);
    if (spawned != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    long long paintedAt = 0;
    long long peakKb = 0;
    if (!(std::istringstream(text) >> paintedAt >> peakKb) || peakKb <= 0) return {};
    return {static_cast<double>(paintedAt - start) / 1e6, static_cast<double>(peakKb) / 1024};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--minimal") return RunMinimalWindow(argc, argv);
    if (argc == 2 && std::string(argv[1]) == "--program") return RunProgram(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;

    // The saved credentials go here too: a private folder, gone at the end.
    const qv::test::ScopedTempFolder dir("qv-startup");
    const std::string database = dir / "tenders.db";
    qv::server::TenderStore::CreateGenerated(database, qv::server::CorpusGenerator(1));
    qv::server::RequestHandler handler(database);
    qv::server::HttpFrontEnd frontEnd(handler);
    const int port = frontEnd.Bind("127.0.0.1", 0);
    // The service logs every request on standard error, which the figures must not drown in.
    const int savedStderr = ::dup(2);
    const int devNull = ::open("/dev/null", O_WRONLY);
    ::dup2(devNull, 2);
    ::close(devNull);
    std::thread server([&] { frontEnd.Run(); });
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    ::setenv("QUORVANE_SERVICE_HOST", ("127.0.0.1:" + std::to_string(port)).c_str(), 1);
    qv::service::ClientState remembered;
    remembered.email = "demo@quorvane.example";
    remembered.password = "demo";
    qv::app::SaveCredentials(remembered);

    // The service is not what is measured: a login it has seen already costs it no key stretching.
    TimeChild(argv[0], "--program");
    std::vector<double> minimal;
    std::vector<double> program;
    std::vector<double> minimalMemory;
    std::vector<double> programMemory;
    bool failed = false;
    for (int round = 0; round < rounds && !failed; ++round) {
        const ChildFigures peer = TimeChild(argv[0], "--minimal");
        const ChildFigures ours = TimeChild(argv[0], "--program");
        minimal.push_back(peer.milliseconds);
        program.push_back(ours.milliseconds);
        minimalMemory.push_back(peer.peakMegabytes);
        programMemory.push_back(ours.peakMegabytes);
        failed = peer.milliseconds < 0 || ours.milliseconds < 0;
    }
    frontEnd.Stop();
    server.join();
    ::dup2(savedStderr, 2);
    ::close(savedStderr);
    if (failed) {
        std::fprintf(stderr, "startup: a child did not report its first paint\n");
        return 1;
    }
    const double ours = Median(program);
    const double peer = Median(minimal);
    std::printf("minimal Qt window: %.1f ms to first paint (median of %d)\n", peer, rounds);
    std::printf("quorvane:          %.1f ms to first listing painted (median of %d)\n", ours, rounds);
    std::printf("ratio startup: %.2f\n", peer / ours);
    const double oursMemory = Median(programMemory);
    const double peerMemory = Median(minimalMemory);
    std::printf("minimal Qt window: %.1f MB peak resident at first paint (median of %d)\n", peerMemory,
                rounds);
    std::printf("quorvane:          %.1f MB peak resident at first listing painted (median of %d)\n",
                oursMemory, rounds);
    std::printf("ratio memory: %.2f\n", peerMemory / oursMemory);
    // Times move with what else the machine runs; the load says how busy it was.
    double load = 0;
    if (std::ifstream("/proc/loadavg") >> load)
        std::printf("load average: %.2f over the last minute, %u cores\n", load,
                    std::thread::hardware_concurrency());
    return 0;
}

#include "crash/ApplicationActions.h"
#include "crash/CrashReporter.h"
#include "crash/ReportFormat.h"
#include "platform/Process.h"
#include "platform/SharedMemory.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ForkedCase.h"
#include "tests/support/OtherUser.h"
#include "tests/support/ScopedTempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qv::crash::test {

using qv::test::ForkedResult;
using qv::test::RunForked;
using qv::test::WriteAll;

namespace {

constexpr size_t kHandOverSize = 88;

std::string HandOverName(pid_t process) {
    return "zorExceptRestart" + TReportFormat::HexId(static_cast<uint64_t>(process));
}

// Makes a hand-over block as the current user with the mode, naming the process to wait for.
bool PlantBlock(const std::string& name, mode_t mode, pid_t waitFor) {
    const int fd = ::shm_open(("/" + name).c_str(), O_RDWR | O_CREAT | O_EXCL, mode);
    if (fd < 0) return false;
    const auto process = static_cast<uint32_t>(waitFor);
    const bool written = ::fchmod(fd, mode) == 0 && ::ftruncate(fd, kHandOverSize) == 0 &&
                         ::pwrite(fd, &process, sizeof process, 0) == sizeof process;
    ::close(fd);
    return written;
}

// Runs the restart probe held, lets the setup plant blocks under its id, then lets it go; what it
// printed and its exit code, or -1 when it had to be killed.
std::pair<std::string, int> RunProbeAfter(const std::function<void(pid_t)>& setup) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return {"", -1};
    std::optional<platform::THeldProcess> probe =
        platform::THeldProcess::Start(QV_RESTART_PROBE, {"crash_restart_probe"}, {-1, out[1], -1});
    ::close(out[1]);
    if (!probe) return {"", -1};
    const pid_t id = probe->Id();
    setup(id);
    probe->Resume();
    std::string output;
    constexpr int kLimitMs = 60000;
    pollfd entry{out[0], POLLIN, 0};
    char buffer[256];
    ssize_t got = 0;
    while (::poll(&entry, 1, kLimitMs) > 0 && (got = ::read(out[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, static_cast<size_t>(got));
    ::close(out[0]);
    if (got != 0) ::kill(id, SIGKILL);
    int status = 0;
    ::waitpid(id, &status, 0);
    return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

} // namespace

TEST(RestartHandOver, BlocksThatAreNotTheUsersOwnAreIgnored) {
    if (!qv::test::CanActAsOtherUsers()) GTEST_SKIP() << "planting as another user needs root";
    // Each block names process 1, which never ends: a block taken for real would hold the start.
    const struct {
        const char* what;
        bool otherUser;
        mode_t mode;
    } cases[] = {{"another user's block", true, 0600}, {"a block others may write", false, 0666}};
    for (const auto& c : cases) {
        std::string name;
        const auto [output, exitCode] = RunProbeAfter([&](pid_t probe) {
            name = HandOverName(probe);
            const auto plant = [&] { return PlantBlock(name, c.mode, 1); };
            ASSERT_TRUE(c.otherUser ? qv::test::AsOtherUser(qv::test::NobodyId(), plant) : plant());
        });
        platform::TSharedMemory::Remove(name);
        EXPECT_EQ(exitCode, 0) << c.what;
        EXPECT_EQ(output, "history 0\n") << c.what;
    }
}

TEST(RestartHandOver, TheWaitForTheOldInstanceEndsWithAMessage) {
    const pid_t alive = ::getpid();
    const ForkedResult result = RunForked([alive](int out) {
        ::dup2(out, STDERR_FILENO);
        TExceptionTimeHistory::TTimes times{};
        times[0] = 42;
        auto block = platform::TSharedMemory::Create(HandOverName(::getpid()), kHandOverSize);
        if (!block) return;
        const auto process = static_cast<uint32_t>(alive);
        std::memcpy(block->Data(), &process, sizeof process);
        std::memcpy(block->Data() + 8, times.data(), sizeof times);
        TExceptionTimeHistory history;
        TApplicationActions::TakeOverFromRestart(history, 1000);
        WriteAll(out, "history " + std::to_string(history.Times()[0]) + "\n");
    });
    EXPECT_EQ(result.output, "The previous instance (process " + std::to_string(alive) +
                                 ") has not ended after 1 s; starting anyway.\nhistory 42\n");
}

TEST(RestartHandOver, ARestartRunsTheUpgradedProgramOrSaysItCannot) {
    const qv::test::ScopedTempFolder folder("qv-upgrade");
    const std::string program = folder / "probe";
    for (const bool replaced : {true, false}) {
        std::filesystem::copy_file(QV_RESTART_PROBE, program,
                                   std::filesystem::copy_options::overwrite_existing);
        const qv::test::ProgramResult run =
            qv::test::RunProgram(program, {"10", replaced ? "replace" : "delete"}, 60);
        if (replaced) {
            EXPECT_EQ(run.exitCode, TApplicationActions::kRestartExitCode) << run.err;
            EXPECT_EQ(run.out.substr(run.out.size() - 11), "history 10\n") << run.out << run.err;
        } else {
            EXPECT_EQ(run.exitCode, TApplicationActions::kCloseExitCode) << run.err;
            EXPECT_NE(run.err.find("The application cannot restart: " + program +
                                   ": No such file or directory. It closes instead.\n"),
                      std::string::npos)
                << run.err;
            EXPECT_EQ(run.out.find("history 10"), std::string::npos) << run.out;
        }
    }
}

TEST(RestartHandOver, AnotherUsersTraceBlockGetsNoReport) {
    if (!qv::test::CanActAsOtherUsers()) GTEST_SKIP() << "planting as another user needs root";
    constexpr const char* kMap = "zorTraceProcessMap";
    platform::TSharedMemory::Remove(kMap);
    ASSERT_TRUE(qv::test::AsOtherUser(qv::test::NobodyId(), [&] { return PlantBlock(kMap, 0666, 0); }));
    const ForkedResult result = RunForked([](int) {
        CrashSettings settings = CrashSettings::ThisBuild();
        settings.listHardware = false;
        Install(settings);
        using TTrace = int32_t (*)(int32_t);
        const auto trace = reinterpret_cast<TTrace>(::dlsym(RTLD_DEFAULT, "zorTraceProcess"));
        if (trace != nullptr) std::thread([&] { trace(kHandOverSize); }).join();
    });
    EXPECT_TRUE(result.exitedCleanly);
    const int fd = ::shm_open((std::string("/") + kMap).c_str(), O_RDONLY, 0);
    ASSERT_GE(fd, 0);
    char first = 0;
    EXPECT_EQ(::pread(fd, &first, 1, 0), 1);
    ::close(fd);
    platform::TSharedMemory::Remove(kMap);
    EXPECT_EQ(first, '\0') << "the report went into a block another user made";
}

} // namespace qv::crash::test

#include "crash/ApplicationActions.h"

#include "crash/ReportFormat.h"
#include "platform/PrivateFiles.h"
#include "platform/Process.h"
#include "platform/SharedMemory.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace qv::crash {

namespace {

constexpr size_t kHandOverSize = 8 + sizeof(TExceptionTimeHistory::TTimes);
static_assert(kHandOverSize == 88);

std::string HandOverName(pid_t process) {
    return "zorExceptRestart" + TReportFormat::HexId(static_cast<uint64_t>(process));
}

void Say(const std::string& text) {
    platform::WriteAll(STDERR_FILENO, text + "\n");
}

[[noreturn]] void CannotRestart(const std::string& program, int error) {
    Say("The application cannot restart: " + program + ": " + std::strerror(error) + ". It closes instead.");
    TApplicationActions::Close();
}

} // namespace

void TApplicationActions::Restart(const TExceptionTimeHistory& history) {
    const std::string program = platform::OwnExecutable();
    std::optional<platform::THeldProcess> instance =
        platform::THeldProcess::Start(program, platform::OwnCommandLine());
    if (!instance) CannotRestart(program, errno);
    const std::string name = HandOverName(instance->Id());
    if (auto handOver = platform::TSharedMemory::Create(name, kHandOverSize)) {
        const auto self = static_cast<uint32_t>(::getpid());
        std::memcpy(handOver->Data(), &self, sizeof self);
        std::memcpy(handOver->Data() + 8, history.Times().data(), sizeof(TExceptionTimeHistory::TTimes));
    }
    if (!instance->Resume()) {
        platform::TSharedMemory::Remove(name);
        CannotRestart(program, instance->StartError());
    }
    ::_exit(kRestartExitCode);
}

void TApplicationActions::Close() {
    ::_exit(kCloseExitCode);
}

void TApplicationActions::TakeOverFromRestart(TExceptionTimeHistory& history, int waitMs) {
    const std::string name = HandOverName(::getpid());
    const std::optional<platform::TSharedMemory> handOver = platform::TSharedMemory::Open(name);
    if (!handOver) return;
    platform::TSharedMemory::Remove(name);
    if (handOver->Size() < kHandOverSize) return;
    uint32_t previous = 0;
    std::memcpy(&previous, handOver->Data(), sizeof previous);
    TExceptionTimeHistory::TTimes times{};
    std::memcpy(times.data(), handOver->Data() + 8, sizeof times);
    const auto predecessor = static_cast<pid_t>(previous);
    if (predecessor != ::getpid() && !platform::WaitForProcessEnd(predecessor, waitMs))
        Say("The previous instance (process " + std::to_string(predecessor) + ") has not ended after " +
            std::to_string(waitMs / 1000) + " s; starting anyway.");
    history.Restore(times);
}

} // namespace qv::crash

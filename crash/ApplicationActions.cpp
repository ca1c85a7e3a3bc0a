#include "crash/ApplicationActions.h"

#include "crash/ReportFormat.h"
#include "platform/Process.h"
#include "platform/SharedMemory.h"

#include <cstring>
#include <unistd.h>

namespace qv::crash {

namespace {

constexpr size_t kHandOverSize = 8 + sizeof(TExceptionTimeHistory::TTimes);
static_assert(kHandOverSize == 88);

std::string HandOverName(pid_t process) {
    return "zorExceptRestart" + TReportFormat::HexId(static_cast<uint64_t>(process));
}

} // namespace

void TApplicationActions::Restart(const TExceptionTimeHistory& history) {
    std::optional<platform::THeldProcess> instance =
        platform::THeldProcess::Start(platform::OwnExecutable(), platform::OwnCommandLine());
    if (!instance) Close();
    if (auto handOver = platform::TSharedMemory::Create(HandOverName(instance->Id()), kHandOverSize)) {
        const auto self = static_cast<uint32_t>(::getpid());
        std::memcpy(handOver->Data(), &self, sizeof self);
        std::memcpy(handOver->Data() + 8, history.Times().data(), sizeof(TExceptionTimeHistory::TTimes));
    }
    instance->Resume();
    ::_exit(kRestartExitCode);
}

void TApplicationActions::Close() {
    ::_exit(kCloseExitCode);
}

void TApplicationActions::TakeOverFromRestart(TExceptionTimeHistory& history) {
    const std::string name = HandOverName(::getpid());
    const std::optional<platform::TSharedMemory> handOver = platform::TSharedMemory::Open(name);
    if (!handOver) return;
    platform::TSharedMemory::Remove(name);
    if (handOver->Size() < kHandOverSize) return;
    uint32_t previous = 0;
    std::memcpy(&previous, handOver->Data(), sizeof previous);
    TExceptionTimeHistory::TTimes times{};
    std::memcpy(times.data(), handOver->Data() + 8, sizeof times);
    platform::WaitForProcessEnd(static_cast<pid_t>(previous));
    history.Restore(times);
}

} // namespace qv::crash

// crash_restart_probe [N [replace|delete]]: installs the reporter with a restart rule of 60
// seconds and reports N exceptions that may continue. It prints how many times the event history
// held at start; an instance started by a restart prints that and ends. With "replace" it puts a
// copy of itself over its own file first, as an upgrade does; with "delete" it removes its file.
#include "crash/CrashReporter.h"
#include "platform/Process.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

int main(int argc, char** argv) {
    qv::crash::CrashSettings settings = qv::crash::CrashSettings::ThisBuild();
    settings.autoRestartRule = 60;
    // No report: only the rule matters here.
    settings.ignoredClasses = "std::runtime_error";
    qv::crash::Install(settings);
    const auto& times = qv::crash::TCrashReporter::Instance().History().Times();
    const auto held = std::count_if(times.begin(), times.end(), [](int64_t time) { return time != 0; });
    std::printf("history %ld\n", static_cast<long>(held));
    std::fflush(stdout);
    if (held > 0 || argc < 2) return 0;
    const std::string self = qv::platform::OwnExecutable();
    if (argc > 2 && std::strcmp(argv[2], "replace") == 0) {
        std::filesystem::copy_file(self, self + ".new");
        std::filesystem::rename(self + ".new", self);
    } else if (argc > 2 && std::strcmp(argv[2], "delete") == 0) {
        std::filesystem::remove(self);
    }
    for (int i = 1; i <= std::atoi(argv[1]); ++i) {
        qv::crash::HandleException(std::make_exception_ptr(std::runtime_error("again")));
        std::printf("continued %d\n", i);
        std::fflush(stdout);
    }
    return 0;
}

#include "platform/SystemInfo.h"

#include "platform/SystemTexts.h"

#include <QLocale>

#include <climits>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace qv::platform {

namespace {

constexpr uint64_t kMaxBitsPerPixel = 64;

std::string FirstLine(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

// The whole text of a file; empty when it cannot be read.
std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::optional<uint64_t> FreeBytes(const std::string& path) {
    struct statvfs volume {};
    if (::statvfs(path.c_str(), &volume) != 0) return std::nullopt;
    return static_cast<uint64_t>(volume.f_bavail) * volume.f_frsize;
}

} // namespace

std::string TSystemInfo::ComputerName() {
    char name[HOST_NAME_MAX + 1] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

std::string TSystemInfo::UserName() {
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr)
        return found->pw_name;
    const char* user = std::getenv("USER");
    return user != nullptr ? user : "";
}

std::string TSystemInfo::OperatingSystemName() {
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        const std::string text = ReadText(path);
        std::string name = ShellValue(text, "PRETTY_NAME");
        if (name.empty()) name = ShellValue(text, "NAME");
        if (!name.empty()) return name;
    }
    utsname system{};
    return ::uname(&system) == 0 ? std::string(system.sysname) : std::string();
}

std::string TSystemInfo::KernelRelease() {
    utsname system{};
    return ::uname(&system) == 0 ? std::string(system.release) : std::string();
}

std::string TSystemInfo::SystemLanguage() {
    const QLocale::Language language = QLocale::system().language();
    if (language == QLocale::AnyLanguage || language == QLocale::C) return {};
    return QLocale::languageToString(language).toStdString();
}

std::optional<uint64_t> TSystemInfo::SystemUpSeconds() {
    timespec now{};
    if (::clock_gettime(CLOCK_BOOTTIME, &now) != 0) return std::nullopt;
    return static_cast<uint64_t>(now.tv_sec);
}

std::optional<TSystemInfo::TProcessor> TSystemInfo::Processor() {
    const std::vector<std::string> names = ProcValues(ReadText("/proc/cpuinfo"), "model name");
    if (names.empty()) return std::nullopt;
    return TProcessor{names.front(), static_cast<int>(names.size())};
}

std::optional<TSystemInfo::TMemory> TSystemInfo::PhysicalMemory() {
    const std::string meminfo = ReadText("/proc/meminfo");
    const auto total = MemInfoBytes(meminfo, "MemTotal");
    const auto available = MemInfoBytes(meminfo, "MemAvailable");
    if (!total || !available) return std::nullopt;
    return TMemory{*available, *total};
}

std::vector<TSystemInfo::TVolumeSpace> TSystemInfo::FreeDiskSpace(const std::string& path) {
    std::vector<TVolumeSpace> volumes;
    if (const auto root = FreeBytes("/")) volumes.push_back({"/", *root});
    struct stat rootInfo {};
    struct stat pathInfo {};
    if (!path.empty() && ::stat("/", &rootInfo) == 0 && ::stat(path.c_str(), &pathInfo) == 0 &&
        rootInfo.st_dev != pathInfo.st_dev) {
        const std::string point = MountPointIn(ReadText("/proc/self/mounts"), path);
        if (const auto free = FreeBytes(point)) volumes.push_back({point, *free});
    }
    return volumes;
}

std::optional<TSystemInfo::TDisplayMode> TSystemInfo::DisplayMode() {
    namespace fs = std::filesystem;
    std::error_code error;
    for (const fs::directory_entry& connector : fs::directory_iterator("/sys/class/drm", error)) {
        if (FirstLine(connector.path() / "status") != "connected") continue;
        TDisplayMode mode;
        const std::string first = FirstLine(connector.path() / "modes");
        char separator = 0;
        std::istringstream text(first);
        if (!(text >> mode.width >> separator >> mode.height) || separator != 'x') continue;
        const auto bits = LeadingNumber(FirstLine("/sys/class/graphics/fb0/bits_per_pixel"));
        // Displays driven by the kernel's drivers use 32-bit pixels unless a frame buffer says else.
        mode.bitsPerPixel = bits && *bits > 0 && *bits <= kMaxBitsPerPixel ? static_cast<int>(*bits) : 32;
        return mode;
    }
    return std::nullopt;
}

} // namespace qv::platform

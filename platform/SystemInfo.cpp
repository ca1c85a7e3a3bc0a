#include "platform/SystemInfo.h"

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

std::string FirstLine(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

// The value of "KEY=value" or "KEY=\"value\"" in a shell-style settings file.
std::string ShellValue(const std::string& path, const std::string& key) {
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (line.compare(0, key.size() + 1, key + "=") != 0) continue;
        std::string value = line.substr(key.size() + 1);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return value;
    }
    return {};
}

// The value after "key:" on the lines of /proc/cpuinfo or /proc/meminfo that start with the key.
std::vector<std::string> ProcValues(const std::string& path, const std::string& key) {
    std::ifstream file(path);
    std::vector<std::string> values;
    std::string line;
    while (std::getline(file, line)) {
        if (line.compare(0, key.size(), key) != 0) continue;
        const size_t colon = line.find(':', key.size());
        if (colon == std::string::npos || line.find_first_not_of(" \t", key.size()) != colon) continue;
        const size_t start = line.find_first_not_of(" \t", colon + 1);
        values.push_back(start == std::string::npos ? std::string() : line.substr(start));
    }
    return values;
}

std::optional<uint64_t> MemInfoBytes(const std::string& key) {
    const std::vector<std::string> values = ProcValues("/proc/meminfo", key);
    if (values.empty()) return std::nullopt;
    return std::stoull(values.front()) * 1024;
}

std::optional<uint64_t> FreeBytes(const std::string& path) {
    struct statvfs volume {};
    if (::statvfs(path.c_str(), &volume) != 0) return std::nullopt;
    return static_cast<uint64_t>(volume.f_bavail) * volume.f_frsize;
}

// The mount point of the volume that holds the path: the longest mount point that is a prefix.
std::string MountPointOf(const std::string& path) {
    std::ifstream mounts("/proc/self/mounts");
    std::string line;
    std::string best = "/";
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string device;
        std::string point;
        fields >> device >> point;
        const bool prefix = path.compare(0, point.size(), point) == 0 &&
                            (path.size() == point.size() || path[point.size()] == '/' || point == "/");
        if (prefix && point.size() > best.size()) best = point;
    }
    return best;
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
        std::string name = ShellValue(path, "PRETTY_NAME");
        if (name.empty()) name = ShellValue(path, "NAME");
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
    const std::vector<std::string> names = ProcValues("/proc/cpuinfo", "model name");
    if (names.empty()) return std::nullopt;
    return TProcessor{names.front(), static_cast<int>(names.size())};
}

std::optional<TSystemInfo::TMemory> TSystemInfo::PhysicalMemory() {
    const auto total = MemInfoBytes("MemTotal");
    const auto available = MemInfoBytes("MemAvailable");
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
        const std::string point = MountPointOf(path);
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
        const std::string bits = FirstLine("/sys/class/graphics/fb0/bits_per_pixel");
        // Displays driven by the kernel's drivers use 32-bit pixels unless a frame buffer says else.
        mode.bitsPerPixel = bits.empty() ? 32 : std::stoi(bits);
        return mode;
    }
    return std::nullopt;
}

} // namespace qv::platform

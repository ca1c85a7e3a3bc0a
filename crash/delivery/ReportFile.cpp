#include "crash/delivery/ReportFile.h"

#include "platform/Process.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace qv::crash {

namespace {

constexpr const char* kAppName = "%appname%";

std::string ProgramName() {
    const std::string path = platform::OwnExecutable();
    return path.substr(path.find_last_of('/') + 1);
}

class TFile {
public:
    TFile(const std::string& path, int flags) : fd_(::open(path.c_str(), flags | O_CLOEXEC, 0666)) {}
    ~TFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    TFile(const TFile&) = delete;
    TFile& operator=(const TFile&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

bool WriteAllAt(int fd, const char* data, size_t size, off_t at) {
    while (size > 0) {
        const ssize_t written = ::pwrite(fd, data, size, at);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<size_t>(written);
        at += written;
    }
    return true;
}

bool ReadAllAt(int fd, std::string& into, off_t at) {
    size_t done = 0;
    while (done < into.size()) {
        const ssize_t got =
            ::pread(fd, into.data() + done, into.size() - done, at + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += static_cast<size_t>(got);
    }
    return true;
}

// Keeps the file's tail from the first report start after which less than three quarters of the
// limit remain. Only that tail is read: it is smaller than the limit, whatever the file's size.
bool DropOldReports(int fd, off_t size, int32_t maxSize) {
    const off_t keepAtMost = static_cast<off_t>(maxSize) * 3 / 4;
    // A start at `from` or later leaves less than three quarters behind it.
    const off_t from = size - keepAtMost + ((static_cast<off_t>(maxSize) * 3) % 4 == 0 ? 1 : 0);
    std::string tail(static_cast<size_t>(size - std::max<off_t>(from, 0)), '\0');
    if (!ReadAllAt(fd, tail, size - static_cast<off_t>(tail.size()))) return false;
    const size_t start = tail.find(TReportFile::kReportStart);
    if (start == std::string::npos) return true;
    tail.erase(0, start);
    return WriteAllAt(fd, tail.data(), tail.size(), 0) &&
           ::ftruncate(fd, static_cast<off_t>(tail.size())) == 0;
}

} // namespace

std::string TReportFile::FileName(const CrashSettings& settings) {
    std::string program = ProgramName();
    if (const size_t dot = program.find_last_of('.'); dot != std::string::npos && dot > 0)
        program.resize(dot);
    std::string name = settings.reportFileName;
    for (size_t at = name.find(kAppName); at != std::string::npos;
         at = name.find(kAppName, at + program.size()))
        name.replace(at, std::strlen(kAppName), program);
    return name;
}

bool TReportFile::IsAbsolute(const std::string& name) {
    return !name.empty() && name[0] == '/';
}

std::string TReportFile::ProgramFolder() {
    const std::string program = platform::OwnExecutable();
    const std::string folder = program.substr(0, program.find_last_of('/'));
    if (!folder.empty() && ::access(folder.c_str(), W_OK) == 0) return folder;
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (data != nullptr && data[0] == '/') return std::string(data) + "/quorvane";
    return std::string(home != nullptr ? home : "") + "/.local/share/quorvane";
}

std::string TReportFile::AutomaticPath(const CrashSettings& settings) {
    const std::string name = FileName(settings);
    return IsAbsolute(name) ? name : ProgramFolder() + "/" + name;
}

bool TReportFile::Save(const std::string& report, const std::string& path, int32_t maxSize) {
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
    const TFile file(path, O_RDWR | O_CREAT | (maxSize == 0 ? O_TRUNC : 0));
    if (file.Fd() < 0) return false;
    struct stat status {};
    if (::fstat(file.Fd(), &status) != 0) return false;
    const std::string text = report + "\r\n\r\n";
    if (!WriteAllAt(file.Fd(), text.data(), text.size(), status.st_size)) return false;
    const off_t size = status.st_size + static_cast<off_t>(text.size());
    if (maxSize > 0 && size > maxSize) return DropOldReports(file.Fd(), size, maxSize);
    return true;
}

} // namespace qv::crash

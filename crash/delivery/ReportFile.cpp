#include "crash/delivery/ReportFile.h"

#include "platform/HomeFolder.h"
#include "platform/PrivateFiles.h"
#include "platform/Process.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace qv::crash {

namespace {

constexpr const char* kAppName = "%appname%";
constexpr const char* kLineEnd = "\r\n";
constexpr mode_t kFileMode = 0600;

std::string ProgramName() {
    const std::string path = platform::OwnExecutable();
    return path.substr(path.find_last_of('/') + 1);
}

class TFile {
public:
    // Never through a link: a report file in a shared folder could be a link another user made.
    TFile(const std::string& path, int flags)
        : fd_(::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, kFileMode)) {}
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

// The part of a file grown past the limit that stays: the tail from the first report start after
// which less than three quarters of the limit remain. Without such a start (the newest report alone
// is that large) the newest report alone, from `newest`, cut at a line end within the limit. Only
// the tail and the newest report are read: the file may have any size.
std::optional<std::string> KeptPart(int fd, off_t size, off_t newest, int32_t maxSize) {
    const off_t keepAtMost = static_cast<off_t>(maxSize) * 3 / 4;
    // A start at `from` or later leaves less than three quarters behind it.
    const off_t from = size - keepAtMost + ((static_cast<off_t>(maxSize) * 3) % 4 == 0 ? 1 : 0);
    std::string tail(static_cast<size_t>(size - std::max<off_t>(from, 0)), '\0');
    if (!ReadAllAt(fd, tail, size - static_cast<off_t>(tail.size()))) return std::nullopt;
    if (const size_t start = tail.find(TReportFile::kReportStart); start != std::string::npos)
        return tail.substr(start);
    std::string report(static_cast<size_t>(std::min<off_t>(size - newest, maxSize)), '\0');
    if (!ReadAllAt(fd, report, newest)) return std::nullopt;
    if (size - newest > maxSize) {
        const size_t lineEnd = report.rfind(kLineEnd);
        report.resize(lineEnd == std::string::npos ? 0 : lineEnd + std::strlen(kLineEnd));
    }
    return report;
}

} // namespace

std::string TReportFile::FileName(const DeliverySettings& settings) {
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

std::string TReportFile::ReportFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') return std::string(state) + "/quorvane";
    return platform::HomeFolder() + "/.local/state/quorvane";
}

std::string TReportFile::AutomaticPath(const DeliverySettings& settings) {
    const std::string name = FileName(settings);
    return IsAbsolute(name) ? name : ReportFolder() + "/" + name;
}

bool TReportFile::Save(const std::string& report, const std::string& path, int32_t maxSize) {
    if (const size_t slash = path.find_last_of('/'); slash != std::string::npos && slash > 0)
        platform::MakePrivateFolders(path.substr(0, slash));
    const TFile file(path, O_RDWR | O_CREAT);
    if (file.Fd() < 0) return false;
    struct stat status {};
    // Another user's file at the name (a shared folder may hold one) would hand them the report.
    if (::fstat(file.Fd(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid())
        return false;
    // An earlier version made the file readable by everyone.
    if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0 && ::fchmod(file.Fd(), kFileMode) != 0) return false;
    if (maxSize == 0) {
        if (::ftruncate(file.Fd(), 0) != 0) return false;
        status.st_size = 0;
    }
    const std::string text = report + kLineEnd + kLineEnd;
    if (!WriteAllAt(file.Fd(), text.data(), text.size(), status.st_size)) return false;
    const off_t size = status.st_size + static_cast<off_t>(text.size());
    if (maxSize <= 0 || size <= maxSize) return true;
    // The shorter file replaces the old one whole, so that a crash while trimming loses nothing.
    const std::optional<std::string> kept = KeptPart(file.Fd(), size, status.st_size, maxSize);
    return kept && platform::ReplaceFile(path, *kept);
}

} // namespace qv::crash

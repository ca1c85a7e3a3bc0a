#include "platform/KeyFolderLock.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace qv::platform {

namespace {

constexpr int kRetryMs = 10;
constexpr mode_t kPrivateFolder = 0700;
// mkostemp's six random characters after the value file's name and a dot.
constexpr size_t kTemporarySuffix = 6;

bool IsTemporaryOf(const std::string& name, const std::string& valueFile) {
    const std::string prefix = valueFile + ".";
    return name.size() == prefix.size() + kTemporarySuffix && name.compare(0, prefix.size(), prefix) == 0 &&
           std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

void Tighten(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_uid == ::geteuid() && (info.st_mode & 077) != 0)
        ::fchmod(fd, kPrivateFolder);
    ::close(fd);
}

} // namespace

TKeyFolderLock::TKeyFolderLock(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMs));
    }
    fd_ = fd;
}

TKeyFolderLock::~TKeyFolderLock() {
    // Closing the folder lets the lock go.
    if (fd_ >= 0) ::close(fd_);
}

void TKeyFolderLock::RemoveStaleTemporaryFiles(const std::string& valueFile) const {
    if (fd_ < 0) return;
    const int listed = ::dup(fd_);
    DIR* folder = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (folder == nullptr) {
        if (listed >= 0) ::close(listed);
        return;
    }
    while (const dirent* entry = ::readdir(folder))
        if (IsTemporaryOf(entry->d_name, valueFile)) ::unlinkat(fd_, entry->d_name, 0);
    ::closedir(folder);
}

void TightenFolders(const std::string& first, const std::string& last) {
    if (last.compare(0, first.size(), first) != 0) return;
    Tighten(first);
    for (size_t slash = last.find('/', first.size() + 1); slash != std::string::npos;
         slash = last.find('/', slash + 1))
        Tighten(last.substr(0, slash));
    if (last.size() > first.size()) Tighten(last);
}

} // namespace qv::platform

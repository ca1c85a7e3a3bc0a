#include "crash/delivery/DeliveryFolder.h"

#include "platform/PrivateFiles.h"
#include "platform/TempNames.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace qv::crash {

namespace {

constexpr const char* kFolderPattern = "quorvane-report-XXXXXX";
constexpr mode_t kFileMode = 0600;

} // namespace

TDeliveryFolder::~TDeliveryFolder() {
    if (fd_ < 0) return;
    if (!kept_) {
        for (const std::string& name : names_)
            ::unlinkat(fd_, name.c_str(), 0);
    }
    ::close(fd_);
    if (!kept_) ::rmdir(path_.c_str());
}

std::string TDeliveryFolder::Write(const std::string& name, const std::string& bytes) {
    if (fd_ < 0) {
        std::string path = platform::TempFolder() + kFolderPattern;
        if (::mkdtemp(path.data()) == nullptr) return {};
        fd_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd_ < 0) {
            ::rmdir(path.c_str());
            return {};
        }
        path_ = std::move(path);
    }
    const int fd =
        ::openat(fd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kFileMode);
    if (fd < 0) return {};
    names_.push_back(name);
    const bool written = platform::WriteAll(fd, bytes);
    return ::close(fd) == 0 && written ? path_ + "/" + name : std::string();
}

} // namespace qv::crash

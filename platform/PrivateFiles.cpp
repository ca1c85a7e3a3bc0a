#include "platform/PrivateFiles.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv::platform {

namespace {

constexpr mode_t kFolderMode = 0700;
constexpr mode_t kFileMode = 0600;

} // namespace

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool MakePrivateFolders(const std::string& folder) {
    if (folder.empty()) return false;
    size_t start = folder.front() == '/' ? 1 : 0;
    std::string path = folder.substr(0, start);
    while (start <= folder.size()) {
        const size_t end = std::min(folder.find('/', start), folder.size());
        path += folder.substr(start, end - start);
        if (!path.empty() && path.back() != '/' && ::mkdir(path.c_str(), kFolderMode) != 0 && errno != EEXIST)
            return false;
        path += '/';
        start = end + 1;
    }
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ReplaceFile(const std::string& path, const std::string& bytes) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    const bool written = ::fchmod(fd, kFileMode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    const std::string folder = path.substr(0, std::max<size_t>(path.find_last_of('/'), 1));
    const int dir = ::open(path.find('/') == std::string::npos ? "." : folder.c_str(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace qv::platform

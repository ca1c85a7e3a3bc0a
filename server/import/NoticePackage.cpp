#include "server/import/NoticePackage.h"

#include "server/import/ArchiveReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace qv::server {

namespace {

namespace fs = std::filesystem;

const std::string kTooLarge = "larger than 16 MB";

bool EndsWith(std::string name, std::string_view ending) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    return name.size() >= ending.size() &&
           name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
}

bool IsArchive(const std::string& name) {
    return EndsWith(name, ".tar.gz") || EndsWith(name, ".tgz") || EndsWith(name, ".tar") ||
           EndsWith(name, ".zip");
}

bool IsNotice(const std::string& name) {
    return EndsWith(name, ".xml");
}

// False, with the reason set, for a file that cannot be read or is too large.
bool ReadFile(const std::string& path, std::string& content, std::string& reason) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        reason = std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return false;
    }
    // One byte past the limit tells a file that grew too large since it was measured.
    const size_t limit = NoticePackage::kMaxNoticeBytes + 1;
    content.resize(std::min(static_cast<size_t>(info.st_size) + 1, limit));
    size_t length = 0;
    for (;;) {
        const ssize_t got = ::read(fd, content.data() + length, content.size() - length);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            reason = std::strerror(errno);
            ::close(fd);
            return false;
        }
        length += static_cast<size_t>(got);
        if (got == 0 || length == limit) break;
        if (length == content.size()) content.resize(std::min(content.size() * 2, limit));
    }
    ::close(fd);
    content.resize(length);
    if (length > NoticePackage::kMaxNoticeBytes) {
        reason = kTooLarge;
        return false;
    }
    return true;
}

} // namespace

std::vector<NoticePackage> NoticePackage::Find(const std::string& path, const ProblemSink& problems) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error) {
        problems(path, error.message());
        return {};
    }
    if (!fs::is_directory(status)) {
        if (IsArchive(path)) return {NoticePackage(path, true, {path})};
        return {NoticePackage(path, false, {path})};
    }
    std::vector<std::string> archives;
    std::vector<std::string> notices;
    fs::recursive_directory_iterator walk(path, fs::directory_options::skip_permission_denied, error);
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        if (!walk->is_regular_file(error)) continue;
        const std::string file = walk->path().string();
        if (IsArchive(file))
            archives.push_back(file);
        else if (IsNotice(file))
            notices.push_back(file);
    }
    if (error) problems(path, error.message());
    // The same folder is read in the same order everywhere.
    std::sort(archives.begin(), archives.end());
    std::sort(notices.begin(), notices.end());
    std::vector<NoticePackage> packages;
    if (!notices.empty()) packages.push_back(NoticePackage(path, false, std::move(notices)));
    for (auto& archive : archives)
        packages.push_back(NoticePackage(archive, true, {archive}));
    return packages;
}

void NoticePackage::Read(const NoticeSink& notice, const ProblemSink& skipped) const {
    if (archive_)
        ReadArchive(notice, skipped);
    else
        ReadFiles(notice, skipped);
}

void NoticePackage::ReadFiles(const NoticeSink& notice, const ProblemSink& skipped) const {
    std::string content;
    std::string reason;
    for (const auto& file : files_) {
        if (ReadFile(file, content, reason))
            notice(file, content);
        else
            skipped(file, reason);
    }
}

void NoticePackage::ReadArchive(const NoticeSink& notice, const ProblemSink& skipped) const {
    ArchiveReader archive(name_);
    std::string content;
    while (const auto entry = archive.Next()) {
        if (!IsNotice(*entry)) continue;
        const std::string name = name_ + "/" + *entry;
        const auto size = archive.AnnouncedSize();
        bool complete = false;
        try {
            complete = !(size && *size > static_cast<int64_t>(kMaxNoticeBytes)) &&
                       archive.Read(content, kMaxNoticeBytes);
        } catch (const EPackageError& e) {
            // A file the archive cannot give out (encrypted, say); a damaged stream stops at the next one.
            skipped(name, e.Message());
            continue;
        }
        if (complete)
            notice(name, content);
        else
            skipped(name, kTooLarge);
    }
}

} // namespace qv::server

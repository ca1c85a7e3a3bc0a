#pragma once

#include "framework/Exception.h"

#include <cstdint>
#include <optional>
#include <string>

struct archive;

namespace qv::server {

QV_EXCEPTION_CLASS(EPackageError, framework::Exception);

// Reads the regular files of a .tar.gz, .tgz, .tar or .zip archive one after the other.
class ArchiveReader {
public:
    // Raises EPackageError when the file cannot be opened as an archive.
    explicit ArchiveReader(const std::string& path);
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    // The name of the next regular file, or nothing at the end of the archive. Raises
    // EPackageError for a damaged archive.
    std::optional<std::string> Next();
    // The size the archive gives for the current file, or nothing when it gives none.
    std::optional<int64_t> AnnouncedSize() const;
    // Reads the current file into `content`, at most `limit` bytes: false when it holds more.
    bool Read(std::string& content, size_t limit);

private:
    [[noreturn]] void Fail() const;

    std::string path_;
    archive* archive_;
    std::optional<int64_t> size_;
};

} // namespace qv::server

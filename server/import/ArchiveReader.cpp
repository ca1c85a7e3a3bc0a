#include "server/import/ArchiveReader.h"

#include <archive.h>
#include <archive_entry.h>

namespace qv::server {

namespace {

constexpr size_t kReadBlock = 65536;

} // namespace

ArchiveReader::ArchiveReader(const std::string& path) : path_(path), archive_(archive_read_new()) {
    archive_read_support_filter_gzip(archive_);
    archive_read_support_format_tar(archive_);
    archive_read_support_format_zip(archive_);
    if (archive_read_open_filename(archive_, path.c_str(), kReadBlock) != ARCHIVE_OK) {
        const std::string reason =
            archive_error_string(archive_) ? archive_error_string(archive_) : "unreadable";
        archive_read_free(archive_);
        throw EPackageError("not a readable archive: " + reason);
    }
}

ArchiveReader::~ArchiveReader() {
    archive_read_free(archive_);
}

void ArchiveReader::Fail() const {
    const char* reason = archive_error_string(archive_);
    throw EPackageError(std::string("damaged archive: ") + (reason ? reason : "unreadable"));
}

std::optional<std::string> ArchiveReader::Next() {
    for (;;) {
        archive_entry* entry = nullptr;
        const int status = archive_read_next_header(archive_, &entry);
        if (status == ARCHIVE_EOF) return std::nullopt;
        if (status < ARCHIVE_WARN) Fail();
        if (archive_entry_filetype(entry) != AE_IFREG) continue;
        size_ = archive_entry_size_is_set(entry) ? std::optional<int64_t>(archive_entry_size(entry))
                                                 : std::nullopt;
        const char* name = archive_entry_pathname_utf8(entry);
        if (!name) name = archive_entry_pathname(entry);
        return std::string(name ? name : "");
    }
}

std::optional<int64_t> ArchiveReader::AnnouncedSize() const {
    return size_;
}

bool ArchiveReader::Read(std::string& content, size_t limit) {
    content.clear();
    char block[kReadBlock];
    for (;;) {
        const la_ssize_t got = archive_read_data(archive_, block, sizeof block);
        if (got < 0) Fail();
        if (got == 0) return true;
        if (content.size() + static_cast<size_t>(got) > limit) return false;
        content.append(block, static_cast<size_t>(got));
    }
}

} // namespace qv::server

#include "tests/server/NoticeFixtures.h"

#include <gtest/gtest.h>

#include <archive.h>
#include <archive_entry.h>
#include <fstream>
#include <sstream>

namespace qv::server::test {

std::string NoticeText(const std::string& name) {
    std::ifstream in(std::string(QV_NOTICE_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

void WriteArchive(const std::string& path, const std::vector<std::pair<std::string, std::string>>& files) {
    archive* out = archive_write_new();
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".zip") == 0) {
        archive_write_set_format_zip(out);
    } else {
        archive_write_add_filter_gzip(out);
        archive_write_set_format_pax_restricted(out);
    }
    ASSERT_EQ(archive_write_open_filename(out, path.c_str()), ARCHIVE_OK) << archive_error_string(out);
    for (const auto& [name, content] : files) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, name.c_str());
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, static_cast<la_int64_t>(content.size()));
        archive_write_header(out, entry);
        archive_write_data(out, content.data(), content.size());
        archive_entry_free(entry);
    }
    archive_write_close(out);
    archive_write_free(out);
}

} // namespace qv::server::test

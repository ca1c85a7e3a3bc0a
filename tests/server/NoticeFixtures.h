#pragma once

#include <string>
#include <utility>
#include <vector>

namespace qv::server::test {

// A notice written for these tests (tests/server/notices).
std::string NoticeText(const std::string& name);
// `text` with `from` replaced by `to`; `from` must be there.
std::string Replaced(std::string text, const std::string& from, const std::string& to);

// Writes a .tar.gz or, for a name ending in ".zip", a zip archive of the named files.
void WriteArchive(const std::string& path, const std::vector<std::pair<std::string, std::string>>& files);

} // namespace qv::server::test

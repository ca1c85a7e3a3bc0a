#pragma once

#include <cstdint>
#include <string>

namespace qv::skin {

// Inflated members larger than this are refused: skins are far smaller, and a few kilobytes of
// crafted deflate data could otherwise fill the disk.
inline constexpr int64_t kMaxSkinMemberSize = 64 * 1024 * 1024;

// Writes the named member of a skin archive, inflated (and deciphered with the password when the
// member is encrypted), to the output file. Returns 0 when the member was written completely,
// 1 when the archive couldn't be read, 2 when the member is encrypted and the password is
// empty or fails the check byte.
int ExtractSkinMember(const std::string& archiveName, const std::string& memberName,
                      const std::string& outputName, const std::string& password);

} // namespace qv::skin

#pragma once

#include "framework/Stream.h"

#include <cstdint>
#include <string>

namespace qv::skin {

// Inflated members larger than this are refused: skins are far smaller, and a few kilobytes of
// crafted deflate data could otherwise take all memory.
inline constexpr int64_t kMaxSkinMemberSize = 64 * 1024 * 1024;

enum class TExtractResult {
    // The member was inflated completely and matches the size and CRC-32 the archive gives.
    Ok,
    // The archive is damaged, is no skin archive or has no such member.
    Unreadable,
    // The member is encrypted and the password is empty or fails the check byte.
    BadPassword,
};

// Inflates the named member (letter case ignored) of the skin archive that the stream holds into
// memory, deciphering it with the password when the member is encrypted. The stream may be a
// file or memory: it is read from wherever the archive's records say, never written.
TExtractResult ExtractSkinMember(framework::TStream& archive, const std::string& memberName,
                                 const std::string& password, std::string& member);

} // namespace qv::skin

#pragma once

#include "skin/archive/Sk2Format.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qv::skin {

struct TSkinArchiveOptions {
    // A non-empty password enciphers the member with the traditional PKWARE encryption.
    std::string password;
    // Deflate with stored blocks only.
    bool store = false;
    // Sets flag bit 3, which makes the encryption check byte the high byte of the time.
    bool timeCheckByte = false;
    uint16_t dosTime = 0;
    uint16_t dosDate = (1 << 5) | 1;
    // Fixes the eleven random bytes of the encryption header, for reproducible archives.
    std::optional<uint32_t> headerSeed;
    std::string memberName = kSkinMemberName;
};

// Raw deflate (no zlib header) of the data at the best compression, or in stored blocks.
std::string DeflateRaw(const std::string& data, bool store);

// A complete skin archive holding the member, deflated as the options say.
std::string BuildSkinArchive(const std::string& member, const TSkinArchiveOptions& options);

// A complete skin archive around an already deflated member of the given CRC-32 and size.
std::string BuildSkinArchiveFromDeflate(const std::string& deflated, uint32_t crc, uint32_t size,
                                        const TSkinArchiveOptions& options);

} // namespace qv::skin

#include "skin/archive/ExtractSkinMember.h"

#include "framework/Conversions.h"
#include "framework/Stream.h"
#include "skin/archive/DecryptingStream.h"
#include "skin/archive/Inflater.h"
#include "skin/archive/LittleEndian.h"
#include "skin/archive/PkCipher.h"
#include "skin/archive/Sk2Format.h"

#include <zlib.h>

#include <cstring>
#include <optional>

namespace qv::skin {

namespace {

using framework::TStream;

// A deflate stream never expands more than this: a match of 258 bytes takes at least two bits.
constexpr int64_t kMaxDeflateExpansion = 1032;

struct TMemberEntry {
    uint16_t flags = 0;
    uint16_t modificationTime = 0;
    uint32_t crc = 0;
    uint32_t uncompressedSize = 0;
    uint32_t localHeaderOffset = 0;
};

bool ReadAt(TStream& stream, int64_t position, void* buffer, int64_t count) {
    if (position < 0) return false;
    stream.SetPosition(position);
    return stream.Read(buffer, count) == count;
}

std::optional<TMemberEntry> FindMember(TStream& archive, const std::string& memberName) {
    const int64_t endRecordPosition = archive.Size() - static_cast<int64_t>(kEndRecordSize);
    uint8_t end[kEndRecordSize];
    if (!ReadAt(archive, endRecordPosition, end, sizeof end)) return std::nullopt;
    if (std::memcmp(end, "PK\x05\x06", 4) != 0 || ReadU16(end + kEndCommentLengthOffset) != 0)
        return std::nullopt;

    const std::string wanted = framework::UpperCase(memberName);
    int64_t position = ReadU32(end + kEndCentralDirectoryOffset);
    while (position < endRecordPosition) {
        uint8_t record[kCentralHeaderSize];
        if (!ReadAt(archive, position, record, sizeof record)) return std::nullopt;
        std::string name(ReadU16(record + kCentralNameLengthOffset), '\0');
        if (archive.Read(name.data(), static_cast<int64_t>(name.size())) != static_cast<int64_t>(name.size()))
            return std::nullopt;
        position += static_cast<int64_t>(kCentralHeaderSize + name.size());
        if (framework::UpperCase(name) == wanted)
            return TMemberEntry{ReadU16(record + kCentralFlagsOffset), ReadU16(record + kCentralTimeOffset),
                                ReadU32(record + kCentralCrcOffset),
                                ReadU32(record + kCentralUncompressedSizeOffset),
                                ReadU32(record + kCentralLocalHeaderOffset)};
    }
    return std::nullopt;
}

// The size the archive gives is trusted only as far as the rest of the source could inflate to it
// and a skin could be that large; within that, the member inflates straight into memory of that
// size, never beyond it. Unreadable unless the bytes match the archive's size and CRC-32.
TExtractResult Inflate(TStream& source, const TMemberEntry& member, std::string& inflated) {
    const int64_t available = source.Size() - source.Position();
    if (member.uncompressedSize > kMaxSkinMemberSize ||
        member.uncompressedSize > available * kMaxDeflateExpansion)
        return TExtractResult::Unreadable;
    inflated.resize(member.uncompressedSize);
    auto* const data = reinterpret_cast<uint8_t*>(inflated.data());
    TInflateInput input(source);
    const bool intact = InflateToBuffer(input, data, inflated.size()) == inflated.size() &&
                        crc32_z(0, data, inflated.size()) == member.crc;
    return intact ? TExtractResult::Ok : TExtractResult::Unreadable;
}

TExtractResult Extract(TStream& archive, const std::string& memberName, const std::string& password,
                       std::string& inflated) {
    char signature[2];
    if (!ReadAt(archive, 0, signature, 2) || signature[0] != 'S' || signature[1] != 'K')
        return TExtractResult::Unreadable;

    const auto member = FindMember(archive, memberName);
    if (!member) return TExtractResult::Unreadable;

    uint8_t local[kLocalHeaderSize];
    if (!ReadAt(archive, member->localHeaderOffset, local, sizeof local)) return TExtractResult::Unreadable;
    archive.SetPosition(archive.Position() + ReadU16(local + kLocalNameLengthOffset) +
                        ReadU16(local + kLocalExtraLengthOffset));

    if ((member->flags & kFlagEncrypted) == 0) return Inflate(archive, *member, inflated);
    if (password.empty()) return TExtractResult::BadPassword;
    TPkCipher cipher(password);
    uint8_t header[kEncryptionHeaderSize];
    if (archive.Read(header, sizeof header) != static_cast<int64_t>(sizeof header))
        return TExtractResult::Unreadable;
    cipher.Decrypt(header, sizeof header);
    const auto check = static_cast<uint8_t>(
        (member->flags & kFlagDataDescriptor) != 0 ? member->modificationTime >> 8 : member->crc >> 24);
    if (header[kEncryptionHeaderSize - 1] != check) return TExtractResult::BadPassword;
    TDecryptingStream deciphered(archive, cipher);
    return Inflate(deciphered, *member, inflated);
}

} // namespace

TExtractResult ExtractSkinMember(TStream& archive, const std::string& memberName, const std::string& password,
                                 std::string& member) {
    TExtractResult result;
    try {
        result = Extract(archive, memberName, password, member);
    } catch (const std::exception&) {
        result = TExtractResult::Unreadable;
    }
    if (result != TExtractResult::Ok) member.clear();
    return result;
}

} // namespace qv::skin

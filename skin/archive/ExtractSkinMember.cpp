#include "skin/archive/ExtractSkinMember.h"

#include "framework/Conversions.h"
#include "framework/Stream.h"
#include "skin/archive/ChecksumStream.h"
#include "skin/archive/DecryptingStream.h"
#include "skin/archive/Inflater.h"
#include "skin/archive/LittleEndian.h"
#include "skin/archive/PkCipher.h"
#include "skin/archive/Sk2Format.h"

#include <cstring>
#include <filesystem>
#include <optional>

namespace qv::skin {

namespace {

using framework::TFileStream;
using framework::TStream;

constexpr int kExtracted = 0;
constexpr int kUnreadable = 1;
constexpr int kBadPassword = 2;

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
    if (std::memcmp(end, "PK\x05\x06", 4) != 0 || ReadU16(end + 20) != 0) return std::nullopt;

    const std::string wanted = framework::UpperCase(memberName);
    int64_t position = ReadU32(end + 16);
    while (position < endRecordPosition) {
        uint8_t record[kCentralHeaderSize];
        if (!ReadAt(archive, position, record, sizeof record)) return std::nullopt;
        std::string name(ReadU16(record + 28), '\0');
        if (archive.Read(name.data(), static_cast<int64_t>(name.size())) != static_cast<int64_t>(name.size()))
            return std::nullopt;
        position += static_cast<int64_t>(kCentralHeaderSize + name.size());
        if (framework::UpperCase(name) == wanted)
            return TMemberEntry{ReadU16(record + 8), ReadU16(record + 12), ReadU32(record + 16),
                                ReadU32(record + 24), ReadU32(record + 42)};
    }
    return std::nullopt;
}

// A member whose bytes differ from the size and CRC-32 the archive gives is damaged, not a skin.
bool Intact(const TChecksumStream& output, const TMemberEntry& member) {
    return output.Written() == member.uncompressedSize && output.Crc32() == member.crc;
}

int Extract(const std::string& archiveName, const std::string& memberName, const std::string& outputName,
            const std::string& password) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(archiveName, error)) return kUnreadable;
    TFileStream archive(archiveName, TFileStream::Mode::OpenRead);
    char signature[2];
    if (!ReadAt(archive, 0, signature, 2) || signature[0] != 'S' || signature[1] != 'K') return kUnreadable;

    const auto member = FindMember(archive, memberName);
    if (!member) return kUnreadable;

    TFileStream file(outputName, TFileStream::Mode::Create);
    TChecksumStream output(file);
    uint8_t local[kLocalHeaderSize];
    if (!ReadAt(archive, member->localHeaderOffset, local, sizeof local)) return kUnreadable;
    archive.SetPosition(archive.Position() + ReadU16(local + 26) + ReadU16(local + 28));

    if ((member->flags & kFlagEncrypted) == 0) {
        TInflater(archive, output, kMaxSkinMemberSize).Run();
        return Intact(output, *member) ? kExtracted : kUnreadable;
    }
    if (password.empty()) return kBadPassword;
    TPkCipher cipher(password);
    uint8_t header[kEncryptionHeaderSize];
    if (archive.Read(header, sizeof header) != static_cast<int64_t>(sizeof header)) return kUnreadable;
    cipher.Decrypt(header, sizeof header);
    const auto check = static_cast<uint8_t>(
        (member->flags & kFlagDataDescriptor) != 0 ? member->modificationTime >> 8 : member->crc >> 24);
    if (header[kEncryptionHeaderSize - 1] != check) return kBadPassword;
    TDecryptingStream deciphered(archive, cipher);
    TInflater(deciphered, output, kMaxSkinMemberSize).Run();
    return Intact(output, *member) ? kExtracted : kUnreadable;
}

} // namespace

int ExtractSkinMember(const std::string& archiveName, const std::string& memberName,
                      const std::string& outputName, const std::string& password) {
    try {
        return Extract(archiveName, memberName, outputName, password);
    } catch (const std::exception&) {
        return kUnreadable;
    }
}

} // namespace qv::skin

#include "skin/writer/SkinArchiveWriter.h"

#include "framework/Exception.h"
#include "platform/zlib/RawDeflate.h"
#include "skin/archive/LittleEndian.h"
#include "skin/archive/PkCipher.h"

#include <zlib.h>

#include <optional>
#include <random>

namespace qv::skin {

namespace {

constexpr uint16_t kVersion = 20;
constexpr uint16_t kDeflated = 8;

std::string Encrypt(const std::string& deflated, const TSkinArchiveOptions& options, uint32_t crc) {
    TPkCipher cipher(options.password);
    std::mt19937 random(options.headerSeed ? *options.headerSeed : std::random_device()());
    std::string out;
    out.reserve(kEncryptionHeaderSize + deflated.size());
    for (size_t i = 0; i + 1 < kEncryptionHeaderSize; ++i)
        out += static_cast<char>(cipher.Encrypt(static_cast<uint8_t>(random())));
    const auto check = static_cast<uint8_t>(options.timeCheckByte ? options.dosTime >> 8 : crc >> 24);
    out += static_cast<char>(cipher.Encrypt(check));
    for (const char c : deflated)
        out += static_cast<char>(cipher.Encrypt(static_cast<uint8_t>(c)));
    return out;
}

// The fields that the local and the central header share, from "version needed" to the name length.
void AppendCommonFields(std::string& out, const TSkinArchiveOptions& options, uint16_t flags, uint32_t crc,
                        size_t compressedSize, uint32_t size) {
    AppendU16(out, kVersion);
    AppendU16(out, flags);
    AppendU16(out, kDeflated);
    AppendU16(out, options.dosTime);
    AppendU16(out, options.dosDate);
    AppendU32(out, crc);
    AppendU32(out, static_cast<uint32_t>(compressedSize));
    AppendU32(out, size);
    AppendU16(out, static_cast<uint16_t>(options.memberName.size()));
}

} // namespace

std::string DeflateRaw(const std::string& data, bool store) {
    std::optional<std::string> deflated =
        platform::RawDeflate(data, store ? platform::kDeflateStored : platform::kDeflateBest);
    if (!deflated) throw framework::Exception("Cannot deflate skin data");
    return std::move(*deflated);
}

std::string BuildSkinArchive(const std::string& member, const TSkinArchiveOptions& options) {
    const uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(member.data()), static_cast<uInt>(member.size())));
    return BuildSkinArchiveFromDeflate(DeflateRaw(member, options.store), crc,
                                       static_cast<uint32_t>(member.size()), options);
}

std::string BuildSkinArchiveFromDeflate(const std::string& deflated, uint32_t crc, uint32_t size,
                                        const TSkinArchiveOptions& options) {
    if (options.memberName.size() > UINT16_MAX || deflated.size() > UINT32_MAX - kEncryptionHeaderSize)
        throw framework::Exception("Skin archive too large");
    uint16_t flags = 0;
    if (!options.password.empty()) flags |= kFlagEncrypted;
    if (options.timeCheckByte) flags |= kFlagDataDescriptor;
    const std::string data = options.password.empty() ? deflated : Encrypt(deflated, options, crc);

    std::string out = "SK\x03\x04";
    AppendCommonFields(out, options, flags, crc, data.size(), size);
    AppendU16(out, 0);
    out += options.memberName;
    out += data;

    const size_t centralOffset = out.size();
    out += "PK\x01\x02";
    AppendU16(out, kVersion);
    AppendCommonFields(out, options, flags, crc, data.size(), size);
    for (int field = 0; field < 4; ++field)
        AppendU16(out, 0);
    AppendU32(out, 0);
    AppendU32(out, 0);
    out += options.memberName;
    const size_t centralSize = out.size() - centralOffset;

    out += "PK\x05\x06";
    AppendU16(out, 0);
    AppendU16(out, 0);
    AppendU16(out, 1);
    AppendU16(out, 1);
    AppendU32(out, static_cast<uint32_t>(centralSize));
    AppendU32(out, static_cast<uint32_t>(centralOffset));
    AppendU16(out, 0);
    return out;
}

} // namespace qv::skin

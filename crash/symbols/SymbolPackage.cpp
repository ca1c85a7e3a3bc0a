#include "crash/symbols/SymbolPackage.h"

#include "crash/symbols/EMiniStreamError.h"
#include "crash/symbols/MiniStream.h"
#include "crash/symbols/SymbolCipher.h"
#include "platform/zlib/RawDeflate.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <zlib.h>

namespace qv::crash {

namespace {

constexpr size_t kHeaderSize = 12;
// The worst case ratio of deflate; a larger claim cannot be genuine.
constexpr uint64_t kMaxDeflateRatio = 1032;

void PutUInt32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PutPackedInt(std::string& out, int32_t value) {
    if (value > -128 && value < 128) {
        out.push_back(static_cast<char>(value));
        return;
    }
    out.push_back(static_cast<char>(-128));
    PutUInt32(out, static_cast<uint32_t>(value));
}

void PutPackedString(std::string& out, const std::string& text) {
    const size_t length = std::min<size_t>(text.size(), 255);
    out.push_back(static_cast<char>(length));
    out.append(text, 0, length);
}

// Offsets and differences are kept in 32-bit arithmetic on both sides, as the format stores them.
uint32_t Relative(const TMapFile& map, uintptr_t address) {
    return static_cast<uint32_t>(address - map.codeStart);
}

int32_t Difference(uint32_t value, uint32_t previous) {
    return static_cast<int32_t>(value - previous);
}

std::string PackTables(const TMapFile& map) {
    std::string out;
    std::vector<const TMfSegment*> segments;
    for (const TMfSegment& s : map.segments)
        if (s.valid && s.kind == TMfKind::Code) segments.push_back(&s);
    PutUInt32(out, static_cast<uint32_t>(segments.size()));
    for (const TMfSegment* s : segments) {
        PutUInt32(out, Relative(map, s->start));
        PutUInt32(out, s->size);
        PutPackedString(out, s->unitName);
    }

    std::vector<const TMfPublic*> publics;
    for (const TMfPublic& p : map.publics)
        if (p.valid && p.kind == TMfKind::Code) publics.push_back(&p);
    PutUInt32(out, static_cast<uint32_t>(publics.size()));
    uint32_t previous = 0;
    for (size_t i = 0; i < publics.size(); ++i) {
        PutPackedString(out, publics[i]->name);
        const uint32_t offset = Relative(map, publics[i]->address);
        if (i == 0)
            PutUInt32(out, offset);
        else
            PutPackedInt(out, Difference(offset, previous));
        previous = offset;
    }

    PutUInt32(out, static_cast<uint32_t>(map.lines.size()));
    uint32_t previousLine = 0;
    previous = 0;
    for (size_t i = 0; i < map.lines.size(); ++i) {
        const auto line = static_cast<uint32_t>(map.lines[i].line);
        const uint32_t offset = Relative(map, map.lines[i].address);
        if (i == 0) {
            PutUInt32(out, line);
            PutUInt32(out, offset);
        } else {
            PutPackedInt(out, Difference(line, previousLine));
            PutPackedInt(out, Difference(offset, previous));
        }
        previousLine = line;
        previous = offset;
    }
    if (map.entryPoint != 0) PutUInt32(out, Relative(map, map.entryPoint));
    return out;
}

// Inflates exactly `size` bytes; a stream that ends early, runs longer or is damaged fails.
bool Inflate(const uint8_t* data, size_t length, std::string& out, uint32_t size) {
    out.assign(size, '\0');
    const auto result =
        platform::RawInflateInto(std::string_view(reinterpret_cast<const char*>(data), length), out);
    return result.status == platform::TRawInflateResult::Ended && result.size == size;
}

void UnpackTables(const std::string& data, TMapFile& map) {
    TMiniStream in(data.data(), data.size());
    const uint32_t segmentCount = in.ReadUInt32();
    in.RequireEntries(segmentCount, 9);
    map.segments.reserve(segmentCount);
    for (uint32_t i = 0; i < segmentCount; ++i) {
        TMfSegment segment;
        segment.start = map.codeStart + in.ReadUInt32();
        segment.size = in.ReadUInt32();
        segment.unitName = in.ReadPackedString();
        map.segments.push_back(std::move(segment));
    }

    const uint32_t publicCount = in.ReadUInt32();
    in.RequireEntries(publicCount, 2);
    map.publics.reserve(publicCount);
    uint32_t offset = 0;
    for (uint32_t i = 0; i < publicCount; ++i) {
        TMfPublic entry;
        entry.name = in.ReadPackedString();
        offset = i == 0 ? in.ReadUInt32() : offset + static_cast<uint32_t>(in.ReadPackedInt());
        entry.address = map.codeStart + offset;
        map.publics.push_back(std::move(entry));
    }

    const uint32_t lineCount = in.ReadUInt32();
    in.RequireEntries(lineCount, 2);
    map.lines.reserve(lineCount);
    uint32_t line = 0;
    for (uint32_t i = 0; i < lineCount; ++i) {
        if (i == 0) {
            line = in.ReadUInt32();
            offset = in.ReadUInt32();
        } else {
            line += static_cast<uint32_t>(in.ReadPackedInt());
            offset += static_cast<uint32_t>(in.ReadPackedInt());
        }
        map.lines.push_back({static_cast<int32_t>(line), map.codeStart + offset});
    }
    if (in.Remaining() >= 4) map.entryPoint = map.codeStart + in.ReadUInt32();
}

} // namespace

std::string TSymbolPackage::Write(const TMapFile& map) {
    return Pack(PackTables(map));
}

std::string TSymbolPackage::Pack(const std::string& tables) {
    const std::optional<std::string> packed = platform::RawDeflate(tables);
    if (!packed) throw EMiniStreamError("Cannot pack symbol data");
    std::string payload;
    PutUInt32(payload, static_cast<uint32_t>(tables.size()));
    PutUInt32(payload, static_cast<uint32_t>(packed->size()));
    PutUInt32(payload, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(tables.data()),
                                                   static_cast<uInt>(tables.size()))));
    payload += *packed;
    TSymbolCipher::Apply(reinterpret_cast<uint8_t*>(payload.data()), payload.size());

    std::string out(kSignature, kSignatureLength);
    PutUInt32(out, static_cast<uint32_t>(payload.size()));
    PutUInt32(out, kFormat);
    return out + payload;
}

bool TSymbolPackage::Read(const void* data, size_t size, TMapFile& map) {
    map.Clear();
    if (size < kPayloadOffset || std::memcmp(data, kSignature, kSignatureLength) != 0) return false;
    try {
        TMiniStream in(static_cast<const uint8_t*>(data) + kSignatureLength, size - kSignatureLength);
        const uint32_t length = in.ReadUInt32();
        if (in.ReadUInt32() != kFormat || length < kHeaderSize + 1 || length > in.Remaining()) return false;

        std::string payload(static_cast<const char*>(data) + kPayloadOffset, length);
        TSymbolCipher::Apply(reinterpret_cast<uint8_t*>(payload.data()), payload.size());
        TMiniStream header(payload.data(), kHeaderSize);
        const uint32_t unpackedSize = header.ReadUInt32();
        header.ReadUInt32();
        const uint32_t crc = header.ReadUInt32();
        const size_t packedSize = length - kHeaderSize;
        if (unpackedSize > kMaxUnpackedSize || unpackedSize > packedSize * kMaxDeflateRatio) return false;

        std::string tables;
        if (!Inflate(reinterpret_cast<const uint8_t*>(payload.data()) + kHeaderSize, packedSize, tables,
                     unpackedSize))
            return false;
        if (crc32(0, reinterpret_cast<const Bytef*>(tables.data()), static_cast<uInt>(tables.size())) != crc)
            return false;
        UnpackTables(tables, map);
    } catch (const EMiniStreamError&) {
        map.Clear();
        return false;
    }
    map.Sort();
    return true;
}

} // namespace qv::crash

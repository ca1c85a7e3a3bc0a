#pragma once

#include "crash/symbols/MapFile.h"

#include <cstddef>
#include <string>

namespace qv::crash {

// The packed symbol package: a 14-byte signature, the payload's length (32 bits, offset 14), the
// format number 2 (offset 18) and the scrambled payload (offset 22). Unscrambled, the payload is a
// 12-byte header (unpacked size, packed size, CRC-32 of the unpacked data) and a raw deflate stream
// holding the segment, public and line tables and the entry point, all relative to the code start.
class TSymbolPackage {
public:
    static constexpr char kSignature[] = "QuorvaneSymbol";
    static constexpr size_t kSignatureLength = sizeof kSignature - 1;
    static constexpr uint32_t kFormat = 2;
    static constexpr size_t kPayloadOffset = 22;
    // Bounds what a package may claim to unpack to, so a forged size cannot exhaust memory.
    static constexpr uint32_t kMaxUnpackedSize = 64u << 20;

    // Packs the code segments and publics and the lines of a sorted table. Names longer than a
    // packed string holds (255 characters) are cut.
    static std::string Write(const TMapFile& map);
    // Wraps the unpacked table bytes into a package: header, deflate, scrambling, signature.
    static std::string Pack(const std::string& tables);
    // Fills map's tables (absolute to map.codeStart) from a package; false for any damage.
    static bool Read(const void* data, size_t size, TMapFile& map);
};

} // namespace qv::crash

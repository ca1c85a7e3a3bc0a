#include "skin/archive/SkinBitmap.h"

#include "skin/archive/LittleEndian.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace qv::skin {

namespace {

constexpr int64_t kFileHeaderSize = 14;
constexpr int64_t kCoreHeaderSize = 12;
constexpr int64_t kInfoHeaderSize = 40;
constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitFields = 3;

struct TBmpGeometry {
    int64_t headerSize = 0;
    int64_t width = 0;
    int64_t height = 0;
    uint32_t planes = 0;
    uint32_t bitCount = 0;
    uint32_t compression = kRgb;
    uint32_t colorsUsed = 0;
    int32_t xPixelsPerMeter = 0;
    int32_t yPixelsPerMeter = 0;
    int64_t pixelsOffset = 0;
};

bool KnownHeaderSize(int64_t size) {
    return size == kCoreHeaderSize || size == kInfoHeaderSize || size == 52 || size == 56 || size == 108 ||
           size == 124;
}

bool ValidFormat(const TBmpGeometry& g) {
    switch (g.compression) {
    case kRgb:
        return g.bitCount == 1 || g.bitCount == 4 || g.bitCount == 8 || g.bitCount == 16 ||
               g.bitCount == 24 || g.bitCount == 32;
    case kBitFields:
        return g.bitCount == 16 || g.bitCount == 32;
    case kRle8:
        return g.bitCount == 8 && g.height > 0;
    case kRle4:
        return g.bitCount == 4 && g.height > 0;
    default:
        return false;
    }
}

bool ReadGeometry(const uint8_t* p, int64_t size, TBmpGeometry& g) {
    if (size < kFileHeaderSize + 4) return false;
    g.headerSize = ReadU32(p + kFileHeaderSize);
    if (!KnownHeaderSize(g.headerSize) || kFileHeaderSize + g.headerSize > size) return false;
    const uint8_t* info = p + kFileHeaderSize;
    if (g.headerSize == kCoreHeaderSize) {
        g.width = ReadU16(info + 4);
        g.height = ReadU16(info + 6);
        g.planes = ReadU16(info + 8);
        g.bitCount = ReadU16(info + 10);
        return true;
    }
    g.width = static_cast<int32_t>(ReadU32(info + 4));
    g.height = static_cast<int32_t>(ReadU32(info + 8));
    g.planes = ReadU16(info + 12);
    g.bitCount = ReadU16(info + 14);
    g.compression = ReadU32(info + 16);
    g.xPixelsPerMeter = static_cast<int32_t>(ReadU32(info + 24));
    g.yPixelsPerMeter = static_cast<int32_t>(ReadU32(info + 28));
    g.colorsUsed = ReadU32(info + 32);
    return true;
}

bool Fits(const uint8_t* p, int64_t size, int64_t maxPixels, TBmpGeometry& g) {
    if (!ReadGeometry(p, size, g)) return false;
    const int64_t rows = std::llabs(g.height);
    if (g.planes != 1 || g.width <= 0 || rows == 0 || !ValidFormat(g)) return false;
    if (g.width * rows > std::min(maxPixels, kMaxSkinBitmapPixels)) return false;

    int64_t tablesEnd = kFileHeaderSize + g.headerSize;
    if (g.compression == kBitFields && g.headerSize == kInfoHeaderSize) tablesEnd += 12;
    if (g.bitCount <= 8) {
        const int64_t maxColors = int64_t{1} << g.bitCount;
        if (g.colorsUsed > maxColors) return false;
        const int64_t colors = g.colorsUsed != 0 ? g.colorsUsed : maxColors;
        tablesEnd += colors * (g.headerSize == kCoreHeaderSize ? 3 : 4);
    }
    g.pixelsOffset = ReadU32(p + 10);
    if (g.pixelsOffset < tablesEnd || g.pixelsOffset > size) return false;
    if (g.compression == kRle8 || g.compression == kRle4) return true;
    const int64_t stride = (g.width * g.bitCount + 31) / 32 * 4;
    return stride * rows <= size - g.pixelsOffset;
}

// The pixels of a 24-bit picture without compression, which is what skins hold, as the image
// library makes them: opaque RGB32, the bottom row first unless the height is negative. Read
// here because the library, before it reads any BMP, loads every image format plugin installed
// to ask it about the format.
QImage DecodeRgb24(const uint8_t* p, const TBmpGeometry& g) {
    const int width = static_cast<int>(g.width);
    const int rows = static_cast<int>(std::llabs(g.height));
    QImage image(width, rows, QImage::Format_RGB32);
    if (image.isNull()) return {};
    const int64_t stride = (g.width * 24 + 31) / 32 * 4;
    for (int y = 0; y < rows; ++y) {
        const uint8_t* source = p + g.pixelsOffset + stride * (g.height > 0 ? rows - 1 - y : y);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x, source += 3)
            line[x] = qRgb(source[2], source[1], source[0]);
    }
    image.setDotsPerMeterX(g.xPixelsPerMeter);
    image.setDotsPerMeterY(g.yPixelsPerMeter);
    return image;
}

} // namespace

QImage DecodeSkinBitmap(std::string_view file, int64_t maxPixels) {
    const auto* p = reinterpret_cast<const uint8_t*>(file.data());
    const auto size = static_cast<int64_t>(file.size());
    TBmpGeometry g;
    if (size < 2 || size > std::numeric_limits<int>::max() || p[0] != 'B' || p[1] != 'M' ||
        !Fits(p, size, maxPixels, g))
        return {};
    const bool plainHeader = g.headerSize == kInfoHeaderSize || g.headerSize == kCoreHeaderSize;
    if (plainHeader && g.compression == kRgb && g.bitCount == 24) return DecodeRgb24(p, g);
    QImage image;
    if (!image.loadFromData(p, static_cast<int>(size), "BMP")) return {};
    return image;
}

} // namespace qv::skin

#include "tests/support/skin/SkinTestSupport.h"

#include "skin/archive/LittleEndian.h"
#include "skin/archive/SkinBitmap.h"

#include <gtest/gtest.h>

#include <random>

namespace qv::skin::test {

namespace {

void PutU32(std::string& bytes, size_t offset, uint32_t value) {
    std::string field;
    AppendU32(field, value);
    bytes.replace(offset, 4, field);
}

// An 8-bit bitmap with a four-colour palette.
std::string EncodeBmp8(int width, int height) {
    const auto stride = static_cast<uint32_t>((width + 3) / 4 * 4);
    const uint32_t offset = 54 + 4 * 4;
    std::string bmp = "BM";
    AppendU32(bmp, offset + stride * static_cast<uint32_t>(height));
    AppendU32(bmp, 0);
    AppendU32(bmp, offset);
    for (const uint32_t field : {40u, static_cast<uint32_t>(width), static_cast<uint32_t>(height)})
        AppendU32(bmp, field);
    AppendU16(bmp, 1);
    AppendU16(bmp, 8);
    for (const uint32_t field : {0u, 0u, 0u, 0u, 4u, 0u})
        AppendU32(bmp, field);
    for (const uint32_t bgr : {0x000000u, 0xFF0000u, 0x00FF00u, 0x0000FFu})
        AppendU32(bmp, bgr);
    for (int y = 0; y < height; ++y)
        for (uint32_t x = 0; x < stride; ++x)
            bmp += static_cast<char>((x + static_cast<uint32_t>(y)) % 4);
    return bmp;
}

} // namespace

TEST(SkinBitmap, DecodesTrueColourAndPaletteBitmaps) {
    const QImage source = PatternImage(58, 48, 3);
    const QImage decoded = DecodeSkinBitmap(EncodeBmp24(source));
    ASSERT_FALSE(decoded.isNull());
    EXPECT_EQ(decoded.convertToFormat(QImage::Format_RGB32), source);

    const QImage palette = DecodeSkinBitmap(EncodeBmp8(7, 3));
    ASSERT_EQ(palette.size(), QSize(7, 3));
    // Rows are stored bottom-up: the last stored row (index 2) is the top one.
    EXPECT_EQ(palette.pixel(0, 0) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(palette.pixel(1, 2) & 0xFFFFFF, 0xFF0000u);

    std::string topDown = EncodeBmp24(source);
    PutU32(topDown, 22, static_cast<uint32_t>(-48));
    EXPECT_EQ(DecodeSkinBitmap(topDown).convertToFormat(QImage::Format_RGB32), source.mirrored(false, true));
}

TEST(SkinBitmap, TrueColourPicturesComeOutAsTheImageLibraryMakesThem) {
    // Widths whose rows need 3, 2 and no padding bytes, stored bottom-up and top-down.
    for (const int width : {1, 5, 58}) {
        for (const bool topDown : {false, true}) {
            std::string bmp = EncodeBmp24(PatternImage(width, 4, 7));
            if (topDown) PutU32(bmp, 22, static_cast<uint32_t>(-4));
            QImage library;
            ASSERT_TRUE(library.loadFromData(bmp, "BMP"));
            const QImage ours = DecodeSkinBitmap(bmp);
            EXPECT_EQ(ours.format(), library.format()) << width << topDown;
            EXPECT_EQ(ours, library) << width << topDown;
            EXPECT_EQ(ours.dotsPerMeterX(), library.dotsPerMeterX()) << width << topDown;
            EXPECT_EQ(ours.dotsPerMeterY(), library.dotsPerMeterY()) << width << topDown;
        }
    }
}

TEST(SkinBitmap, RejectsHeadersThatDoNotFitTheData) {
    const std::string valid = EncodeBmp24(PatternImage(20, 10, 1));
    const auto rejects = [](const std::string& bytes) { return DecodeSkinBitmap(bytes).isNull(); };
    const auto patched = [&](size_t offset, uint32_t value) {
        std::string bytes = valid;
        PutU32(bytes, offset, value);
        return bytes;
    };
    EXPECT_FALSE(rejects(valid));
    EXPECT_TRUE(rejects(valid.substr(0, valid.size() - 1)));
    EXPECT_TRUE(rejects("XM" + valid.substr(2)));
    EXPECT_TRUE(rejects("BM"));
    EXPECT_TRUE(rejects(valid.substr(0, 30)));
    EXPECT_TRUE(rejects(patched(10, static_cast<uint32_t>(valid.size()) + 1)));
    EXPECT_TRUE(rejects(patched(10, 20)));
    EXPECT_TRUE(rejects(patched(14, 41)));
    EXPECT_TRUE(rejects(patched(14, 0xFFFFFFF0)));
    EXPECT_TRUE(rejects(patched(18, 0x7FFFFFFF)));
    EXPECT_TRUE(rejects(patched(18, 0)));
    EXPECT_TRUE(rejects(patched(22, 0x80000000)));
    EXPECT_TRUE(rejects(patched(22, 11)));
    EXPECT_TRUE(rejects(patched(26, 0x00180002)));
    EXPECT_TRUE(rejects(patched(26, 0x00070001)));
    EXPECT_TRUE(rejects(patched(30, 4)));
    // Compressed pixels may expand a lot, so their picture size is bounded on its own.
    std::string rle = EncodeBmp8(4, 4);
    PutU32(rle, 30, 1);
    PutU32(rle, 18, 8192);
    PutU32(rle, 22, 8192);
    EXPECT_TRUE(rejects(rle));
    std::string palette = EncodeBmp8(4, 4);
    PutU32(palette, 46, 257);
    EXPECT_TRUE(rejects(palette));
}

TEST(SkinBitmap, RandomHeaderDamageIsRejectedOrStaysInBounds) {
    const std::string valid = EncodeBmp8(33, 17);
    std::mt19937 random(77);
    for (int n = 0; n < 3000; ++n) {
        std::string bytes = valid;
        for (int k = 1 + static_cast<int>(random() % 4); k > 0; --k)
            bytes[random() % 70] = static_cast<char>(random());
        const QImage image = DecodeSkinBitmap(bytes);
        if (!image.isNull()) {
            EXPECT_LE(int64_t{image.width()} * image.height(), kMaxSkinBitmapPixels);
        }
    }
}

} // namespace qv::skin::test

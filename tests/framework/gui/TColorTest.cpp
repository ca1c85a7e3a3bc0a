#include "framework/gui/TColor.h"

#include <gtest/gtest.h>

namespace qv::framework::test {

TEST(TColor, PlainColoursAreBlueGreenRed) {
    EXPECT_EQ(ColorToQColor(0xA06B4F), QColor(0x4F, 0x6B, 0xA0));
    EXPECT_EQ(RGBToColor(0xDA, 0xE4, 0xF6), 16180442u);
    EXPECT_EQ(QColorToColor(QColor(0x31, 0x6A, 0xC5)), 0xC56A31u);
    // The unused top byte of a skin integer is ignored.
    EXPECT_EQ(ColorToQColor(0x7F0000FF), QColor(0xFF, 0, 0));
}

TEST(TColor, SystemColoursTakeTheClassicScheme) {
    EXPECT_EQ(ColorToQColor(clBtnFace), QColor(0xD4, 0xD0, 0xC8));
    EXPECT_EQ(ColorToQColor(clInactiveCaption), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(ColorToRGB(clSystemColor | 5), clWhite);
    // An absent skin colour reads as -1: a system colour index no scheme has.
    EXPECT_EQ(ColorToQColor(0xFFFFFFFF), QColor(Qt::black));
    EXPECT_EQ(ColorToRGB(clSystemColor | 31), clBlack);
}

} // namespace qv::framework::test

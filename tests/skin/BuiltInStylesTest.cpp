#include "skin/BuiltInStyles.h"
#include "skin/SkinResources.h"
#include "skin/StripFrame.h"

#include <gtest/gtest.h>

#include <set>

using namespace qv::skin;

namespace {

constexpr TsuiUIStyle kStyles[] = {TsuiUIStyle::MacOS, TsuiUIStyle::WinXP, TsuiUIStyle::DeepBlue,
                                   TsuiUIStyle::Protein, TsuiUIStyle::BlueGlass};

QImage Picture(TsuiUIStyle style, int row) {
    QImage picture;
    EXPECT_TRUE(GetStyleBitmap(style, row, picture)) << "row " << row;
    return picture;
}

} // namespace

TEST(BuiltInStyles, ValuesOfEveryKindFollowTheTables) {
    EXPECT_EQ(GetStyleColor(TsuiUIStyle::DeepBlue, 25), 0x000000u);
    EXPECT_EQ(GetStyleInt(TsuiUIStyle::BlueGlass, 13), 270);
    EXPECT_EQ(GetStyleColor(TsuiUIStyle::WinXP, 16), 0xC82C00u);
    EXPECT_EQ(GetStyleColor(TsuiUIStyle::Protein, 15), 0xFBFBFBu);
    EXPECT_EQ(GetStyleColor(TsuiUIStyle::WinXP, 27), 0xCF4602u);
    EXPECT_EQ(GetStyleColor(TsuiUIStyle::BlueGlass, 21), 0xE7E7E7u);
    EXPECT_EQ(GetStyleColor(TsuiUIStyle::MacOS, 31), 0xC9C9C9u);
    EXPECT_EQ(GetStyleColor(TsuiUIStyle::WinXP, 48), 0xDEEBEFu);
    const int rightOffsets[] = {-2, -2, 0, 0, -3};
    const int buttonTops[] = {4, 5, 2, 2, 6};
    const int corners[] = {0, 13, 0, 0, 11};
    const bool transparentFaces[] = {true, false, false, false, true};
    const bool transparentTitleButtons[] = {false, false, false, true, true};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(GetStyleInt(kStyles[i], 8), rightOffsets[i]);
        EXPECT_EQ(GetStyleInt(kStyles[i], 9), buttonTops[i]);
        EXPECT_EQ(GetStyleInt(kStyles[i], 14), corners[i]);
        EXPECT_EQ(GetStyleBool(kStyles[i], 2), transparentFaces[i]);
        EXPECT_EQ(GetStyleBool(kStyles[i], 6), transparentTitleButtons[i]);
        EXPECT_EQ(GetStyleInt(kStyles[i], 47), 0);
    }
}

TEST(BuiltInStyles, LookupsOfTheWrongKindOrOutsideTheTablesYieldDefaults) {
    EXPECT_EQ(GetStyleInt(TsuiUIStyle::DeepBlue, 25), -1);
    EXPECT_EQ(GetStyleColor(TsuiUIStyle::BlueGlass, 13), 0u);
    EXPECT_FALSE(GetStyleBool(TsuiUIStyle::MacOS, 13));
    EXPECT_EQ(GetStyleColor(TsuiUIStyle::DeepBlue, 1), 0u);
    for (const int row : {0, 49, -1})
        EXPECT_EQ(GetStyleInt(TsuiUIStyle::WinXP, row), -1);
    EXPECT_EQ(GetStyleInt(TsuiUIStyle::FromThemeFile, 13), -1);
    EXPECT_EQ(GetStyleInt(static_cast<TsuiUIStyle>(6), 13), -1);
    EXPECT_EQ(GetStyleColor(static_cast<TsuiUIStyle>(-1), 15), 0u);

    QImage untouched(3, 3, QImage::Format_RGB32);
    untouched.fill(Qt::green);
    QImage target = untouched;
    for (const int row : {2, 15, 43, 45, 46, 0, 49}) {
        EXPECT_FALSE(GetStyleBitmap(TsuiUIStyle::DeepBlue, row, target)) << "row " << row;
        EXPECT_EQ(target, untouched);
    }
    EXPECT_FALSE(GetStyleBitmap(TsuiUIStyle::FromThemeFile, 1, target));
    EXPECT_FALSE(GetStyleBitmap(TsuiUIStyle::DeepBlue, 5, target, 19, 18));
    EXPECT_EQ(target, untouched);
}

TEST(BuiltInStyles, EveryStyleHasItsPicturesAtTheirFrameLayouts) {
    const std::set<int> bitmapRows = {1, 3, 4, 5, 10, 11, 12, 24, 28, 29, 30, 32, 33, 34, 38, 39, 40, 41, 42};
    for (const TsuiUIStyle style : kStyles) {
        std::set<int> loaded;
        for (int row = 1; row <= kStyleRowCount; ++row) {
            QImage picture;
            if (GetStyleBitmap(style, row, picture) && !picture.isNull()) loaded.insert(row);
        }
        EXPECT_EQ(loaded, bitmapRows);
        // Strips whose frames the controls cut: title buttons, button faces, scroll arrows and thumb.
        for (const auto& [row, frames] : {std::pair{5, 18}, {1, 3}, {32, 6}, {33, 3}}) {
            const QImage strip = Picture(style, row);
            EXPECT_EQ(strip.width() % frames, 0) << "row " << row;
        }
        const QImage left = Picture(style, 10);
        EXPECT_EQ(Picture(style, 11).height(), left.height());
        EXPECT_EQ(Picture(style, 12).height(), left.height());
        // The title buttons fit between the button top and the title's bottom edge.
        EXPECT_LE(GetStyleInt(style, 9) + Picture(style, 5).height(), left.height());
    }
    EXPECT_EQ(StyleResource("PANEL_BUTTON").size(), QSize(52, 12));
    for (const char* name :
         {"MACOS_FORM_BACKGROUND", "PROTEIN_FORM_BACKGROUND", "MENU_CHECKED", "MACOS_MENU_BAR",
          "MACOS_MENU_SELECT", "MACOS_COMBOBOX_BUTTON", "WINXP_COMBOBOX_BUTTON"})
        EXPECT_FALSE(StyleResource(name).isNull()) << name;
    EXPECT_TRUE(StyleResource("NO_SUCH_PICTURE").isNull());
}

TEST(StripFrame, LastFrameTakesTheRightmostPixels) {
    EXPECT_EQ(StripFrameRect(342, 19, 18, 18), QRect(323, 0, 19, 19));
    EXPECT_EQ(StripFrameRect(345, 19, 18, 18), QRect(326, 0, 19, 19));
    EXPECT_EQ(StripFrameRect(345, 19, 17, 18), QRect(304, 0, 19, 19));
    EXPECT_EQ(StripFrameRect(345, 19, 1, 18), QRect(0, 0, 19, 19));
    EXPECT_EQ(StripFrameRect(204, 25, 2, 3), QRect(68, 0, 68, 25));
    for (const auto& [index, count] : {std::pair{0, 3}, {4, 3}, {1, 0}, {1, -2}, {2, 400}})
        EXPECT_TRUE(StripFrameRect(345, 19, index, count).isEmpty()) << index << " of " << count;
}

TEST(StripFrame, StyleBitmapCopiesTheFramePixels) {
    const QImage strip = Picture(TsuiUIStyle::WinXP, 5);
    const int width = strip.width() / 18;
    QImage close;
    ASSERT_TRUE(GetStyleBitmap(TsuiUIStyle::WinXP, 5, close, 16, 18));
    EXPECT_EQ(close, strip.copy(15 * width, 0, width, strip.height()));
    QImage last;
    ASSERT_TRUE(GetStyleBitmap(TsuiUIStyle::WinXP, 5, last, 18, 18));
    EXPECT_EQ(last, strip.copy(strip.width() - width, 0, width, strip.height()));
}

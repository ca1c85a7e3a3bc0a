#include "skin/BuiltInStyles.h"
#include "skin/SkinResources.h"
#include "skin/StripFrame.h"

#include <gtest/gtest.h>

#include <set>

namespace qv::skin::test {

namespace {

using R = TStyleRow;

constexpr TsuiUIStyle kStyles[] = {TsuiUIStyle::MacOS, TsuiUIStyle::WinXP, TsuiUIStyle::DeepBlue,
                                   TsuiUIStyle::Protein, TsuiUIStyle::BlueGlass};

QImage Picture(TsuiUIStyle style, TStyleRow row) {
    QImage picture;
    EXPECT_TRUE(GetStyleBitmap(style, row, picture)) << "row " << static_cast<int>(row);
    return picture;
}

} // namespace

TEST(BuiltInStyles, ValuesOfEveryKindFollowTheTables) {
    EXPECT_EQ(GetStyleColor(TsuiUIStyle::DeepBlue, R::ControlBorderColor), 0x000000u);
    EXPECT_EQ(GetStyleInt(TsuiUIStyle::BlueGlass, R::MinimumWidth), 270);
    EXPECT_EQ(GetStyleColor(TsuiUIStyle::WinXP, R::FormBorderColor), 0xC82C00u);
    EXPECT_EQ(GetStyleColor(TsuiUIStyle::Protein, R::FormColor), 0xFBFBFBu);
    EXPECT_EQ(GetStyleColor(TsuiUIStyle::WinXP, R::Row27), 0xCF4602u);
    EXPECT_EQ(GetStyleColor(TsuiUIStyle::BlueGlass, R::MenuItemColor), 0xE7E7E7u);
    EXPECT_EQ(GetStyleColor(TsuiUIStyle::MacOS, R::ScrollBarColor), 0xC9C9C9u);
    EXPECT_EQ(GetStyleColor(TsuiUIStyle::WinXP, R::Row48), 0xDEEBEFu);
    const int rightOffsets[] = {-2, -2, 0, 0, -3};
    const int buttonTops[] = {4, 5, 2, 2, 6};
    const int corners[] = {0, 13, 0, 0, 11};
    const bool transparentFaces[] = {true, false, false, false, true};
    const bool transparentTitleButtons[] = {false, false, false, true, true};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(GetStyleInt(kStyles[i], R::TitleRightOffset), rightOffsets[i]);
        EXPECT_EQ(GetStyleInt(kStyles[i], R::TitleButtonTop), buttonTops[i]);
        EXPECT_EQ(GetStyleInt(kStyles[i], R::RoundCorner), corners[i]);
        EXPECT_EQ(GetStyleBool(kStyles[i], R::ButtonTransparent), transparentFaces[i]);
        EXPECT_EQ(GetStyleBool(kStyles[i], R::TitleButtonsTransparent), transparentTitleButtons[i]);
        EXPECT_EQ(GetStyleInt(kStyles[i], R::Row47), 0);
    }
}

TEST(BuiltInStyles, LookupsOfTheWrongKindOrOutsideTheTablesYieldDefaults) {
    EXPECT_EQ(GetStyleInt(TsuiUIStyle::DeepBlue, R::ControlBorderColor), -1);
    EXPECT_EQ(GetStyleColor(TsuiUIStyle::BlueGlass, R::MinimumWidth), 0u);
    EXPECT_FALSE(GetStyleBool(TsuiUIStyle::MacOS, R::MinimumWidth));
    EXPECT_EQ(GetStyleColor(TsuiUIStyle::DeepBlue, R::ButtonFaces), 0u);
    for (const int row : {0, 49, -1})
        EXPECT_EQ(GetStyleInt(TsuiUIStyle::WinXP, static_cast<TStyleRow>(row)), -1);
    EXPECT_EQ(GetStyleInt(TsuiUIStyle::FromThemeFile, R::MinimumWidth), -1);
    EXPECT_EQ(GetStyleInt(static_cast<TsuiUIStyle>(6), R::MinimumWidth), -1);
    EXPECT_EQ(GetStyleColor(static_cast<TsuiUIStyle>(-1), R::FormColor), 0u);

    QImage untouched(3, 3, QImage::Format_RGB32);
    untouched.fill(Qt::green);
    QImage target = untouched;
    for (const int row : {2, 15, 43, 45, 46, 0, 49}) {
        EXPECT_FALSE(GetStyleBitmap(TsuiUIStyle::DeepBlue, static_cast<TStyleRow>(row), target))
            << "row " << row;
        EXPECT_EQ(target, untouched);
    }
    EXPECT_FALSE(GetStyleBitmap(TsuiUIStyle::FromThemeFile, R::ButtonFaces, target));
    EXPECT_FALSE(GetStyleBitmap(TsuiUIStyle::DeepBlue, R::TitleButtons, target, 19, 18));
    EXPECT_EQ(target, untouched);
}

TEST(BuiltInStyles, EveryStyleHasItsPicturesAtTheirFrameLayouts) {
    const std::set<int> bitmapRows = {1, 3, 4, 5, 10, 11, 12, 24, 28, 29, 30, 32, 33, 34, 38, 39, 40, 41, 42};
    for (const TsuiUIStyle style : kStyles) {
        std::set<int> loaded;
        for (int row = 1; row <= kStyleRowCount; ++row) {
            QImage picture;
            if (GetStyleBitmap(style, static_cast<TStyleRow>(row), picture) && !picture.isNull())
                loaded.insert(row);
        }
        EXPECT_EQ(loaded, bitmapRows);
        // Strips whose frames the controls cut: title buttons, button faces, scroll arrows and thumb.
        for (const auto& [row, frames] : {std::pair{R::TitleButtons, 18},
                                          {R::ButtonFaces, 3},
                                          {R::ScrollBarButtons, 6},
                                          {R::ScrollBarThumb, 3}}) {
            const QImage strip = Picture(style, row);
            EXPECT_EQ(strip.width() % frames, 0) << "row " << static_cast<int>(row);
        }
        const QImage left = Picture(style, R::TitleLeft);
        EXPECT_EQ(Picture(style, R::TitleClient).height(), left.height());
        EXPECT_EQ(Picture(style, R::TitleRight).height(), left.height());
        // The title buttons fit between the button top and the title's bottom edge.
        EXPECT_LE(GetStyleInt(style, R::TitleButtonTop) + Picture(style, R::TitleButtons).height(),
                  left.height());
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
    const QImage strip = Picture(TsuiUIStyle::WinXP, R::TitleButtons);
    const int width = strip.width() / 18;
    QImage close;
    ASSERT_TRUE(GetStyleBitmap(TsuiUIStyle::WinXP, R::TitleButtons, close, 16, 18));
    EXPECT_EQ(close, strip.copy(15 * width, 0, width, strip.height()));
    QImage last;
    ASSERT_TRUE(GetStyleBitmap(TsuiUIStyle::WinXP, R::TitleButtons, last, 18, 18));
    EXPECT_EQ(last, strip.copy(strip.width() - width, 0, width, strip.height()));
}

} // namespace qv::skin::test

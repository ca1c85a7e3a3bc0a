#include "skin/CaptionText.h"
#include "skin/PaintHelpers.h"
#include "skin/TitleBarLayout.h"

#include <gtest/gtest.h>

namespace qv::skin::test {

namespace {

// Every character 7 pixels wide, so that the rules can be followed by hand.
int FixedWidth(const QString& text) {
    return 7 * static_cast<int>(text.size());
}

TTitleBarButtonSlot Button(TsuiTitleBarBtnType type, bool visible = true) {
    return {type, visible, true, QSize(19, 19)};
}

// The application's four buttons with the embedded skin on a skinned form.
TTitleBarLayoutInput EmbeddedSkinBar(int width) {
    TTitleBarLayoutInput input;
    input.barWidth = width;
    input.hostInset = 4;
    input.leftBtnXOffset = 7;
    input.rightBtnXOffset = 29;
    input.buttonTop = 11;
    input.iconTop = 11;
    input.captionTop = 14;
    input.style = TsuiUIStyle::FromThemeFile;
    input.buttons = {Button(TsuiTitleBarBtnType::suiControlBox), Button(TsuiTitleBarBtnType::suiClose),
                     Button(TsuiTitleBarBtnType::suiMax), Button(TsuiTitleBarBtnType::suiMin)};
    return input;
}

} // namespace

TEST(CaptionText, ShortensToTheLongestPrefixThatFitsWithAnEllipsis) {
    EXPECT_EQ(ShortenCaption("Quorvane", 57, FixedWidth), "Quorvane");
    EXPECT_EQ(ShortenCaption("Quorvane", 56, FixedWidth), "Quor...");
    EXPECT_EQ(ShortenCaption("Quorvane", 50, FixedWidth), "Quor...");
    EXPECT_EQ(ShortenCaption("Quorvane", 49, FixedWidth), "Quo...");
    EXPECT_EQ(ShortenCaption("Quorvane", 5, FixedWidth), "Q...");
    EXPECT_EQ(ShortenCaption("", 0, FixedWidth), "");

    EXPECT_EQ(FitCaption("Quorvane", 56, FixedWidth), "Quorvane");
    EXPECT_EQ(FitCaption("Quorvane", 55, FixedWidth), "Quor...");
    EXPECT_EQ(FitCaption("Quorvane", 49, FixedWidth), "Quor...");
    EXPECT_EQ(FitCaption("Quorvane", 48, FixedWidth), "Quo...");
    EXPECT_EQ(FitCaption("Quorvane", 10, FixedWidth), "...");
}

TEST(TitleBarLayout, EmbeddedSkinPlacesButtonsIconAndCaptionOnA792PixelWindow) {
    const TTitleBarLayout layout = LayOutTitleBar(EmbeddedSkinBar(792));
    EXPECT_EQ(layout.controlBox, 0);
    EXPECT_EQ(layout.buttonRects[1].topLeft(), QPoint(747, 11));
    EXPECT_EQ(layout.buttonRects[2].topLeft(), QPoint(727, 11));
    EXPECT_EQ(layout.buttonRects[3].topLeft(), QPoint(707, 11));
    EXPECT_EQ(layout.buttonRects[1].size(), QSize(20, 20));
    EXPECT_EQ(layout.icon, QPoint(3, 11));
    EXPECT_EQ(layout.caption, QPoint(21, 11));
    EXPECT_EQ(layout.captionRight, 707);
}

TEST(TitleBarLayout, HiddenButtonsNarrowBarsAndBuiltInStyles) {
    TTitleBarLayoutInput input = EmbeddedSkinBar(792);
    input.buttons[2].visible = false;
    input.buttons[3].hasPictures = false;
    TTitleBarLayout layout = LayOutTitleBar(input);
    EXPECT_TRUE(layout.buttonRects[2].isEmpty());
    EXPECT_TRUE(layout.buttonRects[3].isEmpty());
    EXPECT_EQ(layout.captionRight, 747);

    // A negative right margin would push the close button past the bar's edge; it stays inside.
    input = EmbeddedSkinBar(100);
    input.rightBtnXOffset = -2;
    layout = LayOutTitleBar(input);
    EXPECT_EQ(layout.buttonRects[1].left(), 80);
    EXPECT_EQ(layout.buttonRects[2].left(), 60);

    input = EmbeddedSkinBar(400);
    input.buttons.erase(input.buttons.begin());
    input.style = TsuiUIStyle::Protein;
    input.hostInset = 3;
    input.leftBtnXOffset = 0;
    input.buttonTop = -1;
    layout = LayOutTitleBar(input);
    EXPECT_EQ(layout.controlBox, -1);
    EXPECT_EQ(layout.caption, QPoint(6, 2));

    input = EmbeddedSkinBar(792);
    input.drawAppIcon = false;
    layout = LayOutTitleBar(input);
    EXPECT_EQ(layout.controlBoxRect, QRect(0, 11, 19, 19));
    EXPECT_EQ(layout.controlBoxPicture, QPoint(0, 10));
    EXPECT_EQ(layout.caption.x(), 24);
}

TEST(PaintHelpers, ThreePartKeepsTheOuterThirdsAndStretchesTheMiddle) {
    QImage picture(9, 1, QImage::Format_RGB32);
    for (int x = 0; x < 9; ++x)
        picture.setPixel(x, 0, qRgb(x * 20, 0, 0));
    QImage target(20, 2, QImage::Format_RGB32);
    target.fill(Qt::black);
    {
        QPainter painter(&target);
        DrawThreePart(painter, QRect(0, 0, 20, 2), picture);
    }
    EXPECT_EQ(target.pixel(0, 1), picture.pixel(0, 0));
    EXPECT_EQ(target.pixel(2, 0), picture.pixel(2, 0));
    EXPECT_EQ(target.pixel(17, 0), picture.pixel(6, 0));
    EXPECT_EQ(target.pixel(19, 1), picture.pixel(8, 0));
    int previous = qRed(picture.pixel(3, 0));
    for (int x = 3; x < 17; ++x) {
        const int red = qRed(target.pixel(x, 0));
        EXPECT_GE(red, previous) << x;
        EXPECT_LE(red, qRed(picture.pixel(5, 0))) << x;
        previous = red;
    }
    EXPECT_EQ(target.pixel(3, 0), picture.pixel(3, 0));
    EXPECT_EQ(target.pixel(16, 0), picture.pixel(5, 0));

    QImage narrow(2, 1, QImage::Format_RGB32);
    {
        QPainter painter(&narrow);
        DrawThreePart(painter, QRect(0, 0, 2, 1), picture);
    }
    EXPECT_EQ(narrow.pixel(1, 0), picture.pixel(1, 0));
}

TEST(PaintHelpers, GradientRunsFromFirstToLastColumnExactly) {
    QImage image(5, 2, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        DrawGradient(painter, image.rect(), 0x000000, 0x0000FF, Qt::Horizontal);
    }
    const int reds[] = {0, 51, 102, 153, 255};
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(qRed(image.pixel(x, 1)), reds[x]) << x;
    {
        QPainter painter(&image);
        DrawGradient(painter, image.rect(), 0xFF0000, 0x000000, Qt::Vertical);
    }
    EXPECT_EQ(image.pixel(3, 0), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(3, 1), qRgb(0, 0, 0));
}

} // namespace qv::skin::test

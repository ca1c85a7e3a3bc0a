#include "framework/gui/Accelerators.h"
#include "skin/TsuiForm.h"
#include "skin/TsuiTitleBar.h"
#include "skin/controls/TsuiButton.h"
#include "skin/controls/TsuiEdit.h"
#include "skin/controls/TsuiPanel.h"
#include "skin/controls/TsuiStringGrid.h"
#include "skin/demo/SkinDemoWindow.h"

#include "tests/support/qt/QtTestEnvironment.h"

#include <QTest>

#include <gtest/gtest.h>

// This program runs with QT_SCALE_FACTOR=2: two device pixels to every logical one.
namespace qv::skin::test {

namespace {

[[maybe_unused]] const bool kQt = qv::test::RegisterQtTestEnvironment();

class HiDpiTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.move(100, 100);
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
        ASSERT_EQ(window_.devicePixelRatio(), 2.0) << "run with QT_SCALE_FACTOR=2";
    }
    TSkinDemoWindow window_;
};

} // namespace

TEST_F(HiDpiTest, LayoutStaysInLogicalPixels) {
    EXPECT_EQ(window_.size(), TSkinDemoWindow::kClientSize.grownBy(window_.Panel().Frame()));
    EXPECT_EQ(window_.BrowseButton().geometry(), QRect(8, 112, 75, 25));
    const QRect cell = window_.Grid().CellRect(0, 0);
    EXPECT_EQ(cell.height(), 16);
    for (const TsuiPanel* panel : window_.findChildren<TsuiPanel*>())
        EXPECT_EQ(panel->ChildArea().top(), 24) << panel->Caption().toStdString();
}

TEST_F(HiDpiTest, OutlinesKeepToTheOutermostDevicePixelsAndCaptionsFit) {
    for (TsuiEdit* edit : window_.findChildren<TsuiEdit*>()) {
        const QImage shown = edit->grab().toImage();
        ASSERT_EQ(shown.size(), edit->size() * 2);
        const QColor border = framework::ColorToQColor(edit->BorderColor());
        const QColor inside = framework::ColorToQColor(edit->Color());
        const int w = shown.width();
        const int h = shown.height();
        for (const QPoint outer : {QPoint(0, h / 2), QPoint(1, h / 2), QPoint(w - 1, h / 2), QPoint(w / 2, 0),
                                   QPoint(w / 2, h - 1)})
            EXPECT_EQ(shown.pixelColor(outer), border) << outer.x() << "," << outer.y();
        for (const QPoint inner :
             {QPoint(2, h / 2), QPoint(w - 3, h / 2), QPoint(w / 2, 3), QPoint(w / 2, h - 3)})
            EXPECT_EQ(shown.pixelColor(inner), inside) << inner.x() << "," << inner.y();
    }
    for (const TsuiButton* button : window_.findChildren<TsuiButton*>()) {
        const QString caption = framework::StripAccelerators(button->Caption());
        EXPECT_LE(button->fontMetrics().horizontalAdvance(caption), button->width() - 8)
            << caption.toStdString();
    }
}

TEST_F(HiDpiTest, TitleCaptionIsDrawnAtDeviceResolution) {
    // The frame's pictures are doubled, so only a caption drawn at the screen's density makes
    // two neighbouring device pixels of one logical pixel differ.
    auto* titleBar = window_.findChild<TsuiTitleBar*>();
    ASSERT_NE(titleBar, nullptr);
    const QImage shown = titleBar->grab().toImage();
    ASSERT_EQ(shown.size(), titleBar->size() * 2);
    bool finerThanLogical = false;
    for (int y = 0; y < shown.height() && !finerThanLogical; ++y)
        for (int x = 0; x + 1 < shown.width() && !finerThanLogical; x += 2)
            finerThanLogical = shown.pixel(x, y) != shown.pixel(x + 1, y);
    EXPECT_TRUE(finerThanLogical);
}

} // namespace qv::skin::test

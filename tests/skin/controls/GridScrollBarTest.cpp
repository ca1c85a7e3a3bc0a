#include "ControlTestSupport.h"

#include "skin/controls/ScrollThumb.h"
#include "skin/controls/TsuiImageButton.h"
#include "skin/controls/TsuiScrollBar.h"
#include "skin/controls/TsuiScrollTrack.h"
#include "skin/controls/TsuiStringGrid.h"

#include <QAccessible>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

namespace qv::skin::test {

namespace {

class GridTest : public ControlTest {
protected:
    // A grid of one 100-pixel column and `rows` rows of 16 pixels, as the result list is made.
    TsuiStringGrid* AddGrid(int rows) {
        auto* grid = Skinned<TsuiStringGrid>();
        grid->SetFixedRows(0);
        grid->SetFixedCols(0);
        grid->SetColCount(1);
        grid->SetRowCount(rows);
        grid->SetDefaultRowHeight(16);
        grid->SetColWidths(0, 100);
        grid->setGeometry(10, 10, 200, 120);
        for (int row = 0; row < rows; ++row)
            grid->SetCells(0, row, QString("tender %1").arg(row));
        return grid;
    }
    TsuiScrollBar* AddBar() { return Skinned<TsuiScrollBar>(); }
};

// A picture of one colour.
QImage Solid(int w, int h, QRgb color) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

} // namespace

TEST_F(GridTest, CellsBeyondTheColumnsAreKeptAndRowsGivenUpForgetTheirText) {
    TsuiStringGrid* grid = AddGrid(3);
    grid->SetCells(1, 2, "id-2");
    EXPECT_EQ(grid->ColCount(), 1);
    EXPECT_EQ(grid->Cells(1, 2), "id-2");
    grid->SetRow(2);
    grid->SetRowCount(1);
    EXPECT_EQ(grid->Row(), 0);
    EXPECT_EQ(grid->Selection().Top, 0);
    // The listing writes a row before it makes room for it.
    grid->SetCells(0, 1, "next page");
    grid->SetRowCount(3);
    EXPECT_EQ(grid->Cells(0, 1), "next page");
    EXPECT_EQ(grid->Cells(0, 2), "");
    EXPECT_EQ(grid->Cells(1, 2), "");
    // Screen readers read the shown cells.
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(grid);
    ASSERT_NE(accessible, nullptr);
    QAccessibleTableInterface* table = accessible->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->columnCount(), 1);
    QAccessibleInterface* cell = table->cellAt(1, 0);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(QAccessible::Name), "next page");
}

TEST_F(GridTest, FocusedCellTakesTheFocusedColourAndSelectedOneTheSelectedColour) {
    TsuiStringGrid* grid = AddGrid(4);
    grid->SetOptions({.DrawFocusSelected = true});
    grid->SetRow(2);
    grid->setFocus();
    const auto fill = [grid](int row) {
        const QRect cell = grid->CellRect(0, row);
        return ColorAt(Shown(*grid), cell.right() - 2, cell.bottom() - 2);
    };
    EXPECT_EQ(fill(2), framework::clLime);
    EXPECT_EQ(fill(1), 0xF6E4DAu) << "the skin's control colour";
    grid->clearFocus();
    EXPECT_EQ(fill(2), framework::clYellow);
    EXPECT_EQ(ColorAt(Shown(*grid), 0, 0), 0xA06B4Fu) << "the outline";
}

TEST_F(GridTest, LinkingBarsSetsTheGridsOwnScrollBarsAndRemovingThemClearsThem) {
    TsuiStringGrid* grid = AddGrid(40);
    TsuiScrollBar* bar = AddBar();
    grid->SetVScrollBar(bar);
    EXPECT_EQ(grid->ScrollBars(), framework::TScrollStyle::ssVertical);
    EXPECT_EQ(bar->Orientation(), TsuiProgressBarOrientation::suiVertical);
    EXPECT_EQ(bar->geometry().right(), grid->geometry().right() - 1);
    EXPECT_EQ(bar->geometry().top(), grid->geometry().top() + 1);
    delete bar;
    EXPECT_EQ(grid->VScrollBar(), nullptr);
    EXPECT_EQ(grid->ScrollBars(), framework::TScrollStyle::ssNone);
}

TEST_F(GridTest, LinkedBarFollowsTheWheelAndDraggingItsThumbScrollsTheGrid) {
    TsuiStringGrid* grid = AddGrid(60);
    TsuiScrollBar* bar = AddBar();
    grid->SetVScrollBar(bar);
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->Max(), grid->verticalScrollBar()->maximum());
    const QPoint inside = grid->viewport()->rect().center();
    QWheelEvent wheel(inside, grid->viewport()->mapToGlobal(inside), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid->viewport(), &wheel);
    const int scrolled = grid->verticalScrollBar()->value();
    EXPECT_GT(scrolled, 0);
    EXPECT_EQ(bar->Position(), scrolled);

    TsuiScrollTrack& track = bar->Track();
    const QPoint thumb = track.ThumbRect().center();
    QTest::mousePress(&track, Qt::LeftButton, {}, thumb);
    QTest::mouseMove(&track, thumb + QPoint(0, 30));
    QTest::mouseRelease(&track, Qt::LeftButton, {}, thumb + QPoint(0, 30));
    EXPECT_GT(bar->Position(), scrolled);
    EXPECT_EQ(grid->verticalScrollBar()->value(), bar->Position());
}

TEST_F(GridTest, GridLowerThanItsHorizontalBarHidesIt) {
    TsuiStringGrid* grid = AddGrid(3);
    grid->SetColWidths(0, 590);
    TsuiScrollBar* bar = AddBar();
    grid->SetHScrollBar(bar);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->Orientation(), TsuiProgressBarOrientation::suiHorizontal);
    grid->resize(200, bar->height() - 1);
    EXPECT_FALSE(bar->isVisible());
}

using ScrollBarTest = ControlTest;

TEST_F(ScrollBarTest, HeldArrowStepsEveryTickAndAShortPressDoesNotMove) {
    auto* bar = Skinned<TsuiScrollBar>();
    bar->SetOrientation(TsuiProgressBarOrientation::suiVertical);
    bar->setGeometry(0, 0, 16, 150);
    bar->SetMax(100);
    bar->SmallChange = 2;
    int changes = 0;
    bar->OnChange = [&changes](QObject*) { ++changes; };
    TsuiImageButton& down = bar->SecondButton();
    QTest::mouseClick(&down, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(bar->Position(), 0);
    QTest::mousePress(&down, Qt::LeftButton, {}, QPoint(3, 3));
    // Held for a few ticks of 100 ms.
    QTest::qWait(350);
    QTest::mouseRelease(&down, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_GE(bar->Position(), 4);
    EXPECT_LE(bar->Position(), 6);
    EXPECT_EQ(changes, bar->Position() / 2);
}

TEST_F(ScrollBarTest, PressBesideTheThumbPagesTowardTheMouse) {
    auto* bar = Skinned<TsuiScrollBar>();
    bar->setGeometry(0, 0, 200, 16);
    bar->SetMax(100);
    bar->SetPageSize(10);
    TsuiScrollTrack& track = bar->Track();
    const int y = track.height() / 2;
    QTest::mouseClick(&track, Qt::LeftButton, {}, QPoint(track.width() - 2, y));
    EXPECT_EQ(bar->Position(), 10);
    QTest::mouseClick(&track, Qt::LeftButton, {}, QPoint(1, y));
    EXPECT_EQ(bar->Position(), 0);
    bar->SetPosition(150);
    EXPECT_EQ(bar->Position(), 100) << "clamped to Max";
    EXPECT_EQ(track.ThumbOffset(), track.TrackLength() - track.ThumbLength());
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(bar);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::ScrollBar);
    ASSERT_NE(accessible->valueInterface(), nullptr);
    EXPECT_EQ(accessible->valueInterface()->currentValue().toInt(), 100);
}

TEST(ScrollThumb, SkinThumbKeepsTheCapEndsAndCentresTheGrip) {
    const TThumbParts parts{Solid(16, 7, qRgb(255, 0, 0)), Solid(16, 7, qRgb(0, 255, 0)),
                            Solid(16, 7, qRgb(0, 0, 255))};
    const QImage thumb = ComposeThumb(parts, 40, true);
    ASSERT_EQ(thumb.size(), QSize(16, 40));
    // 3 rows of the start cap, its rest stretched to the grip at 16, the grip, the end cap's
    // first rows stretched to its last 3.
    for (int y = 0; y < 40; ++y) {
        const QRgb expected = y < 16 ? qRgb(255, 0, 0) : y < 23 ? qRgb(0, 255, 0) : qRgb(0, 0, 255);
        EXPECT_EQ(thumb.pixel(8, y), expected) << y;
    }
    const QImage squeezed = ComposeThumb(parts, 10, true);
    EXPECT_EQ(squeezed.pixel(8, 5), qRgb(0, 255, 0)) << "a short thumb stretches the grip over its middle";
    EXPECT_EQ(TurnForHorizontal(parts.start).size(), QSize(7, 16));
}

} // namespace qv::skin::test

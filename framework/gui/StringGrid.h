#pragma once

#include "framework/Component.h"
#include "framework/gui/Events.h"
#include "framework/gui/ScrollStyle.h"
#include "framework/gui/TColor.h"

#include <QTableView>

#include <functional>
#include <map>
#include <utility>

namespace qv::framework {

class TStringGridModel;

// A block of cells, from (Left, Top) to (Right, Bottom) inclusive.
struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TGridRect&) const = default;
};

// How a cell is to be drawn.
struct TGridDrawState {
    bool Selected = false;
    bool Focused = false;
    bool Fixed = false;
};

// The grid's switches.
struct TGridOptions {
    bool FixedVertLine = true;
    bool FixedHorzLine = true;
    bool VertLine = true;
    bool HorzLine = true;
    // The focused cell is drawn as selected too.
    bool DrawFocusSelected = false;
    // The whole row of the current cell is selected.
    bool RowSelect = false;
};

// The framework's grid of text cells. Cells are stored apart from the grid's size, so a cell
// beyond the last column or row keeps its text (a grid of one column may carry a second, hidden
// one) until the rows shrink past it. Rows and columns are measured without the one-pixel grid
// line that follows each of them.
class TStringGrid : public QTableView, public TComponent {
    Q_OBJECT

public:
    explicit TStringGrid(TComponent* owner, QWidget* parent = nullptr);
    ~TStringGrid() override;

    int RowCount() const { return rowCount_; }
    void SetRowCount(int count);
    int ColCount() const { return colCount_; }
    void SetColCount(int count);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int count);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int count);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int height);
    int DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int width);
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);

    // The text of a cell, empty for one never written.
    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& text);

    // The current cell.
    int Col() const { return col_; }
    int Row() const { return row_; }
    void SetCol(int col);
    void SetRow(int row);
    // The selected cells: the current cell, or its row with RowSelect.
    TGridRect Selection() const;
    // The first row shown below the fixed ones.
    int TopRow() const;

    const TGridOptions& Options() const { return options_; }
    void SetOptions(const TGridOptions& options);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    virtual void SetScrollBars(TScrollStyle style);
    // When off, the cells are left to OnDrawCell.
    bool DefaultDrawing = true;

    // Background of the cells, of the fixed cells, and the text colour.
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor color);
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor color);

    // The width of the grid's own border, which the cells stay inside of.
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width);

    // Where a cell sits in the grid, without its grid line; empty when it is scrolled out of view.
    QRect CellRect(int col, int row) const;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TKeyEvent OnKeyDown;
    // Raised after the current cell moved.
    TNotifyEvent OnSelectCell;
    std::function<void(QObject* Sender, int col, int row, QRect rect, TGridDrawState state)> OnDrawCell;

protected:
    // Fills and writes one cell: the framework's drawing, which descendants extend.
    virtual void DrawCell(QPainter& painter, int col, int row, const QRect& rect, TGridDrawState state);
    // The cell's text in the painter's pen at 2 pixels from its left and top, clipped to the cell.
    void DrawCellText(QPainter& painter, int col, int row, const QRect& rect) const;

    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    friend class TStringGridDelegate;
    void ApplySectionSizes();
    void ApplyPalette();
    void ApplyScrollBars();
    void MoveCurrent(int col, int row);
    void PaintCell(QPainter& painter, const QModelIndex& index, const QRect& rect);

    TStringGridModel* model_;
    std::map<std::pair<int, int>, QString> cells_;
    int rowCount_ = 5;
    int colCount_ = 5;
    int fixedRows_ = 1;
    int fixedCols_ = 1;
    int defaultRowHeight_ = 24;
    int defaultColWidth_ = 64;
    std::map<int, int> colWidths_;
    int col_ = 1;
    int row_ = 1;
    TGridOptions options_;
    TScrollStyle scrollBars_ = TScrollStyle::ssBoth;
    int borderWidth_ = 0;
    TColor color_ = clWindow;
    TColor fixedColor_ = clBtnFace;
    TColor fontColor_ = clBlack;
};

} // namespace qv::framework

#include "framework/gui/StringGrid.h"

#include "framework/gui/FocusRect.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

namespace qv::framework {

namespace {

// The line that follows every row and column.
constexpr int kGridLine = 1;
constexpr int kTextInset = 2;
constexpr TColor kGridLineColor = 0xC0C0C0;

} // namespace

// Presents the grid's size to the view; the text itself is drawn by the grid.
class TStringGridModel : public QAbstractTableModel {
public:
    explicit TStringGridModel(TStringGrid& grid) : QAbstractTableModel(&grid), grid_(grid) {}
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : grid_.RowCount(); }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : grid_.ColCount();
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return grid_.Cells(index.column(), index.row());
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        const bool fixed = index.row() < grid_.FixedRows() || index.column() < grid_.FixedCols();
        return fixed ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }
    void Reset() {
        beginResetModel();
        endResetModel();
    }
    // Rows added or given up at the end, as `change` sets the grid's count; unlike a reset, the
    // view keeps its column widths and its current cell, and new rows take the default height.
    template <typename Change>
    void ResizeRows(int from, int to, Change change) {
        if (to > from) {
            beginInsertRows(QModelIndex(), from, to - 1);
            change();
            endInsertRows();
        } else {
            beginRemoveRows(QModelIndex(), to, from - 1);
            change();
            endRemoveRows();
        }
    }
    void CellChanged(int col, int row) {
        if (col < grid_.ColCount() && row < grid_.RowCount())
            emit dataChanged(index(row, col), index(row, col));
    }

private:
    TStringGrid& grid_;
};

// Hands every cell to the grid's drawing.
class TStringGridDelegate : public QStyledItemDelegate {
public:
    explicit TStringGridDelegate(TStringGrid& grid) : QStyledItemDelegate(&grid), grid_(grid) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        grid_.PaintCell(*painter, index, option.rect);
    }

private:
    TStringGrid& grid_;
};

TStringGrid::TStringGrid(TComponent* owner, QWidget* parent)
    : QTableView(parent), TComponent(owner), model_(new TStringGridModel(*this)) {
    // Hidden before the model comes, so that the view never measures headers it won't show.
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setModel(model_);
    setItemDelegate(new TStringGridDelegate(*this));
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(0);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    ApplySectionSizes();
    ApplyPalette();
    MoveCurrent(col_, row_);
}

TStringGrid::~TStringGrid() = default;

void TStringGrid::SetRowCount(int count) {
    count = std::max(count, 1);
    if (count == rowCount_) return;
    // Rows given up lose their text, so that growing again shows them empty.
    for (auto it = cells_.begin(); it != cells_.end();)
        it = it->first.second >= count ? cells_.erase(it) : std::next(it);
    model_->ResizeRows(rowCount_, count, [this, count] { rowCount_ = count; });
    MoveCurrent(col_, std::min(row_, rowCount_ - 1));
}

void TStringGrid::SetColCount(int count) {
    count = std::max(count, 1);
    if (count == colCount_) return;
    colCount_ = count;
    model_->Reset();
    ApplySectionSizes();
    MoveCurrent(std::min(col_, colCount_ - 1), row_);
}

void TStringGrid::SetFixedRows(int count) {
    fixedRows_ = std::clamp(count, 0, rowCount_ - 1);
    MoveCurrent(col_, std::max(row_, fixedRows_));
    viewport()->update();
}

void TStringGrid::SetFixedCols(int count) {
    fixedCols_ = std::clamp(count, 0, colCount_ - 1);
    MoveCurrent(std::max(col_, fixedCols_), row_);
    viewport()->update();
}

void TStringGrid::SetDefaultRowHeight(int height) {
    defaultRowHeight_ = height;
    ApplySectionSizes();
}

void TStringGrid::SetDefaultColWidth(int width) {
    defaultColWidth_ = width;
    colWidths_.clear();
    ApplySectionSizes();
}

int TStringGrid::ColWidths(int col) const {
    const auto it = colWidths_.find(col);
    return it != colWidths_.end() ? it->second : defaultColWidth_;
}

void TStringGrid::SetColWidths(int col, int width) {
    colWidths_[col] = width;
    ApplySectionSizes();
}

void TStringGrid::SetBorderWidth(int width) {
    borderWidth_ = width;
    updateGeometries();
}

void TStringGrid::updateGeometries() {
    QTableView::updateGeometries();
    // The view gives its margins to its headers, which the grid doesn't show; they hold the border.
    setViewportMargins(borderWidth_, borderWidth_, borderWidth_, borderWidth_);
}

void TStringGrid::ApplySectionSizes() {
    verticalHeader()->setDefaultSectionSize(defaultRowHeight_ + kGridLine);
    for (int row = 0; row < rowCount_; ++row)
        setRowHeight(row, defaultRowHeight_ + kGridLine);
    for (int col = 0; col < colCount_; ++col)
        setColumnWidth(col, ColWidths(col) + kGridLine);
    updateGeometries();
}

QString TStringGrid::Cells(int col, int row) const {
    const auto it = cells_.find({col, row});
    return it != cells_.end() ? it->second : QString();
}

void TStringGrid::SetCells(int col, int row, const QString& text) {
    if (col < 0 || row < 0) return;
    cells_[{col, row}] = text;
    model_->CellChanged(col, row);
}

void TStringGrid::SetCol(int col) {
    MoveCurrent(col, row_);
}

void TStringGrid::SetRow(int row) {
    MoveCurrent(col_, row);
}

void TStringGrid::MoveCurrent(int col, int row) {
    col = std::clamp(col, std::min(fixedCols_, colCount_ - 1), colCount_ - 1);
    row = std::clamp(row, std::min(fixedRows_, rowCount_ - 1), rowCount_ - 1);
    const QModelIndex index = model_->index(row, col);
    if (currentIndex() != index) setCurrentIndex(index);
    selectionModel()->select(index, options_.RowSelect
                                        ? QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows
                                        : QItemSelectionModel::ClearAndSelect);
    col_ = col;
    row_ = row;
}

void TStringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (!current.isValid()) return;
    const bool moved = current.column() != col_ || current.row() != row_;
    col_ = current.column();
    row_ = current.row();
    viewport()->update();
    if (moved) CallEvent(OnSelectCell, this);
}

TGridRect TStringGrid::Selection() const {
    if (options_.RowSelect) return {fixedCols_, row_, colCount_ - 1, row_};
    return {col_, row_, col_, row_};
}

int TStringGrid::TopRow() const {
    return std::max(rowAt(0), fixedRows_);
}

void TStringGrid::SetOptions(const TGridOptions& options) {
    options_ = options;
    setSelectionBehavior(options.RowSelect ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    MoveCurrent(col_, row_);
    viewport()->update();
}

void TStringGrid::SetScrollBars(TScrollStyle style) {
    scrollBars_ = style;
    ApplyScrollBars();
}

void TStringGrid::ApplyScrollBars() {
    const bool vertical = scrollBars_ == TScrollStyle::ssVertical || scrollBars_ == TScrollStyle::ssBoth;
    const bool horizontal = scrollBars_ == TScrollStyle::ssHorizontal || scrollBars_ == TScrollStyle::ssBoth;
    setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void TStringGrid::SetColor(TColor color) {
    color_ = color;
    ApplyPalette();
}

void TStringGrid::SetFixedColor(TColor color) {
    fixedColor_ = color;
    viewport()->update();
}

void TStringGrid::SetFontColor(TColor color) {
    fontColor_ = color;
    ApplyPalette();
}

void TStringGrid::ApplyPalette() {
    QPalette colors = palette();
    colors.setColor(QPalette::Base, ColorToQColor(color_));
    colors.setColor(QPalette::Text, ColorToQColor(fontColor_));
    setPalette(colors);
    viewport()->update();
}

QRect TStringGrid::CellRect(int col, int row) const {
    if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_) return {};
    const QRect rect = visualRect(model_->index(row, col));
    if (!rect.isValid() || !viewport()->rect().intersects(rect)) return {};
    return rect.adjusted(0, 0, -kGridLine, -kGridLine).translated(viewport()->pos());
}

void TStringGrid::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    // The grid lines run along the right and bottom edge of every cell.
    QPainter painter(viewport());
    const int lastRow = rowAt(viewport()->height() - 1) < 0 ? rowCount_ - 1 : rowAt(viewport()->height() - 1);
    const int lastCol =
        columnAt(viewport()->width() - 1) < 0 ? colCount_ - 1 : columnAt(viewport()->width() - 1);
    for (int row = std::max(rowAt(0), 0); row <= lastRow; ++row)
        for (int col = std::max(columnAt(0), 0); col <= lastCol; ++col) {
            const QRect cell = visualRect(model_->index(row, col));
            const bool fixed = row < fixedRows_ || col < fixedCols_;
            const QColor line = ColorToQColor(fixed ? clBlack : kGridLineColor);
            if (fixed ? options_.FixedVertLine : options_.VertLine)
                painter.fillRect(QRect(cell.right(), cell.top(), kGridLine, cell.height()), line);
            if (fixed ? options_.FixedHorzLine : options_.HorzLine)
                painter.fillRect(QRect(cell.left(), cell.bottom(), cell.width(), kGridLine), line);
        }
}

void TStringGrid::PaintCell(QPainter& painter, const QModelIndex& index, const QRect& rect) {
    const int col = index.column();
    const int row = index.row();
    const QRect cell = rect.adjusted(0, 0, -kGridLine, -kGridLine);
    TGridDrawState state;
    state.Fixed = row < fixedRows_ || col < fixedCols_;
    const TGridRect selection = Selection();
    state.Focused = hasFocus() && col == col_ && row == row_;
    state.Selected = !state.Fixed && col >= selection.Left && col <= selection.Right &&
                     row >= selection.Top && row <= selection.Bottom &&
                     (!state.Focused || options_.DrawFocusSelected);
    painter.save();
    painter.setClipRect(cell);
    if (DefaultDrawing)
        DrawCell(painter, col, row, cell, state);
    else
        CallEvent(OnDrawCell, this, col, row, cell, state);
    painter.restore();
    if (state.Focused && !options_.RowSelect) DrawFocusRect(painter, cell);
}

void TStringGrid::DrawCell(QPainter& painter, int col, int row, const QRect& rect, TGridDrawState state) {
    painter.fillRect(rect, ColorToQColor(state.Fixed ? fixedColor_ : color_));
    painter.setPen(ColorToQColor(fontColor_));
    DrawCellText(painter, col, row, rect);
}

void TStringGrid::DrawCellText(QPainter& painter, int col, int row, const QRect& rect) const {
    painter.setFont(font());
    painter.drawText(rect.adjusted(kTextInset, kTextInset, 0, 0),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, Cells(col, row));
}

void TStringGrid::keyPressEvent(QKeyEvent* event) {
    int key = event->key();
    CallEvent(OnKeyDown, this, key, event->modifiers());
    if (key == 0) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) CallEvent(OnDblClick, this);
}

void TStringGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) CallEvent(OnClick, this);
}

} // namespace qv::framework

#include "skin/controls/TsuiStringGrid.h"

#include "skin/BuiltInStyles.h"
#include "skin/PaintHelpers.h"
#include "skin/ThemeFunctions.h"
#include "skin/controls/TsuiScrollBar.h"
#include "skin/controls/TsuiScrollTrack.h"

#include <QEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionSlider>

namespace qv::skin {

namespace {

constexpr int kBorder = 1;
// A horizontal linked bar moves this many pages per arrow repeat.
constexpr int kHorizontalPagesPerArrow = 3;
// What a released bar goes back to.
constexpr int kReleasedMax = 100;

bool Shows(const QScrollBar& bar, Qt::ScrollBarPolicy policy) {
    return policy == Qt::ScrollBarAlwaysOn ||
           (policy == Qt::ScrollBarAsNeeded && bar.maximum() > bar.minimum());
}

// The length of the thumb of the grid's own scroll bar.
int ThumbLength(const QScrollBar& bar) {
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.subControls = QStyle::SC_All;
    option.orientation = bar.orientation();
    option.minimum = bar.minimum();
    option.maximum = bar.maximum();
    option.sliderPosition = bar.sliderPosition();
    option.sliderValue = bar.value();
    option.singleStep = bar.singleStep();
    option.pageStep = bar.pageStep();
    const QRect slider =
        bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, &bar);
    return bar.orientation() == Qt::Vertical ? slider.height() : slider.width();
}

} // namespace

TsuiStringGrid::TsuiStringGrid(framework::TComponent* owner, QWidget* parent)
    : framework::TStringGrid(owner, parent), binding_(*this, [this] { ApplyStyle(); }) {
    setFrameStyle(QFrame::NoFrame);
    SetBorderWidth(kBorder);
    for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()}) {
        connect(bar, &QScrollBar::valueChanged, this, [this] { SyncBars(); });
        connect(bar, &QScrollBar::rangeChanged, this, [this] { SyncBars(); });
    }
    binding_.SetUIStyle(GetFormStyle(owner));
}

TsuiStringGrid::~TsuiStringGrid() {
    // The view takes its scroll bars down after this grid is gone.
    for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()})
        bar->disconnect(this);
    for (QPointer<TsuiScrollBar>* slot : {&vScrollBar_, &hScrollBar_})
        if (*slot) RemoveFreeNotification(slot->data());
}

void TsuiStringGrid::SetUIStyle(TsuiUIStyle style) {
    binding_.SetUIStyle(style);
}

void TsuiStringGrid::SetFileTheme(TsuiFileTheme* theme) {
    binding_.SetFileTheme(theme);
}

void TsuiStringGrid::ApplyStyle() {
    if (binding_.UsingTheme()) {
        const TsuiFileTheme& theme = *binding_.FileTheme();
        borderColor_ = theme.GetColor(SKIN2_CONTROLBORDERCOLOR);
        SetFixedColor(theme.GetColor(SKIN2_SELECTEDMENUCOLOR));
        SetColor(theme.GetColor(SKIN2_CONTROLCOLOR));
        fixedFontColor_ = theme.GetColor(SKIN2_MENUITEMFONTCOLOR);
        SetFontColor(theme.GetColor(SKIN2_CONTROLFONTCOLOR));
    } else {
        const TsuiUIStyle style = binding_.EffectiveStyle();
        borderColor_ = GetStyleColor(style, TStyleRow::ControlBorderColor);
        SetFixedColor(GetStyleColor(style, TStyleRow::MenuSelectedColor));
        SetColor(GetStyleColor(style, TStyleRow::GridColor));
        fixedFontColor_ = GetStyleColor(style, TStyleRow::MenuSelectedFontColor);
        const framework::TColor font = GetStyleColor(style, TStyleRow::MenuFontColor);
        SetFontColor(font == framework::clWhite ? framework::clBlack : font);
    }
    for (TsuiScrollBar* bar : {vScrollBar_.data(), hScrollBar_.data()})
        if (bar) {
            bar->SetFileTheme(binding_.FileTheme());
            bar->SetUIStyle(binding_.EffectiveStyle());
        }
    update();
}

void TsuiStringGrid::SetBorderColor(framework::TColor color) {
    borderColor_ = color;
    update();
}

void TsuiStringGrid::SetFocusedColor(framework::TColor color) {
    focusedColor_ = color;
    viewport()->update();
}

void TsuiStringGrid::SetSelectedColor(framework::TColor color) {
    selectedColor_ = color;
    viewport()->update();
}

void TsuiStringGrid::SetFixedFontColor(framework::TColor color) {
    fixedFontColor_ = color;
    viewport()->update();
}

void TsuiStringGrid::DrawCell(QPainter& painter, int col, int row, const QRect& rect,
                              framework::TGridDrawState state) {
    if (state.Fixed) {
        painter.fillRect(rect, framework::ColorToQColor(FixedColor()));
        painter.setPen(framework::ColorToQColor(fixedFontColor_));
        DrawCellText(painter, col, row, rect);
        return;
    }
    framework::TColor fill = Color();
    if (state.Selected) fill = selectedColor_;
    if (state.Focused) fill = focusedColor_;
    painter.fillRect(rect, framework::ColorToQColor(fill));
    painter.setPen(framework::ColorToQColor(FontColor()));
    DrawCellText(painter, col, row, rect);
}

bool TsuiStringGrid::event(QEvent* event) {
    const bool handled = framework::TStringGrid::event(event);
    switch (event->type()) {
    case QEvent::Paint: {
        QPainter painter(this);
        FrameRect(painter, rect(), borderColor_);
        break;
    }
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
        PlaceBars();
        break;
    case QEvent::Hide:
        for (TsuiScrollBar* bar : {vScrollBar_.data(), hScrollBar_.data()})
            if (bar) bar->hide();
        break;
    default:
        break;
    }
    return handled;
}

void TsuiStringGrid::changeEvent(QEvent* event) {
    framework::TStringGrid::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) SyncBars();
    if (event->type() == QEvent::LayoutDirectionChange) PlaceBars();
}

void TsuiStringGrid::Notification(framework::TComponent* component, framework::TOperation operation) {
    framework::TStringGrid::Notification(component, operation);
    binding_.Notification(component, operation);
    if (operation != framework::TOperation::opRemove) return;
    // A bar that goes away is half destroyed already: it is only forgotten.
    for (QPointer<TsuiScrollBar>* slot : {&vScrollBar_, &hScrollBar_})
        if (*slot && static_cast<framework::TComponent*>(slot->data()) == component) {
            *slot = nullptr;
            SetScrollBars(LinkedScrollStyle());
        }
}

void TsuiStringGrid::SetVScrollBar(TsuiScrollBar* bar) {
    LinkBar(vScrollBar_, bar, true);
}

void TsuiStringGrid::SetHScrollBar(TsuiScrollBar* bar) {
    LinkBar(hScrollBar_, bar, false);
}

void TsuiStringGrid::LinkBar(QPointer<TsuiScrollBar>& slot, TsuiScrollBar* bar, bool vertical) {
    if (slot == bar) return;
    if (slot) ReleaseBar(*slot);
    slot = bar;
    SetScrollBars(LinkedScrollStyle());
    if (bar) {
        FreeNotification(bar);
        bar->SetOrientation(vertical ? TsuiProgressBarOrientation::suiVertical
                                     : TsuiProgressBarOrientation::suiHorizontal);
        bar->OnChange = [this, vertical](QObject*) { BarChanged(vertical); };
        bar->raise();
    }
    PlaceBars();
}

framework::TScrollStyle TsuiStringGrid::LinkedScrollStyle() const {
    if (vScrollBar_)
        return hScrollBar_ ? framework::TScrollStyle::ssBoth : framework::TScrollStyle::ssVertical;
    return hScrollBar_ ? framework::TScrollStyle::ssHorizontal : framework::TScrollStyle::ssNone;
}

void TsuiStringGrid::ReleaseBar(TsuiScrollBar& bar) {
    RemoveFreeNotification(&bar);
    bar.OnChange = nullptr;
    bar.SetLineButton(0);
    bar.SetMax(kReleasedMax);
    bar.setEnabled(true);
}

void TsuiStringGrid::SyncBars() {
    if (scrollingFromBar_ || syncing_) return;
    syncing_ = true;
    const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
    for (const bool vertical : {true, false}) {
        TsuiScrollBar* bar = vertical ? vScrollBar_.data() : hScrollBar_.data();
        if (!bar) continue;
        const QScrollBar& own = vertical ? *verticalScrollBar() : *horizontalScrollBar();
        const Qt::ScrollBarPolicy policy = vertical ? verticalScrollBarPolicy() : horizontalScrollBarPolicy();
        // A bar shows where the grid's own one does, and only on a grid big enough to carry it.
        const bool fits = vertical ? width() >= bar->width() : height() >= bar->height();
        if (Shows(own, policy) && isEnabled() && fits) {
            bar->show();
            bar->SetLineButton(ThumbLength(own));
            if (!vertical) bar->SmallChange = kHorizontalPagesPerArrow * bar->PageSize();
        } else {
            bar->SetLineButton(0);
            bar->hide();
        }
        bar->Track().setEnabled(isEnabled());
        bar->SetMin(own.minimum());
        bar->SetMax(own.maximum());
        bar->SetPosition(!vertical && rightToLeft ? own.maximum() - own.value() : own.value());
    }
    syncing_ = false;
}

void TsuiStringGrid::PlaceBars() {
    TsuiScrollBar* vertical = vScrollBar_.data();
    TsuiScrollBar* horizontal = hScrollBar_.data();
    if (!vertical && !horizontal) return;
    if (!isVisible()) {
        for (TsuiScrollBar* bar : {vertical, horizontal})
            if (bar) bar->hide();
        return;
    }
    SyncBars();
    const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
    // Bars lie over the grid's edges inside its outline, in their own container's coordinates.
    const auto place = [this](TsuiScrollBar& bar, QRect inGrid) {
        const QPoint origin = bar.parentWidget()
                                  ? bar.parentWidget()->mapFromGlobal(mapToGlobal(QPoint(0, 0)))
                                  : mapToGlobal(QPoint(0, 0));
        bar.setGeometry(inGrid.translated(origin));
    };
    const bool verticalShown = vertical && !vertical->isHidden();
    const bool horizontalShown = horizontal && !horizontal->isHidden();
    if (verticalShown) {
        const int w = vertical->width();
        const int h = height() - 2 * kBorder - (horizontalShown ? horizontal->height() : 0);
        place(*vertical, QRect(rightToLeft ? kBorder : width() - w - kBorder, kBorder, w, h));
    }
    if (horizontalShown) {
        const int h = horizontal->height();
        const int beside = verticalShown ? vertical->width() : 0;
        place(*horizontal, QRect(kBorder + (rightToLeft ? beside : 0), height() - h - kBorder,
                                 width() - 2 * kBorder - beside, h));
    }
    SyncBars();
}

void TsuiStringGrid::BarChanged(bool vertical) {
    if (syncing_) return;
    TsuiScrollBar* bar = vertical ? vScrollBar_.data() : hScrollBar_.data();
    if (!bar) return;
    scrollingFromBar_ = true;
    QScrollBar& own = vertical ? *verticalScrollBar() : *horizontalScrollBar();
    const bool mirrored = !vertical && layoutDirection() == Qt::RightToLeft;
    own.setValue(mirrored ? own.maximum() - bar->Position() : bar->Position());
    viewport()->update();
    scrollingFromBar_ = false;
}

} // namespace qv::skin

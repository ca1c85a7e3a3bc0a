#include "skin/controls/TsuiScrollBar.h"

#include "framework/gui/AccessibleControls.h"
#include "skin/BuiltInStyles.h"
#include "skin/StripFrame.h"
#include "skin/ThemeFunctions.h"
#include "skin/controls/ScrollThumb.h"
#include "skin/controls/TsuiImageButton.h"
#include "skin/controls/TsuiScrollTrack.h"

#include <QEvent>
#include <QPainter>

#include <array>

namespace qv::skin {

namespace {

// Each arrow button has three pictures: normal, mouse over and pressed.
constexpr int kArrowFrames = 3;
constexpr int kThumbFrames = 3;
// A bar is this long before its container lays it out.
constexpr int kNewBarLength = 185;

std::array<QImage, 3> Frames(const QImage& strip, int first, int count) {
    std::array<QImage, 3> frames;
    for (int i = 0; i < 3; ++i)
        CopyStripFrame(strip, first + i, count, frames[static_cast<size_t>(i)]);
    return frames;
}

// A scroll bar whose value a screen reader can read and set.
framework::TAccessibleTraits ScrollBarTraits() {
    framework::TAccessibleTraits bar;
    bar.role = QAccessible::ScrollBar;
    bar.value = [](const QWidget& w) { return static_cast<const TsuiScrollBar&>(w).Position(); };
    bar.minimum = [](const QWidget& w) { return static_cast<const TsuiScrollBar&>(w).Min(); };
    bar.maximum = [](const QWidget& w) { return static_cast<const TsuiScrollBar&>(w).Max(); };
    bar.setValue = [](QWidget& w, int value) { static_cast<TsuiScrollBar&>(w).SetPosition(value); };
    return bar;
}

} // namespace

TsuiScrollBar::TsuiScrollBar(framework::TComponent* owner, QWidget* parent)
    : QWidget(parent), framework::TComponent(owner), binding_(*this, [this] { ApplyStyle(); }),
      first_(new TsuiImageButton(nullptr, this)), second_(new TsuiImageButton(nullptr, this)),
      track_(new TsuiScrollTrack(this)) {
    framework::RegisterAccessible(staticMetaObject, ScrollBarTraits);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(kNewBarLength, kNewBarLength);
    for (TsuiImageButton* button : {first_, second_}) {
        button->SetTabStop(false);
        button->MouseContinuouslyDownInterval = 100;
    }
    first_->OnMouseContinuouslyDown = [this](QObject*) { SetPosition(Position() - SmallChange); };
    second_->OnMouseContinuouslyDown = [this](QObject*) { SetPosition(Position() + SmallChange); };
    track_->OnChange = [this] { framework::CallEvent(OnChange, this); };
    binding_.SetUIStyle(GetFormStyle(owner));
}

TsuiScrollBar::~TsuiScrollBar() = default;

void TsuiScrollBar::SetUIStyle(TsuiUIStyle style) {
    binding_.SetUIStyle(style);
}

void TsuiScrollBar::SetFileTheme(TsuiFileTheme* theme) {
    binding_.SetFileTheme(theme);
}

void TsuiScrollBar::Notification(framework::TComponent* component, framework::TOperation operation) {
    framework::TComponent::Notification(component, operation);
    binding_.Notification(component, operation);
}

void TsuiScrollBar::SetOrientation(TsuiProgressBarOrientation orientation) {
    orientation_ = orientation;
    ApplyStyle();
}

int TsuiScrollBar::Min() const {
    return track_->Min();
}

void TsuiScrollBar::SetMin(int min) {
    track_->SetRange(min, std::max(min, track_->Max()));
}

int TsuiScrollBar::Max() const {
    return track_->Max();
}

void TsuiScrollBar::SetMax(int max) {
    track_->SetRange(std::min(track_->Min(), max), max);
}

int TsuiScrollBar::Position() const {
    return track_->Position();
}

void TsuiScrollBar::SetPosition(int position) {
    track_->SetPosition(position);
}

int TsuiScrollBar::PageSize() const {
    return track_->PageSize();
}

void TsuiScrollBar::SetPageSize(int pageSize) {
    track_->SetPageSize(pageSize);
}

int TsuiScrollBar::LineButton() const {
    return track_->LineButton();
}

void TsuiScrollBar::SetLineButton(int length) {
    if (length > track_->TrackLength()) return;
    track_->SetLineButton(length);
}

void TsuiScrollBar::ApplyStyle() {
    QImage thumbStrip;
    std::array<QImage, 3> firstPictures;
    std::array<QImage, 3> secondPictures;
    if (binding_.UsingTheme()) {
        const TsuiFileTheme& theme = *binding_.FileTheme();
        color_ = theme.GetColor(SKIN2_SCROLLBARCOLOR);
        // The skin stores the thumb as one vertical picture; its thirds are cut across it.
        if (const QImage* thumb = theme.GetBitmap(SKIN2_SCROLLBAR)) thumbStrip = TurnForHorizontal(*thumb);
        if (const QImage* up = theme.GetBitmap(SKIN2_SCROLLBARUPBUTTON))
            firstPictures = Frames(*up, 1, kArrowFrames);
        if (const QImage* down = theme.GetBitmap(SKIN2_SCROLLBARDOWNBUTTON))
            secondPictures = Frames(*down, 1, kArrowFrames);
    } else {
        const TsuiUIStyle style = binding_.EffectiveStyle();
        color_ = GetStyleColor(style, TStyleRow::ScrollBarColor);
        QImage buttons;
        GetStyleBitmap(style, TStyleRow::ScrollBarButtons, buttons);
        firstPictures = Frames(buttons, 1, 2 * kArrowFrames);
        secondPictures = Frames(buttons, kArrowFrames + 1, 2 * kArrowFrames);
        GetStyleBitmap(style, TStyleRow::ScrollBarThumb, thumbStrip);
    }
    std::array<QImage, 3> thumb = Frames(thumbStrip, 1, kThumbFrames);
    if (binding_.UsingTheme())
        for (QImage& part : thumb)
            part = TurnForVertical(part);
    track_->SetThumbParts(thumb[0], thumb[1], thumb[2], binding_.UsingTheme());
    track_->Color = color_;
    track_->Vertical = Vertical();
    const auto turned = [this](const QImage& picture) {
        return Vertical() ? picture : TurnForHorizontal(picture);
    };
    first_->SetPictures(turned(firstPictures[0]), turned(firstPictures[1]), turned(firstPictures[2]));
    second_->SetPictures(turned(secondPictures[0]), turned(secondPictures[1]), turned(secondPictures[2]));
    LayOut();
    update();
}

void TsuiScrollBar::LayOut() {
    if (layingOut_) return;
    if (width() == 0 || height() == 0) {
        hide();
        return;
    }
    layingOut_ = true;
    const QSize a = first_->size();
    const QSize b = second_->size();
    if (Vertical()) {
        resize(a.width(), height());
        first_->move(0, 0);
        second_->move(0, height() - b.height());
        track_->setGeometry(0, a.height(), width(), height() - a.height() - b.height());
    } else {
        resize(width(), a.height());
        first_->move(0, 0);
        second_->move(width() - b.width(), 0);
        track_->setGeometry(a.width(), 0, width() - a.width() - b.width(), height());
    }
    layingOut_ = false;
}

void TsuiScrollBar::resizeEvent(QResizeEvent*) {
    LayOut();
}

void TsuiScrollBar::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LayoutDirectionChange) LayOut();
}

void TsuiScrollBar::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), framework::ColorToQColor(color_));
}

} // namespace qv::skin

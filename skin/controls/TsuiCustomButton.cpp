#include "skin/controls/TsuiCustomButton.h"

#include "framework/gui/Accelerators.h"
#include "framework/gui/FocusRect.h"
#include "skin/PaintHelpers.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>

#include <algorithm>

namespace qv::skin {

namespace {

// A face that can't be fetched counts as an empty picture of this size.
constexpr QSize kMissingFace{74, 21};
constexpr framework::TColor kDisabledText = framework::clGray;

bool IsPressKey(const QKeyEvent& key) {
    return key.key() == Qt::Key_Space || key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

bool HasNoShiftCtrlAlt(const QKeyEvent& key) {
    return (key.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0;
}

} // namespace

bool IsSkinnedButton(const QWidget* widget) {
    return qobject_cast<const TsuiCustomButton*>(widget) != nullptr;
}

TsuiCustomButton::TsuiCustomButton(framework::TComponent* owner, QWidget* parent)
    : QAbstractButton(parent), framework::TComponent(owner), repeat_(new QTimer(this)) {
    setFocusPolicy(Qt::TabFocus);
    repeat_->setTimerType(Qt::PreciseTimer);
    connect(repeat_, &QTimer::timeout, this, [this] { framework::CallEvent(OnMouseContinuouslyDown, this); });
    connect(this, &QAbstractButton::clicked, this, [this] { Click(); });
    focusChanges_ = connect(qApp, &QApplication::focusChanged, this,
                            [this](QWidget*, QWidget* now) { FocusChanged(now); });
}

TsuiCustomButton::~TsuiCustomButton() {
    // The widget gives up the focus as it goes, when this button is no longer there to hear it.
    disconnect(focusChanges_);
}

void TsuiCustomButton::SetCaption(const QString& caption) {
    // Qt's button takes Alt and the accelerator as its shortcut, whichever control of the window
    // has the focus.
    setText(caption);
}

void TsuiCustomButton::SetDefault(bool isDefault) {
    default_ = isDefault;
    // Every button of the window works out again whether Enter clicks it.
    for (TsuiCustomButton* button : window()->findChildren<TsuiCustomButton*>())
        button->FocusChanged(QApplication::focusWidget());
    FocusChanged(QApplication::focusWidget());
}

void TsuiCustomButton::SetTabStop(bool tabStop) {
    tabStop_ = tabStop;
    setFocusPolicy(tabStop ? Qt::TabFocus : Qt::NoFocus);
    update();
}

void TsuiCustomButton::SetFocusedRectMargin(int margin) {
    focusedRectMargin_ = margin;
    update();
}

void TsuiCustomButton::SetTransparent(bool transparent) {
    transparent_ = transparent;
    update();
}

void TsuiCustomButton::SetColor(std::optional<framework::TColor> color) {
    color_ = color;
    update();
}

void TsuiCustomButton::SetFontColor(framework::TColor color) {
    fontColor_ = color;
    update();
}

void TsuiCustomButton::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    if (!autoSize) return;
    const QSize strip = FaceStripSize();
    resize(strip.width() / 3, strip.height());
}

void TsuiCustomButton::Click() {
    StopRepeat();
    setDown(false);
    const QPointer<TsuiCustomButton> alive(this);
    if (auto* form = dynamic_cast<framework::TForm*>(window())) form->SetModalResult(ModalResult);
    if (!alive) return;
    framework::CallEvent(OnClick, this);
}

QImage TsuiCustomButton::Face(TButtonFace) const {
    return QImage();
}

QSize TsuiCustomButton::FaceStripSize() const {
    return kMissingFace;
}

TButtonFace TsuiCustomButton::CurrentFace() const {
    if (!isEnabled()) return TButtonFace::Disabled;
    if (isDown()) return TButtonFace::Pressed;
    if (mouseOver_) return TButtonFace::MouseOver;
    return TButtonFace::Normal;
}

void TsuiCustomButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!transparent_)
        painter.fillRect(rect(),
                         color_ ? framework::ColorToQColor(*color_) : palette().color(QPalette::Window));
    const QImage face = Face(CurrentFace());
    if (!face.isNull()) DrawFace(painter, face);
    if (hasFocus() && tabStop_) DrawFocus(painter);
    if (!text().trimmed().isEmpty()) DrawCaption(painter);
    boldCaption_ = false;
}

void TsuiCustomButton::DrawFace(QPainter& painter, const QImage& face) {
    painter.drawImage(QPoint(0, 0),
                      transparent_ ? KeyedTransparent(face, framework::QColorToColor(face.pixelColor(0, 0)))
                                   : face);
}

void TsuiCustomButton::DrawCaption(QPainter& painter) {
    DrawCaptionText(painter, rect(), Qt::AlignCenter | Qt::TextWordWrap | Qt::TextExpandTabs);
}

void TsuiCustomButton::DrawCaptionText(QPainter& painter, const QRect& area, int flags) {
    QFont captionFont = font();
    captionFont.setBold(captionFont.bold() || boldCaption_);
    painter.setFont(captionFont);
    flags |= Qt::TextShowMnemonic;
    if (!isEnabled()) {
        painter.setPen(Qt::white);
        painter.drawText(area.translated(1, 1), flags, text());
        painter.setPen(framework::ColorToQColor(kDisabledText));
        painter.drawText(area, flags, text());
        return;
    }
    painter.setPen(framework::ColorToQColor(fontColor_));
    painter.drawText(isDown() ? area.translated(1, 1) : area, flags, text());
}

void TsuiCustomButton::DrawFocus(QPainter& painter) {
    framework::DrawFocusRect(painter,
                             rect().marginsRemoved(QMargins(focusedRectMargin_, focusedRectMargin_,
                                                            focusedRectMargin_, focusedRectMargin_)));
}

void TsuiCustomButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractButton::mousePressEvent(event);
    setDown(true);
    clickPending_ = true;
    if (!repeat_->isActive()) repeat_->start(std::max(MouseContinuouslyDownInterval, 0));
    if (tabStop_ && CanFocus()) setFocus(Qt::MouseFocusReason);
}

void TsuiCustomButton::mouseMoveEvent(QMouseEvent* event) {
    const bool inside = rect().contains(event->position().toPoint());
    // While the button holds the mouse the window system sends no leave: a move out ends the
    // press here, and the leave that follows the release raises OnMouseExit, once.
    if (!inside && mouseOver_) {
        mouseOver_ = false;
        setDown(false);
        StopRepeat();
        update();
    } else if (inside && !mouseOver_) {
        mouseOver_ = true;
        update();
    }
}

void TsuiCustomButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractButton::mouseReleaseEvent(event);
    const bool click = std::exchange(clickPending_, false) && rect().contains(event->position().toPoint());
    StopRepeat();
    if (click) {
        Click();
        return;
    }
    setDown(false);
}

void TsuiCustomButton::enterEvent(QEnterEvent*) {
    mouseOver_ = true;
    update();
    framework::CallEvent(OnMouseEnter, this);
}

void TsuiCustomButton::leaveEvent(QEvent*) {
    mouseOver_ = false;
    setDown(false);
    StopRepeat();
    update();
    framework::CallEvent(OnMouseExit, this);
}

void TsuiCustomButton::keyPressEvent(QKeyEvent* event) {
    if (IsPressKey(*event) && hasFocus() && isEnabled()) {
        setDown(true);
        return;
    }
    event->ignore();
}

void TsuiCustomButton::keyReleaseEvent(QKeyEvent* event) {
    if (IsPressKey(*event) && !event->isAutoRepeat() && hasFocus() && isDown() && isEnabled()) {
        Click();
        return;
    }
    event->ignore();
}

void TsuiCustomButton::focusInEvent(QFocusEvent* event) {
    QAbstractButton::focusInEvent(event);
    update();
}

void TsuiCustomButton::focusOutEvent(QFocusEvent* event) {
    QAbstractButton::focusOutEvent(event);
    CancelPress();
    update();
}

void TsuiCustomButton::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled()) CancelPress();
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange) update();
}

bool TsuiCustomButton::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::ParentChange:
    case QEvent::Show:
        WatchWindow();
        break;
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
        CancelPress();
        break;
    case QEvent::Shortcut:
        // Qt's button would show a press first and click later, or only take the focus when
        // another control has the same accelerator.
        if (CanClickByAccelerator()) Click();
        return true;
    default:
        break;
    }
    return QAbstractButton::event(event);
}

bool TsuiCustomButton::eventFilter(QObject* watched, QEvent* event) {
    // Keys that the focused control of the window left alone come up to the window itself.
    if (watched == watchedWindow_ && event->type() == QEvent::KeyPress) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (HandleDialogKey(key) || HandleDialogChar(key)) {
            event->accept();
            return true;
        }
    }
    return QAbstractButton::eventFilter(watched, event);
}

void TsuiCustomButton::StopRepeat() {
    repeat_->stop();
}

void TsuiCustomButton::CancelPress() {
    clickPending_ = false;
    if (!isDown() && !mouseOver_ && !repeat_->isActive()) return;
    setDown(false);
    mouseOver_ = false;
    StopRepeat();
    update();
}

void TsuiCustomButton::WatchWindow() {
    QWidget* window = this->window();
    if (window == watchedWindow_ || window == this) return;
    if (watchedWindow_) watchedWindow_->removeEventFilter(this);
    watchedWindow_ = window;
    watchedWindow_->installEventFilter(this);
    FocusChanged(QApplication::focusWidget());
}

void TsuiCustomButton::FocusChanged(QWidget* now) {
    bool active = default_;
    if (now && now->window() == window() && IsSkinnedButton(now)) active = now == this;
    if (active == activeDefault_) return;
    activeDefault_ = active;
    update();
}

bool TsuiCustomButton::CanFocus() const {
    return isEnabled() && isVisible();
}

bool TsuiCustomButton::HandleDialogKey(const QKeyEvent& key) {
    if (!HasNoShiftCtrlAlt(key) || !CanFocus()) return false;
    const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
    if (!(enter && activeDefault_) && !(key.key() == Qt::Key_Escape && Cancel)) return false;
    Click();
    return true;
}

bool TsuiCustomButton::HandleDialogChar(const QKeyEvent& key) {
    // Without Alt an accelerator works while a skinned button has the focus, as no button takes
    // letters for itself.
    const QChar accelerator = framework::AcceleratorOf(text());
    if (accelerator.isNull() || key.text().size() != 1 || key.text().at(0).toUpper() != accelerator.toUpper())
        return false;
    if (!IsSkinnedButton(QApplication::focusWidget()) || !CanClickByAccelerator()) return false;
    Click();
    return true;
}

bool TsuiCustomButton::CanClickByAccelerator() const {
    return CanFocus() && (!parentWidget() || parentWidget()->isEnabled());
}

} // namespace qv::skin

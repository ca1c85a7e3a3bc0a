#include "windows/controls/TJvLabel.h"

#include "framework/gui/Accelerators.h"
#include "framework/gui/AccessibleControls.h"
#include "framework/gui/FocusRect.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QToolTip>

namespace qv::windows {

namespace {

void RegisterAccessibility() {
    static const bool registered = [] {
        framework::TAccessibleTraits link;
        link.role = QAccessible::Link;
        link.name = [](const QWidget& w) {
            return framework::StripAccelerators(static_cast<const TJvLabel&>(w).Caption());
        };
        link.state = [](const QWidget&, QAccessible::State& state) { state.linked = true; };
        link.press = [](QWidget& w) { framework::CallEvent(static_cast<TJvLabel&>(w).OnClick, &w); };
        framework::RegisterAccessible(TJvLabel::staticMetaObject, link);
        return true;
    }();
    (void)registered;
}

} // namespace

TJvLabel::TJvLabel(framework::TComponent* owner, QWidget* parent)
    : QLabel(parent), framework::TComponent(owner) {
    RegisterAccessibility();
}

void TJvLabel::SetCaption(const QString& caption) {
    setText(caption);
    update();
}

void TJvLabel::SetHotTrackFont(const QFont& font) {
    hotTrackFont_ = font;
    if (mouseOver_ && HotTrack) setFont(font);
}

void TJvLabel::SetHotTrackFontColor(framework::TColor color) {
    hotTrackFontColor_ = color;
    if (mouseOver_ && HotTrack) SetFontColor(color);
}

framework::TColor TJvLabel::FontColor() const {
    return framework::QColorToColor(palette().color(QPalette::WindowText));
}

void TJvLabel::SetFontColor(framework::TColor color) {
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, framework::ColorToQColor(color));
    setPalette(colors);
}

void TJvLabel::enterEvent(QEnterEvent*) {
    if (!mouseOver_) {
        QPalette hints = QToolTip::palette();
        savedHintColor_ = hints.color(QPalette::ToolTipBase);
        hints.setColor(QPalette::ToolTipBase, framework::ColorToQColor(HintColor));
        QToolTip::setPalette(hints);
        if (HotTrack) {
            savedFont_ = font();
            savedFontColor_ = FontColor();
            setFont(hotTrackFont_);
            SetFontColor(hotTrackFontColor_);
        }
        mouseOver_ = true;
    }
    framework::CallEvent(OnMouseEnter, this);
}

void TJvLabel::leaveEvent(QEvent*) {
    if (mouseOver_) {
        QPalette hints = QToolTip::palette();
        hints.setColor(QPalette::ToolTipBase, savedHintColor_);
        QToolTip::setPalette(hints);
        if (HotTrack && savedFont_) {
            setFont(*savedFont_);
            SetFontColor(savedFontColor_);
        }
        savedFont_.reset();
        mouseOver_ = false;
    }
    framework::CallEvent(OnMouseLeave, this);
}

void TJvLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) clickPending_ = true;
}

void TJvLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (std::exchange(clickPending_, false) && rect().contains(event->position().toPoint()))
        framework::CallEvent(OnClick, this);
}

void TJvLabel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        framework::CallEvent(OnClick, this);
        return;
    }
    QLabel::keyPressEvent(event);
}

void TJvLabel::paintEvent(QPaintEvent*) {
    // Drawn here rather than by the label so that "&" marks the accelerator as labels show it.
    QPainter painter(this);
    painter.setFont(font());
    const int flags =
        static_cast<int>(alignment()) | Qt::TextShowMnemonic | (wordWrap() ? Qt::TextWordWrap : 0);
    const QRect area = contentsRect();
    // A disabled label is greyed, unless the mouse over it gave it the hot-track font.
    if (!isEnabled() && !(mouseOver_ && HotTrack)) {
        painter.setPen(Qt::white);
        painter.drawText(area.translated(1, 1), flags, text());
        painter.setPen(framework::ColorToQColor(framework::clGray));
        painter.drawText(area, flags, text());
        return;
    }
    painter.setPen(palette().color(QPalette::Active, QPalette::WindowText));
    painter.drawText(area, flags, text());
    if (hasFocus()) framework::DrawFocusRect(painter, rect());
}

} // namespace qv::windows

#include "windows/controls/TJvLabel.h"

#include "framework/gui/Accelerators.h"
#include "framework/gui/FocusRect.h"

#include <QPainter>
#include <QToolTip>

namespace qv::windows {

TJvLabel::TJvLabel(framework::TComponent* owner, QWidget* parent)
    : framework::TClickableLabel(owner, parent) {}

QString TJvLabel::ShownCaption() const {
    return framework::StripAccelerators(Caption());
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
        painter.drawText(area.translated(1, 1), flags, Caption());
        painter.setPen(framework::ColorToQColor(framework::clGray));
        painter.drawText(area, flags, Caption());
        return;
    }
    painter.setPen(palette().color(QPalette::Active, QPalette::WindowText));
    painter.drawText(area, flags, Caption());
    if (hasFocus()) framework::DrawFocusRect(painter, rect());
}

} // namespace qv::windows

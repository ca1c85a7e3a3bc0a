#include "skin/controls/TsuiURLLabel.h"

#include "framework/gui/FocusRect.h"
#include "skin/controls/ControlAccessibility.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QUrl>

namespace qv::skin {

namespace {
// What a new label shows and opens until its form gives it its own.
constexpr const char* kDefaultURL = "https://quorvane.example/";
} // namespace

TsuiURLLabel::TsuiURLLabel(framework::TComponent* owner, QWidget* parent)
    : QLabel(parent), framework::TComponent(owner), url_(QString::fromLatin1(kDefaultURL)) {
    InstallControlAccessibility();
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    SetFontColor(fontLinkColor_);
    setToolTip(url_);
    SetCaption(url_);
}

void TsuiURLLabel::SetCaption(const QString& caption) {
    setText(caption);
    if (autoSize_) adjustSize();
}

void TsuiURLLabel::SetURL(const QString& url) {
    if (url == url_) return;
    url_ = url;
    setToolTip(url);
}

void TsuiURLLabel::SetFontLinkColor(framework::TColor color) {
    fontLinkColor_ = color;
    SetFontColor(color);
}

framework::TColor TsuiURLLabel::FontColor() const {
    return framework::QColorToColor(palette().color(QPalette::WindowText));
}

void TsuiURLLabel::SetFontColor(framework::TColor color) {
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, framework::ColorToQColor(color));
    setPalette(colors);
}

void TsuiURLLabel::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    if (autoSize) adjustSize();
}

void TsuiURLLabel::Click() {
    const QPointer<TsuiURLLabel> alive(this);
    // What the desktop answers is not the label's business: a link that can't be opened is silent.
    if (!url_.trimmed().isEmpty()) QDesktopServices::openUrl(QUrl::fromUserInput(url_));
    if (alive) framework::CallEvent(OnClick, this);
}

void TsuiURLLabel::enterEvent(QEnterEvent*) {
    SetFontColor(FontHoverColor);
}

void TsuiURLLabel::leaveEvent(QEvent*) {
    SetFontColor(fontLinkColor_);
}

void TsuiURLLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) clickPending_ = true;
}

void TsuiURLLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (std::exchange(clickPending_, false) && rect().contains(event->position().toPoint())) Click();
}

void TsuiURLLabel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) {
        Click();
        return;
    }
    QLabel::keyPressEvent(event);
}

void TsuiURLLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    QPainter painter(this);
    framework::DrawFocusRect(painter, rect());
}

} // namespace qv::skin

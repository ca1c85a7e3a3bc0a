#include "skin/controls/TsuiURLLabel.h"

#include <QDesktopServices>
#include <QPointer>
#include <QUrl>

namespace qv::skin {

namespace {
// What a new label shows and opens until its form gives it its own.
constexpr const char* kDefaultURL = "https://quorvane.example/";
} // namespace

TsuiURLLabel::TsuiURLLabel(framework::TComponent* owner, QWidget* parent)
    : framework::TClickableLabel(owner, parent), url_(QString::fromLatin1(kDefaultURL)) {
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    SetFontColor(fontLinkColor_);
    setToolTip(url_);
    SetCaption(url_);
}

void TsuiURLLabel::SetCaption(const QString& caption) {
    TClickableLabel::SetCaption(caption);
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
    if (alive) framework::TClickableLabel::Click();
}

void TsuiURLLabel::enterEvent(QEnterEvent*) {
    SetFontColor(FontHoverColor);
}

void TsuiURLLabel::leaveEvent(QEvent*) {
    SetFontColor(fontLinkColor_);
}

} // namespace qv::skin

#include "framework/gui/ClickableLabel.h"

#include "framework/gui/AccessibleControls.h"
#include "framework/gui/FocusRect.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <utility>

namespace qv::framework {

namespace {

// The width and height a caption is measured within: more than any label shows.
constexpr int kUnboundedExtent = 2000;

TAccessibleTraits LinkTraits() {
    TAccessibleTraits link;
    link.role = QAccessible::Link;
    link.name = [](const QWidget& w) { return static_cast<const TClickableLabel&>(w).ShownCaption(); };
    link.state = [](const QWidget&, QAccessible::State& state) { state.linked = true; };
    link.press = [](QWidget& w) { static_cast<TClickableLabel&>(w).Click(); };
    return link;
}

} // namespace

TClickableLabel::TClickableLabel(TComponent* owner, QWidget* parent) : QLabel(parent), TComponent(owner) {
    RegisterAccessible(staticMetaObject, LinkTraits);
    setFocusPolicy(Qt::TabFocus);
}

void TClickableLabel::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    updateGeometry();
    update();
    // Screen readers name the label by its caption and learn of a new one only when told.
    QAccessibleEvent renamed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
}

QString TClickableLabel::ShownCaption() const {
    return caption_;
}

int TClickableLabel::CaptionFlags() const {
    const Qt::LayoutDirection direction = caption_.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
    return static_cast<int>(QStyle::visualAlignment(direction, alignment())) |
           (direction == Qt::LeftToRight ? Qt::TextForceLeftToRight : Qt::TextForceRightToLeft);
}

QSize TClickableLabel::sizeHint() const {
    ensurePolished();
    // The caption's bounds on one line, as a label measures plain text.
    const int flags = CaptionFlags() & ~(Qt::AlignVCenter | Qt::AlignHCenter);
    const QMargins margins = contentsMargins();
    const QSize text =
        fontMetrics().boundingRect(0, 0, kUnboundedExtent, kUnboundedExtent, flags, caption_).size();
    return (text + QSize(margins.left() + margins.right() + 2 * margin(),
                         margins.top() + margins.bottom() + 2 * margin()))
        .expandedTo(minimumSize());
}

QSize TClickableLabel::minimumSizeHint() const {
    return sizeHint();
}

void TClickableLabel::Click() {
    CallEvent(OnClick, this);
}

void TClickableLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) clickPending_ = true;
}

void TClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (std::exchange(clickPending_, false) && rect().contains(event->position().toPoint())) Click();
}

void TClickableLabel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Click();
        return;
    }
    QLabel::keyPressEvent(event);
}

void TClickableLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawItemText(&painter, contentsRect().adjusted(margin(), margin(), -margin(), -margin()),
                          CaptionFlags(), option.palette, isEnabled(), caption_, foregroundRole());
    if (hasFocus()) DrawFocusRect(painter, rect());
}

} // namespace qv::framework

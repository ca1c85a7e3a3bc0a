#include "framework/gui/ClickableLabel.h"

#include "framework/gui/AccessibleControls.h"
#include "framework/gui/FocusRect.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <utility>

namespace qv::framework {

namespace {

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

QString TClickableLabel::ShownCaption() const {
    return text();
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
    if (!hasFocus()) return;
    QPainter painter(this);
    DrawFocusRect(painter, rect());
}

} // namespace qv::framework

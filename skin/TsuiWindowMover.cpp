#include "skin/TsuiWindowMover.h"

#include "framework/gui/Form.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyleHints>
#include <QWidget>
#include <QWindow>

namespace qv::skin {

bool CompositorPlacesWindows() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QWidget& TsuiWindowMover::Window() const {
    return *handle_.window();
}

void TsuiWindowMover::BeginDrag(QPoint globalPress) {
    if (Maximized()) return;
    pressed_ = true;
    byHand_ = false;
    pressAt_ = globalPress;
    dragOffset_ = globalPress - Window().pos();
}

bool TsuiWindowMover::DragTo(QPoint global) {
    if (!pressed_) return false;
    if (!byHand_) {
        // The window manager takes the mouse for a move, and with it the second click of a double
        // click on the caption: it is asked only once the mouse has gone some way.
        if ((global - pressAt_).manhattanLength() < QGuiApplication::styleHints()->startDragDistance())
            return true;
        // Without a window manager the system move is refused; the window then follows by hand.
        QWindow* handle = Window().windowHandle();
        if (handle && handle->startSystemMove()) {
            pressed_ = false;
            return true;
        }
        byHand_ = true;
    }
    Window().move(global - dragOffset_);
    return true;
}

bool TsuiWindowMover::Maximized() const {
    return maximizedByUs_ || Window().windowState().testFlag(Qt::WindowMaximized);
}

void TsuiWindowMover::Maximize(const QRect& normalGeometry) {
    QWidget& window = Window();
    normalGeometry_ = normalGeometry;
    normalMinimum_ = window.minimumSize();
    normalMaximum_ = window.maximumSize();
    // Done by hand: without a window manager the system would not resize the window. A window of
    // fixed size has no limit of its own beyond what its form allows.
    const bool fixedSize = normalMinimum_ == normalMaximum_;
    QSize limit = fixedSize ? QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX) : normalMaximum_;
    if (const auto* form = qobject_cast<const framework::TForm*>(&window); form && !form->MaxSize().isEmpty())
        limit = limit.boundedTo(form->MaxSize());
    maximizedByUs_ = true;
    if (CompositorPlacesWindows()) {
        // The compositor knows the work area and where the window may go; it is asked to
        // maximize, within the window's limits.
        window.setMinimumSize(QSize(0, 0));
        window.setMaximumSize(limit);
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
        return;
    }
    QRect bounds = window.screen()->availableGeometry().adjusted(-2, -2, 2, -1);
    bounds.setSize(bounds.size().boundedTo(limit));
    if (fixedSize) window.setFixedSize(bounds.size());
    window.setGeometry(bounds);
}

void TsuiWindowMover::Restore() {
    QWidget& window = Window();
    if (window.windowState().testFlag(Qt::WindowMaximized))
        window.setWindowState(window.windowState() & ~Qt::WindowMaximized);
    if (maximizedByUs_) {
        maximizedByUs_ = false;
        // Smaller first, so that the limits never cross on the way back.
        window.setMinimumSize(normalMinimum_);
        window.setMaximumSize(normalMaximum_);
        window.setGeometry(normalGeometry_);
    }
}

bool TsuiWindowMover::WindowResized() {
    const bool maximized = Maximized();
    const bool changed = maximized != wasMaximized_;
    wasMaximized_ = maximized;
    return changed;
}

} // namespace qv::skin

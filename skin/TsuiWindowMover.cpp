#include "skin/TsuiWindowMover.h"

#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace qv::skin {

QWidget& TsuiWindowMover::Window() const {
    return *handle_.window();
}

void TsuiWindowMover::BeginDrag(QPoint globalPress) {
    if (Maximized()) return;
    // Without a window manager the system move is refused; the window then follows by hand.
    QWindow* handle = Window().windowHandle();
    if (handle && handle->startSystemMove()) return;
    dragging_ = true;
    dragOffset_ = globalPress - Window().pos();
}

bool TsuiWindowMover::DragTo(QPoint global) {
    if (!dragging_) return false;
    Window().move(global - dragOffset_);
    return true;
}

bool TsuiWindowMover::Maximized() const {
    return maximizedByUs_ || Window().windowState().testFlag(Qt::WindowMaximized);
}

void TsuiWindowMover::Maximize(const QRect& normalGeometry) {
    QWidget& window = Window();
    normalGeometry_ = normalGeometry;
    // Done by hand: without a window manager the system would not resize the window.
    const QRect work = window.screen()->availableGeometry();
    window.setGeometry(work.adjusted(-2, -2, 2, -1));
    maximizedByUs_ = true;
}

void TsuiWindowMover::Restore() {
    QWidget& window = Window();
    if (window.windowState().testFlag(Qt::WindowMaximized))
        window.setWindowState(window.windowState() & ~Qt::WindowMaximized);
    if (maximizedByUs_) {
        maximizedByUs_ = false;
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

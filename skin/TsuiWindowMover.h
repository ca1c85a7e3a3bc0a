#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace qv::skin {

// True under a Wayland compositor, which places and maximizes windows itself, ignoring the
// positions a program asks for, and takes a window's mask as its input region only, without
// cutting what the window shows.
bool CompositorPlacesWindows();

// Moves, maximizes and restores the window of a frameless title bar: by the window system where
// it can, by hand where there is no window manager to ask.
class TsuiWindowMover {
public:
    // Serves the window that holds `handle`, whichever window that is at the time.
    explicit TsuiWindowMover(QWidget& handle) : handle_(handle) {}

    // The mouse was pressed at `globalPress` on what moves the window; a maximized window stays.
    void BeginDrag(QPoint globalPress);
    // Once the mouse has gone past the drag distance, hands the move to the window manager, or
    // moves the window by hand where there is none; false when no press is followed.
    bool DragTo(QPoint global);
    void EndDrag() { pressed_ = false; }

    // Maximized by us, or by the window manager.
    bool Maximized() const;
    // Spreads the window over its screen's work area, widened by 2 pixels to the left, top and
    // right and shortened by 1 at the bottom, within the largest size a form allows; the next
    // restore goes back to normalGeometry. A window of fixed size keeps a fixed size, the
    // maximized one, until it is restored.
    void Maximize(const QRect& normalGeometry);
    void Restore();
    // Notes a change of the window's size or state; answers whether Maximized() changed since
    // the last note.
    bool WindowResized();

private:
    QWidget& Window() const;

    QWidget& handle_;
    bool pressed_ = false;
    bool byHand_ = false;
    QPoint pressAt_;
    QPoint dragOffset_;
    QRect normalGeometry_;
    // The window's size limits before it was maximized.
    QSize normalMinimum_;
    QSize normalMaximum_;
    bool maximizedByUs_ = false;
    bool wasMaximized_ = false;
};

} // namespace qv::skin

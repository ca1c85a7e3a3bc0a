#include "skin/controls/ScrollThumb.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>

namespace qv::skin {

namespace {

// The rows of a cap that stay unscaled at the thumb's ends.
constexpr int kCapRows = 3;

} // namespace

QImage ComposeThumb(const TThumbParts& parts, int length, bool skin) {
    const int thickness = std::max({parts.start.width(), parts.grip.width(), parts.end.width()});
    if (thickness <= 0 || length <= 0) return QImage();
    QImage thumb(thickness, length, QImage::Format_ARGB32);
    thumb.fill(Qt::transparent);
    QPainter painter(&thumb);
    const QImage& start = parts.start;
    const QImage& end = parts.end;
    if (!skin) {
        const int startRows = std::min(start.height(), length);
        const int endRows = std::min(end.height(), length - startRows);
        if (length - startRows - endRows > 0 && !start.isNull())
            painter.drawImage(QRect(0, startRows, thickness, length - startRows - endRows), start,
                              QRect(0, start.height() - 1, start.width(), 1));
        painter.drawImage(QPoint(0, 0), start, QRect(0, 0, start.width(), startRows));
        painter.drawImage(QPoint(0, length - endRows), end,
                          QRect(0, end.height() - endRows, end.width(), endRows));
        return thumb;
    }
    const int head = std::min(kCapRows, start.height());
    const int tail = std::min(kCapRows, end.height());
    const int space = length - head - tail;
    painter.drawImage(QPoint(0, 0), start, QRect(0, 0, start.width(), head));
    painter.drawImage(QPoint(0, length - tail), end, QRect(0, end.height() - tail, end.width(), tail));
    if (space <= 0) return thumb;
    const QImage& grip = parts.grip;
    if (space < grip.height()) {
        painter.drawImage(QRect(0, head, thickness, space), grip);
        return thumb;
    }
    const int gripTop = head + (space - grip.height()) / 2;
    const int gripBottom = gripTop + grip.height();
    if (gripTop > head && start.height() > head)
        painter.drawImage(QRect(0, head, thickness, gripTop - head), start,
                          QRect(0, head, start.width(), start.height() - head));
    if (length - tail > gripBottom && end.height() > tail)
        painter.drawImage(QRect(0, gripBottom, thickness, length - tail - gripBottom), end,
                          QRect(0, 0, end.width(), end.height() - tail));
    painter.drawImage(QPoint(0, gripTop), grip);
    return thumb;
}

QImage TurnForHorizontal(const QImage& picture) {
    return picture.transformed(QTransform().rotate(-90));
}

QImage TurnForVertical(const QImage& picture) {
    return picture.transformed(QTransform().rotate(90));
}

} // namespace qv::skin

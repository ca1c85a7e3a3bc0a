#include "skin/PaintHelpers.h"

#include <algorithm>
#include <cstdint>

namespace qv::skin {

namespace {

uint32_t KeyOf(framework::TColor color) {
    return 0xFF000000u | framework::ColorToQColor(color).rgb();
}

} // namespace

void DrawThreePart(QPainter& painter, const QRect& target, const QImage& picture) {
    const int third = picture.width() / 3;
    if (third <= 0 || target.isEmpty()) return;
    const int h = target.height();
    if (target.width() < third) {
        painter.drawImage(target, picture, QRect(0, 0, target.width(), picture.height()));
        return;
    }
    const int middle = target.width() - 2 * third;
    if (middle > 0)
        painter.drawImage(QRect(target.left() + third, target.top(), middle, h), picture,
                          QRect(third, 0, third, picture.height()));
    painter.drawImage(QRect(target.left(), target.top(), third, h), picture,
                      QRect(0, 0, third, picture.height()));
    painter.drawImage(QRect(target.right() + 1 - third, target.top(), third, h), picture,
                      QRect(2 * third, 0, third, picture.height()));
}

void DrawGradient(QPainter& painter, const QRect& rect, framework::TColor from, framework::TColor to,
                  Qt::Orientation orientation) {
    const bool across = orientation == Qt::Horizontal;
    const int size = across ? rect.width() : rect.height();
    if (size <= 0) return;
    const QColor start = framework::ColorToQColor(from);
    const QColor end = framework::ColorToQColor(to);
    const auto channel = [size](int a, int b, int i) { return a + (b - a) * i / size; };
    for (int i = 0; i < size; ++i) {
        const QColor color =
            i == size - 1 ? end
                          : QColor(channel(start.red(), end.red(), i), channel(start.green(), end.green(), i),
                                   channel(start.blue(), end.blue(), i));
        const QRect line = across ? QRect(rect.left() + i, rect.top(), 1, rect.height())
                                  : QRect(rect.left(), rect.top() + i, rect.width(), 1);
        painter.fillRect(line, color);
    }
}

void FrameRect(QPainter& painter, const QRect& rect, framework::TColor color) {
    if (rect.isEmpty()) return;
    const QColor shown = framework::ColorToQColor(color);
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), shown);
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), shown);
    painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), shown);
    painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), shown);
}

QImage KeyedOver(const QImage& picture, framework::TColor key, framework::TColor fill) {
    QImage result = picture.convertToFormat(QImage::Format_RGB32);
    const uint32_t from = KeyOf(key);
    const uint32_t to = KeyOf(fill);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<uint32_t*>(result.scanLine(y));
        std::replace(line, line + result.width(), from, to);
    }
    return result;
}

QImage KeyedTransparent(const QImage& picture, framework::TColor key) {
    QImage result = picture.convertToFormat(QImage::Format_ARGB32);
    const uint32_t from = KeyOf(key);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<uint32_t*>(result.scanLine(y));
        std::replace(line, line + result.width(), from, 0u);
    }
    return result;
}

} // namespace qv::skin

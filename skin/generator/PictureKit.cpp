#include "skin/generator/PictureKit.h"

#include <QBuffer>
#include <QPainterPath>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace qv::skin::generator {

QImage NewPicture(int width, int height, const QColor& fill) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

QColor Mix(const QColor& from, const QColor& to, double amount) {
    const auto channel = [amount](int a, int b) {
        return static_cast<int>(std::lround(a + (b - a) * amount));
    };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

void FillVertical(QImage& image, const QRect& rect, const QColor& top, const QColor& bottom) {
    const QRect area = rect.intersected(image.rect());
    const int span = std::max(1, rect.height() - 1);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const QRgb color = Mix(top, bottom, static_cast<double>(y - rect.top()) / span).rgb();
        for (int x = area.left(); x <= area.right(); ++x)
            image.setPixel(x, y, color);
    }
}

namespace {

QImage GradientOf(const QImage& like, const QRect& rect, const QColor& top, const QColor& bottom) {
    QImage fill = like.copy();
    FillVertical(fill, rect, top, bottom);
    return fill;
}

void FillRounded(QImage& image, const QRectF& rect, double radius, const QImage& source, bool antialias) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, antialias);
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    painter.setClipPath(path);
    painter.drawImage(0, 0, source);
}

} // namespace

void DrawBox(QImage& image, const QRect& rect, int radius, const QColor& edge, const QColor& top,
             const QColor& bottom, bool antialias) {
    const QRectF outer(rect);
    QImage edgeFill = image.copy();
    edgeFill.fill(edge);
    FillRounded(image, outer, radius, edgeFill, antialias);
    FillRounded(image, outer.adjusted(1, 1, -1, -1), std::max(0, radius - 1),
                GradientOf(image, rect.adjusted(1, 1, -1, -1), top, bottom), antialias);
}

void DrawGlassBox(QImage& image, const QRect& rect, int radius, const QColor& edge, const QColor& light,
                  const QColor& deep, bool antialias) {
    DrawBox(image, rect, radius, edge, Mix(light, Qt::white, 0.5), light, antialias);
    const QRect inner = rect.adjusted(1, 1, -1, -1);
    QImage lower = image.copy();
    const QRect lowerHalf(inner.left(), inner.top() + inner.height() / 2, inner.width(),
                          inner.height() - inner.height() / 2);
    FillVertical(lower, lowerHalf, deep, Mix(deep, light, 0.6));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, antialias);
    QPainterPath path;
    path.addRoundedRect(QRectF(inner), std::max(0, radius - 1), std::max(0, radius - 1));
    painter.setClipPath(path);
    painter.setClipRect(lowerHalf, Qt::IntersectClip);
    painter.drawImage(0, 0, lower);
}

QImage Strip(const std::vector<QImage>& frames) {
    int width = 0;
    int height = 0;
    for (const QImage& frame : frames) {
        width += frame.width();
        height = std::max(height, frame.height());
    }
    QImage strip = NewPicture(width, height, kKeyColor);
    QPainter painter(&strip);
    int x = 0;
    for (const QImage& frame : frames) {
        painter.drawImage(x, 0, frame);
        x += frame.width();
    }
    return strip;
}

QImage TurnClockwise(const QImage& image) {
    return image.transformed(QTransform().rotate(90));
}

TPen::TPen(QImage& image, bool antialias) : painter_(&image) {
    painter_.setRenderHint(QPainter::Antialiasing, antialias);
}

void TPen::Line(double x1, double y1, double x2, double y2, const QColor& color, double width) {
    QPen pen(color, width);
    pen.setCapStyle(Qt::SquareCap);
    painter_.setPen(pen);
    painter_.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void TPen::Pixel(int x, int y, const QColor& color) {
    painter_.setPen(QPen(color, 0));
    painter_.drawPoint(x, y);
}

} // namespace qv::skin::generator

namespace qv::skin::generator {

std::string EncodeBmp(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP"))
        throw std::runtime_error("cannot encode a BMP picture");
    return bytes.toStdString();
}

} // namespace qv::skin::generator

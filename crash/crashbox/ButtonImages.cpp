#include "crash/crashbox/ButtonImages.h"

#include <QPainter>
#include <QPainterPath>

#include <map>

namespace qv::crash {

namespace {

constexpr uint32_t kRedBlue = 0xFF00FF;
constexpr uint32_t kGreen = 0x00FF00;

const QColor kOutline(0x40, 0x40, 0x40);

void DrawMail(QPainter& p) {
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(0xFF, 0xF4, 0xD0));
    p.drawRect(QRectF(1.5, 3.5, 13, 9));
    p.drawPolyline(QPolygonF({{1.5, 3.5}, {8, 9}, {14.5, 3.5}}));
}

void DrawSave(QPainter& p) {
    p.setPen(QPen(QColor(0x10, 0x20, 0x60), 1));
    p.setBrush(QColor(0x30, 0x60, 0xC0));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 1.5, 9, 6));
    p.setBrush(QColor(0x90, 0x90, 0x90));
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
}

void DrawPrint(QPainter& p) {
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 6));
    p.setBrush(QColor(0xB0, 0xB0, 0xB0));
    p.drawRect(QRectF(1.5, 6.5, 13, 6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
}

void DrawShow(QPainter& p) {
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 1.5, 9, 12));
    p.setPen(QPen(QColor(0x60, 0x60, 0xA0), 1));
    for (int y = 4; y <= 10; y += 2)
        p.drawLine(QPointF(4.5, y + 0.5), QPointF(9.5, y + 0.5));
    p.setPen(QPen(kOutline, 1.5));
    p.setBrush(QColor(0xC0, 0xE0, 0xFF, 0xC0));
    p.drawEllipse(QPointF(10.5, 10.5), 3, 3);
    p.drawLine(QPointF(12.6, 12.6), QPointF(15, 15));
}

void DrawContinue(QPainter& p, bool possible) {
    p.setPen(QPen(possible ? QColor(0x10, 0x60, 0x10) : QColor(0x70, 0x70, 0x70), 1));
    p.setBrush(possible ? QColor(0x30, 0xB0, 0x30) : QColor(0xB8, 0xB8, 0xB8));
    p.drawPolygon(
        QPolygonF({{2.5, 5.5}, {8.5, 5.5}, {8.5, 1.5}, {14.5, 8}, {8.5, 14.5}, {8.5, 10.5}, {2.5, 10.5}}));
    if (possible) return;
    p.setPen(QPen(QColor(0xD0, 0x20, 0x20), 2));
    p.drawLine(QPointF(3, 13), QPointF(13, 3));
}

void DrawRestart(QPainter& p) {
    QPainterPath arc;
    arc.arcMoveTo(QRectF(2.5, 2.5, 11, 11), 90);
    arc.arcTo(QRectF(2.5, 2.5, 11, 11), 90, 270);
    p.setPen(QPen(QColor(0x20, 0x50, 0xB0), 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x20, 0x50, 0xB0));
    p.drawPolygon(QPolygonF({{8, 0}, {12.5, 2.5}, {8, 5.5}}));
}

void DrawClose(QPainter& p) {
    p.setPen(QPen(QColor(0x80, 0x10, 0x10), 1));
    p.setBrush(QColor(0xD8, 0x30, 0x30));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
    p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
}

} // namespace

QImage TButtonImages::Draw(TAction action, bool disabledContinue) {
    QImage image(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (action) {
    case TAction::Mail:
        DrawMail(painter);
        break;
    case TAction::Save:
        DrawSave(painter);
        break;
    case TAction::Print:
        DrawPrint(painter);
        break;
    case TAction::Show:
        DrawShow(painter);
        break;
    case TAction::Continue:
        DrawContinue(painter, !disabledContinue);
        break;
    case TAction::Restart:
        DrawRestart(painter);
        break;
    case TAction::Close:
        DrawClose(painter);
        break;
    }
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

const QImage& TButtonImages::Image(TAction action, bool disabledContinue) {
    static std::map<int, QImage> images;
    const int key = static_cast<int>(action) * 2 + (disabledContinue ? 1 : 0);
    auto found = images.find(key);
    if (found == images.end()) found = images.emplace(key, Draw(action, disabledContinue)).first;
    return found->second;
}

QImage TButtonImages::Blend(const QImage& picture, QRgb background) {
    QImage blended(picture.size(), QImage::Format_RGB32);
    const uint32_t b = background & 0xFFFFFF;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            const uint32_t c = static_cast<uint32_t>(qAlpha(p)) + 1;
            const uint32_t redBlue = (((256 - c) * (b & kRedBlue) + c * (p & kRedBlue)) >> 8) & kRedBlue;
            const uint32_t green = (((256 - c) * (b & kGreen) + c * (p & kGreen)) >> 8) & kGreen;
            blended.setPixel(x, y, 0xFF000000 | redBlue | green);
        }
    return blended;
}

QRgb TButtonImages::Mix(QRgb from, QRgb to, int steps) {
    const auto k = static_cast<uint32_t>(steps);
    const uint32_t redBlue = (((8 - k) * (from & kRedBlue) + k * (to & kRedBlue)) >> 3) & kRedBlue;
    const uint32_t green = (((8 - k) * (from & kGreen) + k * (to & kGreen)) >> 3) & kGreen;
    return 0xFF000000 | redBlue | green;
}

} // namespace qv::crash

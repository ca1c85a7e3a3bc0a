#include "skin/generator/TitlePictures.h"

#include "skin/generator/PictureKit.h"

#include <QPainterPath>

#include <array>

namespace qv::skin::generator {

QColor TitleShade(const TLook& look, int y) {
    const int h = look.titleHeight;
    if (y <= 0) return look.titleEdge;
    if (y >= h - 1) return Mix(look.titleBottom, look.titleEdge, 0.35);
    if (!look.glassTitle) return Mix(look.titleTop, look.titleBottom, static_cast<double>(y - 1) / (h - 3));
    const int half = h / 2;
    if (y < half)
        return Mix(Mix(look.titleTop, Qt::white, 0.45), look.titleTop, static_cast<double>(y - 1) / half);
    return Mix(look.titleBottom, Mix(look.titleBottom, look.titleTop, 0.55),
               static_cast<double>(y - half) / (h - 1 - half));
}

QImage TitleSection(const TLook& look, int width, TTitleEnd end) {
    const int h = look.titleHeight;
    const double r = look.corner;
    QImage shade = NewPicture(width, h, Qt::black);
    for (int y = 0; y < h; ++y)
        FillVertical(shade, QRect(0, y, width, 1), TitleShade(look, y), TitleShade(look, y));

    QImage section = NewPicture(width, h, look.keyedCorners ? kKeyColor : look.titleEdge);
    // Only the corner on the section's own end lies inside the picture; the others fall outside.
    QRectF outer(-2 * r - 2, 0, width + 4 * r + 4, h + 2 * r + 2);
    QRectF inner = outer.adjusted(0, 1, 0, 0);
    if (end == TTitleEnd::Left) {
        outer.moveLeft(0);
        inner = outer.adjusted(1, 1, -1, 0);
    } else if (end == TTitleEnd::Right) {
        outer.moveRight(width);
        inner = outer.adjusted(1, 1, -1, 0);
    }
    QPainter painter(&section);
    QPainterPath outerPath;
    outerPath.addRoundedRect(outer, r, r);
    painter.fillPath(outerPath, look.titleEdge);
    QPainterPath innerPath;
    innerPath.addRoundedRect(inner, std::max(0.0, r - 1), std::max(0.0, r - 1));
    painter.setClipPath(innerPath);
    painter.drawImage(0, 0, shade);
    return section;
}

namespace {

void FillPixels(QImage& image, int x, int y, int w, int h, const QColor& color) {
    QPainter painter(&image);
    painter.fillRect(QRect(x, y, w, h), color);
}

void DrawBoxGlyph(QImage& image, int x, int y, int w, int h, const QColor& color) {
    FillPixels(image, x, y, w, 2, color);
    FillPixels(image, x, y, 1, h, color);
    FillPixels(image, x + w - 1, y, 1, h, color);
    FillPixels(image, x, y + h - 1, w, 1, color);
}

} // namespace

void DrawGlyph(QImage& image, QPoint centre, TGlyph glyph, const QColor& color, bool antialias) {
    const int cx = centre.x();
    const int cy = centre.y();
    switch (glyph) {
    case TGlyph::ControlBox:
        for (const int dy : {-3, 0, 3})
            FillPixels(image, cx - 4, cy + dy, 9, 1, color);
        break;
    case TGlyph::Help: {
        static constexpr std::array<const char*, 8> kMark = {".###.", "#...#", "....#", "...#.",
                                                             "..#..", "..#..", ".....", "..#.."};
        for (int row = 0; row < 8; ++row)
            for (int col = 0; col < 5; ++col)
                if (kMark[static_cast<size_t>(row)][col] == '#')
                    FillPixels(image, cx - 2 + col, cy - 4 + row, 1, 1, color);
        break;
    }
    case TGlyph::Maximize:
        DrawBoxGlyph(image, cx - 4, cy - 4, 9, 9, color);
        break;
    case TGlyph::Restore:
        FillPixels(image, cx - 2, cy - 4, 7, 2, color);
        FillPixels(image, cx + 4, cy - 4, 1, 7, color);
        FillPixels(image, cx + 3, cy + 2, 1, 1, color);
        DrawBoxGlyph(image, cx - 4, cy - 2, 7, 7, color);
        break;
    case TGlyph::Minimize:
        FillPixels(image, cx - 4, cy + 2, 9, 2, color);
        break;
    case TGlyph::Close: {
        TPen pen(image, antialias);
        const double w = antialias ? 1.6 : 1.0;
        const double d = antialias ? 3.6 : 4.0;
        pen.Line(cx + 0.5 - d, cy + 0.5 - d, cx + 0.5 + d, cy + 0.5 + d, color, w);
        pen.Line(cx + 0.5 - d, cy + 0.5 + d, cx + 0.5 + d, cy + 0.5 - d, color, w);
        if (!antialias) {
            pen.Line(cx - 3, cy - 4, cx + 4, cy + 3, color, 1.0);
            pen.Line(cx - 3, cy + 4, cx + 4, cy - 3, color, 1.0);
        }
        break;
    }
    }
}

namespace {

enum class TState { Normal, Over, Pressed };

QColor DiscColor(TGlyph glyph) {
    switch (glyph) {
    case TGlyph::Close:
        return QColor(0xEC, 0x5B, 0x52);
    case TGlyph::Minimize:
        return QColor(0xF2, 0xB7, 0x3C);
    case TGlyph::Maximize:
    case TGlyph::Restore:
        return QColor(0x5A, 0xC0, 0x4B);
    default:
        return QColor(0x9A, 0xA0, 0xA8);
    }
}

QImage TitleButton(const TLook& look, TGlyph glyph, TState state) {
    const int s = look.titleButton;
    QImage frame = NewPicture(s, s, kKeyColor);
    if (!look.keyedTitleButtons)
        for (int y = 0; y < s; ++y)
            FillVertical(frame, QRect(0, y, s, 1), TitleShade(look, look.titleButtonTop + y),
                         TitleShade(look, look.titleButtonTop + y));
    const bool smooth = !look.keyedTitleButtons;
    const bool close = glyph == TGlyph::Close;
    const QPoint centre(s / 2, s / 2);
    const QRect box(0, 0, s, s);
    QColor glyphColor = look.glyph;
    switch (look.buttonShape) {
    case TButtonShape::Plain: {
        const QColor base = TitleShade(look, look.titleButtonTop + s / 2);
        if (state == TState::Over) {
            const QColor fill = close ? QColor(0xE0, 0x52, 0x4A) : Mix(base, Qt::white, 0.55);
            DrawBox(frame, box, 3, Mix(fill, look.titleEdge, 0.35), Mix(fill, Qt::white, 0.3), fill, smooth);
        } else if (state == TState::Pressed) {
            const QColor fill = close ? QColor(0xB8, 0x36, 0x2F) : Mix(base, look.titleEdge, 0.3);
            DrawBox(frame, box, 3, Mix(fill, look.titleEdge, 0.5), fill, Mix(fill, Qt::white, 0.15), smooth);
        }
        if (close && state != TState::Normal) glyphColor = Qt::white;
        break;
    }
    case TButtonShape::Boxed: {
        QColor fill = close ? QColor(0xD8, 0x4A, 0x2E) : Mix(look.titleBottom, look.titleTop, 0.4);
        if (state == TState::Over) fill = Mix(fill, Qt::white, 0.25);
        if (state == TState::Pressed) fill = Mix(fill, Qt::black, 0.25);
        DrawGlassBox(frame, box, 3, Qt::white, Mix(fill, Qt::white, 0.2), fill, smooth);
        glyphColor = Qt::white;
        break;
    }
    case TButtonShape::Round: {
        QColor fill =
            look.keyedTitleButtons ? Mix(DiscColor(glyph), look.titleBottom, 0.35) : DiscColor(glyph);
        if (state == TState::Pressed) fill = Mix(fill, Qt::black, 0.25);
        const QRect disc = box.adjusted(1, 1, -1, -1);
        DrawBox(frame, disc, disc.width() / 2, Mix(fill, Qt::black, 0.3), Mix(fill, Qt::white, 0.45), fill,
                smooth);
        glyphColor = look.keyedTitleButtons ? Qt::white : QColor(0x40, 0x20, 0x18);
        if (state == TState::Normal && !look.keyedTitleButtons) return frame;
        break;
    }
    }
    DrawGlyph(frame, centre, glyph, glyphColor, smooth);
    return frame;
}

} // namespace

QImage TitleButtons(const TLook& look) {
    std::vector<QImage> frames;
    for (const TGlyph glyph : {TGlyph::ControlBox, TGlyph::Help, TGlyph::Maximize, TGlyph::Restore,
                               TGlyph::Minimize, TGlyph::Close})
        for (const TState state : {TState::Normal, TState::Over, TState::Pressed})
            frames.push_back(TitleButton(look, glyph, state));
    return Strip(frames);
}

} // namespace qv::skin::generator

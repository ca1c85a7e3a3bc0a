#include "skin/generator/ControlPictures.h"

#include "skin/generator/PictureKit.h"

#include <QPainterPath>

namespace qv::skin::generator {

namespace {

QColor Hovered(const TLook& look, const QColor& color) {
    return Mix(color, look.accent, 0.18);
}

void DrawFace(QImage& frame, const TLook& look, const QRect& box, int radius, const QColor& edge,
              const QColor& top, const QColor& bottom) {
    if (look.glassTitle)
        DrawGlassBox(frame, box, radius, edge, top, bottom, !look.keyedFaces);
    else
        DrawBox(frame, box, radius, edge, top, bottom, !look.keyedFaces);
}

void DrawCheck(QImage& image, const QRect& box, const QColor& color) {
    TPen pen(image, true);
    QPainterPath path;
    const double x = box.left();
    const double y = box.top();
    const double s = box.width();
    path.moveTo(x + s * 0.22, y + s * 0.52);
    path.lineTo(x + s * 0.42, y + s * 0.72);
    path.lineTo(x + s * 0.78, y + s * 0.28);
    QPen stroke(color, s > 12 ? 2.2 : 1.8);
    stroke.setJoinStyle(Qt::MiterJoin);
    pen->setPen(stroke);
    pen->drawPath(path);
}

} // namespace

void DrawArrow(QImage& image, const QRect& box, Qt::ArrowType arrow, const QColor& color) {
    QPainter painter(&image);
    const int size = std::max(2, std::min(box.width(), box.height()) / 4);
    const QPoint c = box.center();
    for (int i = 0; i < size; ++i) {
        const int half = size - 1 - i;
        const int offset = i - size / 2;
        switch (arrow) {
        case Qt::UpArrow:
            painter.fillRect(QRect(c.x() - half, c.y() - offset, 2 * half + 1, 1), color);
            break;
        case Qt::DownArrow:
            painter.fillRect(QRect(c.x() - half, c.y() + offset, 2 * half + 1, 1), color);
            break;
        case Qt::LeftArrow:
            painter.fillRect(QRect(c.x() - offset, c.y() - half, 1, 2 * half + 1), color);
            break;
        default:
            painter.fillRect(QRect(c.x() + offset, c.y() - half, 1, 2 * half + 1), color);
            break;
        }
    }
}

QImage ButtonFaces(const TLook& look, int w, int h) {
    const QColor outside = look.keyedFaces ? kKeyColor : look.surface;
    std::vector<QImage> frames;
    const QRect box(0, 0, w, h);
    QImage normal = NewPicture(w, h, outside);
    DrawFace(normal, look, box, 3, look.faceEdge, look.faceTop, look.faceBottom);
    frames.push_back(normal);
    QImage over = NewPicture(w, h, outside);
    DrawFace(over, look, box, 3, Mix(look.faceEdge, look.accent, 0.6), look.faceTop,
             Hovered(look, look.faceBottom));
    frames.push_back(over);
    QImage pressed = NewPicture(w, h, outside);
    DrawFace(pressed, look, box, 3, Mix(look.faceEdge, look.accent, 0.4),
             Mix(look.faceBottom, look.accent, 0.25), Mix(look.faceTop, look.faceBottom, 0.5));
    frames.push_back(pressed);
    return Strip(frames);
}

QImage CheckBoxes(const TLook& look, int s, bool compact) {
    const QColor disabledEdge = Mix(look.faceEdge, look.surface, 0.6);
    const auto frame = [&](bool checked, bool over, bool enabled) {
        QImage image = NewPicture(s, s, look.surface);
        const QRect box = compact ? QRect(0, 0, s, s) : QRect(1, 1, s - 2, s - 2);
        const QColor edge = !enabled ? disabledEdge : over ? look.accent : look.faceEdge;
        DrawBox(image, box, 2, edge, enabled ? Qt::white : look.surface,
                enabled ? Hovered(look, look.faceBottom) : look.surface);
        if (checked) DrawCheck(image, box.adjusted(1, 1, -1, -1), enabled ? look.accent : disabledEdge);
        return image;
    };
    std::vector<QImage> frames{frame(false, false, true)};
    if (!compact) frames.push_back(frame(false, true, true));
    frames.push_back(frame(true, false, true));
    if (!compact) frames.push_back(frame(true, true, true));
    frames.push_back(frame(false, false, false));
    frames.push_back(frame(true, false, false));
    return Strip(frames);
}

QImage RadioButtons(const TLook& look, int s) {
    const auto frame = [&](bool on, bool over) {
        QImage image = NewPicture(s, s, kKeyColor);
        const QRect disc(1, 1, s - 2, s - 2);
        DrawBox(image, disc, disc.width() / 2, over ? look.accent : look.faceEdge, Qt::white,
                Hovered(look, look.faceBottom), false);
        if (on)
            DrawBox(image, disc.adjusted(4, 4, -4, -4), (disc.width() - 8) / 2, look.accent,
                    Mix(look.accent, Qt::white, 0.3), look.accent, false);
        return image;
    };
    return Strip({frame(false, false), frame(false, true), frame(true, false), frame(true, true)});
}

QImage ProgressEnd(const TLook& look, int h) {
    return NewPicture(1, h, look.faceEdge);
}

QImage ProgressTrack(const TLook& look, int w, int h) {
    QImage image = NewPicture(w, h, look.faceEdge);
    FillVertical(image, QRect(0, 1, w, h - 2), Mix(look.track, look.faceEdge, 0.15), look.track);
    return image;
}

QImage ProgressFill(const TLook& look, int w, int h) {
    QImage image = NewPicture(w, h, look.faceEdge);
    FillVertical(image, QRect(0, 1, w, h / 2 - 1), Mix(look.accent, Qt::white, 0.55),
                 Mix(look.accent, Qt::white, 0.2));
    FillVertical(image, QRect(0, h / 2, w, h - 1 - h / 2), look.accent, Mix(look.accent, Qt::white, 0.3));
    return image;
}

QImage TrackGroove(const TLook& look, int w, int h) {
    QImage image = NewPicture(w, h, look.surface);
    DrawBox(image, QRect(0, 0, w, h), h / 2, look.faceEdge, Mix(look.faceEdge, look.track, 0.6), look.track);
    return image;
}

QImage TrackSlider(const TLook& look, int w, int h, bool sideways) {
    const int along = sideways ? w : h;
    const int across = sideways ? h : w;
    QImage image = NewPicture(across, along, look.surface);
    QPainterPath path;
    const double tip = across / 2.0;
    path.moveTo(0.5, 0.5);
    path.lineTo(across - 0.5, 0.5);
    path.lineTo(across - 0.5, along - tip - 0.5);
    path.lineTo(across / 2.0, along - 0.5);
    path.lineTo(0.5, along - tip - 0.5);
    path.closeSubpath();
    QImage fill = image.copy();
    FillVertical(fill, image.rect(), Qt::white, look.faceBottom);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipPath(path);
        painter.drawImage(0, 0, fill);
        painter.setClipping(false);
        painter.setPen(QPen(look.faceEdge, 1.0));
        painter.drawPath(path);
    }
    return sideways ? image.transformed(QTransform().rotate(-90)) : image;
}

QImage ScrollArrows(const TLook& look, int w, int h, Qt::ArrowType arrow) {
    std::vector<QImage> frames;
    for (int state = 0; state < 3; ++state) {
        QImage image = NewPicture(w, h, look.track);
        const QRect box(0, 0, w, h);
        if (state == 1)
            DrawBox(image, box, 2, Mix(look.faceEdge, look.accent, 0.4), Qt::white,
                    Hovered(look, look.faceBottom));
        if (state == 2)
            DrawBox(image, box, 2, look.faceEdge, Mix(look.faceBottom, look.accent, 0.3),
                    Mix(look.faceBottom, look.accent, 0.15));
        DrawArrow(image, box, arrow,
                  state == 0 ? Mix(look.faceEdge, look.track, 0.1) : Mix(look.faceEdge, Qt::black, 0.3));
        frames.push_back(image);
    }
    return Strip(frames);
}

QImage ScrollThumb(const TLook& look, int w, int h) {
    QImage image = NewPicture(w, h, look.track);
    const QColor fill = Mix(look.faceBottom, look.accent, 0.2);
    const QRect body(2, 0, w - 4, h);
    DrawBox(image, body, std::min(body.width() / 2, h / 3), Mix(look.faceEdge, look.accent, 0.3),
            Mix(fill, Qt::white, 0.5), fill);
    TPen pen(image);
    for (const int dy : {-2, 0, 2})
        pen.Line(body.left() + 3, h / 2 + dy, body.right() - 3, h / 2 + dy, Mix(look.faceEdge, fill, 0.3));
    return image;
}

QImage ScrollThumbParts(const TLook& look, int w, int h) {
    const QImage thumb = ScrollThumb(look, w, 3 * h);
    return Strip({thumb.copy(0, 0, w, h), thumb.copy(0, h, w, h), thumb.copy(0, 2 * h, w, h)});
}

QImage ScrollButtons(const TLook& look, int s) {
    std::vector<QImage> frames;
    for (const Qt::ArrowType arrow : {Qt::LeftArrow, Qt::RightArrow})
        for (const bool pressed : {false, true}) {
            QImage image = NewPicture(s, s, look.surface);
            DrawBox(image, QRect(0, 0, s, s), 2, look.faceEdge, pressed ? look.faceBottom : Qt::white,
                    pressed ? Qt::white : look.faceBottom);
            DrawArrow(image, QRect(0, 0, s, s), arrow, Mix(look.faceEdge, Qt::black, 0.3));
            frames.push_back(image);
        }
    return Strip(frames);
}

QImage Tabs(const TLook& look, int w, int h) {
    const auto tab = [&](bool active) {
        QImage image = NewPicture(w, h, look.surface);
        const QRect box(0, active ? 0 : 2, w, h + 4);
        DrawBox(image, box, 3, look.faceEdge, active ? Qt::white : look.faceBottom,
                active ? look.surface : look.faceBottom);
        if (!active) TPen(image).Line(0, h - 1, w - 1, h - 1, look.faceEdge);
        return image;
    };
    return Strip({tab(true), tab(false)});
}

QImage SideHandle(const TLook& look, int w, int h) {
    QImage image = NewPicture(w, h, look.faceEdge);
    FillVertical(image, QRect(1, 0, w - 2, h), Mix(look.faceTop, look.faceBottom, 0.3), look.faceBottom);
    TPen pen(image);
    for (int y = h / 2 - 8; y <= h / 2 + 8; y += 4) {
        pen.Pixel(w / 2, y, Mix(look.faceEdge, Qt::black, 0.2));
        pen.Pixel(w / 2 + 1, y + 1, Qt::white);
    }
    return image;
}

QImage CaptionBar(const TLook& look, int w, int h) {
    QImage image = NewPicture(w, h, look.faceEdge);
    FillVertical(image, QRect(0, 0, w, h - 1), Mix(look.faceTop, Qt::white, 0.5), look.faceBottom);
    return image;
}

QImage CheckMark(int s, const QColor& mark, const QColor& background) {
    QImage image = NewPicture(s, s, background);
    DrawCheck(image, QRect(1, 1, s - 2, s - 2), mark);
    return image;
}

} // namespace qv::skin::generator

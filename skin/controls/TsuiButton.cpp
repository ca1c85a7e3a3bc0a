#include "skin/controls/TsuiButton.h"

#include "skin/BuiltInStyles.h"
#include "skin/PaintHelpers.h"
#include "skin/StripFrame.h"
#include "skin/ThemeFunctions.h"
#include "skin/controls/NinePartFace.h"

#include <QAction>
#include <QFontMetrics>
#include <QPainter>

namespace qv::skin {

namespace {

constexpr int kFaceFrames = 3;
// The size an action's icon gives a glyph, as image lists hold them.
constexpr QSize kActionGlyphSize{16, 16};
constexpr framework::TColor kDisabledText = framework::clGray;

int FrameOf(TButtonFace face) {
    switch (face) {
    case TButtonFace::MouseOver:
        return 2;
    case TButtonFace::Pressed:
        return 3;
    case TButtonFace::Normal:
    case TButtonFace::Disabled:
        break;
    }
    return 1;
}

// A glyph twice as wide as high holds its enabled and its disabled image side by side.
bool HoldsTwoImages(const QImage& glyph) {
    return glyph.width() == 2 * glyph.height();
}

// One image drawn the framework's disabled way: its shape in white one pixel down and right,
// then in grey in place.
void DrawDisabledGlyph(QPainter& painter, QPoint at, const QImage& glyph) {
    for (const auto& [offset, color] : {std::pair{QPoint(1, 1), QColor(Qt::white)},
                                        std::pair{QPoint(0, 0), framework::ColorToQColor(kDisabledText)}}) {
        QImage shape = glyph.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < shape.height(); ++y)
            for (int x = 0; x < shape.width(); ++x)
                if (qAlpha(shape.pixel(x, y)) != 0) shape.setPixelColor(x, y, color);
        painter.drawImage(at + offset, shape);
    }
}

} // namespace

TsuiButton::TsuiButton(framework::TComponent* owner, QWidget* parent)
    : TsuiCustomButton(owner, parent), binding_(*this, [this] { ApplyStyle(); }) {
    resize(kDefaultSize);
    binding_.SetUIStyle(GetFormStyle(owner));
}

void TsuiButton::SetAction(QAction* action) {
    disconnect(actionChanges_);
    action_ = action;
    if (!action) return;
    actionChanges_ = connect(action, &QAction::changed, this, [this] { ActionChanged(); });
    ActionChanged();
}

void TsuiButton::ActionChanged() {
    SetCaption(action_->text());
    if (glyph_.isNull() && !action_->icon().isNull())
        SetGlyph(action_->icon().pixmap(kActionGlyphSize).toImage());
    setEnabled(action_->isEnabled());
}

void TsuiButton::Click() {
    const QPointer<QAction> action = action_;
    const bool ownHandler = static_cast<bool>(OnClick);
    TsuiCustomButton::Click();
    if (action && !ownHandler) action->trigger();
}

void TsuiButton::SetUIStyle(TsuiUIStyle style) {
    binding_.SetUIStyle(style);
}

void TsuiButton::SetFileTheme(TsuiFileTheme* theme) {
    binding_.SetFileTheme(theme);
}

void TsuiButton::Notification(framework::TComponent* component, framework::TOperation operation) {
    TsuiCustomButton::Notification(component, operation);
    binding_.Notification(component, operation);
}

void TsuiButton::ApplyStyle() {
    faceStrip_ = QImage();
    if (binding_.UsingTheme()) {
        const TsuiFileTheme& theme = *binding_.FileTheme();
        if (const QImage* strip = theme.GetBitmap(SKIN2_BUTTON)) faceStrip_ = *strip;
        SetTransparent(theme.GetBool(SKIN2_BUTTONTRANS));
        SetFontColor(theme.GetColor(SKIN2_BUTTONFONTCOLOR));
    } else {
        const TsuiUIStyle style = binding_.EffectiveStyle();
        GetStyleBitmap(style, TStyleRow::ButtonFaces, faceStrip_);
        SetTransparent(GetStyleBool(style, TStyleRow::ButtonTransparent));
        SetFontColor(framework::clBlack);
    }
    update();
}

void TsuiButton::SetGlyph(const QImage& glyph) {
    glyph_ = glyph;
    update();
}

void TsuiButton::SetLayout(TButtonLayout layout) {
    layout_ = layout;
    update();
}

void TsuiButton::SetSpacing(int spacing) {
    spacing_ = spacing;
    update();
}

QImage TsuiButton::Face(TButtonFace face) const {
    QImage frame;
    CopyStripFrame(faceStrip_, FrameOf(face), kFaceFrames, frame);
    return frame;
}

QSize TsuiButton::FaceStripSize() const {
    return faceStrip_.isNull() ? TsuiCustomButton::FaceStripSize() : faceStrip_.size();
}

void TsuiButton::DrawFace(QPainter& painter, const QImage& face) {
    DrawNinePartFace(painter, rect(), face, Transparent());
    if (glyph_.isNull()) return;
    const bool twoImages = HoldsTwoImages(glyph_);
    QPoint at = GlyphPlacement().glyph;
    if (Pressed()) at += QPoint(1, 1);
    const int side = glyph_.height();
    QImage image = twoImages ? glyph_.copy(isEnabled() ? 0 : side, 0, side, side) : glyph_;
    image = KeyedTransparent(image, framework::QColorToColor(image.pixelColor(0, 0)));
    if (!isEnabled() && !twoImages)
        DrawDisabledGlyph(painter, at, image);
    else
        painter.drawImage(at, image);
}

void TsuiButton::DrawCaption(QPainter& painter) {
    if (glyph_.isNull()) return TsuiCustomButton::DrawCaption(painter);
    const QPoint at = GlyphPlacement().caption;
    DrawCaptionText(painter, QRect(at, QPoint(width() - 1, height() - 1)),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine);
}

TGlyphPlacement TsuiButton::GlyphPlacement() const {
    const QSize glyph = HoldsTwoImages(glyph_) ? QSize(glyph_.height(), glyph_.height()) : glyph_.size();
    const QSize text = fontMetrics().size(Qt::TextSingleLine | Qt::TextShowMnemonic, Caption());
    return PlaceGlyph(layout_, size(), glyph, text, spacing_);
}

void TsuiButton::DrawFocus(QPainter& painter) {
    const TsuiUIStyle style = binding_.EffectiveStyle();
    if (style == TsuiUIStyle::MacOS || style == TsuiUIStyle::BlueGlass) {
        boldCaption_ = true;
        return;
    }
    TsuiCustomButton::DrawFocus(painter);
}

} // namespace qv::skin

#include "skin/controls/TsuiPanel.h"

#include "framework/Exception.h"
#include "framework/gui/AccessibleControls.h"
#include "skin/BuiltInStyles.h"
#include "skin/PaintHelpers.h"
#include "skin/SkinResources.h"
#include "skin/StripFrame.h"
#include "skin/ThemeFunctions.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace qv::skin {

namespace {

constexpr int kInset = 3;
constexpr int kCaptionLeft = 10;
// The caption bar's height when its picture is missing.
constexpr int kMissingBarHeight = 20;
// The caption bar's button: four frames (expanded, expanded under the mouse, collapsed,
// collapsed under the mouse), placed this far from the bar's right end.
constexpr int kButtonFrames = 4;
constexpr int kButtonRightGap = 4;

const QImage& ButtonPicture() {
    static const QImage picture =
        KeyedTransparent(StyleResource("PANEL_BUTTON"), framework::clTransparencyKey);
    return picture;
}

// A group named by the caption, which a screen reader can tell folded or unfolded when the
// panel shows its fold button.
framework::TAccessibleTraits GroupTraits() {
    framework::TAccessibleTraits group;
    group.role = QAccessible::Grouping;
    group.name = [](const QWidget& w) { return static_cast<const TsuiPanel&>(w).Caption(); };
    group.state = [](const QWidget& w, QAccessible::State& state) {
        const auto& panel = static_cast<const TsuiPanel&>(w);
        state.expandable = panel.ButtonShown();
        state.expanded = panel.ButtonShown() && panel.Expanded();
        state.collapsed = panel.ButtonShown() && !panel.Expanded();
    };
    return group;
}

bool FixedBySide(framework::TAlign align) {
    return align == framework::TAlign::alClient || align == framework::TAlign::alLeft ||
           align == framework::TAlign::alRight;
}

} // namespace

TsuiPanel::TsuiPanel(framework::TComponent* owner, QWidget* parent)
    : QWidget(parent), framework::TComponent(owner), binding_(*this, [this] { ApplyStyle(); }) {
    framework::RegisterAccessible(staticMetaObject, GroupTraits);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    resize(kDefaultSize);
    binding_.SetUIStyle(GetFormStyle(owner));
}

void TsuiPanel::SetUIStyle(TsuiUIStyle style) {
    binding_.SetUIStyle(style);
}

void TsuiPanel::SetFileTheme(TsuiFileTheme* theme) {
    binding_.SetFileTheme(theme);
}

void TsuiPanel::Notification(framework::TComponent* component, framework::TOperation operation) {
    framework::TComponent::Notification(component, operation);
    const bool themeRemoved =
        operation == framework::TOperation::opRemove && component == binding_.FileTheme();
    binding_.Notification(component, operation);
    if (themeRemoved) ApplyThemeToChildren(this, TsuiUIStyle::DeepBlue, nullptr);
}

void TsuiPanel::ApplyStyle() {
    SetColor(framework::clWhite);
    captionBar_ = QImage();
    if (binding_.UsingTheme()) {
        const TsuiFileTheme& theme = *binding_.FileTheme();
        if (const QImage* bar = theme.GetBitmap(SKIN2_SIDECHANNELTITLE))
            captionBar_ = *bar;
        else
            GetStyleBitmap(TsuiUIStyle::DeepBlue, TStyleRow::SideChannelBar, captionBar_);
        borderColor_ = theme.GetColor(SKIN2_CONTROLBORDERCOLOR);
        captionFontColor_ = theme.GetColor(SKIN2_CONTROLFONTCOLOR);
    } else {
        const TsuiUIStyle style = binding_.EffectiveStyle();
        GetStyleBitmap(style, TStyleRow::SideChannelBar, captionBar_);
        borderColor_ = GetStyleColor(style, TStyleRow::ControlBorderColor);
        captionFontColor_ = style == TsuiUIStyle::MacOS
                                ? framework::clBlack
                                : GetStyleColor(style, TStyleRow::MenuSelectedFontColor);
    }
    // The caption bar's height moves the children.
    framework::AlignControls(*this, ChildArea());
    update();
}

void TsuiPanel::SetCaption(const QString& caption) {
    caption_ = caption;
    setAccessibleName(caption);
    update();
}

void TsuiPanel::SetColor(framework::TColor color) {
    color_ = color;
    QPalette colors = palette();
    colors.setColor(QPalette::Window, framework::ColorToQColor(color_));
    setPalette(colors);
    update();
}

void TsuiPanel::SetBorderColor(framework::TColor color) {
    borderColor_ = color;
    update();
}

void TsuiPanel::SetCaptionFontColor(framework::TColor color) {
    captionFontColor_ = color;
    update();
}

void TsuiPanel::SetShowButton(bool show) {
    showButton_ = show;
    update();
}

void TsuiPanel::SetAlign(framework::TAlign align) {
    framework::SetAlign(*this, align);
    update();
}

void TsuiPanel::SetHeight(int height) {
    expandedHeight_ = height;
    if (expanded_) resize(width(), height);
}

int TsuiPanel::CaptionBarHeight() const {
    return captionBar_.height();
}

QRect TsuiPanel::ChildArea() const {
    return QRect(kInset, CaptionBarHeight() + kInset, width() - 2 * kInset,
                 height() - CaptionBarHeight() - 2 * kInset);
}

bool TsuiPanel::ButtonShown() const {
    return showButton_ && !FixedBySide(Align());
}

QRect TsuiPanel::ButtonRect() const {
    const QSize frame =
        StripFrameRect(ButtonPicture().width(), ButtonPicture().height(), 1, kButtonFrames).size();
    return QRect(width() - 1 - frame.width() - kButtonRightGap, (CaptionBarHeight() - frame.height()) / 2,
                 frame.width(), frame.height());
}

void TsuiPanel::Push() {
    if (FixedBySide(Align()))
        throw framework::Exception("Can't push when Align is alClient, alLeft or alRight.");
    const int target = CaptionBarHeight() != 0 ? CaptionBarHeight() : kMissingBarHeight;
    animating_ = true;
    while (target < height() - kAnimationStep)
        AnimateTo(height() - kAnimationStep);
    AnimateTo(target);
    animating_ = false;
    expanded_ = false;
    update();
    framework::CallEvent(OnPush, this);
}

void TsuiPanel::Pop() {
    animating_ = true;
    while (height() + kAnimationStep < expandedHeight_)
        AnimateTo(height() + kAnimationStep);
    AnimateTo(expandedHeight_);
    animating_ = false;
    expanded_ = true;
    update();
    framework::CallEvent(OnPop, this);
}

void TsuiPanel::AnimateTo(int height) {
    resize(width(), height);
    framework::RealignParent(*this);
    repaint();
    QCoreApplication::processEvents();
}

void TsuiPanel::resizeEvent(QResizeEvent*) {
    if (!animating_ && expanded_) expandedHeight_ = height();
    framework::AlignControls(*this, ChildArea());
}

bool TsuiPanel::event(QEvent* event) {
    if (event->type() == QEvent::LayoutRequest) framework::AlignControls(*this, ChildArea());
    return QWidget::event(event);
}

void TsuiPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), framework::ColorToQColor(color_));
    FrameRect(painter, QRect(0, 0, width(), expandedHeight_), borderColor_);
    const int bar = CaptionBarHeight();
    if (!captionBar_.isNull()) painter.drawImage(QRect(1, 0, width() - 2, bar), captionBar_);
    const bool button = ButtonShown();
    painter.setPen(framework::ColorToQColor(captionFontColor_));
    painter.setFont(font());
    const QRect captionArea = layoutDirection() == Qt::RightToLeft
                                  ? QRect(0, 0, width() - kCaptionLeft - (button ? 20 : 10), bar)
                                  : QRect(kCaptionLeft, 0, width() - kCaptionLeft, bar);
    painter.drawText(captionArea,
                     Qt::AlignVCenter | Qt::TextSingleLine | Qt::AlignAbsolute |
                         (layoutDirection() == Qt::RightToLeft ? Qt::AlignRight : Qt::AlignLeft),
                     caption_);
    if (!button) return;
    const QRect hit = ButtonRect();
    const int frame = (expanded_ ? 1 : 3) + (buttonHovered_ ? 1 : 0);
    painter.drawImage(
        QPoint(width() - hit.width() - kButtonRightGap, hit.top() / 2 + 2), ButtonPicture(),
        StripFrameRect(ButtonPicture().width(), ButtonPicture().height(), frame, kButtonFrames));
}

void TsuiPanel::UpdateButtonHover(QPoint position) {
    const bool hovered = ButtonShown() && ButtonRect().contains(position);
    if (hovered == buttonHovered_) return;
    buttonHovered_ = hovered;
    update();
}

void TsuiPanel::mouseMoveEvent(QMouseEvent* event) {
    if (event->position().y() < CaptionBarHeight() || buttonHovered_)
        UpdateButtonHover(event->position().toPoint());
}

void TsuiPanel::leaveEvent(QEvent*) {
    UpdateButtonHover(QPoint(-1, -1));
}

void TsuiPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !buttonHovered_ || animating_) return;
    if (expanded_)
        Push();
    else
        Pop();
}

} // namespace qv::skin

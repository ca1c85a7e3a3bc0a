#include "skin/TsuiTitleBar.h"

#include "framework/gui/Events.h"
#include "framework/gui/Fonts.h"
#include "framework/gui/MessageBox.h"
#include "skin/BuiltInStyles.h"
#include "skin/CaptionText.h"
#include "skin/PaintHelpers.h"
#include "skin/SkinResources.h"
#include "skin/StripFrame.h"
#include "skin/ThemeFunctions.h"
#include "skin/TsuiTitleBarHost.h"
#include "skin/TsuiTitleBarPopupMenu.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include <algorithm>
#include <utility>

namespace qv::skin {

namespace {

constexpr int kTitleButtonFrames = 18;
// Where a control box menu pops up along the bar in right-to-left reading order.
constexpr int kRightToLeftMenuX = 176;

// The first of a button type's three frames (normal, mouse over, pressed) in the strip.
int FirstFrame(TsuiTitleBarBtnType type, bool maximized) {
    switch (type) {
    case TsuiTitleBarBtnType::suiControlBox:
        return 1;
    case TsuiTitleBarBtnType::suiHelp:
        return 4;
    case TsuiTitleBarBtnType::suiMax:
        return maximized ? 10 : 7;
    case TsuiTitleBarBtnType::suiMin:
        return 13;
    case TsuiTitleBarBtnType::suiClose:
        return 16;
    case TsuiTitleBarBtnType::suiCustom:
        break;
    }
    return 0;
}

// The window's icon at 16 by 16 pixels; the program's own icon when neither the window nor the
// application has one.
QImage ApplicationIcon(const QWidget& window) {
    if (!window.windowIcon().isNull()) return window.windowIcon().pixmap(16, 16).toImage();
    static const QImage mainIcon = KeyedTransparent(StyleResource("MAINICON"), framework::clTransparencyKey);
    return mainIcon;
}

TsuiTitleBarSection Section(QImage picture, TsuiTitleBarAlign align, bool autoSize) {
    TsuiTitleBarSection section;
    section.Picture = std::move(picture);
    section.Align = align;
    section.AutoSize = autoSize;
    section.Stretch = align == TsuiTitleBarAlign::suiClient;
    return section;
}

} // namespace

TsuiTitleBar::TsuiTitleBar(framework::TComponent* owner, QWidget* parent)
    : QWidget(parent), framework::TComponent(owner), binding_(*this, [this] { ApplyStyle(); }),
      sections_([this] { ItemsChanged(); }), buttons_([this] { ItemsChanged(); }), mover_(*this) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(framework::PixelFont(QStringLiteral("Tahoma"), 11, true));
    std::vector<TsuiTitleBarButton> buttons;
    for (const auto type : {TsuiTitleBarBtnType::suiControlBox, TsuiTitleBarBtnType::suiClose,
                            TsuiTitleBarBtnType::suiMax, TsuiTitleBarBtnType::suiMin}) {
        TsuiTitleBarButton button;
        button.ButtonType = type;
        buttons.push_back(button);
    }
    buttons_.Assign(std::move(buttons));
    binding_.SetUIStyle(GetFormStyle(owner));
}

TsuiTitleBarPopupMenu& TsuiTitleBar::Menu() {
    if (!menu_) {
        menu_ = new TsuiTitleBarPopupMenu(*this, *this);
        ApplyMenuSkin();
    }
    return *menu_;
}

void TsuiTitleBar::ApplyMenuSkin() {
    menu_->SetSkin(binding_.EffectiveStyle(), binding_.UsingTheme() ? binding_.FileTheme() : nullptr);
}

void TsuiTitleBar::SetUIStyle(TsuiUIStyle style) {
    binding_.SetUIStyle(style);
}

void TsuiTitleBar::SetFileTheme(TsuiFileTheme* theme) {
    fromFileThemeSetter_ = true;
    binding_.SetFileTheme(theme);
    fromFileThemeSetter_ = false;
}

void TsuiTitleBar::SetCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TsuiTitleBar::SetFormActive(bool active) {
    formActive_ = active;
    update();
}

void TsuiTitleBar::SetDrawAppIcon(bool draw) {
    drawAppIcon_ = draw;
    update();
}

void TsuiTitleBar::SetButtonInterval(int interval) {
    buttonInterval_ = interval;
    update();
}

void TsuiTitleBar::SetInactiveCaptionColor(framework::TColor color) {
    inactiveCaptionColor_ = color;
    update();
}

void TsuiTitleBar::SetLeftBtnXOffset(int offset) {
    leftBtnXOffset_ = offset;
    update();
}

void TsuiTitleBar::SetRightBtnXOffset(int offset) {
    rightBtnXOffset_ = offset;
    update();
}

void TsuiTitleBar::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    ApplyAutoSize();
}

void TsuiTitleBar::SetHeight(int height) {
    if (!autoSize_) setFixedHeight(height);
}

void TsuiTitleBar::ApplyAutoSize() {
    if (autoSize_ && !sections_.empty() && !sections_.front().Picture.isNull())
        setFixedHeight(sections_.front().Picture.height() - (Host() ? kFrameTopStrip : 0));
}

void TsuiTitleBar::SetRoundCorner(int size) {
    roundCorner_ = size;
    update();
}

void TsuiTitleBar::SetRoundCornerBottom(int size) {
    roundCornerBottom_ = size;
    update();
}

void TsuiTitleBar::ItemsChanged() {
    ApplyAutoSize();
    update();
    // The frame around the bar is painted from the bar's title picture.
    if (Host()) parentWidget()->update();
}

void TsuiTitleBar::SetSectionAlign(size_t index, TsuiTitleBarAlign align) {
    const TsuiTitleBarSection& section = sections_[index];
    if (align == TsuiTitleBarAlign::suiClient && section.Align != align &&
        std::any_of(sections_.begin(), sections_.end(), [](const TsuiTitleBarSection& other) {
            return other.Align == TsuiTitleBarAlign::suiClient;
        })) {
        framework::ShowMessage(
            QStringLiteral("Sorry, only one section's Align property can be \"suiClient\""));
        return;
    }
    sections_.Update(index, [align](TsuiTitleBarSection& changed) {
        changed.Align = align;
        if (align == TsuiTitleBarAlign::suiClient) changed.Stretch = true;
    });
}

void TsuiTitleBar::SetButtonType(size_t index, TsuiTitleBarBtnType type) {
    if (type == TsuiTitleBarBtnType::suiControlBox && buttons_[index].ButtonType != type &&
        HasButton(TsuiTitleBarBtnType::suiControlBox, false)) {
        framework::ShowMessage(
            QStringLiteral("Sorry, only one button's ButtonType property can be \"suiControlBox\""));
        return;
    }
    buttons_.Update(index, [this, type](TsuiTitleBarButton& button) {
        button.ButtonType = type;
        ApplyButtonPictures(button);
    });
}

void TsuiTitleBar::SetButtonUIStyle(size_t index, TsuiUIStyle style) {
    buttons_.Update(index, [this, style](TsuiTitleBarButton& button) {
        button.UIStyle = style;
        ApplyButtonPictures(button);
    });
}

void TsuiTitleBar::Notification(framework::TComponent* component, framework::TOperation operation) {
    framework::TComponent::Notification(component, operation);
    binding_.Notification(component, operation);
}

const TsuiTitleBarHost* TsuiTitleBar::Host() const {
    return dynamic_cast<const TsuiTitleBarHost*>(parentWidget());
}

int TsuiTitleBar::HostInset() const {
    return Host() ? Host()->TitleBarInset() : 0;
}

void TsuiTitleBar::ApplyStyle() {
    if (Custom) return;
    if (binding_.UsingTheme())
        ApplySkin(*binding_.FileTheme());
    else
        ApplyBuiltInStyle(binding_.EffectiveStyle());
    const TsuiUIStyle buttonStyle =
        binding_.UsingTheme() ? TsuiUIStyle::FromThemeFile : binding_.EffectiveStyle();
    buttons_.UpdateAll([this, buttonStyle](TsuiTitleBarButton& button) {
        button.UIStyle = buttonStyle;
        ApplyButtonPictures(button);
    });
    if (menu_) ApplyMenuSkin();
    if (!fromFileThemeSetter_) {
        if (binding_.UsingTheme())
            fontColor_ = binding_.FileTheme()->GetColor(SKIN2_TITLEFONTCOLOR);
        else
            fontColor_ =
                binding_.EffectiveStyle() == TsuiUIStyle::MacOS ? framework::clBlack : framework::clWhite;
    }
    SetAutoSize(true);
    if (window() != this) window()->setMinimumSize(minimumHostSize_);
    update();
}

void TsuiTitleBar::ApplySkin(const TsuiFileTheme& theme) {
    const auto picture = [&theme](TSkin2Bitmap index) {
        const QImage* bitmap = theme.GetBitmap(index);
        return bitmap ? *bitmap : QImage();
    };
    const bool fiveSections = theme.GetBool(SKIN2_TITLEFIVESECT);
    transColor_ = theme.GetColor(SKIN2_TRANSCOLOR);
    std::vector<TsuiTitleBarSection> sections{
        Section(picture(SKIN2_TITLEBAR1), TsuiTitleBarAlign::suiLeft, true)};
    if (fiveSections) {
        TsuiTitleBarSection caption = Section(picture(SKIN2_TITLEBAR2), TsuiTitleBarAlign::suiLeft, false);
        caption.CapSec = true;
        sections.push_back(caption);
        sections.push_back(Section(picture(SKIN2_TITLEBAR3), TsuiTitleBarAlign::suiLeft, true));
        sections.push_back(Section(picture(SKIN2_TITLEBAR4), TsuiTitleBarAlign::suiClient, false));
        sections.push_back(Section(picture(SKIN2_TITLEBAR5), TsuiTitleBarAlign::suiRight, true));
    } else {
        sections.push_back(Section(picture(SKIN2_TITLEBAR2), TsuiTitleBarAlign::suiClient, false));
        sections.push_back(Section(picture(SKIN2_TITLEBAR3), TsuiTitleBarAlign::suiRight, true));
    }
    sections_.Assign(std::move(sections));
    leftBtnXOffset_ = theme.GetInt(SKIN2_TITLEBARICONPOSX);
    rightBtnXOffset_ = theme.GetInt(SKIN2_TITLEBARBUTTONPOSX);
    buttonTop_ = theme.GetInt(SKIN2_TITLEBARBUTTONPOSY);
    iconTop_ = theme.GetInt(SKIN2_TITLEBARICONPOSY);
    captionTop_ = theme.GetInt(SKIN2_TITLEBARCAPTIONTOP);
    formColor_ = theme.GetColor(SKIN2_FORMCOLOR);
    if (Host()) {
        buttonTop_ -= kFrameTopStrip;
        iconTop_ -= kFrameTopStrip;
    }
    const int buttonsWidth =
        picture(SKIN2_TITLEBUTTONS).width() / kTitleButtonFrames * static_cast<int>(buttons_.size()) +
        rightBtnXOffset_;
    const int left = picture(SKIN2_TITLEBAR1).width();
    const int right = picture(SKIN2_TITLEBAR3).width();
    const int minimumWidth =
        fiveSections ? left + right + std::max(picture(SKIN2_TITLEBAR5).width(), buttonsWidth) + 16
                     : left + std::max(right, buttonsWidth);
    minimumHostSize_ = QSize(minimumWidth, 0);
}

void TsuiTitleBar::ApplyBuiltInStyle(TsuiUIStyle style) {
    const auto picture = [style](TStyleRow row) {
        QImage bitmap;
        GetStyleBitmap(style, row, bitmap);
        return bitmap;
    };
    transColor_ = framework::clTransparencyKey;
    sections_.Assign({Section(picture(TStyleRow::TitleLeft), TsuiTitleBarAlign::suiLeft, true),
                      Section(picture(TStyleRow::TitleRight), TsuiTitleBarAlign::suiRight, true),
                      Section(picture(TStyleRow::TitleClient), TsuiTitleBarAlign::suiClient, false)});
    leftBtnXOffset_ = GetStyleInt(style, TStyleRow::TitleLeftOffset);
    rightBtnXOffset_ = GetStyleInt(style, TStyleRow::TitleRightOffset);
    buttonTop_ = GetStyleInt(style, TStyleRow::TitleButtonTop) - (Host() ? kFrameTopStrip : 0);
    iconTop_ = buttonTop_;
    formColor_ = GetStyleColor(style, TStyleRow::FormColor);
    roundCorner_ = GetStyleInt(style, TStyleRow::RoundCorner);
    roundCornerBottom_ = 0;
    minimumHostSize_ = QSize(GetStyleInt(style, TStyleRow::MinimumWidth), 50);
}

void TsuiTitleBar::ApplyButtonPictures(TsuiTitleBarButton& button) const {
    const int first = FirstFrame(button.ButtonType, Maximized());
    if (first == 0) return;
    const TsuiFileTheme* theme = binding_.FileTheme();
    TsuiUIStyle style = TsuiUIStyle::DeepBlue;
    const bool skin = UsingFileTheme(theme, button.UIStyle, style);
    QImage* const pictures[] = {&button.PicNormal, &button.PicMouseOn, &button.PicMouseDown};
    for (int i = 0; i < 3; ++i) {
        if (skin)
            theme->GetBitmap(SKIN2_TITLEBUTTONS, *pictures[i], first + i, kTitleButtonFrames);
        else
            GetStyleBitmap(style, TStyleRow::TitleButtons, *pictures[i], first + i, kTitleButtonFrames);
    }
    if (skin) {
        button.Transparent = theme->GetBool(SKIN2_TITLEBTNTRANS);
        button.Top = theme->GetInt(SKIN2_TITLEBARBUTTONPOSY);
    } else {
        button.Transparent = GetStyleBool(style, TStyleRow::TitleButtonsTransparent);
        button.Top = GetStyleInt(style, TStyleRow::TitleButtonTop);
    }
}

TTitleBarLayout TsuiTitleBar::Layout() const {
    TTitleBarLayoutInput input;
    input.barWidth = width();
    input.hostInset = HostInset();
    input.leftBtnXOffset = leftBtnXOffset_;
    input.rightBtnXOffset = rightBtnXOffset_;
    input.buttonInterval = buttonInterval_;
    input.buttonTop = buttonTop_;
    input.iconTop = iconTop_;
    input.captionTop = captionTop_;
    input.drawAppIcon = drawAppIcon_;
    input.style = binding_.EffectiveStyle();
    for (const TsuiTitleBarButton& button : buttons_)
        input.buttons.push_back(
            {button.ButtonType, button.Visible, button.HasPictures(), button.PicNormal.size()});
    return LayOutTitleBar(input);
}

void TsuiTitleBar::paintEvent(QPaintEvent*) {
    // Composed at the screen's pixel density, so that the caption stays sharp on HiDPI screens.
    const qreal pixelRatio = devicePixelRatioF();
    QImage bar(size() * pixelRatio, QImage::Format_RGB32);
    bar.setDevicePixelRatio(pixelRatio);
    bar.fill(framework::ColorToQColor(formColor_));
    ComposeSections(&bar);
    DrawButtonsIconAndCaption(bar, Layout());
    QPainter(this).drawImage(0, 0, bar);
}

QImage TsuiTitleBar::TitleComposite() const {
    return KeyedOver(titlePicture_, transColor_, formColor_);
}

void TsuiTitleBar::UpdateTitlePicture() {
    // The form asks again at every layout and paint; most of the time nothing has changed.
    if (titleInputs_ == TitleInputs() && !titlePicture_.isNull()) return;
    ComposeSections(nullptr);
}

TsuiTitleBar::TTitleInputs TsuiTitleBar::TitleInputs() const {
    TTitleInputs inputs;
    inputs.size = size();
    inputs.hostInset = Host() ? std::optional<int>(HostInset()) : std::nullopt;
    inputs.formColor = formColor_;
    inputs.transColor = transColor_;
    inputs.caption = caption_;
    inputs.font = font();
    inputs.leftBtnXOffset = leftBtnXOffset_;
    for (const TsuiTitleBarSection& section : sections_)
        inputs.sections.push_back(
            {section.Picture.cacheKey(), section.Align, section.EffectiveWidth(), section.CapSec});
    for (const TsuiTitleBarButton& button : buttons_)
        inputs.buttonWidths.push_back(button.PicNormal.width());
    return inputs;
}

void TsuiTitleBar::ComposeSections(QImage* bar) {
    titleInputs_ = TitleInputs();
    const int inset = HostInset();
    const int dx = Host() ? (inset != 0 ? inset : 3) : 0;
    const int dy = Host() ? kFrameTopStrip : 0;
    titlePicture_ = QImage(width() + 2 * dx, height() + dy, QImage::Format_RGB32);
    titlePicture_.fill(framework::ColorToQColor(formColor_));
    QPainter onBar;
    if (bar) onBar.begin(bar);
    QPainter onTitle(&titlePicture_);
    int x = -dx;
    int right = width() + dx;
    const TsuiTitleBarSection* client = nullptr;
    const std::optional<QString> previousOverride = std::exchange(captionOverride_, std::nullopt);
    int lastLeftWidth = 0;
    for (size_t i = 0; i < sections_.size(); ++i) {
        const TsuiTitleBarSection& section = sections_[i];
        const int w = section.CapSec ? LayOutCaptionSection(i, lastLeftWidth) : section.EffectiveWidth();
        const QImage& picture = section.Picture;
        switch (section.Align) {
        case TsuiTitleBarAlign::suiLeft:
            if (bar) onBar.drawImage(QRect(x, -dy, w, picture.height()), picture);
            onTitle.drawImage(QRect(x + dx, 0, w, picture.height()), picture);
            x += w;
            lastLeftWidth = w;
            break;
        case TsuiTitleBarAlign::suiRight:
            if (bar)
                onBar.drawImage(QRect(right - w, -dy, w, picture.height()),
                                KeyedOver(picture, transColor_, formColor_));
            onTitle.drawImage(QRect(right - w + dx, 0, w, picture.height()), picture);
            right -= w;
            break;
        case TsuiTitleBarAlign::suiClient:
            client = &section;
            break;
        }
    }
    if (client && right > x) {
        const int h = client->Picture.height();
        if (bar) onBar.drawImage(QRect(x, -dy, right - x, h), client->Picture);
        onTitle.drawImage(QRect(x + dx, 0, right - x, h), client->Picture);
    }
    onTitle.end();
    // The caption section changes the title picture from which the form paints its frame.
    if (captionOverride_ != previousOverride && Host()) parentWidget()->update();
}

int TsuiTitleBar::LayOutCaptionSection(size_t index, int lastLeftWidth) {
    const QFontMetrics metrics(font());
    int buttons = 0;
    for (const TsuiTitleBarButton& button : buttons_)
        buttons += button.PicNormal.width() + buttonInterval_;
    const int next = index + 1 < sections_.size() ? sections_[index + 1].EffectiveWidth() : 0;
    const int room = width() - leftBtnXOffset_ - buttons - next - 21;
    captionOverride_ = ShortenCaption(
        caption_, room, [&metrics](const QString& text) { return metrics.horizontalAdvance(text); });
    return std::max(0, metrics.horizontalAdvance(*captionOverride_) + leftBtnXOffset_ - lastLeftWidth + 17);
}

void TsuiTitleBar::DrawButtonsIconAndCaption(QImage& bar, const TTitleBarLayout& layout) {
    QPainter painter(&bar);
    const auto pictureOf = [this](int index) -> const QImage& {
        const TsuiTitleBarButton& button = buttons_[static_cast<size_t>(index)];
        if (index != hovered_) return button.PicNormal;
        return pressed_ ? button.PicMouseDown : button.PicMouseOn;
    };
    const auto drawButton = [&](int index, QPoint at) {
        const TsuiTitleBarButton& button = buttons_[static_cast<size_t>(index)];
        const QImage& picture = pictureOf(index);
        painter.drawImage(at, button.Transparent ? KeyedTransparent(picture, transColor_) : picture);
    };
    for (size_t i = 0; i < layout.buttonRects.size(); ++i)
        if (!layout.buttonRects[i].isEmpty())
            drawButton(static_cast<int>(i), layout.buttonRects[i].topLeft());
    if (layout.controlBox >= 0) {
        if (!drawAppIcon_) {
            drawButton(layout.controlBox, layout.controlBoxPicture);
        } else {
            painter.drawImage(layout.icon, ApplicationIcon(*window()));
        }
    }
    const QFontMetrics metrics(font());
    const QString text =
        FitCaption(captionOverride_ ? *captionOverride_ : caption_, layout.captionRight - layout.caption.x(),
                   [&metrics](const QString& candidate) { return metrics.horizontalAdvance(candidate); });
    painter.setFont(font());
    painter.setPen(framework::ColorToQColor(formActive_ ? fontColor_ : inactiveCaptionColor_));
    QPoint at = layout.caption;
    // Right-to-left captions end a little before the rightmost buttons instead.
    if (layoutDirection() == Qt::RightToLeft)
        at.setX(layout.captionRight - metrics.horizontalAdvance(text) - 10);
    painter.drawText(QRect(at, QSize(std::max(0, layout.captionRight - at.x()), height())),
                     Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignTop | Qt::TextSingleLine, text);
}

int TsuiTitleBar::ButtonAt(QPoint position, const TTitleBarLayout& layout) const {
    for (size_t i = 0; i < layout.buttonRects.size(); ++i)
        if (layout.buttonRects[i].contains(position)) return static_cast<int>(i);
    if (layout.controlBox >= 0 && layout.controlBoxRect.contains(position)) return layout.controlBox;
    return -1;
}

void TsuiTitleBar::UpdateHover(QPoint position) {
    const int hovered = ButtonAt(position, Layout());
    if (hovered == hovered_) return;
    hovered_ = hovered;
    update();
}

void TsuiTitleBar::mouseMoveEvent(QMouseEvent* event) {
    if (mover_.DragTo(event->globalPosition().toPoint())) return;
    UpdateHover(event->position().toPoint());
}

void TsuiTitleBar::leaveEvent(QEvent*) {
    hovered_ = -1;
    update();
}

void TsuiTitleBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressed_ = true;
    hovered_ = ButtonAt(event->position().toPoint(), Layout());
    update();
    if (hovered_ >= 0 || Maximized()) return;
    pressed_ = false;
    mover_.BeginDrag(event->globalPosition().toPoint());
}

void TsuiTitleBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    mover_.EndDrag();
    const int index = ButtonAt(event->position().toPoint(), Layout());
    // The button's action and the events may close or delete the window and this bar with it.
    const QPointer<TsuiTitleBar> alive(this);
    if (pressed_ && index >= 0 && index == hovered_) {
        const TsuiTitleBarButton& button = buttons_[static_cast<size_t>(index)];
        const TsuiTitleBarBtnType type = button.ButtonType;
        if (type == TsuiTitleBarBtnType::suiControlBox && !button.ControlBoxMenu)
            Menu().Popup(mapToGlobal(QPoint(0, height())));
        else
            ButtonAction(index);
        if (alive && type == TsuiTitleBarBtnType::suiCustom)
            framework::CallEvent(OnCustomBtnsClick, *this, index);
        if (alive && type == TsuiTitleBarBtnType::suiHelp) framework::CallEvent(OnHelpBtnClick, *this, index);
    }
    if (!alive) return;
    pressed_ = false;
    update();
}

void TsuiTitleBar::mouseDoubleClickEvent(QMouseEvent* event) {
    const int index = ButtonAt(event->position().toPoint(), Layout());
    if (index < 0) {
        for (size_t i = 0; i < buttons_.size(); ++i)
            if (buttons_[i].Visible && buttons_[i].ButtonType == TsuiTitleBarBtnType::suiMax) {
                ButtonAction(static_cast<int>(i));
                break;
            }
    } else if (buttons_[static_cast<size_t>(index)].ButtonType == TsuiTitleBarBtnType::suiControlBox) {
        window()->close();
    }
}

void TsuiTitleBar::ButtonAction(int index) {
    if (index < 0 || static_cast<size_t>(index) >= buttons_.size() || window() == this) return;
    switch (buttons_[static_cast<size_t>(index)].ButtonType) {
    case TsuiTitleBarBtnType::suiMax:
        ToggleMaximized();
        break;
    case TsuiTitleBarBtnType::suiMin:
        window()->showMinimized();
        break;
    case TsuiTitleBarBtnType::suiClose:
        window()->close();
        break;
    case TsuiTitleBarBtnType::suiControlBox:
        if (QMenu* menu = buttons_[static_cast<size_t>(index)].ControlBoxMenu)
            menu->popup(
                mapToGlobal(QPoint(layoutDirection() == Qt::RightToLeft ? kRightToLeftMenuX : 0, height())));
        break;
    default:
        break;
    }
}

bool TsuiTitleBar::HasVisibleButton(TsuiTitleBarBtnType type) const {
    return HasButton(type, true);
}

bool TsuiTitleBar::HasButton(TsuiTitleBarBtnType type, bool visibleOnly) const {
    return std::any_of(buttons_.begin(), buttons_.end(),
                       [type, visibleOnly](const TsuiTitleBarButton& button) {
                           return (button.Visible || !visibleOnly) && button.ButtonType == type;
                       });
}

void TsuiTitleBar::RunVisibleButtons(TsuiTitleBarBtnType type) {
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i].Visible && buttons_[i].ButtonType == type) ButtonAction(static_cast<int>(i));
}

void TsuiTitleBar::ToggleMaximized() {
    if (Maximized())
        mover_.Restore();
    else
        mover_.Maximize(window()->geometry());
    HostResized();
}

void TsuiTitleBar::Maximize(const QRect& normalGeometry) {
    mover_.Maximize(normalGeometry);
    HostResized();
}

void TsuiTitleBar::HostResized() {
    if (!mover_.WindowResized() || Custom) return;
    buttons_.UpdateAll([this](TsuiTitleBarButton& button) { ApplyButtonPictures(button); });
}

} // namespace qv::skin

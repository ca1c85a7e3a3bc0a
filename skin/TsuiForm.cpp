#include "skin/TsuiForm.h"

#include "framework/gui/Align.h"
#include "framework/gui/Form.h"
#include "framework/gui/MessageBox.h"
#include "skin/BuiltInStyles.h"
#include "skin/PaintHelpers.h"
#include "skin/SkinResources.h"
#include "skin/ThemeFunctions.h"
#include "skin/TsuiTitleBar.h"
#include "skin/TsuiTitleBarPopupMenu.h"
#include "skin/TsuiWindowMover.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <utility>
#include <vector>

namespace qv::skin {

namespace {

// The frame a dialog window has left and below its client area once its caption is gone; the
// frame geometry of the design is computed from it.
constexpr int kSystemFrame = 4;
// The corner size at which a one-pixel built-in border draws its rounded top corners.
constexpr int kArcCorner = 11;

QImage SkinPicture(const TsuiFileTheme& theme, TSkin2Bitmap index) {
    const QImage* picture = theme.GetBitmap(index);
    return picture ? *picture : QImage();
}

// Draws the picture stretched over the target. Clipped to the target alone, the image library
// stretches it in the painting thread; under the window's own clip, which its controls make
// ragged, it would hand the rows to worker threads, whose start a busy machine makes it wait for.
void DrawStretched(QPainter& painter, const QRect& target, const QImage& picture) {
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    painter.drawImage(target, picture);
    painter.restore();
}

// Adds the rows of the picture to the region: whole rows outside the band from minY (0 for -1)
// through maxY (through the last row when minY is not below maxY), and inside the band every run
// of pixels that differ from the key colour.
void AddPictureRows(QRegion& region, const QImage& picture, int top, int minY, int maxY,
                    framework::TColor key) {
    const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
    const int width = pixels.width();
    const int first = minY == -1 ? 0 : minY;
    const int last = minY >= maxY ? pixels.height() - 1 : maxY;
    const QRgb transparent = framework::ColorToQColor(key).rgb() & 0xFFFFFF;
    // Rows whose runs repeat the row above lengthen its rectangles, so that the rectangles are
    // the bands a region keeps and join the region in one piece rather than a row at a time.
    std::vector<QRect> rects;
    std::vector<std::pair<int, int>> runs;
    std::vector<std::pair<int, int>> previousRuns;
    size_t previousFirst = 0;
    for (int y = 0; y < pixels.height(); ++y) {
        runs.clear();
        if (y < first || y > last) {
            runs.emplace_back(0, width);
        } else {
            const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
            int x = 0;
            while (x < width) {
                while (x < width && (line[x] & 0xFFFFFF) == transparent)
                    ++x;
                const int start = x;
                while (x < width && (line[x] & 0xFFFFFF) != transparent)
                    ++x;
                if (x > start) runs.emplace_back(start, x - start);
            }
        }
        if (!runs.empty() && runs == previousRuns) {
            for (size_t i = previousFirst; i < rects.size(); ++i)
                rects[i].setBottom(rects[i].bottom() + 1);
            continue;
        }
        previousFirst = rects.size();
        for (const auto& [x, w] : runs)
            rects.emplace_back(x, top + y, w, 1);
        std::swap(previousRuns, runs);
    }
    QRegion rows;
    rows.setRects(rects.data(), static_cast<int>(rects.size()));
    region += rows;
}

// The corner ellipse of the given diameter, drawn as the corner arcs draw it.
QRect CornerEllipse(int left, int size) {
    return QRect(left, 0, size - 1, size - 1);
}

// How far each of the first rows of a corner of the given size lies inside the window's edge,
// along the corner ellipse, so that the corner arcs are the outermost pixels the window keeps.
std::vector<int> CornerInsets(int size) {
    QImage corner(size, size, QImage::Format_ARGB32);
    corner.fill(Qt::transparent);
    QPainter painter(&corner);
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::black);
    painter.drawEllipse(CornerEllipse(0, size));
    painter.end();
    const int middle = size / 2;
    std::vector<int> insets;
    for (int y = 0; y <= middle; ++y) {
        int x = 0;
        while (x < middle && qAlpha(corner.pixel(x, y)) == 0)
            ++x;
        insets.push_back(x);
    }
    return insets;
}

// The window rectangle with its top corners cut along an ellipse of size `top` and its bottom
// corners along one of size `bottom`; a size below 2 leaves those corners square.
QRegion RoundedRegion(int w, int h, int top, int bottom) {
    const std::vector<int> topInsets = top > 1 ? CornerInsets(std::min(top, h / 2)) : std::vector<int>();
    const std::vector<int> bottomInsets =
        bottom > 1 ? CornerInsets(std::min(bottom, h / 2)) : std::vector<int>();
    const int topRows = static_cast<int>(topInsets.size());
    const int bottomRows = static_cast<int>(bottomInsets.size());
    QRegion region(0, topRows, w, h - topRows - bottomRows);
    for (int y = 0; y < topRows; ++y)
        region += QRect(topInsets[y], y, w - 2 * topInsets[y], 1);
    for (int y = 0; y < bottomRows; ++y)
        region += QRect(bottomInsets[y], h - 1 - y, w - 2 * bottomInsets[y], 1);
    return region;
}

} // namespace

TsuiForm::TsuiForm(framework::TForm* owner)
    : QWidget(owner), framework::TComponent(owner), host_(owner), hostComponent_(owner),
      hostFlags_(owner->windowFlags()), hostTranslucent_(owner->testAttribute(Qt::WA_TranslucentBackground)),
      hostMask_(owner->mask()), hostMinimum_(owner->minimumSize()),
      binding_(*this, [this] { ApplyStyle(); }) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    const bool hostMaximized = host_->windowState().testFlag(Qt::WindowMaximized);
    const QRect hostBounds = host_->normalGeometry();
    titleBar_ = new TsuiTitleBar(owner, this);
    titleBar_->installEventFilter(this);
    titleBar_->SetCaption(host_->windowTitle());
    const QList<TsuiForm*> panels = host_->findChildren<TsuiForm*>(Qt::FindDirectChildrenOnly);
    takenOver_ =
        std::none_of(panels.begin(), panels.end(), [this](TsuiForm* panel) { return panel != this; });
    if (takenOver_) {
        host_->setWindowFlag(Qt::FramelessWindowHint);
        // Where the mask does not cut the window, what lies outside it is left transparent.
        if (CompositorPlacesWindows()) host_->setAttribute(Qt::WA_TranslucentBackground);
        host_->installEventFilter(this);
        // Alt+Space is caught for the whole window, whichever of its controls has the focus.
        if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
        setGeometry(host_->rect());
    } else {
        // The new title bar sized the window to its style; an ordinary panel leaves that alone.
        host_->setMinimumSize(hostMinimum_);
        titleBarHidden_ = true;
        titleBar_->hide();
    }
    binding_.SetUIStyle(TsuiUIStyle::DeepBlue);
    if (takenOver_ && hostMaximized) {
        // A window that comes maximized is handed to the title bar's own maximizing, so that it
        // shows the restore button and the first restore brings back the bounds it was laid out
        // with.
        host_->setWindowState(host_->windowState() & ~Qt::WindowMaximized);
        titleBar_->Maximize(hostBounds);
    }
}

TsuiForm::~TsuiForm() {
    if (!takenOver_ || hostComponent_->Destroying()) return;
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
    host_->removeEventFilter(this);
    const bool shown = host_->isVisible();
    const QRect bounds = host_->geometry();
    host_->setWindowFlags(hostFlags_);
    host_->setAttribute(Qt::WA_TranslucentBackground, hostTranslucent_);
    host_->setMask(hostMask_);
    host_->setMinimumSize(hostMinimum_);
    host_->setGeometry(bounds);
    // New window flags hide the window; it comes back as it was.
    if (shown) host_->show();
}

void TsuiForm::SetUIStyle(TsuiUIStyle style) {
    binding_.SetUIStyle(style);
}

void TsuiForm::SetFileTheme(TsuiFileTheme* theme) {
    if (theme == binding_.FileTheme()) return;
    // A window read with another window's theme was laid out around that window's frame, which
    // is this much smaller than the system frame its own layout assumed.
    if (theme && Loading() && takenOver_ && theme->Owner() != Owner())
        host_->resize(host_->width() + 4, host_->height() + 3);
    binding_.SetFileTheme(theme);
}

void TsuiForm::Notification(framework::TComponent* component, framework::TOperation operation) {
    framework::TComponent::Notification(component, operation);
    binding_.Notification(component, operation);
}

const QString& TsuiForm::Caption() const {
    return titleBar_->Caption();
}

void TsuiForm::SetCaption(const QString& caption) {
    titleBar_->SetCaption(caption);
    host_->setWindowTitle(caption);
}

void TsuiForm::SetFormPanel(QWidget* panel) {
    if (panel == this) {
        framework::ShowMessage(
            QStringLiteral("Sorry, you can't select the Form assign to FormPanel property"));
        return;
    }
    formPanel_ = panel;
    if (!panel) return;
    panel->setParent(this);
    panel->show();
    LayOut();
}

QMargins TsuiForm::Frame() const {
    if (!takenOver_) return QMargins();
    const int bottom = bottom_ != 0        ? std::max(bottom_, kSystemFrame)
                       : borderWidth_ == 3 ? 3
                                           : borderWidth_ + 1;
    if (left_ == 0) return QMargins(3, kFrameTopStrip, 3, bottom);
    return QMargins(std::max(left_, kSystemFrame), kFrameTopStrip, std::max(right_, kSystemFrame), bottom);
}

QRect TsuiForm::ClientRect() const {
    const int titleBar = !titleBarHidden_ ? titleBar_->height() : 0;
    return rect().marginsRemoved(Frame()).adjusted(0, titleBar + (menuBar_ ? menuBarHeight_ : 0), 0, 0);
}

QRect TsuiForm::MenuBarRect() const {
    const QRect inside = rect().marginsRemoved(Frame());
    return QRect(inside.left(), inside.top() + (!titleBarHidden_ ? titleBar_->height() : 0), inside.width(),
                 menuBar_ ? menuBarHeight_ : 0);
}

int TsuiForm::TitleBarInset() const {
    return left_ != 0 ? std::max(left_, kSystemFrame) : kSystemFrame - 1;
}

void TsuiForm::ApplyStyle() {
    const bool skin = binding_.UsingTheme();
    if (skin) {
        const TsuiFileTheme& theme = *binding_.FileTheme();
        color_ = theme.GetColor(SKIN2_FORMCOLOR);
        menuBarColor_ = theme.GetColor(SKIN2_MENUBARSTARTCOLOR);
        menuBarToColor_ = theme.GetColor(SKIN2_MENUBARENDCOLOR);
        left_ = SkinPicture(theme, SKIN2_FORMLEFTBORDER).width();
        right_ = SkinPicture(theme, SKIN2_FORMRIGHTBORDER).width();
        bottom_ = SkinPicture(theme, SKIN2_FORMBOTTOMBORDER1).height();
    } else {
        const TsuiUIStyle style = binding_.EffectiveStyle();
        left_ = right_ = bottom_ = 0;
        borderColor_ = GetStyleColor(style, TStyleRow::FormBorderColor);
        borderWidth_ = GetStyleInt(style, TStyleRow::FormBorderWidth);
        color_ = GetStyleColor(style, TStyleRow::FormColor);
        menuBarColor_ = menuBarToColor_ = color_;
        titleBar_->SetRoundCornerBottom(0);
        titleBar_->SetRoundCorner(GetStyleInt(style, TStyleRow::RoundCorner));
    }
    if (UIStyleAutoUpdateSub) ApplyThemeToChildren(this, binding_.UIStyle(), binding_.FileTheme());
    if (takenOver_) {
        titleBar_->SetFileTheme(binding_.FileTheme());
        titleBar_->SetUIStyle(binding_.UIStyle());
        LayOut();
        host_->setMinimumHeight((menuBar_ ? menuBarHeight_ : 0) + titleBar_->height() + (skin ? bottom_ : 0) +
                                kFrameTopStrip);
    }
    update();
}

void TsuiForm::LayOut() {
    const QMargins frame = Frame();
    titleBar_->setGeometry(frame.left(), frame.top(), width() - frame.left() - frame.right(),
                           titleBar_->height());
    if (menuBar_) menuBar_->setGeometry(MenuBarRect());
    if (formPanel_) formPanel_->setGeometry(ClientRect());
    framework::AlignControls(*this, ClientRect());
    ShapeChanged();
}

void TsuiForm::ShapeChanged() {
    // A hidden window's shape shows nowhere; it is built when the window shows, once, however
    // often its style and size change before that.
    if (host_->isVisible())
        BuildRegion();
    else
        regionPending_ = true;
}

const QRegion& TsuiForm::WindowRegion() {
    if (regionPending_) BuildRegion();
    return region_;
}

void TsuiForm::SetTitleBarVisible(bool visible) {
    if (!takenOver_) return;
    titleBarHidden_ = !visible;
    titleBar_->setVisible(visible);
    LayOut();
    update();
}

bool TsuiForm::eventFilter(QObject* watched, QEvent* event) {
    // A title bar of another height moves what lies below it.
    if (watched == titleBar_ && event->type() == QEvent::Resize &&
        static_cast<QResizeEvent*>(event)->oldSize().height() != titleBar_->height()) {
        LayOut();
        return false;
    }
    const auto* target = qobject_cast<const QWidget*>(watched);
    if (!target || target->window() != host_) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        if (watched == host_) {
            setGeometry(host_->rect());
            titleBar_->HostResized();
        }
        break;
    case QEvent::Show:
        // Shown before the window reaches the screen, so that it appears in its shape.
        if (watched == host_ && regionPending_) BuildRegion();
        break;
    case QEvent::ActivationChange:
        if (watched == host_) {
            titleBar_->SetFormActive(host_->isActiveWindow());
            update();
        }
        break;
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        // Alt+Space opens the title bar's window menu in place of the system menu.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::AltModifier) {
            if (event->type() == QEvent::KeyPress)
                titleBar_->Menu().Popup(host_->mapToGlobal(QPoint(0, titleBar_->height())));
            event->accept();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TsuiForm::resizeEvent(QResizeEvent*) {
    LayOut();
}

bool TsuiForm::event(QEvent* event) {
    if (event->type() == QEvent::LayoutRequest) framework::AlignControls(*this, ClientRect());
    return QWidget::event(event);
}

void TsuiForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (takenOver_ && host_->testAttribute(Qt::WA_TranslucentBackground))
        painter.setClipRegion(WindowRegion());
    const TsuiUIStyle style = binding_.EffectiveStyle();
    if (style == TsuiUIStyle::MacOS || style == TsuiUIStyle::Protein)
        painter.fillRect(rect(),
                         QBrush(StyleResource(style == TsuiUIStyle::MacOS ? "MACOS_FORM_BACKGROUND"
                                                                          : "PROTEIN_FORM_BACKGROUND")));
    else
        painter.fillRect(rect(), framework::ColorToQColor(color_));
    // The menu bar draws its items over this.
    if (menuBar_) DrawGradient(painter, MenuBarRect(), menuBarColor_, menuBarToColor_, Qt::Horizontal);
    // A minimized window shows no frame; an ordinary panel never had one.
    if (!takenOver_ || host_->isMinimized()) return;
    titleBar_->UpdateTitlePicture();
    if (binding_.UsingTheme())
        PaintSkinBorder(painter);
    else
        PaintBuiltInBorder(painter);
}

void TsuiForm::PaintSkinBorder(QPainter& painter) const {
    const TsuiFileTheme& theme = *binding_.FileTheme();
    const QColor formColor = framework::ColorToQColor(color_);
    const int w = width();
    const int h = height();
    const int top = !titleBarHidden_ ? titleBar_->height() + kFrameTopStrip : 0;
    const QImage& title = titleBar_->TitlePicture();
    if (!titleBarHidden_ && !title.isNull()) {
        const int leftColumns = std::max(left_, kSystemFrame);
        const int rightColumns = std::max(right_, kSystemFrame);
        painter.drawImage(QPoint(0, 0), title, QRect(0, 0, leftColumns, title.height()));
        painter.drawImage(QPoint(0, 0), title, QRect(0, 0, title.width(), kFrameTopStrip));
        painter.drawImage(QPoint(w - rightColumns, 0), title,
                          QRect(title.width() - rightColumns, 0, rightColumns, title.height()));
    }
    const int sideHeight = h - bottom_ - top;
    DrawStretched(painter, QRect(0, top, left_, sideHeight), SkinPicture(theme, SKIN2_FORMLEFTBORDER));
    if (left_ < kSystemFrame)
        painter.fillRect(QRect(left_, top, kSystemFrame - left_, sideHeight), formColor);
    DrawStretched(painter, QRect(w - right_, top, right_, sideHeight),
                  SkinPicture(theme, SKIN2_FORMRIGHTBORDER));
    if (right_ < kSystemFrame)
        painter.fillRect(QRect(w - kSystemFrame, top, kSystemFrame - right_, sideHeight), formColor);

    const QImage bottom = BottomBorderPicture();
    painter.drawImage(QPoint(0, h - bottom_),
                      theme.GetBool(SKIN2_BOTTOMBORDERNEEDREGION)
                          ? KeyedOver(bottom, theme.GetColor(SKIN2_TRANSCOLOR), color_)
                          : bottom);
    if (bottom_ < kSystemFrame)
        painter.fillRect(QRect(left_, h - kSystemFrame, w - right_ - left_, kSystemFrame - bottom_),
                         formColor);
}

QImage TsuiForm::BottomBorderPicture() const {
    const TsuiFileTheme& theme = *binding_.FileTheme();
    const int w = width();
    QImage picture(w, bottom_, QImage::Format_RGB32);
    picture.fill(framework::ColorToQColor(color_));
    QPainter painter(&picture);
    if (theme.GetBool(SKIN2_BOTTOMBORDERTHREESECT)) {
        const QImage first = SkinPicture(theme, SKIN2_FORMBOTTOMBORDER1);
        const QImage last = SkinPicture(theme, SKIN2_FORMBOTTOMBORDER3);
        painter.drawImage(QRect(first.width(), 0, w - first.width() - last.width(), bottom_),
                          SkinPicture(theme, SKIN2_FORMBOTTOMBORDER2));
        painter.drawImage(QPoint(0, 0), first);
        painter.drawImage(QPoint(w - last.width(), 0), last);
    } else {
        DrawThreePart(painter, picture.rect(), SkinPicture(theme, SKIN2_FORMBOTTOMBORDER1));
    }
    return picture;
}

void TsuiForm::PaintBuiltInBorder(QPainter& painter) const {
    const int w = width();
    const int h = height();
    const int bw = borderWidth_;
    const QColor border = framework::ColorToQColor(borderColor_);
    const QColor color = framework::ColorToQColor(color_);
    const int top = !titleBarHidden_ ? titleBar_->height() + kFrameTopStrip : 0;
    const TsuiCollection<TsuiTitleBarSection>& sections = titleBar_->Sections();
    const QImage& title = titleBar_->TitlePicture();
    if (!titleBarHidden_ && sections.size() >= 2 && !title.isNull()) {
        const QImage& left = sections[0].Picture;
        const QImage& right = sections[1].Picture;
        const int strip = 3 - bw;
        if (strip > 0) {
            painter.drawImage(QRect(bw, 0, strip, left.height()), left, QRect(0, 0, strip, left.height()));
            const QRect source =
                right.width() <= 2 ? right.rect() : QRect(right.width() - 2, 0, 2, right.height());
            painter.drawImage(QRect(w - 3, 0, strip, right.height()), right, source);
        }
        painter.drawImage(QPoint(2, 0), title, QRect(2, 0, w - 5, kFrameTopStrip));
        if (bw == 1 && RoundCorner() == kArcCorner) {
            // The region rounds these corners; the arcs give the cut edge the border's colour.
            painter.setPen(QPen(border, 0));
            painter.drawArc(CornerEllipse(0, kArcCorner), 90 * 16, 90 * 16);
            painter.drawArc(CornerEllipse(w - kArcCorner, kArcCorner), 0, 90 * 16);
        }
    } else if (titleBarHidden_) {
        painter.fillRect(QRect(0, 0, w, 1), border);
        painter.fillRect(QRect(bw, 1, w - 2 * bw, 2), color);
    }
    painter.fillRect(QRect(0, 0, bw, h), border);
    painter.fillRect(QRect(w - bw, 0, bw, h), border);
    painter.fillRect(QRect(0, h - bw, w, bw), border);
    if (bw < 4) {
        painter.fillRect(QRect(bw, h - 2, w - 2 * bw, 2 - bw), color);
        painter.fillRect(QRect(bw, top, 3 - bw, h - bw - top), color);
        painter.fillRect(QRect(w - 3, top, 3 - bw, h - bw - top), color);
    }
}

void TsuiForm::BuildRegion() {
    regionPending_ = false;
    if (!takenOver_) return;
    const int w = width();
    const int h = height();
    region_ = QRegion(0, 0, w, h);
    if (binding_.UsingTheme()) {
        const TsuiFileTheme& theme = *binding_.FileTheme();
        const bool titleShape = theme.GetBool(SKIN2_TITLEBARNEEDREGION);
        const bool bottomShape = theme.GetBool(SKIN2_BOTTOMBORDERNEEDREGION);
        if (titleShape || bottomShape) {
            const framework::TColor key = theme.GetColor(SKIN2_TRANSCOLOR);
            region_ = QRegion();
            int titleHeight = 0;
            if (titleShape) {
                titleBar_->UpdateTitlePicture();
                const QImage& title = titleBar_->TitlePicture();
                AddPictureRows(region_, title, 0, theme.GetInt(SKIN2_TITLEBARREGIONMINY),
                               theme.GetInt(SKIN2_TITLEBARREGIONMAXY), key);
                titleHeight = title.height();
            }
            const QImage bottom = bottomShape ? BottomBorderPicture() : QImage();
            region_ += QRect(0, titleHeight, w, h - bottom.height() - titleHeight);
            if (bottomShape)
                AddPictureRows(region_, bottom, h - bottom.height(), theme.GetInt(SKIN2_BOTTOMREGIONMINY),
                               theme.GetInt(SKIN2_BOTTOMREGIONMAXY), key);
        }
    } else {
        region_ = RoundedRegion(w, h, RoundCorner(), RoundCornerBottom());
    }
    host_->setMask(region_);
}

void TsuiForm::SetColor(framework::TColor color) {
    color_ = color;
    update();
}

void TsuiForm::SetBorderColor(framework::TColor color) {
    borderColor_ = color;
    update();
}

void TsuiForm::SetBorderWidth(int width) {
    borderWidth_ = width;
    // The frame's bottom follows the width in built-in styles.
    LayOut();
    update();
}

int TsuiForm::RoundCorner() const {
    return titleBar_->RoundCorner();
}

void TsuiForm::SetRoundCorner(int size) {
    titleBar_->SetRoundCorner(size);
    ShapeChanged();
    update();
}

int TsuiForm::RoundCornerBottom() const {
    return titleBar_->RoundCornerBottom();
}

void TsuiForm::SetRoundCornerBottom(int size) {
    titleBar_->SetRoundCornerBottom(size == -1 ? 0 : size);
    ShapeChanged();
}

void TsuiForm::SetMenu(QMenu* menu) {
    menu_ = menu;
    if (!takenOver_) return;
    delete std::exchange(menuBar_, nullptr);
    if (menu) {
        menuBar_ = new QMenuBar(this);
        // Transparent, so that the panel's gradient shows behind the items.
        QPalette colors = menuBar_->palette();
        colors.setColor(QPalette::Window, Qt::transparent);
        menuBar_->setPalette(colors);
        menuBar_->addActions(menu->actions());
        menuBar_->show();
    }
    LayOut();
    update();
}

void TsuiForm::SetMenuBarColor(framework::TColor color) {
    menuBarColor_ = color;
    update();
}

void TsuiForm::SetMenuBarToColor(framework::TColor color) {
    menuBarToColor_ = color;
    update();
}

void TsuiForm::SetMenuBarHeight(int height) {
    menuBarHeight_ = height;
    LayOut();
    update();
}

bool TsuiForm::TitleBarCustom() const {
    return titleBar_->Custom;
}

void TsuiForm::SetTitleBarCustom(bool custom) {
    titleBar_->Custom = custom;
}

TsuiCollection<TsuiTitleBarButton>& TsuiForm::TitleBarButtons() {
    return titleBar_->Buttons();
}

TsuiCollection<TsuiTitleBarSection>& TsuiForm::TitleBarSections() {
    return titleBar_->Sections();
}

bool TsuiForm::TitleBarDrawAppIcon() const {
    return titleBar_->DrawAppIcon();
}

void TsuiForm::SetTitleBarDrawAppIcon(bool draw) {
    titleBar_->SetDrawAppIcon(draw);
}

QFont TsuiForm::Font() const {
    return titleBar_->font();
}

void TsuiForm::SetFont(const QFont& font) {
    titleBar_->setFont(font);
    // The frame is painted from the bar's title picture, whose caption section follows the font.
    update();
}

framework::TColor TsuiForm::InactiveCaptionColor() const {
    return titleBar_->InactiveCaptionColor();
}

void TsuiForm::SetInactiveCaptionColor(framework::TColor color) {
    titleBar_->SetInactiveCaptionColor(color);
}

void TsuiForm::SetOnTitleBarCustomBtnsClick(TitleBarButtonEvent handler) {
    titleBar_->OnCustomBtnsClick = std::move(handler);
}

void TsuiForm::SetOnTitleBarHelpBtnClick(TitleBarButtonEvent handler) {
    titleBar_->OnHelpBtnClick = std::move(handler);
}

} // namespace qv::skin

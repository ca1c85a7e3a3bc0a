#pragma once

#include "framework/Component.h"
#include "framework/gui/TColor.h"
#include "skin/TitleBarLayout.h"
#include "skin/TsuiCollection.h"
#include "skin/TsuiFileTheme.h"
#include "skin/TsuiThemeBinding.h"
#include "skin/TsuiTitleBarCommands.h"
#include "skin/TsuiTitleBarItems.h"
#include "skin/TsuiWindowMover.h"

#include <QFont>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

namespace qv::skin {

class TsuiTitleBarHost;
class TsuiTitleBarPopupMenu;

// The caption strip of a skinned window: title pictures in sections, the window buttons, the
// application icon and the caption. It composes the whole-window title picture from which the
// form panel paints the frame around it.
class TsuiTitleBar : public QWidget, public framework::TComponent, public TsuiTitleBarCommands {
    Q_OBJECT
    Q_PROPERTY(qv::skin::TsuiUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(qv::skin::TsuiFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)

public:
    explicit TsuiTitleBar(framework::TComponent* owner, QWidget* parent = nullptr);

    TsuiUIStyle UIStyle() const { return binding_.UIStyle(); }
    void SetUIStyle(TsuiUIStyle style);
    TsuiFileTheme* FileTheme() const { return binding_.FileTheme(); }
    void SetFileTheme(TsuiFileTheme* theme);

    // When set, a style change leaves sections and buttons as they are.
    bool Custom = false;
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    bool FormActive() const { return formActive_; }
    void SetFormActive(bool active);
    // The application's icon in place of the control box's pictures.
    bool DrawAppIcon() const { return drawAppIcon_; }
    void SetDrawAppIcon(bool draw);
    // Extra gap between buttons.
    int ButtonInterval() const { return buttonInterval_; }
    void SetButtonInterval(int interval);
    framework::TColor InactiveCaptionColor() const { return inactiveCaptionColor_; }
    void SetInactiveCaptionColor(framework::TColor color);
    // Editing a section or a button repaints the bar.
    TsuiCollection<TsuiTitleBarSection>& Sections() { return sections_; }
    TsuiCollection<TsuiTitleBarButton>& Buttons() { return buttons_; }
    // Aligns a section; a second client section is refused with a message and nothing changes.
    void SetSectionAlign(size_t index, TsuiTitleBarAlign align);
    // Gives a button a type and that type's pictures; a second control box is refused with a
    // message and nothing changes.
    void SetButtonType(size_t index, TsuiTitleBarBtnType type);
    // Gives a button the pictures of another style than the bar's.
    void SetButtonUIStyle(size_t index, TsuiUIStyle style);
    // Left and right margins of the icon and the buttons.
    int LeftBtnXOffset() const { return leftBtnXOffset_; }
    void SetLeftBtnXOffset(int offset);
    int RightBtnXOffset() const { return rightBtnXOffset_; }
    void SetRightBtnXOffset(int offset);
    // The height follows the first section's picture (3 pixels less on a form panel, whose frame
    // shows the rest); every style change switches it on.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    // Sets the bar's height; an auto-sized bar keeps its picture's.
    void SetHeight(int height);
    // Corner sizes of the window's shape in built-in styles, which the form panel cuts.
    int RoundCorner() const { return roundCorner_; }
    void SetRoundCorner(int size);
    int RoundCornerBottom() const { return roundCornerBottom_; }
    void SetRoundCornerBottom(int size);
    framework::TColor FontColor() const { return fontColor_; }
    // The width and height the host form may not go below with the current style.
    QSize MinimumHostSize() const { return minimumHostSize_; }

    // Where buttons, icon and caption go at the bar's current width.
    TTitleBarLayout Layout() const;
    // Composes the whole-window title picture at the bar's current size without painting.
    void UpdateTitlePicture();
    // The whole-window title picture (as wide as the window, reaching into the frame's top) as
    // of the last paint or update, and its composite over the form colour, made when asked for.
    const QImage& TitlePicture() const { return titlePicture_; }
    QImage TitleComposite() const;
    // The caption as the caption section of a five-section skin shortened it; none without one.
    const std::optional<QString>& CaptionOverride() const { return captionOverride_; }
    // Index of the button under the mouse, or -1.
    int Hovered() const { return hovered_; }
    // Performs what the button's type means on the host window.
    void ButtonAction(int index);
    bool HasVisibleButton(TsuiTitleBarBtnType type) const override;
    void RunVisibleButtons(TsuiTitleBarBtnType type) override;
    // The window menu, which the control box pops up.
    // The bar's menu, built when first asked for: most windows never show it.
    TsuiTitleBarPopupMenu& Menu();
    // Maximized by the bar or by the window manager.
    bool Maximized() const { return mover_.Maximized(); }
    // Spreads the window over its screen's work area; the next restore goes back to
    // normalGeometry.
    void Maximize(const QRect& normalGeometry);
    // The host window changed its size or state: the maximize button shows what it is now.
    void HostResized();

    std::function<void(TsuiTitleBar& sender, int button)> OnCustomBtnsClick;
    std::function<void(TsuiTitleBar& sender, int button)> OnHelpBtnClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void Notification(framework::TComponent* component, framework::TOperation operation) override;

private:
    void ApplyStyle();
    void ApplyMenuSkin();
    void ApplySkin(const TsuiFileTheme& theme);
    void ApplyBuiltInStyle(TsuiUIStyle style);
    void ApplyButtonPictures(TsuiTitleBarButton& button) const;
    void ApplyAutoSize();
    void ItemsChanged();
    const TsuiTitleBarHost* Host() const;
    int HostInset() const;
    // What the title picture is composed from; the picture is composed again only when it changed.
    struct TTitleInputs {
        struct TSection {
            qint64 picture;
            TsuiTitleBarAlign align;
            int width;
            bool caption;
            bool operator==(const TSection&) const = default;
        };
        QSize size;
        std::optional<int> hostInset;
        framework::TColor formColor = 0;
        framework::TColor transColor = 0;
        QString caption;
        QFont font;
        int leftBtnXOffset = 0;
        std::vector<TSection> sections;
        std::vector<int> buttonWidths;
        bool operator==(const TTitleInputs&) const = default;
    };
    TTitleInputs TitleInputs() const;
    // Composes the title picture, and the sections onto the bar when one is given.
    void ComposeSections(QImage* bar);
    // Shortens the caption for the caption section at the index and answers the section's width.
    int LayOutCaptionSection(size_t index, int lastLeftWidth);
    void DrawButtonsIconAndCaption(QImage& bar, const TTitleBarLayout& layout);
    int ButtonAt(QPoint position, const TTitleBarLayout& layout) const;
    void UpdateHover(QPoint position);
    void ToggleMaximized();
    bool HasButton(TsuiTitleBarBtnType type, bool visibleOnly) const;

    TsuiTitleBarPopupMenu* menu_ = nullptr;
    TsuiThemeBinding binding_;
    TsuiCollection<TsuiTitleBarSection> sections_;
    TsuiCollection<TsuiTitleBarButton> buttons_;
    QString caption_;
    std::optional<QString> captionOverride_;
    bool formActive_ = true;
    bool fromFileThemeSetter_ = false;
    framework::TColor fontColor_ = framework::clWhite;
    framework::TColor transColor_ = framework::clTransparencyKey;
    framework::TColor formColor_ = 0;
    int leftBtnXOffset_ = 0;
    int rightBtnXOffset_ = 0;
    int buttonTop_ = 0;
    int iconTop_ = 0;
    int captionTop_ = 0;
    int roundCorner_ = 0;
    int roundCornerBottom_ = 0;
    bool autoSize_ = false;
    bool drawAppIcon_ = true;
    int buttonInterval_ = 0;
    framework::TColor inactiveCaptionColor_ = framework::clInactiveCaption;
    QSize minimumHostSize_;
    QImage titlePicture_;
    TTitleInputs titleInputs_;
    int hovered_ = -1;
    bool pressed_ = false;
    TsuiWindowMover mover_;
};

} // namespace qv::skin

#pragma once

#include "framework/Component.h"
#include "framework/gui/TColor.h"
#include "skin/TsuiCollection.h"
#include "skin/TsuiFileTheme.h"
#include "skin/TsuiThemeBinding.h"
#include "skin/TsuiTitleBarHost.h"
#include "skin/TsuiTitleBarItems.h"

#include <functional>

#include <QFont>
#include <QMargins>
#include <QPointer>
#include <QWidget>

class QMenu;
class QMenuBar;

namespace qv::framework {
class TForm;
}

namespace qv::skin {

class TsuiTitleBar;

// The pale blue a skinned form and its menu bar fill with until a style or skin gives theirs.
inline constexpr framework::TColor kFormColor = 0xF6E4DA;

// Takes over its form's window: the window loses the system frame, and the panel, covering the
// whole window, paints a thin frame from the skin around a title bar and the form's controls
// and cuts the window's shape from the skin's title picture.
class TsuiForm : public QWidget, public framework::TComponent, public TsuiTitleBarHost {
    Q_OBJECT
    Q_PROPERTY(qv::skin::TsuiUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(qv::skin::TsuiFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)

public:
    explicit TsuiForm(framework::TForm* owner);
    // Gives the window back as it was before the take-over, unless the window itself is going.
    ~TsuiForm() override;

    TsuiUIStyle UIStyle() const { return binding_.UIStyle(); }
    void SetUIStyle(TsuiUIStyle style);
    TsuiFileTheme* FileTheme() const { return binding_.FileTheme(); }
    void SetFileTheme(TsuiFileTheme* theme);

    TsuiTitleBar& TitleBar() const { return *titleBar_; }
    bool TitleBarVisible() const { return !titleBarHidden_; }
    void SetTitleBarVisible(bool visible);
    // When set, a style change is also handed to the panel's direct child controls.
    bool UIStyleAutoUpdateSub = false;
    const QString& Caption() const;
    // Sets the title bar's caption and the host window's title.
    void SetCaption(const QString& caption);
    // The panel that fills the client area below the title bar; the form panel itself is refused
    // with a message.
    QWidget* FormPanel() const { return formPanel_; }
    void SetFormPanel(QWidget* panel);
    QString Version() const { return QStringLiteral("6.21"); }
    // The client background; a style change sets it again.
    framework::TColor Color() const { return color_; }
    void SetColor(framework::TColor color);
    // The frame's colour and line width in built-in styles.
    framework::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(framework::TColor color);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width);
    // Corner sizes of the window's shape in built-in styles, kept by the title bar.
    int RoundCorner() const;
    void SetRoundCorner(int size);
    int RoundCornerBottom() const;
    void SetRoundCornerBottom(int size);

    // A menu whose items show as a menu bar under the title bar; none by default. Not owned.
    QMenu* Menu() const { return menu_; }
    void SetMenu(QMenu* menu);
    // The menu bar's gradient, from left to right, and its height.
    framework::TColor MenuBarColor() const { return menuBarColor_; }
    void SetMenuBarColor(framework::TColor color);
    framework::TColor MenuBarToColor() const { return menuBarToColor_; }
    void SetMenuBarToColor(framework::TColor color);
    int MenuBarHeight() const { return menuBarHeight_; }
    void SetMenuBarHeight(int height);
    // The menu bar while a menu is set.
    QMenuBar* MenuBar() const { return menuBar_; }

    // The title bar's properties and events.
    bool TitleBarCustom() const;
    void SetTitleBarCustom(bool custom);
    TsuiCollection<TsuiTitleBarButton>& TitleBarButtons();
    TsuiCollection<TsuiTitleBarSection>& TitleBarSections();
    bool TitleBarDrawAppIcon() const;
    void SetTitleBarDrawAppIcon(bool draw);
    // The caption's font.
    QFont Font() const;
    void SetFont(const QFont& font);
    framework::TColor InactiveCaptionColor() const;
    void SetInactiveCaptionColor(framework::TColor color);
    using TitleBarButtonEvent = std::function<void(TsuiTitleBar& sender, int button)>;
    void SetOnTitleBarCustomBtnsClick(TitleBarButtonEvent handler);
    void SetOnTitleBarHelpBtnClick(TitleBarButtonEvent handler);
    // The frame painted around the title bar and the client area, as the window's non-client frame.
    QMargins Frame() const;
    // Where the form's own controls go: inside the frame, below the title bar. Controls with an
    // alignment dock inside it.
    QRect ClientRect() const;
    // The window's shape, which is also its mask; built when the window shows or when asked.
    const QRegion& WindowRegion();

    int TitleBarInset() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void Notification(framework::TComponent* component, framework::TOperation operation) override;

private:
    void ApplyStyle();
    void LayOut();
    // The window's shape follows: at once when shown, else when it shows.
    void ShapeChanged();
    QRect MenuBarRect() const;
    void PaintSkinBorder(QPainter& painter) const;
    void PaintBuiltInBorder(QPainter& painter) const;
    void BuildRegion();
    // The skin's bottom border composed as wide as the window.
    QImage BottomBorderPicture() const;

    QWidget* host_;
    framework::TComponent* hostComponent_;
    // What the window was before the take-over.
    Qt::WindowFlags hostFlags_;
    bool hostTranslucent_;
    QRegion hostMask_;
    QSize hostMinimum_;
    TsuiTitleBar* titleBar_ = nullptr;
    TsuiThemeBinding binding_;
    framework::TColor color_ = kFormColor;
    framework::TColor borderColor_ = framework::clBlack;
    int borderWidth_ = 1;
    QPointer<QMenu> menu_;
    QMenuBar* menuBar_ = nullptr;
    framework::TColor menuBarColor_ = kFormColor;
    framework::TColor menuBarToColor_ = kFormColor;
    int menuBarHeight_ = 22;
    // Widths of the skin's left and right border pictures and height of its bottom one; 0 in
    // built-in styles.
    int left_ = 0;
    int right_ = 0;
    int bottom_ = 0;
    QRegion region_;
    bool regionPending_ = false;
    // False when the form already had another panel that took over its window: this one then
    // stays an ordinary panel without a title bar.
    bool takenOver_ = false;
    QPointer<QWidget> formPanel_;
    bool titleBarHidden_ = false;
};

} // namespace qv::skin

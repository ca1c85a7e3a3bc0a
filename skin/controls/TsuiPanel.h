#pragma once

#include "framework/Component.h"
#include "framework/gui/Align.h"
#include "framework/gui/Events.h"
#include "framework/gui/TColor.h"
#include "skin/TsuiFileTheme.h"
#include "skin/TsuiThemeBinding.h"

#include <QImage>
#include <QWidget>

namespace qv::skin {

// A container with a caption bar drawn from the skin, a one-pixel outline and, unless it fills
// its container or docks left or right, a button in the caption bar that collapses it to the
// bar and expands it again.
class TsuiPanel : public QWidget, public framework::TComponent {
    Q_OBJECT
    Q_PROPERTY(qv::skin::TsuiUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(qv::skin::TsuiFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)

public:
    static constexpr QSize kDefaultSize{100, 100};
    // The height and width steps of the collapse and expand animation.
    static constexpr int kAnimationStep = 15;

    explicit TsuiPanel(framework::TComponent* owner, QWidget* parent = nullptr);

    TsuiUIStyle UIStyle() const { return binding_.UIStyle(); }
    void SetUIStyle(TsuiUIStyle style);
    TsuiFileTheme* FileTheme() const { return binding_.FileTheme(); }
    void SetFileTheme(TsuiFileTheme* theme);

    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    framework::TColor Color() const { return color_; }
    void SetColor(framework::TColor color);
    framework::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(framework::TColor color);
    framework::TColor CaptionFontColor() const { return captionFontColor_; }
    void SetCaptionFontColor(framework::TColor color);
    bool ShowButton() const { return showButton_; }
    void SetShowButton(bool show);
    framework::TAlign Align() const { return framework::GetAlign(*this); }
    void SetAlign(framework::TAlign align);

    // The height when expanded; setting it also sizes an expanded panel.
    int Height() const { return expandedHeight_; }
    void SetHeight(int height);
    bool Expanded() const { return expanded_; }

    // Shrinks the panel to its caption bar in animation steps, then OnPush. Raises
    // "Can't push when Align is alClient, alLeft or alRight." for those alignments.
    void Push();
    // Grows the panel back to its expanded height in animation steps, then OnPop.
    void Pop();

    // Where aligned children go: inside the outline, below the caption bar.
    QRect ChildArea() const;
    // The caption bar's height, and where its button reacts to the mouse.
    int CaptionBarHeight() const;
    QRect ButtonRect() const;
    // Whether the caption bar shows the button at the panel's alignment.
    bool ButtonShown() const;

    framework::TNotifyEvent OnPush;
    framework::TNotifyEvent OnPop;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void Notification(framework::TComponent* component, framework::TOperation operation) override;

private:
    void ApplyStyle();
    void AnimateTo(int height);
    void UpdateButtonHover(QPoint position);

    TsuiThemeBinding binding_;
    QString caption_;
    framework::TColor color_ = framework::clWhite;
    framework::TColor borderColor_ = framework::clBlack;
    framework::TColor captionFontColor_ = framework::clBlack;
    bool showButton_ = true;
    QImage captionBar_;
    bool expanded_ = true;
    bool buttonHovered_ = false;
    bool animating_ = false;
    int expandedHeight_ = kDefaultSize.height();
};

} // namespace qv::skin

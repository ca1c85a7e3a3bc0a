#pragma once

#include "framework/gui/ClickableLabel.h"
#include "framework/gui/Events.h"
#include "framework/gui/TColor.h"

#include <QFont>

#include <optional>

namespace qv::windows {

// A label with hot tracking: while the mouse is over it, it wears HotTrackFont in
// HotTrackFontColor and the application's hints take HintColor. Disabled labels are drawn greyed
// and track the mouse too; only clicks pass them by.
class TJvLabel : public framework::TClickableLabel {
    Q_OBJECT

public:
    explicit TJvLabel(framework::TComponent* owner, QWidget* parent = nullptr);

    // In the caption "&" underlines the character after it, "&&" is a plain "&".
    QString ShownCaption() const override;

    // Wear HotTrackFont while the mouse is over the label.
    bool HotTrack = false;
    const QFont& HotTrackFont() const { return hotTrackFont_; }
    // Takes a copy of the font.
    void SetHotTrackFont(const QFont& font);
    framework::TColor HotTrackFontColor() const { return hotTrackFontColor_; }
    void SetHotTrackFontColor(framework::TColor color);
    // The colour of the caption.
    framework::TColor FontColor() const;
    void SetFontColor(framework::TColor color);
    // The application's hint background while the mouse is over the label.
    framework::TColor HintColor = framework::clInfoBk;
    bool MouseOver() const { return mouseOver_; }

    framework::TNotifyEvent OnMouseEnter;
    framework::TNotifyEvent OnMouseLeave;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QFont hotTrackFont_;
    framework::TColor hotTrackFontColor_ = framework::clBlack;
    std::optional<QFont> savedFont_;
    framework::TColor savedFontColor_ = framework::clBlack;
    QColor savedHintColor_;
    bool mouseOver_ = false;
};

} // namespace qv::windows

#pragma once

#include "framework/Component.h"
#include "framework/gui/Events.h"
#include "framework/gui/Form.h"
#include "framework/gui/TColor.h"

#include <QAbstractButton>
#include <QImage>
#include <QPointer>

#include <optional>

class QTimer;

namespace qv::skin {

// The four faces a button picks from.
enum class TButtonFace { Normal, MouseOver, Pressed, Disabled };

// A focusable button that draws itself from a face picture in one of four states, with mouse,
// keyboard, default and cancel roles, accelerators and auto-repeat while the left button is held.
// Qt's button gives it its accelerator, its place in the focus chain and what screen readers see
// and press; the press, release and repeat rules are its own, as Qt's button would click on every
// repeat and press again when the mouse comes back. Descendants choose the faces and may draw
// them, the caption and the focus their own way.
class TsuiCustomButton : public QAbstractButton, public framework::TComponent {
    Q_OBJECT

public:
    explicit TsuiCustomButton(framework::TComponent* owner, QWidget* parent = nullptr);
    ~TsuiCustomButton() override;

    // The caption; "&" marks the accelerator, "&&" is a plain "&".
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);

    // Copied to the form on every click (mrNone included).
    int ModalResult = framework::mrNone;
    // Esc clicks the button.
    bool Cancel = false;
    // Enter clicks the button while no other skinned button has the focus.
    bool Default() const { return default_; }
    void SetDefault(bool isDefault);
    // Whether Enter clicks this button now.
    bool ActiveDefault() const { return activeDefault_; }

    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop);
    // Inset of the focus rectangle.
    int FocusedRectMargin() const { return focusedRectMargin_; }
    void SetFocusedRectMargin(int margin);
    // The parent shows through the background, and the face is masked by its key colour.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    // The background; none follows the parent's colour.
    std::optional<framework::TColor> Color() const { return color_; }
    void SetColor(std::optional<framework::TColor> color);
    framework::TColor FontColor() const { return fontColor_; }
    void SetFontColor(framework::TColor color);
    // Auto-repeat period in milliseconds.
    int MouseContinuouslyDownInterval = 100;
    bool AutoSize() const { return autoSize_; }
    // Sizes the button from its face strip when switched on.
    void SetAutoSize(bool autoSize);

    bool Pressed() const { return isDown(); }
    bool MouseOver() const { return mouseOver_; }

    // The framework's click: ends a press, hands ModalResult to the form, then OnClick. Qt's
    // click(), and a screen reader's press, end here too.
    virtual void Click();

    framework::TNotifyEvent OnClick;
    framework::TNotifyEvent OnMouseEnter;
    framework::TNotifyEvent OnMouseExit;
    framework::TNotifyEvent OnMouseContinuouslyDown;

protected:
    // The face frame for a state; a null picture draws the empty 74 by 21 face.
    virtual QImage Face(TButtonFace face) const;
    // The size the face strip asks for, for AutoSize.
    virtual QSize FaceStripSize() const;
    virtual void DrawFace(QPainter& painter, const QImage& face);
    virtual void DrawCaption(QPainter& painter);
    virtual void DrawFocus(QPainter& painter);
    // The caption in the area: white one pixel down and right, then grey, when disabled; one
    // pixel down and right while pressed; bold on request.
    void DrawCaptionText(QPainter& painter, const QRect& area, int flags);
    // The face currently shown.
    TButtonFace CurrentFace() const;
    // Set by a focus drawn as a bold caption; the caption clears it once drawn.
    bool boldCaption_ = false;

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Takes the accelerator's shortcut, which clicks at once.
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void StopRepeat();
    // Abandons a press without a click, as when the framework cancels a mouse operation.
    void CancelPress();
    void WatchWindow();
    void FocusChanged(QWidget* now);
    bool CanFocus() const;
    bool HandleDialogKey(const QKeyEvent& key);
    bool HandleDialogChar(const QKeyEvent& key);
    bool CanClickByAccelerator() const;

    bool default_ = false;
    bool activeDefault_ = false;
    bool tabStop_ = true;
    int focusedRectMargin_ = 2;
    bool transparent_ = false;
    std::optional<framework::TColor> color_;
    framework::TColor fontColor_ = framework::clBlack;
    bool autoSize_ = false;
    bool mouseOver_ = false;
    // The left button went down on the button; a release over it clicks.
    bool clickPending_ = false;
    QTimer* repeat_ = nullptr;
    QPointer<QWidget> watchedWindow_;
    QMetaObject::Connection focusChanges_;
};

// True for every skinned button: the focus query that lets plain letters reach accelerators.
bool IsSkinnedButton(const QWidget* widget);

} // namespace qv::skin

#pragma once

#include "crash/ApplicationActions.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QTimer>

namespace qv::crash {

// A button of the exception dialog, drawn by itself: its picture blended into its background,
// the caption right of it, a dark look while it has the focus (reached in a short fade), the
// flashes of a press, and the marker of a countdown that presses it when it reaches the end.
class TDrawnButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kFadeSteps = 8;
    static constexpr int kFadeStepMs = 10;
    static constexpr int kBlinkMs = 50;
    static constexpr int kBlinks = 4;
    static constexpr int kCountdownTickMs = 10;
    // A press flashes again only this long after the last flash.
    static constexpr int kFlashPauseMs = 200;

    TDrawnButton(TAction action, const QString& caption, QWidget* parent);

    TAction Action() const { return action_; }
    // Shows the "cantContinue" picture and no longer takes presses.
    void SetCannotContinue();

    // Presses the button when the marker, moving over it, reaches its right edge after the delay.
    void StartCountdown(int delaySec);
    void StopCountdown();
    bool CountingDown() const { return countdown_.isActive(); }
    // The marker's position for the time gone: (elapsed * width + delay * 500) / (delay * 1000).
    static int MarkerPosition(qint64 elapsedMs, int width, int delaySec);

    // The feedback of a press: blinks for mail, save and print, a fade to the focused look for
    // show, a fade out and back for the others. Returns when it is over.
    void PlayPressFeedback();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct TLook {
        QRgb background;
        QRgb text;
    };
    TAction action_;
    bool cannotContinue_ = false;
    TLook look_;
    TLook fadeFrom_;
    TLook fadeTo_;
    int fadeStep_ = kFadeSteps;
    QTimer fade_;
    QTimer countdown_;
    QElapsedTimer countdownClock_;
    int countdownDelaySec_ = 0;
    int lastMarker_ = -1;
    QElapsedTimer lastFlash_;

    TLook RestingLook() const;
    TLook FocusedLook() const;
    void FadeTo(const TLook& look);
    void FadeStep();
    void CountdownTick();
    // Shows the look and lets the given time pass with the window painted, taking no input.
    void ShowFor(const TLook& look, int milliseconds);
};

} // namespace qv::crash

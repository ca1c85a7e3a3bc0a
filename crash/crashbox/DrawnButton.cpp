#include "crash/crashbox/DrawnButton.h"

#include "crash/crashbox/ButtonImages.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace qv::crash {

namespace {

constexpr int kPictureOffset = 3;
constexpr int kCaptionTop = 4;
// The caption is centred in the space right of the picture.
constexpr int kCaptionReserve = 35;
constexpr int kCaptionShift = 27;
// Displays of more colours than this get the lighter face and the soft countdown marker.
constexpr int kRichColourDepth = 14;
constexpr int kLighten = 0x10;

bool RichColours() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen == nullptr || screen->depth() > kRichColourDepth;
}

QRgb Face() {
    return QApplication::palette().color(QPalette::Button).rgb();
}

QRgb DarkShadow() {
    return QApplication::palette().color(QPalette::Shadow).rgb();
}

// The face a little lighter, or darker when two or more channels would pass 255.
QRgb LightFace(int amount) {
    const QColor face(Face());
    const int over =
        (face.red() + amount > 255) + (face.green() + amount > 255) + (face.blue() + amount > 255);
    const int change = over >= 2 ? -amount : amount;
    return qRgb(std::clamp(face.red() + change, 0, 255), std::clamp(face.green() + change, 0, 255),
                std::clamp(face.blue() + change, 0, 255));
}

} // namespace

TDrawnButton::TDrawnButton(TAction action, const QString& caption, QWidget* parent)
    : QAbstractButton(parent), action_(action) {
    setText(caption);
    setFocusPolicy(Qt::StrongFocus);
    look_ = RestingLook();
    fade_.setInterval(kFadeStepMs);
    connect(&fade_, &QTimer::timeout, this, &TDrawnButton::FadeStep);
    countdown_.setInterval(kCountdownTickMs);
    connect(&countdown_, &QTimer::timeout, this, &TDrawnButton::CountdownTick);
}

void TDrawnButton::SetCannotContinue() {
    cannotContinue_ = true;
    setEnabled(false);
    look_ = RestingLook();
    update();
}

TDrawnButton::TLook TDrawnButton::RestingLook() const {
    if (!RichColours()) return {Face(), qRgb(0, 0, 0)};
    return {LightFace(isEnabled() ? kLighten : kLighten / 2), qRgb(0, 0, 0)};
}

TDrawnButton::TLook TDrawnButton::FocusedLook() const {
    return {DarkShadow(), qRgb(255, 255, 255)};
}

QSize TDrawnButton::sizeHint() const {
    return {fontMetrics().horizontalAdvance(text()) + kCaptionReserve, 22};
}

void TDrawnButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(look_.background));
    const QImage& picture = TButtonImages::Image(action_, cannotContinue_);
    painter.drawImage(kPictureOffset, kPictureOffset, TButtonImages::Blend(picture, look_.background));
    const QFontMetrics metrics = fontMetrics();
    const int x = (width() - metrics.horizontalAdvance(text()) - kCaptionReserve) / 2 + kCaptionShift;
    const int baseline = kCaptionTop + metrics.ascent();
    if (isEnabled()) {
        painter.setPen(QColor(look_.text));
        painter.drawText(x, baseline, text());
    } else {
        painter.setPen(Qt::white);
        painter.drawText(x + 1, baseline + 1, text());
        painter.setPen(QColor(DarkShadow()));
        painter.drawText(x, baseline, text());
    }
    if (!countdown_.isActive()) return;
    const int marker = MarkerPosition(countdownClock_.elapsed(), width(), countdownDelaySec_);
    painter.setPen(QColor(Face()));
    painter.drawLine(marker, 0, marker, height() - 1);
    if (!RichColours()) return;
    for (int distance = 1; distance <= 3; ++distance) {
        // Three quarters of the face next to the marker, then a half, then a quarter.
        painter.setPen(QColor(TButtonImages::Mix(look_.background, Face(), 2 * (4 - distance))));
        for (const int side : {-1, 1})
            painter.drawLine(marker + side * distance, 0, marker + side * distance, height() - 1);
    }
}

void TDrawnButton::focusInEvent(QFocusEvent* event) {
    QAbstractButton::focusInEvent(event);
    FadeTo(FocusedLook());
}

void TDrawnButton::focusOutEvent(QFocusEvent* event) {
    QAbstractButton::focusOutEvent(event);
    FadeTo(RestingLook());
}

void TDrawnButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void TDrawnButton::FadeTo(const TLook& look) {
    fadeFrom_ = look_;
    fadeTo_ = look;
    fadeStep_ = 0;
    // The first step comes at once.
    FadeStep();
    fade_.start();
}

void TDrawnButton::FadeStep() {
    ++fadeStep_;
    look_ = {TButtonImages::Mix(fadeFrom_.background, fadeTo_.background, fadeStep_),
             TButtonImages::Mix(fadeFrom_.text, fadeTo_.text, fadeStep_)};
    if (fadeStep_ >= kFadeSteps) {
        look_ = fadeTo_;
        fade_.stop();
    }
    repaint();
}

void TDrawnButton::ShowFor(const TLook& look, int milliseconds) {
    look_ = look;
    repaint();
    QEventLoop wait;
    QTimer::singleShot(milliseconds, &wait, &QEventLoop::quit);
    wait.exec(QEventLoop::ExcludeUserInputEvents);
}

void TDrawnButton::PlayPressFeedback() {
    fade_.stop();
    const bool recently = lastFlash_.isValid() && lastFlash_.elapsed() <= kFlashPauseMs;
    lastFlash_.start();
    const TLook resting = RestingLook();
    const TLook focused = FocusedLook();
    switch (action_) {
    case TAction::Mail:
    case TAction::Save:
    case TAction::Print:
        for (int blink = 0; blink < kBlinks; ++blink) {
            ShowFor(resting, kBlinkMs);
            ShowFor(focused, kBlinkMs);
        }
        break;
    case TAction::Show:
        for (int step = 1; step <= kFadeSteps; ++step)
            ShowFor({TButtonImages::Mix(look_.background, focused.background, step),
                     TButtonImages::Mix(look_.text, focused.text, step)},
                    kFadeStepMs);
        break;
    default:
        if (recently) break;
        for (const TLook& target : {resting, focused}) {
            const TLook from = look_;
            for (int step = 1; step <= kFadeSteps; ++step)
                ShowFor({TButtonImages::Mix(from.background, target.background, step),
                         TButtonImages::Mix(from.text, target.text, step)},
                        kFadeStepMs);
        }
        break;
    }
    look_ = hasFocus() ? focused : resting;
    update();
}

int TDrawnButton::MarkerPosition(qint64 elapsedMs, int width, int delaySec) {
    const qint64 scale = static_cast<qint64>(delaySec) * 1000;
    return static_cast<int>((elapsedMs * width + static_cast<qint64>(delaySec) * 500) / scale);
}

void TDrawnButton::StartCountdown(int delaySec) {
    if (delaySec <= 0) return;
    countdownDelaySec_ = delaySec;
    lastMarker_ = -1;
    countdownClock_.start();
    countdown_.start();
}

void TDrawnButton::StopCountdown() {
    if (!countdown_.isActive()) return;
    countdown_.stop();
    update();
}

void TDrawnButton::CountdownTick() {
    const int marker = MarkerPosition(countdownClock_.elapsed(), width(), countdownDelaySec_);
    if (marker == lastMarker_) return;
    lastMarker_ = marker;
    if (marker >= width()) {
        StopCountdown();
        click();
        return;
    }
    repaint();
}

} // namespace qv::crash

#pragma once

#include "crash/ApplicationActions.h"

#include <QColor>
#include <QImage>

namespace qv::crash {

// The 16 by 16 pictures of the dialog's buttons, drawn here with their alpha, and how a picture
// and two colours are mixed the way the dialog draws them.
class TButtonImages {
public:
    static constexpr int kSize = 16;

    // The picture of the action's button; disabledContinue gives the "cantContinue" one.
    static const QImage& Image(TAction action, bool disabledContinue = false);

    // The picture drawn over the background: each channel ((256 - c) * background + c * pixel) / 256
    // with c = alpha + 1.
    static QImage Blend(const QImage& picture, QRgb background);
    // steps eighths of the way from one colour to the other, per channel.
    static QRgb Mix(QRgb from, QRgb to, int steps);

private:
    static QImage Draw(TAction action, bool disabledContinue);
};

} // namespace qv::crash

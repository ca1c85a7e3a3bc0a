#pragma once

#include "crash/ApplicationActions.h"

#include <QRect>
#include <QSize>

#include <array>
#include <functional>
#include <string>

namespace qv::crash {

// The geometry of the exception dialog, in pixels of its client area. The dialog's numbers measure
// the whole window, with a dialog frame of kFrameBorder pixels on each side and the title bar; here
// the window manager draws those, so the client area is that much smaller and every position is
// the whole-window one less the frame.
struct TExceptionBoxLayout {
    static constexpr int kFrameBorder = 3;
    static constexpr int kButtonHeight = 22;
    static constexpr int kRowPitch = 26;
    // A button's slot is its caption's width and this; the button itself is 4 narrower.
    static constexpr int kButtonExtra = 39;
    static constexpr int kButtonGap = 4;
    static constexpr int kMinimumWidth = 538;
    static constexpr int kReportFrameHeight = 395;
    static constexpr int kReportHeight = 383;

    struct TInput {
        // By action code; empty: no such button.
        std::array<std::string, 7> captions;
        bool showReportAtOnce = false;
        // The caption's width in the dialog font.
        std::function<int(const std::string&)> textWidth;
        // The message's size word-wrapped to a width.
        std::function<QSize(int width)> messageSize;
    };

    // By action code; an empty rectangle: no button.
    std::array<QRect, 7> buttons;
    QRect message;
    bool reportArea = false;
    // The etched frame's white and grey rectangles and the report field.
    QRect reportFrameLight;
    QRect reportFrameShadow;
    QRect report;
    // The whole window's width (the content width) and the folded and unfolded client heights.
    int contentWidth = 0;
    int foldedHeight = 0;
    int unfoldedHeight = 0;

    static TExceptionBoxLayout Compute(const TInput& input);

    QSize FoldedSize() const { return {contentWidth - 2 * kFrameBorder, foldedHeight}; }
    QSize UnfoldedSize() const;
    // The layout after the report was unfolded: at least kMinimumWidth wide, the action buttons
    // moved right by the width gained, the show button gone.
    TExceptionBoxLayout Unfolded() const;
};

} // namespace qv::crash

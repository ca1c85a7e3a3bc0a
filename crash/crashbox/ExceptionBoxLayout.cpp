#include "crash/crashbox/ExceptionBoxLayout.h"

#include <algorithm>

namespace qv::crash {

namespace {

constexpr int kMail = static_cast<int>(TAction::Mail);
constexpr int kShow = static_cast<int>(TAction::Show);
constexpr int kContinue = static_cast<int>(TAction::Continue);
constexpr int kRestart = static_cast<int>(TAction::Restart);
constexpr int kClose = static_cast<int>(TAction::Close);
constexpr int kLeftStart = 6;
constexpr int kMessageLeft = 11;
constexpr int kMessageTop = 12;
// Space kept right of the message: one row of buttons, or the action column and its margin.
constexpr int kOneRowReserve = 26;
constexpr int kColumnReserve = 40;
constexpr int kContentMargin = 14;
constexpr int kRightMargin = 8;
// The window heights beyond the buttons, title bar and frame included.
constexpr int kFoldedExtra = 8;
constexpr int kUnfoldedExtra = 411;

// A position in whole-window pixels, moved into the client area.
QRect Client(int x, int y, int width, int height) {
    const int frame = TExceptionBoxLayout::kFrameBorder;
    return {x - frame, y - frame, width, height};
}

} // namespace

QSize TExceptionBoxLayout::UnfoldedSize() const {
    return {contentWidth - 2 * kFrameBorder, unfoldedHeight};
}

TExceptionBoxLayout TExceptionBoxLayout::Compute(const TInput& input) {
    TExceptionBoxLayout layout;
    std::array<int, 7> widths{};
    for (size_t i = 0; i < widths.size(); ++i)
        widths[i] = input.captions[i].empty() ? 0 : input.textWidth(input.captions[i]) + kButtonExtra;
    int actions = 0;
    int columnWidth = 0;
    int actionsWidth = 0;
    for (const int action : {kContinue, kRestart, kClose}) {
        if (widths[action] == 0) continue;
        ++actions;
        columnWidth = std::max(columnWidth, widths[action]);
        actionsWidth += widths[action];
    }
    int leftWidth = 0;
    for (int i = kMail; i <= kShow; ++i)
        leftWidth += widths[i];
    const bool twoColumns = actions > 1 && leftWidth > 0;
    if (!twoColumns) actions = 2;

    int content = leftWidth + (twoColumns ? columnWidth : actionsWidth) + kContentMargin;
    const int reserve = twoColumns ? columnWidth + kColumnReserve : kOneRowReserve;
    const QSize message = input.messageSize(std::max(content, kMinimumWidth) - reserve);
    content = std::max(content, message.width() + reserve);
    if (input.showReportAtOnce) content = std::max(content, kMinimumWidth);
    layout.contentWidth = content;
    layout.message = Client(kMessageLeft, kMessageTop, message.width(), message.height());

    int top = message.height() + 5;
    std::array<int, 7> rows{};
    rows.fill(1);
    if (twoColumns) {
        if (actions == 3) top = top >= 33 ? top - kRowPitch : 7;
        rows.fill(actions - 1);
        rows[kContinue] = 0;
        rows[kRestart] = widths[kContinue] > 0 ? 1 : 0;
    }
    int x = kLeftStart;
    for (int i = kMail; i <= kShow; ++i) {
        if (widths[i] == 0) continue;
        layout.buttons[i] = Client(x, top + kRowPitch * rows[i], widths[i] - kButtonGap, kButtonHeight);
        x += widths[i];
    }
    x = twoColumns ? content - columnWidth - kRightMargin : content - actionsWidth - kRightMargin;
    for (const int action : {kContinue, kRestart, kClose}) {
        if (widths[action] == 0) continue;
        const int slot = twoColumns ? columnWidth : widths[action];
        layout.buttons[action] = Client(x, top + kRowPitch * rows[action], slot - kButtonGap, kButtonHeight);
        if (!twoColumns) x += slot;
    }

    const int y = top + kRowPitch * actions;
    layout.reportArea = input.showReportAtOnce || leftWidth > 0;
    layout.reportFrameLight = Client(5, y + 4, content - 17, kReportFrameHeight);
    layout.reportFrameShadow = Client(6, y + 5, content - 17, kReportFrameHeight);
    layout.report = Client(5 + 7, y + 4 + 6, content - 30, kReportHeight);
    layout.foldedHeight = y + kFoldedExtra - 2 * kFrameBorder;
    layout.unfoldedHeight = y + kUnfoldedExtra - 2 * kFrameBorder;
    return layout;
}

TExceptionBoxLayout TExceptionBoxLayout::Unfolded() const {
    TExceptionBoxLayout layout = *this;
    const int gained = std::max(0, kMinimumWidth - contentWidth);
    layout.contentWidth += gained;
    for (const int action : {kContinue, kRestart, kClose})
        if (!layout.buttons[action].isEmpty()) layout.buttons[action].translate(gained, 0);
    layout.buttons[kShow] = QRect();
    layout.reportFrameLight.setWidth(layout.contentWidth - 17);
    layout.reportFrameShadow.setWidth(layout.contentWidth - 17);
    layout.report.setWidth(layout.contentWidth - 30);
    return layout;
}

} // namespace qv::crash

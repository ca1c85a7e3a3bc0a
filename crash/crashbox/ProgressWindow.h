#pragma once

#include <QWidget>

namespace qv::crash {

// The window that shows how far the report's stack traces have come while the dialog is being
// prepared: borderless, top-most, half the screen wide and 23 pixels high, centred.
class TProgressWindow : public QWidget {
public:
    static constexpr int kHeight = 23;
    static constexpr int kFontHeight = 12;

    TProgressWindow();
    // In thousandths.
    void SetProgress(int permille);
    int Progress() const { return permille_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int permille_ = 0;
};

} // namespace qv::crash

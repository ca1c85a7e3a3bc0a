#pragma once

#include "framework/gui/ClickableLabel.h"
#include "framework/gui/TColor.h"

namespace qv::skin {

// A label that is a web link: underlined text in the link colour, the hover colour under the
// mouse, a hand cursor, and a click that opens URL in the desktop's web browser.
class TsuiURLLabel : public framework::TClickableLabel {
    Q_OBJECT

public:
    explicit TsuiURLLabel(framework::TComponent* owner, QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    const QString& URL() const { return url_; }
    void SetURL(const QString& url);
    framework::TColor FontHoverColor = framework::clRed;
    framework::TColor FontLinkColor() const { return fontLinkColor_; }
    // Recolours the text at once.
    void SetFontLinkColor(framework::TColor color);
    // The colour the text shows now.
    framework::TColor FontColor() const;
    // The label's width follows its caption.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);

    // Opens URL unless it is blank, then OnClick.
    void Click() override;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void SetFontColor(framework::TColor color);

    QString url_;
    framework::TColor fontLinkColor_ = framework::clBlue;
    bool autoSize_ = true;
};

} // namespace qv::skin

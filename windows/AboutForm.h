#pragma once

#include "framework/gui/Form.h"

class QLabel;

namespace qv::skin {
class TsuiButton;
class TsuiFileTheme;
class TsuiForm;
class TsuiThemeManager;
class TsuiURLLabel;
} // namespace qv::skin

namespace qv::windows {

// The about window: product, edition and version, the copyright notice and a link to the web
// site. Created hidden at start-up and shown modally by About.
class Tform_about : public framework::TForm {
    Q_OBJECT

public:
    // `theme` is the main window's.
    explicit Tform_about(skin::TsuiFileTheme& theme, framework::TComponent* owner = nullptr);

    // Close.
    void suiButton1Click();

    skin::TsuiForm* suiForm1;
    QLabel* Label1;
    skin::TsuiURLLabel* suiURLLabel1;
    skin::TsuiButton* suiButton1;

private:
    skin::TsuiThemeManager* TM;
};

} // namespace qv::windows

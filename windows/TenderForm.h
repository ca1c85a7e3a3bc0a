#pragma once

#include "framework/gui/Form.h"

#include <memory>

class QPrinter;
class QWidget;

namespace qv::skin {
class TsuiButton;
class TsuiFileTheme;
class TsuiForm;
class TsuiThemeManager;
} // namespace qv::skin

namespace qv::windows {

class TJvMemo;

// The details window: the full text of one tender, editable, with Print and Close. Created once
// and shown modally for every tender; it keeps the last text until the next one replaces it.
class Ttender_form : public framework::TForm {
    Q_OBJECT

public:
    // `theme` is the main window's.
    explicit Ttender_form(skin::TsuiFileTheme& theme, framework::TComponent* owner = nullptr);
    ~Ttender_form() override;

    // Print: asks for a printer in the print dialog and prints the text as shown, line by line.
    void suitempButton1Click();
    // Close.
    void suitempButton2Click();

    skin::TsuiForm* suiForm1;
    QWidget* Panel1;
    skin::TsuiButton* Button1;
    skin::TsuiButton* Button2;
    TJvMemo* memo;

private:
    skin::TsuiThemeManager* TM;
    // The printer of the run's print jobs, from the first Print on; the dialog's choice stays for
    // the next job.
    std::unique_ptr<QPrinter> printer_;
};

} // namespace qv::windows

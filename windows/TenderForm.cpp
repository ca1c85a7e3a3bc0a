#include "windows/TenderForm.h"

#include "framework/gui/Align.h"
#include "skin/TsuiForm.h"
#include "skin/TsuiThemeManager.h"
#include "skin/controls/TsuiButton.h"
#include "windows/FormLayout.h"
#include "windows/PrinterTextOutput.h"
#include "windows/controls/TJvMemo.h"

#include <QPrintDialog>
#include <QPrinter>

namespace qv::windows {

namespace {
constexpr QSize kClientSize{692, 493};
} // namespace

Ttender_form::Ttender_form(skin::TsuiFileTheme& theme, framework::TComponent* owner)
    : framework::TForm(owner) {
    setObjectName(QStringLiteral("tender_form"));
    suiForm1 = NewSkinnedPanel(*this, QStringLiteral("Quorvane - View tender details"), theme);
    Panel1 = NewPlainPanel(suiForm1, "Panel1", DesignRect(*suiForm1, 0, 452, 692, 41));
    framework::SetAlign(*Panel1, framework::TAlign::alBottom);
    Button1 = NewButton(*this, Panel1, "Button1", QRect(8, 8, 75, 25), QStringLiteral("Print"));
    Button1->OnClick = [this](QObject*) { suitempButton1Click(); };
    Button2 = NewButton(*this, Panel1, "Button2", QRect(608, 8, 75, 25), QStringLiteral("Close"));
    Button2->SetDefault(true);
    Button2->OnClick = [this](QObject*) { suitempButton2Click(); };
    memo = NewControl<TJvMemo>(*this, suiForm1, "memo", DesignRect(*suiForm1, 0, 45, 692, 407));
    framework::SetAlign(*memo, framework::TAlign::alClient);
    memo->SetText(QStringLiteral("memo"));
    memo->SetScrollBars(framework::TScrollStyle::ssBoth);
    memo->SetClipboardCommands(static_cast<TJvClipboardCommands>(TJvClipboardCommand::caUndo));
    memo->SetReadOnly(false);
    // The text has no label: screen readers name it by the window's caption.
    memo->setAccessibleName(suiForm1->Caption());
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, memo);
    TM = NewThemeManager(*this, theme, {"suiForm1", "Button1", "Button2"});
    SetLaidOutSize(*this, *suiForm1, kClientSize, true);
}

Ttender_form::~Ttender_form() = default;

void Ttender_form::suitempButton1Click() {
    // The printer is set up on the first Print: asking the system for its printers takes longer
    // than the whole start of the program.
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer_.get(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    PrintLines(*printer_, memo->font(), memo->DisplayLines());
}

void Ttender_form::suitempButton2Click() {
    SetModalResult(framework::mrOk);
}

} // namespace qv::windows

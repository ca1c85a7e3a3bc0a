#include "app/StartForm.h"

#include "app/CheckLogin.h"
#include "framework/gui/AnsiText.h"
#include "framework/gui/MessageBox.h"
#include "skin/TsuiBuiltInFileTheme.h"
#include "skin/TsuiForm.h"
#include "skin/controls/TsuiButton.h"
#include "skin/controls/TsuiEdit.h"
#include "windows/FormLayout.h"
#include "windows/MainForm.h"

#include <algorithm>

namespace qv::app {

namespace {
constexpr QSize kClientSize{380, 357};
constexpr const char* SEnterEmail = "Please enter email.";
constexpr const char* SEnterPassword = "Please enter password.";
} // namespace

Tstart_form::Tstart_form(service::ClientState& state, windows::Tmain_form& mainForm)
    : state_(state), mainForm_(mainForm) {
    using windows::DesignRect;
    using windows::NewLabel;
    setObjectName(QStringLiteral("start_form"));
    suiForm1 = windows::NewSkinnedPanel(*this, QStringLiteral("Quorvane"), mainForm.Theme());
    // The layout puts the edition label at 31, across the bottom of this skin's caption bar; it
    // goes just below the bar instead.
    const int editionTop = std::max(31, suiForm1->ClientRect().top() - suiForm1->Frame().top() + 2);
    Label2 = NewLabel(suiForm1, QStringLiteral("Quorvane\nLinux edition"),
                      DesignRect(*suiForm1, 8, editionTop, 104, 26));
    Label1 = NewLabel(
        suiForm1,
        QStringLiteral("Welcome to Quorvane Linux edition.\nPlease choose from the following options"),
        DesignRect(*suiForm1, 64, 87, 248, 26), Qt::AlignHCenter, false);
    Label4 = NewLabel(suiForm1, QStringLiteral("Email"), DesignRect(*suiForm1, 48, 271, 25, 13));
    Label5 = NewLabel(suiForm1, QStringLiteral("Password"), DesignRect(*suiForm1, 48, 295, 46, 13));
    email = windows::NewControl<skin::TsuiEdit>(*this, suiForm1, "email",
                                                DesignRect(*suiForm1, 112, 264, 145, 21));
    email->setText(QStringLiteral("email"));
    email->SetBorderColor(windows::kSlateBlue);
    password = windows::NewControl<skin::TsuiEdit>(*this, suiForm1, "password",
                                                   DesignRect(*suiForm1, 112, 288, 145, 21));
    password->setText(QStringLiteral("password"));
    password->SetPasswordChar(u'*');
    password->SetBorderColor(windows::kSlateBlue);
    Button3 = windows::NewButton(*this, suiForm1, "Button3", DesignRect(*suiForm1, 264, 280, 75, 25),
                                 QStringLiteral("Login"));
    Button3->OnClick = [this](QObject*) { suitempButton3Click(); };
    Label4->setBuddy(email);
    Label5->setBuddy(password);
    setTabOrder(email, password);
    setTabOrder(password, Button3);
    TM = windows::NewThemeManager(*this, mainForm.Theme(), {"suiForm1", "email", "password", "Button3"});
    windows::SetLaidOutSize(*this, *suiForm1, kClientSize, true);
}

void Tstart_form::suitempButton3Click() {
    if (email->text().isEmpty()) {
        framework::ShowMessage(QString::fromLatin1(SEnterEmail));
        return;
    }
    if (password->text().isEmpty()) {
        framework::ShowMessage(QString::fromLatin1(SEnterPassword));
        return;
    }
    state_.email = framework::QStringToAnsi(email->text());
    state_.password = framework::QStringToAnsi(password->text());
    if (!CheckLogin(state_, mainForm_.Http())) return;
    mainForm_.ShowAccount();
    SetModalResult(framework::mrOk);
}

} // namespace qv::app

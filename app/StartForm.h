#pragma once

#include "framework/gui/Form.h"
#include "service/ClientState.h"

class QLabel;

namespace qv::skin {
class TsuiButton;
class TsuiEdit;
class TsuiForm;
class TsuiThemeManager;
} // namespace qv::skin

namespace qv::windows {
class Tmain_form;
}

namespace qv::app {

// The login window: asks for the account's e-mail address and password when the start-up login
// did not succeed. Shown modally once; a successful login fills the main window and closes it.
class Tstart_form : public framework::TForm {
    Q_OBJECT

public:
    Tstart_form(service::ClientState& state, windows::Tmain_form& mainForm);

    // Login.
    void suitempButton3Click();

    skin::TsuiForm* suiForm1;
    QLabel* Label2;
    QLabel* Label1;
    QLabel* Label4;
    QLabel* Label5;
    skin::TsuiEdit* email;
    skin::TsuiEdit* password;
    skin::TsuiButton* Button3;

private:
    service::ClientState& state_;
    windows::Tmain_form& mainForm_;
    skin::TsuiThemeManager* TM;
};

} // namespace qv::app

#include "app/ClientSession.h"

#include "app/CheckLogin.h"
#include "app/StartForm.h"
#include "framework/gui/AnsiText.h"
#include "service/ServiceHost.h"
#include "skin/TsuiBuiltInFileTheme.h"
#include "skin/controls/TsuiEdit.h"
#include "windows/AboutForm.h"
#include "windows/MainForm.h"
#include "windows/TenderForm.h"

namespace qv::app {

TClientSession::TClientSession() {
    state_.serviceHost = service::ReadServiceHost();
    mainForm_ =
        std::make_unique<windows::Tmain_form>(state_, [this](windows::Tmain_form& form) { FormShow(form); });
    mainForm_->SetDetailsWindow([this]() -> windows::Ttender_form& { return TenderForm(); });
    mainForm_->SetAboutWindow([this]() -> windows::Tform_about& { return AboutForm(); });
}

TClientSession::~TClientSession() = default;

windows::Ttender_form& TClientSession::TenderForm() {
    if (!tenderForm_) tenderForm_ = std::make_unique<windows::Ttender_form>(mainForm_->Theme());
    return *tenderForm_;
}

windows::Tform_about& TClientSession::AboutForm() {
    if (!aboutForm_) aboutForm_ = std::make_unique<windows::Tform_about>(mainForm_->Theme());
    return *aboutForm_;
}

void TClientSession::FormShow(windows::Tmain_form& mainForm) {
    if (CheckLogin(state_, mainForm.Http())) {
        mainForm.ShowAccount();
        return;
    }
    startForm_ = std::make_unique<Tstart_form>(state_, mainForm);
    startForm_->email->setText(framework::AnsiToQString(state_.email));
    startForm_->password->setText(framework::AnsiToQString(state_.password));
    startForm_->ShowModal();
}

} // namespace qv::app

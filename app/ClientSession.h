#pragma once

#include "service/ClientState.h"

#include <memory>

namespace qv::windows {
class Tform_about;
class Tmain_form;
class Ttender_form;
} // namespace qv::windows

namespace qv::app {

class Tstart_form;

// One run of the client: the user's state and the program's long-lived windows. Creating it
// creates the main window, which logs in as it is shown (from the remembered account, else
// through the login window); the details and about windows are made when first asked for.
class TClientSession {
public:
    TClientSession();
    ~TClientSession();
    TClientSession(const TClientSession&) = delete;
    TClientSession& operator=(const TClientSession&) = delete;

    service::ClientState& State() { return state_; }
    windows::Tmain_form& MainForm() const { return *mainForm_; }
    windows::Ttender_form& TenderForm();
    windows::Tform_about& AboutForm();
    // The login window, when the start-up login needed it.
    Tstart_form* StartForm() const { return startForm_.get(); }

private:
    void FormShow(windows::Tmain_form& mainForm);

    service::ClientState state_;
    std::unique_ptr<Tstart_form> startForm_;
    std::unique_ptr<windows::Tmain_form> mainForm_;
    std::unique_ptr<windows::Ttender_form> tenderForm_;
    std::unique_ptr<windows::Tform_about> aboutForm_;
};

} // namespace qv::app

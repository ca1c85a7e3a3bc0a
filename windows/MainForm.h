#pragma once

#include "framework/gui/Form.h"
#include "service/ClientState.h"

#include <array>
#include <functional>
#include <utility>

class QLabel;
class QWidget;

namespace qv::http {
class TIdHTTP;
}

namespace qv::skin {
class TsuiBuiltInFileTheme;
class TsuiButton;
class TsuiComboBox;
class TsuiEdit;
class TsuiForm;
class TsuiPanel;
class TsuiStringGrid;
class TsuiThemeManager;
} // namespace qv::skin

namespace qv::windows {

class TJvLabel;
class Ttender_form;
class Tform_about;

// The main window: search controls, keyword links and About on the left, the result list with
// its paging on the right, the welcome line along the top. It owns the HTTP client that every
// request goes through and the skin theme every window wears. Controls keep their layout names.
class Tmain_form : public framework::TForm {
    Q_OBJECT

public:
    // Runs when the window is first shown, as the last step of its creation: the start-up login.
    using ShowHandler = std::function<void(Tmain_form&)>;

    Tmain_form(service::ClientState& state, ShowHandler formShow, framework::TComponent* owner = nullptr);
    ~Tmain_form() override;

    http::TIdHTTP& Http() const { return *http; }
    skin::TsuiBuiltInFileTheme& Theme() const { return *BFT; }
    // The details and about windows, asked for when first shown: the first paint does not wait
    // for them.
    using DetailsWindow = std::function<Ttender_form&()>;
    using AboutWindow = std::function<Tform_about&()>;
    void SetDetailsWindow(DetailsWindow window) { detailsWindow_ = std::move(window); }
    void SetAboutWindow(AboutWindow window) { aboutWindow_ = std::move(window); }

    // Fetches the page ClientState.page of today's tenders or of the keyword's results, in the
    // selected country, and shows it with its caption, page line and paging buttons. False when
    // the service refused the query (the message has been shown).
    bool ListTenders();
    // Greets the user, shows the saved keywords as links and lists the first page of today's tenders.
    void ShowAccount();
    // The code the listing sends for the country filter; typed text that names no item keeps the
    // last selected item.
    const char* SelectedCountryCode();

    void FormCreate();
    void searchChange();
    void Button5Click();
    void suiButton1Click();
    void Button1Click();
    void Button2Click();
    void JvLabel1Click(TJvLabel& sender);
    void sgDblClick();

    skin::TsuiForm* suiForm1;
    skin::TsuiPanel* suiPanel3;
    QLabel* Label1;
    QLabel* Label2;
    skin::TsuiPanel* suiPanel2;
    skin::TsuiEdit* search;
    QLabel* Label5;
    skin::TsuiComboBox* filterby1;
    skin::TsuiButton* Button5;
    QLabel* Label4;
    std::array<TJvLabel*, 10> JvLabels;
    skin::TsuiButton* suiButton1;
    skin::TsuiPanel* browse_panel;
    skin::TsuiStringGrid* sg;
    QWidget* Panel5;
    QLabel* Label3;
    skin::TsuiButton* Button1;
    skin::TsuiButton* Button2;

private:
    void CreateControls();
    void CreateSearchPanel();
    void CreateBrowsePanel();
    // Lists the page `step` pages away from the one shown.
    void TurnPage(int32_t step);

    service::ClientState& state_;
    skin::TsuiBuiltInFileTheme* BFT;
    skin::TsuiThemeManager* TM;
    http::TIdHTTP* http;
    DetailsWindow detailsWindow_;
    AboutWindow aboutWindow_;
    int countryIndex_;
};

} // namespace qv::windows

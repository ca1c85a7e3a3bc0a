#include "windows/MainForm.h"

#include "framework/Conversions.h"
#include "framework/gui/Align.h"
#include "framework/gui/AnsiText.h"
#include "framework/gui/Application.h"
#include "framework/gui/Fonts.h"
#include "framework/gui/MessageBox.h"
#include "framework/gui/Screen.h"
#include "http/IdHTTP.h"
#include "service/ServiceExchange.h"
#include "service/ServiceRequests.h"
#include "skin/SkinResources.h"
#include "skin/TsuiBuiltInFileTheme.h"
#include "skin/TsuiThemeManager.h"
#include "skin/controls/TsuiButton.h"
#include "skin/controls/TsuiComboBox.h"
#include "skin/controls/TsuiEdit.h"
#include "skin/controls/TsuiPanel.h"
#include "skin/controls/TsuiScrollBar.h"
#include "skin/controls/TsuiStringGrid.h"
#include "windows/AboutForm.h"
#include "windows/AccountDetails.h"
#include "windows/CountryFilter.h"
#include "windows/FormLayout.h"
#include "windows/ResultPaging.h"
#include "windows/TenderForm.h"
#include "windows/controls/TJvLabel.h"
#include "windows/controls/TJvMemo.h"

#include <QScopeGuard>

#include <optional>
#include <utility>

namespace qv::windows {

namespace {

constexpr QSize kClientSize{792, 553};
// The layout's limit on the window's outer size, which maximizing keeps too.
constexpr QSize kMaxWindowSize{800, 560};
constexpr const char* SQueryFailed = "Error during serving your query";
constexpr const char* SRequestFailed = "Error occured during serving your request";
constexpr std::array<int, 10> kLinkTops = {192, 208, 225, 242, 259, 276, 293, 310, 327, 344};

skin::TsuiPanel* NewPanel(framework::TForm& owner, QWidget* parent, const char* name, QRect rect,
                          const QString& caption, bool showButton) {
    auto* panel = NewControl<skin::TsuiPanel>(owner, parent, name, rect);
    panel->SetCaption(caption);
    panel->SetShowButton(showButton);
    panel->SetCaptionFontColor(kNearBlack);
    panel->SetBorderColor(kSlateBlue);
    panel->SetColor(framework::clWhite);
    return panel;
}

} // namespace

Tmain_form::Tmain_form(service::ClientState& state, ShowHandler formShow, framework::TComponent* owner)
    : framework::TForm(owner), state_(state), countryIndex_(kDefaultCountry) {
    setObjectName(QStringLiteral("main_form"));
    http = new http::TIdHTTP(this);
    service::ApplyServiceSettings(http->Request());
    service::ApplyServiceTimeouts(*http);
    service::ApplyServiceLimits(*http);
    service::ApplyServiceTls(*http);
    BFT = new skin::TsuiBuiltInFileTheme(this);
    BFT->SetName("BFT");
    BFT->ReadSkinData(skin::EmbeddedSkinArchive());
    suiForm1 = NewSkinnedPanel(*this, QStringLiteral("Quorvane"), *BFT);
    CreateControls();
    TM = NewThemeManager(*this, *BFT,
                         {"suiForm1", "browse_panel", "sg", "Button1", "Button2", "suiPanel2", "search",
                          "Button5", "suiPanel3", "filterby1", "suiButton1"});
    SetMaxSize(kMaxWindowSize);
    SetLaidOutSize(*this, *suiForm1, kClientSize, false);
    framework::RunEventHandler([this] { FormCreate(); });
    // The layout marks the window visible: it shows as the last step of its creation, and the
    // show handler runs then, before the other windows exist.
    show();
    if (formShow) framework::RunEventHandler([this, &formShow] { formShow(*this); });
}

Tmain_form::~Tmain_form() = default;

void Tmain_form::CreateControls() {
    suiPanel3 =
        NewPanel(*this, suiForm1, "suiPanel3", DesignRect(*suiForm1, 0, 45, 792, 68), "Quorvane", false);
    suiPanel3->SetAlign(framework::TAlign::alTop);
    Label1 = NewLabel(suiPanel3, QStringLiteral("Linux edition"), QRect(8, 24, 78, 13));
    Label2 = NewLabel(suiPanel3, QStringLiteral("Welcome"), QRect(8, 40, 45, 13));
    CreateSearchPanel();
    CreateBrowsePanel();
    // The panels' tab order: the results first, then the search controls.
    setTabOrder(Button2, search);
    sg->setFocus();
}

void Tmain_form::CreateSearchPanel() {
    suiPanel2 = NewPanel(*this, suiForm1, "suiPanel2", DesignRect(*suiForm1, 0, 113, 185, 440),
                         QStringLiteral("Search tenders"), true);
    // Docked at the left, the panel keeps its controls: it shows no button that would fold it.
    suiPanel2->SetAlign(framework::TAlign::alLeft);
    search = NewControl<skin::TsuiEdit>(*this, suiPanel2, "search", QRect(8, 40, 169, 21));
    search->SetBorderColor(kSlateBlue);
    search->OnChange = [this](QObject*) { searchChange(); };
    // The box has no label of its own: screen readers name it by its panel's caption.
    search->setAccessibleName(suiPanel2->Caption());
    Label5 = NewLabel(suiPanel2, QStringLiteral("Filter by:"), QRect(8, 80, 39, 13));
    filterby1 = NewControl<skin::TsuiComboBox>(*this, suiPanel2, "filterby1", QRect(56, 72, 121, 21));
    filterby1->setEditable(true);
    // Set before the items go in, so that the list lays them out when it first drops down.
    filterby1->SetItemHeight(13);
    for (const Country& country : kCountries)
        filterby1->addItem(QString::fromLatin1(country.item));
    filterby1->setCurrentIndex(kDefaultCountry);
    Label5->setBuddy(filterby1);
    filterby1->SetBorderColor(kSlateBlue);
    filterby1->SetArrowColor(framework::clBlack);
    filterby1->SetButtonColor(kPaleBlue);
    connect(filterby1, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && index < static_cast<int>(kCountries.size())) countryIndex_ = index;
    });
    Button5 = NewButton(*this, suiPanel2, "Button5", QRect(8, 112, 75, 25), QStringLiteral("Browse"));
    Button5->OnClick = [this](QObject*) { Button5Click(); };
    Label4 = NewLabel(suiPanel2, QStringLiteral("Keywords"), QRect(6, 168, 46, 13));
    QFont hotTrackFont =
        framework::PixelFont(QStringLiteral("MS Sans Serif"), framework::kApplicationFontPixels);
    hotTrackFont.setUnderline(true);
    for (size_t i = 0; i < JvLabels.size(); ++i) {
        const std::string name = "JvLabel" + std::to_string(i + 1);
        TJvLabel* link = NewControl<TJvLabel>(*this, suiPanel2, name.c_str(), QRect(6, kLinkTops[i], 43, 13));
        link->SetCaption(QStringLiteral("JvLabel1"));
        link->HotTrack = true;
        link->SetHotTrackFont(hotTrackFont);
        link->SetHotTrackFontColor(framework::clBlue);
        link->OnClick = [this](QObject* sender) { JvLabel1Click(*static_cast<TJvLabel*>(sender)); };
        JvLabels[i] = link;
    }
    suiButton1 = NewButton(*this, suiPanel2, "suiButton1", QRect(40, 400, 105, 27), QStringLiteral("About"));
    suiButton1->OnClick = [this](QObject*) { suiButton1Click(); };
    // Top to bottom: the search controls, the keyword links, About.
    setTabOrder(search, filterby1);
    setTabOrder(filterby1, Button5);
    QWidget* previous = Button5;
    for (TJvLabel* link : JvLabels)
        setTabOrder(std::exchange(previous, link), link);
    setTabOrder(previous, suiButton1);
}

void Tmain_form::CreateBrowsePanel() {
    browse_panel = NewPanel(*this, suiForm1, "browse_panel", DesignRect(*suiForm1, 185, 113, 607, 440),
                            QStringLiteral("Search results"), false);
    browse_panel->SetAlign(framework::TAlign::alClient);
    sg = NewControl<skin::TsuiStringGrid>(*this, browse_panel, "sg", QRect(4, 25, 599, 370));
    // Screen readers name the list by its panel's caption, which each listing rewrites.
    sg->setAccessibleName(browse_panel->Caption());
    framework::SetAlign(*sg, framework::TAlign::alClient);
    sg->SetColCount(1);
    sg->SetRowCount(1);
    sg->SetFixedRows(0);
    sg->SetFixedCols(0);
    framework::TGridOptions options;
    options.DrawFocusSelected = true;
    sg->SetOptions(options);
    sg->SetColWidths(0, 590);
    sg->SetDefaultRowHeight(16);
    sg->SetBGColor(kPaleBlue);
    sg->SetBorderColor(kSlateBlue);
    sg->SetFocusedColor(framework::clLime);
    sg->SetSelectedColor(framework::clYellow);
    sg->SetFixedBGColor(kRoyalBlue);
    sg->SetFixedFontColor(framework::clBlack);
    sg->SetFontColor(kNearBlack);
    sg->OnDblClick = [this](QObject*) { sgDblClick(); };
    // Enter on a row opens it, as a double-click does, for those who use the keyboard.
    sg->OnKeyDown = [this](QObject*, int& key, Qt::KeyboardModifiers) {
        if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
        key = 0;
        sgDblClick();
    };
    Panel5 = NewPlainPanel(browse_panel, "Panel5", QRect(4, 395, 599, 41));
    framework::SetAlign(*Panel5, framework::TAlign::alBottom);
    Label3 = NewLabel(Panel5, QStringLiteral("Page 1 of 10"), QRect(0, 12, 433, 13), Qt::AlignHCenter, false);
    Button1 = NewButton(*this, Panel5, "Button1", QRect(432, 8, 75, 25), QStringLiteral("Previous"));
    Button1->OnClick = [this](QObject*) { Button1Click(); };
    Button2 = NewButton(*this, Panel5, "Button2", QRect(516, 8, 75, 25), QStringLiteral("Next"));
    Button2->OnClick = [this](QObject*) { Button2Click(); };
    setTabOrder(sg, Button1);
    setTabOrder(Button1, Button2);
}

void Tmain_form::FormCreate() {
    sg->SetColor(framework::clWhite);
}

const char* Tmain_form::SelectedCountryCode() {
    countryIndex_ = CountryIndexFor(filterby1->currentText(), countryIndex_);
    if (filterby1->currentIndex() != countryIndex_ ||
        filterby1->currentText() != filterby1->itemText(countryIndex_))
        filterby1->setCurrentIndex(countryIndex_);
    return kCountries[static_cast<size_t>(countryIndex_)].code;
}

bool Tmain_form::ListTenders() {
    std::optional<service::BrowsePage> page;
    {
        // Restored also when the exchange fails, so the failure never leaves an hourglass behind.
        framework::TBusyCursor busy;
        page = service::Browse(*http, state_, SelectedCountryCode());
    }
    if (!page) {
        framework::ShowMessage(QString::fromLatin1(SQueryFailed));
        return false;
    }
    sg->SetRowCount(1);
    state_.totalCount = page->total;
    browse_panel->SetCaption(framework::AnsiToQString(ResultCaption(state_.keyword, state_.totalCount)));
    sg->setAccessibleName(browse_panel->Caption());
    const std::vector<service::TenderRow>& rows = page->rows;
    // A page without tenders shows an empty row, not the first row of the page before.
    if (rows.empty()) {
        sg->SetCells(0, 0, QString());
        sg->SetCells(1, 0, QString());
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        const int row = static_cast<int>(i);
        if (row > 0) sg->SetRowCount(row + 1);
        sg->SetCells(0, row, framework::AnsiToQString(rows[i].title));
        sg->SetCells(1, row, framework::AnsiToQString(rows[i].id));
    }
    const int32_t pages = PageCount(state_.totalCount);
    SetLabelText(*Label3, QString::fromStdString(PageLine(state_.page, pages)));
    Button2->setEnabled(pages > state_.page);
    Button1->setEnabled(state_.page != 1);
    return true;
}

void Tmain_form::ShowAccount() {
    const AccountDetails details = ParseAccountDetails(state_.loginTail);
    // More keywords than links: the first ten are shown.
    const size_t shown = std::min(details.keywords.size(), JvLabels.size());
    for (size_t i = 0; i < shown; ++i) {
        JvLabels[i]->SetCaption(framework::AnsiToQString(details.keywords[i]));
        // Links size themselves to their captions, as labels do.
        JvLabels[i]->resize(JvLabels[i]->sizeHint().width(), JvLabels[i]->height());
        JvLabels[i]->setEnabled(true);
    }
    for (size_t i = shown; i < JvLabels.size(); ++i)
        JvLabels[i]->hide();
    JvLabels.back()->setEnabled(false);
    SetLabelText(*Label2, QStringLiteral("Welcome ") + framework::AnsiToQString(details.name));
    state_.page = 1;
    ListTenders();
}

void Tmain_form::searchChange() {
    const bool keyword = !framework::Trim(framework::QStringToAnsi(search->text())).empty();
    Button5->SetCaption(keyword ? QStringLiteral("Search") : QStringLiteral("Browse"));
}

void Tmain_form::Button5Click() {
    state_.page = 1;
    state_.keyword = framework::Trim(framework::QStringToAnsi(search->text()));
    ListTenders();
}

void Tmain_form::suiButton1Click() {
    if (aboutWindow_) aboutWindow_().ShowModal();
}

void Tmain_form::Button1Click() {
    TurnPage(-1);
}

void Tmain_form::Button2Click() {
    TurnPage(+1);
}

void Tmain_form::TurnPage(int32_t step) {
    const int32_t shown = state_.page;
    state_.page = shown + step;
    bool listed = false;
    // A listing that fails, with a message or an exception, leaves the page that is still shown,
    // so that the next Previous or Next counts from it.
    const auto keepShownPage = qScopeGuard([&] {
        if (!listed) state_.page = shown;
    });
    listed = ListTenders();
}

void Tmain_form::JvLabel1Click(TJvLabel& sender) {
    state_.page = 1;
    state_.keyword = framework::QStringToAnsi(sender.Caption());
    ListTenders();
}

void Tmain_form::sgDblClick() {
    const std::string id = framework::QStringToAnsi(sg->Cells(1, sg->Selection().Top));
    std::optional<std::string> text;
    {
        framework::TBusyCursor busy;
        text = service::ViewTender(*http, state_, id);
    }
    if (!text) {
        framework::ShowMessage(QString::fromLatin1(SRequestFailed));
        return;
    }
    if (!detailsWindow_) return;
    Ttender_form& details = detailsWindow_();
    details.memo->SetText(framework::AnsiToQString(*text));
    details.memo->SetClipboardCommands(kAllClipboardCommands);
    details.ShowModal();
}

} // namespace qv::windows

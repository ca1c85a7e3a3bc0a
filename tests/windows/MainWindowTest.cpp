#include "windows/MainForm.h"

#include "framework/EConvertError.h"
#include "framework/gui/Application.h"
#include "framework/gui/Screen.h"
#include "skin/TsuiBuiltInFileTheme.h"
#include "skin/TsuiForm.h"
#include "skin/TsuiTitleBar.h"
#include "skin/controls/TsuiButton.h"
#include "skin/controls/TsuiComboBox.h"
#include "skin/controls/TsuiEdit.h"
#include "skin/controls/TsuiPanel.h"
#include "skin/controls/TsuiScrollBar.h"
#include "skin/controls/TsuiStringGrid.h"
#include "skin/controls/TsuiURLLabel.h"
#include "windows/AboutForm.h"
#include "windows/TenderForm.h"
#include "windows/controls/TJvLabel.h"
#include "windows/controls/TJvMemo.h"

#include "tests/support/ScriptedService.h"
#include "tests/support/client/ClientSandbox.h"
#include "tests/support/qt/QtTestEnvironment.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>

namespace qv::windows::test {

using qv::test::BrowseReply;
using qv::test::ScriptedService;

namespace {

[[maybe_unused]] const bool kQt = qv::test::RegisterQtTestEnvironment();

std::vector<std::string> Lines(int pairs, int first = 1) {
    std::vector<std::string> lines;
    for (int i = first; i < first + pairs; ++i) {
        lines.push_back("Tender " + std::to_string(i));
        lines.push_back(std::to_string(1000 + i));
    }
    return lines;
}

// Clicks the title bar's maximize (or restore) button of the window, as the mouse does.
void ClickMaximizeButton(skin::TsuiForm& panel) {
    skin::TsuiTitleBar& bar = panel.TitleBar();
    const auto& buttons = bar.Buttons();
    const auto maximize =
        std::find_if(buttons.begin(), buttons.end(), [](const skin::TsuiTitleBarButton& button) {
            return button.ButtonType == skin::TsuiTitleBarBtnType::suiMax;
        });
    const QPoint at = bar.Layout().buttonRects[static_cast<size_t>(maximize - buttons.begin())].center();
    QTest::mouseMove(&bar, at);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, at);
}

// What a screen reader finds from the window down: the name of every control that shows and
// takes the focus with Tab, by the control's layout name; a control named by a label reads as
// that label.
std::map<std::string, std::string> ReadAloud(QWidget& window) {
    std::map<std::string, std::string> names;
    std::vector<QAccessibleInterface*> pending{QAccessible::queryAccessibleInterface(&window)};
    while (!pending.empty()) {
        QAccessibleInterface* node = pending.back();
        pending.pop_back();
        for (int i = 0; i < node->childCount(); ++i)
            pending.push_back(node->child(i));
        auto* widget = qobject_cast<QWidget*>(node->object());
        if (!widget || !widget->isVisible() || !(widget->focusPolicy() & Qt::TabFocus) ||
            widget->focusProxy())
            continue;
        const auto labels = node->relations(QAccessible::Label);
        names[widget->objectName().toStdString()] =
            (labels.isEmpty() ? node : labels.first().first)->text(QAccessible::Name).toStdString();
    }
    return names;
}

} // namespace

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        state_.email = "anna@example.org";
        state_.password = "pw";
        state_.serviceHost = sandbox_.ServiceHost();
        framework::TApplication::SetExceptionHandler(
            [this](std::exception_ptr e) { failures_.push_back(framework::ExceptionMessage(e)); });
        form_ = std::make_unique<Tmain_form>(state_, nullptr);
    }
    void TearDown() override { framework::TApplication::SetExceptionHandler({}); }

    // Lists page `page` of the reply as the paging buttons would.
    void List(const std::string& reply, int page = 1) {
        service_.SetReply(reply);
        state_.page = page;
        form_->ListTenders();
    }
    std::vector<QString> Titles() const {
        std::vector<QString> titles;
        for (int row = 0; row < form_->sg->RowCount(); ++row)
            titles.push_back(form_->sg->Cells(0, row));
        return titles;
    }

    ScriptedService service_;
    qv::test::ClientSandbox sandbox_{service_.Port()};
    service::ClientState state_;
    std::vector<QString> failures_;
    std::unique_ptr<Tmain_form> form_;
};

TEST_F(MainWindowTest, BeforeAnyListingTheLayoutTextsShow) {
    EXPECT_EQ(form_->Label3->text(), "Page 1 of 10");
    EXPECT_EQ(form_->Label2->text(), "Welcome");
    EXPECT_EQ(form_->JvLabels[9]->Caption(), "JvLabel1");
    EXPECT_TRUE(form_->Button1->isEnabled());
    EXPECT_TRUE(form_->Button2->isEnabled());
    EXPECT_EQ(form_->filterby1->currentText(), "United Kingdom");
    EXPECT_EQ(form_->size(), QSize(792, 553).grownBy(form_->suiForm1->Frame()));
    EXPECT_EQ(form_->sg->RowCount(), 1);
}

TEST_F(MainWindowTest, PageLineAndPagingButtonsFollowTheTotal) {
    const struct {
        int total;
        int page;
        const char* line;
        bool previous;
        bool next;
    } cases[] = {{0, 1, "Page 1 of 0", false, false},
                 {20, 1, "Page 1 of 1", false, false},
                 {21, 1, "Page 1 of 2", false, true},
                 {45, 3, "Page 3 of 3", true, false},
                 {45, 2, "Page 2 of 3", true, true}};
    for (const auto& c : cases) {
        List(BrowseReply(c.total, Lines(2)), c.page);
        EXPECT_EQ(form_->Label3->text(), c.line);
        EXPECT_EQ(form_->Button1->isEnabled(), c.previous) << c.line;
        EXPECT_EQ(form_->Button2->isEnabled(), c.next) << c.line;
        EXPECT_EQ(state_.totalCount, c.total);
    }
    EXPECT_EQ(form_->browse_panel->Caption(), "Todays tenders: 45 tenders found.");
    form_->Button1Click();
    EXPECT_NE(service_.LastTarget().find("&page=1&"), std::string::npos) << service_.LastTarget();
    EXPECT_TRUE(failures_.empty());
}

TEST_F(MainWindowTest, RowsComeInPairsAndEachPageReplacesTheLast) {
    std::vector<std::string> five = Lines(2);
    five.push_back("unpaired");
    List(BrowseReply(4, five));
    EXPECT_EQ(Titles(), (std::vector<QString>{"Tender 1", "Tender 2"}));
    EXPECT_EQ(form_->sg->Cells(1, 1), "1002") << "the id waits in the hidden cell";
    List(BrowseReply(40, Lines(20)));
    List(BrowseReply(21, Lines(1, 21)), 2);
    EXPECT_EQ(Titles(), (std::vector<QString>{"Tender 21"}));
    List(BrowseReply(0, {}));
    EXPECT_EQ(Titles(), (std::vector<QString>{""})) << "a page without tenders leaves no old row behind";
    EXPECT_EQ(form_->sg->Cells(1, 0), "");
}

TEST_F(MainWindowTest, SearchCaptionKeywordAndCountryGoIntoTheRequest) {
    service_.SetReply(BrowseReply(3, Lines(3)));
    form_->search->setText(QStringLiteral("  "));
    EXPECT_EQ(form_->Button5->Caption(), "Browse");
    form_->search->setText(QStringLiteral("  wind farm "));
    EXPECT_EQ(form_->Button5->Caption(), "Search");
    form_->filterby1->setEditText(QStringLiteral("france"));
    state_.page = 7;
    form_->Button5Click();
    EXPECT_EQ(service_.LastTarget(),
              "/app.php?action=browse&email=anna@example.org&password=pw&page=1&keyword=wind%20farm"
              "&filterby1='FR'");
    form_->search->clear();
    EXPECT_EQ(form_->browse_panel->Caption(), "Search results: 3 tenders found.");
    form_->filterby1->setEditText(QStringLiteral("Narnia"));
    form_->Button2Click();
    EXPECT_NE(service_.LastTarget().find("&page=2&keyword=wind%20farm&filterby1='FR'"), std::string::npos);
    EXPECT_EQ(form_->filterby1->currentText(), "France")
        << "text that names no country gives way to the last one";
}

TEST_F(MainWindowTest, KeywordLinksShowTheSavedKeywords) {
    service_.SetReply(BrowseReply(1, Lines(1)));
    const struct {
        const char* tail;
        std::vector<QString> shown;
    } cases[] = {
        {"Anna{{}},,energy,", {"energy"}},
        {"Bo{{}}", {}},
        {"Bo{{}}a,b,c,d,e,f,g,h,i,j", {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}},
        {"Bo{{}}a,b,c,d,e,f,g,h,i,j,k,l", {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}},
    };
    for (const auto& c : cases) {
        form_ = std::make_unique<Tmain_form>(state_, nullptr);
        state_.loginTail = c.tail;
        form_->ShowAccount();
        std::vector<QString> shown;
        for (TJvLabel* link : form_->JvLabels)
            if (!link->isHidden()) shown.push_back(link->Caption());
        EXPECT_EQ(shown, c.shown) << c.tail;
        EXPECT_FALSE(form_->JvLabels[9]->isEnabled()) << "the tenth link never reacts";
    }
    EXPECT_EQ(form_->Label2->text(), "Welcome Bo");
    EXPECT_EQ(form_->browse_panel->Caption(), "Todays tenders: 1 tenders found.");
    EXPECT_TRUE(failures_.empty());
}

TEST_F(MainWindowTest, ALinkSearchesItsKeywordAsItStands) {
    service_.SetReply(BrowseReply(1, Lines(1)));
    state_.loginTail = "Anna{{}} R&D ,x";
    form_->ShowAccount();
    state_.page = 4;
    form_->JvLabel1Click(*form_->JvLabels[0]);
    EXPECT_NE(service_.LastTarget().find("&page=1&keyword=%20R%26D%20&filterby1='GB'"), std::string::npos)
        << service_.LastTarget();
    EXPECT_EQ(form_->browse_panel->Caption(), "Search results: 1 tenders found.");
}

TEST_F(MainWindowTest, FailedListingsKeepWhatWasShownAndThePageNumber) {
    List(BrowseReply(45, Lines(2)));
    qv::test::MessageBoxRecorder messages;
    service_.SetReply("Bad login");
    form_->Button2Click();
    EXPECT_EQ(messages.Texts(), (std::vector<QString>{"Error during serving your query"}));
    EXPECT_EQ(form_->Label3->text(), "Page 1 of 3");
    EXPECT_EQ(state_.page, 1) << "a refused listing leaves the page shown";
    service_.SetReplies([](const std::string&) { return std::nullopt; });
    framework::RunEventHandler([&] { form_->Button2Click(); });
    ASSERT_EQ(failures_.size(), 1u);
    EXPECT_EQ(state_.page, 1) << "so does a failed one";
    EXPECT_EQ(framework::TScreen::Cursor(), framework::TCursor::crDefault) << "no hourglass left behind";
    EXPECT_EQ(Titles(), (std::vector<QString>{"Tender 1", "Tender 2"}));
    service_.SetReply(BrowseReply(45, Lines(2, 21)));
    form_->Button2Click();
    EXPECT_NE(service_.LastTarget().find("&page=2&"), std::string::npos) << service_.LastTarget();
    EXPECT_EQ(form_->Label3->text(), "Page 2 of 3");
    EXPECT_THROW(List("ok    4x    \r\nTender 9\r\n1009\r\n"), framework::EConvertError);
    EXPECT_EQ(Titles(), (std::vector<QString>{"Tender 21", "Tender 22"})) << "a count that is no number";
    EXPECT_EQ(form_->Label3->text(), "Page 2 of 3");
}

TEST_F(MainWindowTest, ADoubleClickOpensTheTenderInTheDetailsWindow) {
    Ttender_form details(form_->Theme());
    form_->SetDetailsWindow([&]() -> Ttender_form& { return details; });
    List(BrowseReply(1, Lines(1)));
    const struct {
        const char* reply;
        bool shown;
        QString text;
        std::vector<QString> messages;
    } cases[] = {{"ok\r\nTitle\r\nBody line", true, "Title\r\nBody line", {}},
                 {"ok", true, "", {}},
                 {"No such tender", false, "", {"Error occured during serving your request"}}};
    for (const auto& c : cases) {
        service_.SetReply(c.reply);
        bool shown = false;
        QTimer::singleShot(0, [&] {
            shown = QApplication::activeModalWidget() == &details;
            if (shown) details.suitempButton2Click();
        });
        qv::test::MessageBoxRecorder messages;
        form_->sgDblClick();
        EXPECT_EQ(shown, c.shown) << c.reply;
        EXPECT_EQ(messages.Texts(), c.messages);
        if (c.shown) {
            EXPECT_EQ(details.memo->Text(), c.text);
        }
        EXPECT_NE(service_.LastTarget().find("action=view_tender&email=anna@example.org&password=pw&id=1001"),
                  std::string::npos);
    }
}

TEST_F(MainWindowTest, PanelsDockAsLaidOutAndTheSearchPanelDoesNotFold) {
    const QRect client = form_->suiForm1->ClientRect();
    EXPECT_EQ(form_->suiPanel3->geometry(), QRect(client.left(), client.top(), 792, 68));
    EXPECT_EQ(form_->suiPanel2->geometry(), QRect(client.left(), client.top() + 68, 185, 440));
    EXPECT_EQ(form_->browse_panel->geometry(), client.adjusted(185, 68, 0, 0));
    const QRect results = form_->browse_panel->ChildArea();
    EXPECT_EQ(form_->Panel5->geometry(), QRect(results.left(), results.bottom() - 40, results.width(), 41));
    EXPECT_EQ(form_->sg->geometry(), results.adjusted(0, 0, 0, -41));

    form_->show();
    const QPoint arrow = form_->suiPanel2->ButtonRect().center();
    QTest::mouseMove(form_->suiPanel2, arrow);
    QTest::mouseClick(form_->suiPanel2, Qt::LeftButton, {}, arrow);
    EXPECT_TRUE(form_->suiPanel2->Expanded());
    EXPECT_EQ(form_->suiPanel2->height(), 440);
    EXPECT_TRUE(form_->search->isVisible());
    EXPECT_TRUE(form_->suiButton1->isVisible());
}

TEST_F(MainWindowTest, MaximizeSpreadsTheWindowsOverTheWorkAreaAndRestoreBringsThemBack) {
    Ttender_form details(form_->Theme());
    Tform_about about(form_->Theme());
    const QRect spread = QGuiApplication::primaryScreen()->availableGeometry().adjusted(-2, -2, 2, -1);
    const struct {
        framework::TForm* window;
        skin::TsuiForm* panel;
        QRect maximized;
        // Whether the window manager may maximize it: a largest size left open.
        bool growable;
    } cases[] = {{&details, details.suiForm1, spread, true},
                 {&about, about.suiForm1, spread, true},
                 // The main window keeps to its layout's 800 by 560.
                 {form_.get(), form_->suiForm1, QRect(spread.topLeft(), QSize(800, 560)), false}};
    for (const auto& c : cases) {
        c.window->show();
        const QRect normal = c.window->geometry();
        const QSize memo = details.memo->size();
        ClickMaximizeButton(*c.panel);
        EXPECT_EQ(c.window->geometry(), c.maximized) << c.window->objectName().toStdString();
        EXPECT_TRUE(c.panel->TitleBar().Maximized());
        ClickMaximizeButton(*c.panel);
        EXPECT_EQ(c.window->geometry(), normal) << c.window->objectName().toStdString();
        EXPECT_EQ(c.window->minimumSize(), normal.size()) << "the laid-out size is the smallest";
        EXPECT_EQ(c.window->maximumSize(),
                  c.growable ? QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX) : normal.size())
            << c.window->objectName().toStdString();
        EXPECT_EQ(details.memo->size(), memo);
        c.window->hide();
    }
    details.show();
    ClickMaximizeButton(*details.suiForm1);
    const QRect client = details.suiForm1->ClientRect();
    EXPECT_EQ(details.Panel1->geometry(), QRect(client.left(), client.bottom() - 40, client.width(), 41));
    EXPECT_EQ(details.memo->geometry(), client.adjusted(0, 0, 0, -41)) << "the memo fills the rest";
    EXPECT_EQ(details.Button2->mapTo(&details, QPoint(0, 0)).y(), client.bottom() - 40 + 8);
}

TEST_F(MainWindowTest, EscapeLeavesWindowsWithoutACancelButtonOpen) {
    Ttender_form details(form_->Theme());
    Tform_about about(form_->Theme());
    for (framework::TForm* window : std::initializer_list<framework::TForm*>{&details, &about}) {
        bool open = false;
        QTimer::singleShot(0, [&] {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window,
                            Qt::Key_Escape);
            open = window->isVisible();
            window->SetModalResult(framework::mrOk);
        });
        EXPECT_EQ(window->ShowModal(), framework::mrOk);
        EXPECT_TRUE(open) << window->objectName().toStdString();
    }
}

TEST_F(MainWindowTest, TabFollowsTheLayoutAndScreenReadersNameEveryControl) {
    List(BrowseReply(45, Lines(20)));
    state_.loginTail = "Anna{{}}energy,R&D";
    form_->ShowAccount();
    form_->show();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    form_->search->setFocus();
    std::vector<std::string> order;
    for (int i = 0; i < 9; ++i) {
        order.push_back(QApplication::focusWidget()->objectName().toStdString());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"search", "filterby1", "Button5", "JvLabel1", "JvLabel2",
                                               "suiButton1", "sg", "Button2", "search"}))
        << "Previous is off on the first page";

    Ttender_form details(form_->Theme());
    Tform_about about(form_->Theme());
    details.show();
    about.show();
    about.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&about));
    EXPECT_EQ(QApplication::focusWidget(), about.suiButton1) << "Enter closes the about window as it opens";
    QTest::keyClick(about.suiButton1, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), about.suiURLLabel1);
    EXPECT_EQ(ReadAloud(*form_),
              (std::map<std::string, std::string>{{"Button1", "Previous"},
                                                  {"Button2", "Next"},
                                                  {"Button5", "Browse"},
                                                  {"JvLabel1", "energy"},
                                                  {"JvLabel2", "RD"},
                                                  {"filterby1", "Filter by:"},
                                                  {"search", "Search tenders"},
                                                  {"sg", form_->browse_panel->Caption().toStdString()},
                                                  {"suiButton1", "About"}}));
    EXPECT_EQ(ReadAloud(details),
              (std::map<std::string, std::string>{
                  {"Button1", "Print"}, {"Button2", "Close"}, {"memo", "Quorvane - View tender details"}}));
    EXPECT_EQ(ReadAloud(about),
              (std::map<std::string, std::string>{
                  {"suiButton1", "Close"}, {"suiURLLabel1", about.suiURLLabel1->Caption().toStdString()}}));
}

} // namespace qv::windows::test

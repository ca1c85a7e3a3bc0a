#include "app/ClientSession.h"
#include "app/CredentialStore.h"
#include "app/StartForm.h"
#include "framework/Registry.h"
#include "skin/controls/TsuiEdit.h"
#include "skin/controls/TsuiPanel.h"
#include "skin/controls/TsuiScrollBar.h"
#include "skin/controls/TsuiStringGrid.h"
#include "windows/MainForm.h"
#include "windows/controls/TJvLabel.h"

#include "tests/server/TestService.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/client/ClientSandbox.h"
#include "tests/support/qt/QtTestEnvironment.h"
#include "tests/support/tls/TestCertificates.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

namespace qv::app::test {

namespace {

[[maybe_unused]] const bool kQt = qv::test::RegisterQtTestEnvironment();

constexpr const char* kWrong = "Wrong email or password, please try again.";

void Remember(const std::string& email, const std::string& password) {
    service::ClientState state;
    state.email = email;
    state.password = password;
    SaveCredentials(state);
}

// Waits for the login window while it lives: records what its boxes held when it came up, then
// runs `act` on it (which may log in, or close it).
class LoginWindowWatch {
public:
    explicit LoginWindowWatch(std::function<void(Tstart_form&)> act) {
        QObject::connect(&timer_, &QTimer::timeout, [this, act] {
            auto* form = qobject_cast<Tstart_form*>(QApplication::activeModalWidget());
            if (!form || shown) return;
            shown = true;
            email = form->email->text();
            password = form->password->text();
            act(*form);
        });
        timer_.start(5);
    }

    bool shown = false;
    QString email;
    QString password;

private:
    QTimer timer_;
};

} // namespace

class StartupTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { service_ = qv::server::test::StartService(); }
    static void TearDownTestSuite() { service_.reset(); }
    void SetUp() override { ASSERT_TRUE(service_->Started()) << service_->Log(); }

    static inline std::unique_ptr<qv::test::PeerProcess> service_;
    qv::test::ClientSandbox sandbox_{service_ ? service_->Port() : uint16_t{0}};
};

TEST_F(StartupTest, TheLoginWindowComesOnlyWhenTheRememberedAccountDoesNotLogIn) {
    const struct {
        const char* name;
        std::optional<std::pair<std::string, std::string>> stored;
        std::vector<QString> messages;
        bool loginWindow;
        QString email;
        QString password;
    } cases[] = {
        {"first run", std::nullopt, {}, true, "", ""},
        {"accepted", std::make_pair("demo@quorvane.example", "demo"), {}, false, "", ""},
        {"refused",
         std::make_pair("demo@quorvane.example", "nope"),
         {kWrong},
         true,
         "demo@quorvane.example",
         "nope"},
        {"e-mail alone", std::make_pair("demo@quorvane.example", ""), {}, true, "demo@quorvane.example", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        framework::TRegistry registry;
        ASSERT_TRUE(registry.OpenKey(kCredentialKey, true));
        registry.DeleteValue("email");
        registry.DeleteValue("password");
        if (c.stored) Remember(c.stored->first, c.stored->second);
        qv::test::MessageBoxRecorder messages;
        LoginWindowWatch visit([](Tstart_form& form) { form.close(); });
        TClientSession session;
        EXPECT_EQ(messages.Texts(), c.messages);
        EXPECT_EQ(visit.shown, c.loginWindow);
        EXPECT_EQ(visit.email, c.email);
        EXPECT_EQ(visit.password, c.password);
        const windows::Tmain_form& main = session.MainForm();
        EXPECT_TRUE(main.isVisible()) << "the program runs on, logged in or not";
        if (c.loginWindow) {
            EXPECT_EQ(main.Label2->text(), "Welcome");
            EXPECT_EQ(main.Label3->text(), "Page 1 of 10");
            EXPECT_EQ(main.JvLabels[0]->Caption(), "JvLabel1");
        } else {
            EXPECT_EQ(main.Label2->text(), "Welcome Anna M\u00FCller");
            EXPECT_GT(main.sg->RowCount(), 1);
            EXPECT_TRUE(main.Label3->text().startsWith("Page 1 of "));
            EXPECT_EQ(main.JvLabels[0]->Caption(), "construction");
        }
    }
}

TEST_F(StartupTest, TheLoginWindowChecksItsBoxesAndRemembersACorrectedLogin) {
    qv::test::MessageBoxRecorder messages;
    LoginWindowWatch visit([](Tstart_form& form) {
        const struct {
            const char* email;
            const char* password;
        } tries[] = {
            {"", "demo"}, {"demo@quorvane.example", ""}, {"  ", "demo"}, {"demo@quorvane.example", "demo"}};
        for (const auto& t : tries) {
            form.email->setText(QString::fromUtf8(t.email));
            form.password->setText(QString::fromUtf8(t.password));
            form.suitempButton3Click();
        }
    });
    {
        TClientSession session;
        EXPECT_TRUE(visit.shown);
        EXPECT_EQ(messages.Texts(),
                  (std::vector<QString>{"Please enter email.", "Please enter password.", kWrong}));
        EXPECT_FALSE(session.StartForm()->isVisible()) << "a successful login closes the window";
        EXPECT_EQ(session.StartForm()->ModalResult(), framework::mrOk);
        EXPECT_EQ(session.MainForm().Label2->text(), "Welcome Anna M\u00FCller");
    }
    LoginWindowWatch second([](Tstart_form& form) { form.close(); });
    TClientSession next;
    EXPECT_FALSE(second.shown) << "the next start logs in by itself";
    EXPECT_EQ(next.MainForm().Label2->text(), "Welcome Anna M\u00FCller");
}

// The service serves HTTPS with a certificate that the test authority signed for 127.0.0.1.
TEST(HttpsStartupTest, TheRememberedAccountLogsInAndListsOverHttps) {
    const qv::test::TestCertificates& certificates = qv::test::Certificates();
    const auto service = qv::server::test::StartService(
        {"--tls-cert", certificates.good.cert, "--tls-key", certificates.good.key});
    ASSERT_TRUE(service->Started()) << service->Log();
    const qv::test::ScopedEnvironment trust{{"SSL_CERT_FILE", certificates.trustFile}};
    const qv::test::ClientSandbox sandbox(service->Port(), "https");
    Remember("demo@quorvane.example", "demo");
    qv::test::MessageBoxRecorder messages;
    TClientSession session;
    EXPECT_EQ(messages.Texts(), std::vector<QString>{});
    windows::Tmain_form& main = session.MainForm();
    EXPECT_EQ(main.Label2->text(), "Welcome Anna M\u00FCller");
    EXPECT_GT(main.sg->RowCount(), 1);
    EXPECT_TRUE(main.Label3->text().startsWith("Page 1 of "));
    // The host was read at start: what the environment says later reaches no request.
    const qv::test::ScopedEnvironment moved{{"QUORVANE_SERVICE_HOST", "127.0.0.1:9"}};
    main.search->setText(QStringLiteral("energy"));
    EXPECT_NO_THROW(main.Button5Click());
    EXPECT_TRUE(main.browse_panel->Caption().startsWith("Search results: "));
}

} // namespace qv::app::test

#include "crash/delivery/DeliverySettings.h"
#include "crash/delivery/MxLookup.h"
#include "crash/delivery/ReportMail.h"
#include "crash/delivery/SmtpClient.h"
#include "tests/support/RealPeers.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedTempFolder.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/crash/ScriptedNameServer.h"
#include "tests/support/tls/TestCertificates.h"
#include "tests/support/tls/TlsServerConnection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace qv::crash::test {

namespace {

constexpr const char* kReport = "date/time         : 2024-03-01 09:05\r\n"
                                "exception message : Access violation.\r\n"
                                ".\r\n"
                                "..two dots\r\n"
                                "last line";

// The mail the server stored as mail-N, waited for a few seconds.
std::string StoredMail(const qv::test::PeerProcess& peer, int number) {
    const std::string path = peer.Dir() + "/mail-" + std::to_string(number);
    for (int tries = 0; tries < 500 && !std::filesystem::exists(path); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return qv::test::ReadFile(path);
}

DeliverySettings RelaySettings(uint16_t port) {
    DeliverySettings settings;
    settings.smtpViaRelay = true;
    settings.smtpServer = "127.0.0.1";
    settings.smtpPort = port;
    settings.useMapi = false;
    settings.useMailto = false;
    return settings;
}

// A session from a@example.org to itself with a short mail, to the server on `port`.
TSmtpClient::TSession LocalSession(uint16_t port) {
    TSmtpClient::TSession session;
    session.host = "127.0.0.1";
    session.port = port;
    session.sender = "a@example.org";
    session.recipients = {"a@example.org"};
    session.data = "Subject: report\r\n\r\nreport";
    return session;
}

// The test authority's certificates are the only ones trusted.
qv::test::ScopedEnvironment TrustTheTestAuthority() {
    return qv::test::ScopedEnvironment{{"SSL_CERT_FILE", qv::test::Certificates().trustFile},
                                       {"SSL_CERT_DIR", "/nonexistent"}};
}

} // namespace

TEST(SmtpDelivery, ThroughTheRelayWithLoginOverTlsAndAttachments) {
    const auto trust = TrustTheTestAuthority();
    const auto& good = qv::test::Certificates().good;
    const auto server = qv::test::StartSmtpServer(good.cert, good.key);
    ASSERT_TRUE(qv::test::PeerRunning(*server));
    const std::string extra = server->Dir() + "/notes.bin";
    std::ofstream(extra, std::ios::binary) << std::string(100, 'n');
    DeliverySettings settings = RelaySettings(server->Port());
    settings.mailAddress = "first@example.org; Second <second@example.org>";
    settings.smtpAccount = "reporter";
    settings.smtpPassword = "secret";
    settings.extraAttachments = extra;
    const TReportMail::TOutcome outcome = TReportMail(settings).Mail(kReport, "PNG picture", true);
    EXPECT_EQ(outcome.result, TReportMail::TResult::Sent);
    EXPECT_EQ(outcome.way, TReportMail::TWay::Smtp);
    const std::string mail = StoredMail(*server, 1);
    ASSERT_FALSE(mail.empty()) << server->Log();
    EXPECT_EQ(mail.rfind("FROM first@example.org\nTO first@example.org\nTO second@example.org\nTLS\n\n", 0),
              0u)
        << mail;
    EXPECT_NE(mail.find("\r\nFrom: zorExcept <first@example.org>\r\n"), std::string::npos) << mail;
    EXPECT_NE(mail.find("\r\nSubject: =?ISO-8859-1?Q?bug=20report?=\r\n"), std::string::npos) << mail;
    // The server takes the first dot off every line that begins with one: the lone "." went as ". ",
    // and "..two dots" kept both its dots.
    EXPECT_NE(mail.find(": Access violation.\r\n \r\n..two dots\r\nlast line\r\n"), std::string::npos)
        << mail;
    EXPECT_NE(mail.find("\r\nContent-Type: image/png; name=\"screenShot.png\"\r\n"), std::string::npos);
    EXPECT_NE(mail.find("\r\nUE5HIHBpY3R1cmU=\r\n"), std::string::npos) << "the screenshot in Base64";
    std::string notes;
    for (int i = 0; i < 19; ++i)
        notes += "bm5u";
    EXPECT_NE(mail.find("\r\n" + notes + "\r\n"), std::string::npos) << "a line of 76 from 57 bytes\n"
                                                                     << mail;
}

TEST(SmtpDelivery, TwoRecipientsWithoutARelayGiveTwoSessions) {
    const auto server = qv::test::StartSmtpServer();
    ASSERT_TRUE(qv::test::PeerRunning(*server));
    // Every domain's mail exchanger is 127.0.0.1.
    const ScriptedNameServer exchanger([](const std::string& query) {
        return std::vector<std::string>{DnsAnswer(query, kAnswerOk, 1, MxRecord(10, "127.0.0.1"))};
    });
    DeliverySettings settings = RelaySettings(server->Port());
    settings.smtpViaRelay = false;
    settings.smtpDirect = true;
    settings.mailAddress = "first@example.org,second@example.net";
    const TReportMail::TOutcome outcome =
        TReportMail(settings, TMxLookup({exchanger.Server()}), TSmtpClient::kReplyWaitMs)
            .Mail(kReport, "", true);
    EXPECT_EQ(outcome.result, TReportMail::TResult::Sent);
    EXPECT_NE(StoredMail(*server, 1).find("\nTO first@example.org\n\n"), std::string::npos);
    EXPECT_NE(StoredMail(*server, 2).find("\nTO second@example.net\n\n"), std::string::npos);
}

// A session against a scripted server that answers each command by its first word: whether the
// mail went out, and the commands the server got (EHLO and HELO without the computer's name).
struct ScriptedSession {
    std::map<std::string, std::string> replies;
    bool login;
    bool delivered;
    std::vector<std::string> commands;
};

// Answers each command by its first word, up to the QUIT or the end of the connection, and notes
// the commands (EHLO and HELO without the computer's name). `Peer` is a scripted peer, in the clear
// or through TLS.
template <class Peer>
void AnswerCommands(Peer& peer, const std::map<std::string, std::string>& replies,
                    std::vector<std::string>& commands) {
    for (;;) {
        std::string line = peer.ReadUntil("\r\n");
        if (line.size() < 2) return;
        line.resize(line.size() - 2);
        const std::string word = line.substr(0, line.find(' '));
        commands.push_back(word == "EHLO" || word == "HELO" ? word : line);
        peer.Send(replies.count(word) != 0 ? replies.at(word) : "500 unknown\r\n");
        if (word == "QUIT") return;
        if (word == "DATA") {
            peer.ReadUntil("\r\n.\r\n");
            peer.Send("250 queued\r\n");
        }
    }
}

std::vector<std::string> Commands(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> commands;
    for (const auto& part : parts)
        commands.insert(commands.end(), part.begin(), part.end());
    return commands;
}

TEST(SmtpDelivery, TheCommandSequenceAndRefusals) {
    const std::map<std::string, std::string> normal = {
        {"EHLO", "250-mail.example.org\r\n250 SIZE 1000000\r\n"},
        {"HELO", "250 mail.example.org\r\n"},
        {"AUTH", "334 VXNlcm5hbWU6\r\n"},
        {"cmVwb3J0ZXI=", "334 UGFzc3dvcmQ6\r\n"},
        {"c2VjcmV0", "235 welcome\r\n"},
        {"MAIL", "250 sender ok\r\n"},
        {"RCPT", "250 recipient ok\r\n"},
        {"RSET", "250 reset\r\n"},
        {"DATA", "354 go on\r\n"},
        {"QUIT", "221 bye\r\n"}};
    auto with = [&normal](const std::map<std::string, std::string>& changes) {
        std::map<std::string, std::string> replies = normal;
        for (const auto& [command, reply] : changes)
            replies[command] = reply;
        return replies;
    };
    const std::vector<std::string> envelope = {"MAIL FROM:<a@example.org>", "RCPT TO:<a@example.org>",
                                               "RCPT TO:<b@example.org>"};
    const std::vector<std::string> login = {"AUTH LOGIN", "cmVwb3J0ZXI=", "c2VjcmV0"};
    const std::vector<std::string> data = {"DATA", "QUIT"};
    const ScriptedSession cases[] = {
        {with({{"EHLO", "502 not here\r\n"}}), false, true, Commands({{"EHLO", "HELO"}, envelope, data})},
        {with({{"RCPT", "550 no such user\r\n"}}), false, false,
         Commands({{"EHLO"}, envelope, {"RSET", "QUIT"}})},
        {normal, true, false, {"EHLO", "QUIT"}},
        // Without TLS the account is never sent, whatever the server offers.
        {with({{"EHLO", "250-mail.example.org\r\n250-AUTH PLAIN LOGIN\r\n250 8BITMIME\r\n"}}),
         true,
         false,
         {"EHLO", "QUIT"}},
        {with({{"EHLO", "250-STARTTLS\r\n250 AUTH=LOGIN\r\n"}, {"STARTTLS", "454 not now\r\n"}}),
         true,
         false,
         {"EHLO", "STARTTLS", "QUIT"}},
        // Without an account a refused STARTTLS leaves the session in the clear.
        {with({{"EHLO", "250-mail.example.org\r\n250 STARTTLS\r\n"}, {"STARTTLS", "454 not now\r\n"}}), false,
         true, Commands({{"EHLO", "STARTTLS"}, envelope, data})},
        {with({{"MAIL", "451 later\r\n"}}), false, false, {"EHLO", "MAIL FROM:<a@example.org>", "QUIT"}},
        {with({{"QUIT", "500 what\r\n"}}), false, false, Commands({{"EHLO"}, envelope, data})},
    };
    for (const ScriptedSession& c : cases) {
        std::vector<std::string> commands;
        bool delivered = false;
        {
            qv::test::ScriptedServer server([&](qv::test::ScriptedPeer& peer, int) {
                peer.Send("220 mail.example.org ready\r\n");
                AnswerCommands(peer, c.replies, commands);
            });
            TSmtpClient::TSession session;
            session.host = "127.0.0.1";
            session.port = server.Port();
            session.sender = "zorExcept <a@example.org>";
            session.recipients = {"a@example.org", "b@example.org"};
            session.data = "To: a@example.org\r\n\r\nreport";
            if (c.login) {
                session.account = "reporter";
                session.password = "secret";
            }
            delivered = TSmtpClient(1000).Send(session);
        }
        EXPECT_EQ(delivered, c.delivered) << c.commands.back();
        EXPECT_EQ(commands, c.commands);
    }
}

// With an account the relay must take STARTTLS with a certificate that holds, or the account
// stays unsent (and so does the mail); without one a certificate nobody trusts still carries it.
TEST(SmtpDelivery, AnAccountGoesOnlyOverTlsWithACertificateThatHolds) {
    const auto trust = TrustTheTestAuthority();
    const auto& certificates = qv::test::Certificates();
    const struct {
        const qv::test::CertificateFiles* certificate;
        bool account;
        std::string error;
    } cases[] = {
        {nullptr, true,
         "The mail server 127.0.0.1 does not offer STARTTLS: the account is never sent over a plain "
         "connection."},
        {&certificates.expired, true,
         "TLS handshake with 127.0.0.1 failed: its certificate was refused (certificate has expired)"},
        {&certificates.otherName, true,
         "TLS handshake with 127.0.0.1 failed: its certificate was refused (IP address mismatch)"},
        {&certificates.untrusted, true,
         "TLS handshake with 127.0.0.1 failed: its certificate was refused (self-signed certificate)"},
        {&certificates.untrusted, false, ""},
    };
    for (const auto& c : cases) {
        const auto server = c.certificate ? qv::test::StartSmtpServer(c.certificate->cert, c.certificate->key)
                                          : qv::test::StartSmtpServer();
        ASSERT_TRUE(qv::test::PeerRunning(*server));
        TSmtpClient::TSession session = LocalSession(server->Port());
        if (c.account) {
            session.account = "reporter";
            session.password = "secret";
        }
        std::string refusal;
        EXPECT_EQ(TSmtpClient().Send(session, &refusal), c.error.empty()) << c.error;
        EXPECT_EQ(refusal, c.error);
        if (c.error.empty())
            EXPECT_NE(StoredMail(*server, 1).find("\nTLS\n\n"), std::string::npos);
        else
            EXPECT_FALSE(std::filesystem::exists(server->Dir() + "/mail-1"));
        if (!c.account || c.certificate) continue;
        // The report's mail says why the relay was not used.
        DeliverySettings settings = RelaySettings(server->Port());
        settings.mailAddress = "a@example.org";
        settings.smtpAccount = "reporter";
        settings.smtpPassword = "secret";
        const TReportMail::TOutcome outcome = TReportMail(settings).Mail(kReport, "", true);
        EXPECT_EQ(outcome.result, TReportMail::TResult::Failed);
        EXPECT_EQ(outcome.error, c.error);
    }
}

// Replies sent in the clear behind the go-ahead for STARTTLS come from whoever is on the path,
// not from the server behind TLS: they are dropped, never read as the answers to later commands.
TEST(SmtpDelivery, RepliesPipelinedBeforeTheTlsHandshakeAreDropped) {
    const auto trust = TrustTheTestAuthority();
    std::vector<std::string> commands;
    bool delivered = false;
    {
        qv::test::TlsServerContext context(qv::test::Certificates().good);
        qv::test::ScriptedServer server([&](qv::test::ScriptedPeer& peer, int) {
            peer.Send("220 mail.example.org ready\r\n");
            peer.ReadUntil("\r\n");
            peer.Send("250-mail.example.org\r\n250 STARTTLS\r\n");
            peer.ReadUntil("\r\n");
            peer.Send("220 go ahead\r\n250 AUTH LOGIN\r\n334 VXNlcm5hbWU6\r\n");
            qv::test::TlsServerConnection tls(context, peer.Fd());
            const std::map<std::string, std::string> replies = {
                {"EHLO", "250-mail.example.org\r\n250 AUTH LOGIN\r\n"},
                {"AUTH", "334 VXNlcm5hbWU6\r\n"},
                {"cmVwb3J0ZXI=", "334 UGFzc3dvcmQ6\r\n"},
                {"c2VjcmV0", "235 welcome\r\n"},
                {"MAIL", "250 ok\r\n"},
                {"RCPT", "250 ok\r\n"},
                {"DATA", "354 go on\r\n"},
                {"QUIT", "221 bye\r\n"}};
            AnswerCommands(tls, replies, commands);
        });
        TSmtpClient::TSession session = LocalSession(server.Port());
        session.account = "reporter";
        session.password = "secret";
        delivered = TSmtpClient(5000).Send(session);
    }
    EXPECT_TRUE(delivered);
    EXPECT_EQ(commands, (std::vector<std::string>{"EHLO", "AUTH LOGIN", "cmVwb3J0ZXI=", "c2VjcmV0",
                                                  "MAIL FROM:<a@example.org>", "RCPT TO:<a@example.org>",
                                                  "DATA", "QUIT"}));
}

TEST(SmtpDelivery, ServersThatDripOrDragAreLeftAtTheDeadlines) {
    using std::chrono::milliseconds;
    // A reply wait of 1 s and a delivery limit of 2 s: the first server never pauses 1 s but needs
    // 20 s for its greeting; the second answers each command whole within 0.6 s, 3.6 s in all.
    const std::string greeting = "220 " + std::string(96, 'x') + "\r\n";
    for (const bool drips : {true, false}) {
        size_t dripped = 0;
        bool mailEnded = false;
        bool delivered = true;
        {
            qv::test::ScriptedServer server([&](qv::test::ScriptedPeer& peer, int) {
                if (drips) {
                    // One byte at a time until the client has gone.
                    for (; dripped < greeting.size(); ++dripped) {
                        if (::send(peer.Fd(), &greeting[dripped], 1, MSG_NOSIGNAL) <= 0) return;
                        std::this_thread::sleep_for(milliseconds(200));
                    }
                    return;
                }
                peer.Send("220 ready\r\n");
                for (std::string line = peer.ReadUntil("\r\n"); line.size() > 2;
                     line = peer.ReadUntil("\r\n")) {
                    std::this_thread::sleep_for(milliseconds(600));
                    if (line.rfind("DATA", 0) == 0) {
                        peer.Send("354 go on\r\n");
                        const std::string mail = peer.ReadUntil("\r\n.\r\n");
                        mailEnded = mail.size() >= 5 && mail.substr(mail.size() - 5) == "\r\n.\r\n";
                    }
                    peer.Send(line.rfind("QUIT", 0) == 0 ? "221 bye\r\n" : "250 ok\r\n");
                }
            });
            TSmtpClient::TSession session = LocalSession(server.Port());
            delivered = TSmtpClient(1000, 2000).Send(session);
        }
        EXPECT_FALSE(delivered) << (drips ? "dripping" : "dragging");
        if (drips) {
            EXPECT_LT(dripped, greeting.size()) << "the client waited for the whole dripped greeting";
        } else {
            EXPECT_FALSE(mailEnded) << "the session ran past the delivery limit";
        }
    }
}

TEST(SmtpDelivery, LineBreaksInTheAddressesOrSubjectRefuseTheMail) {
    qv::test::ScriptedServer server([](qv::test::ScriptedPeer& peer, int) { peer.Send("220 ready\r\n"); });
    const struct {
        std::string DeliverySettings::*field;
        const char* value;
        const char* error;
    } cases[] = {
        {&DeliverySettings::mailAddress, "a@example.org>\r\nRCPT TO:<b@example.org",
         "The mail's recipient address holds a line break: no mail was sent."},
        {&DeliverySettings::senderAddress, "a@example.org\nBcc: b@example.org",
         "The mail's sender address holds a line break: no mail was sent."},
        {&DeliverySettings::mailSubject, "bug\rreport",
         "The mail's subject holds a line break: no mail was sent."},
    };
    for (const auto& c : cases) {
        DeliverySettings settings = RelaySettings(server.Port());
        settings.mailAddress = "a@example.org";
        settings.*c.field = c.value;
        const TReportMail::TOutcome outcome = TReportMail(settings).Mail(kReport, "", true);
        EXPECT_EQ(outcome.result, TReportMail::TResult::Failed) << c.value;
        EXPECT_EQ(outcome.error, c.error);
    }
    EXPECT_EQ(server.Connections(), 0) << "nothing of such settings reaches a server";
}

TEST(SmtpDelivery, AServerThatKeepsSilentFailsAfterTheReplyWait) {
    qv::test::ScriptedServer server([](qv::test::ScriptedPeer& peer, int) { peer.ReadUntilClose(); });
    TSmtpClient::TSession session;
    session.host = "127.0.0.1";
    session.port = server.Port();
    session.recipients = {"a@example.org"};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(TSmtpClient(200).Send(session));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(DesktopMailDelivery, TheMailProgramGetsTheReportAttachedOrAMailtoAddress) {
    // A desktop whose mail program records the address that xdg-email or xdg-open hands it.
    const qv::test::ScopedTempFolder folder("qv-desktop");
    const std::string& home = folder.Path();
    std::filesystem::create_directories(home + "/data/applications");
    std::filesystem::create_directories(home + "/config");
    const std::string recorder = home + "/record";
    std::ofstream(recorder) << "#!/bin/sh\nprintf '%s' \"$1\" >> " << home << "/recorded\n";
    std::filesystem::permissions(recorder, std::filesystem::perms::owner_all);
    std::ofstream(home + "/data/applications/recorder.desktop")
        << "[Desktop Entry]\nType=Application\nName=Recorder\nExec=" << recorder
        << " %u\nMimeType=x-scheme-handler/mailto;\n";
    std::ofstream(home + "/config/mimeapps.list")
        << "[Default Applications]\nx-scheme-handler/mailto=recorder.desktop\n";
    const qv::test::ScopedEnvironment environment{{"HOME", home},
                                                  {"XDG_DATA_HOME", home + "/data"},
                                                  {"XDG_CONFIG_HOME", home + "/config"},
                                                  {"XDG_CURRENT_DESKTOP", std::nullopt},
                                                  // The desktop's handlers serve only with a display.
                                                  {"DISPLAY", ":99"},
                                                  {"DESKTOP_SESSION", std::nullopt}};
    DeliverySettings settings;
    settings.mailAddress = "bugs@example.org";
    for (const bool desktop : {true, false}) {
        settings.useMapi = desktop;
        std::filesystem::remove(home + "/recorded");
        const TReportMail::TOutcome outcome =
            TReportMail(settings).Mail("line 1\r\nline 2 & more", "", false);
        EXPECT_EQ(outcome.result, TReportMail::TResult::Sent);
        EXPECT_EQ(outcome.way, desktop ? TReportMail::TWay::Desktop : TReportMail::TWay::Mailto);
        std::ifstream file(home + "/recorded");
        std::string address;
        std::getline(file, address);
        EXPECT_EQ(
            address.rfind(
                "mailto:bugs@example.org?subject=bug%20report&body=line%201%0D%0Aline%202%20%26%20more", 0),
            0u)
            << address;
        // Only xdg-email attaches: the whole report, whatever a mail program makes of a long address.
        EXPECT_EQ(address.find("&attach=/") != std::string::npos, desktop) << address;
        if (desktop) {
            const std::string attached = address.substr(address.find("&attach=") + 8);
            EXPECT_EQ(attached.substr(attached.size() - 14), "/bugreport.txt");
            // The mail program reads the file when the user sends the mail, after the hand-over.
            EXPECT_TRUE(std::filesystem::exists(attached)) << attached;
            std::filesystem::remove_all(std::filesystem::path(attached).parent_path());
        }
    }
}

} // namespace qv::crash::test

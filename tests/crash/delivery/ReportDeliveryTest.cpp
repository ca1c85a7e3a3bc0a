#include "crash/delivery/DesktopMail.h"
#include "crash/delivery/MailMessage.h"
#include "crash/delivery/ReportFile.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedTempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace qv::crash::test {

namespace {

// A report of the size given, starting as reports do.
std::string Report(int number, size_t size) {
    std::string report = "date/time         : report " + std::to_string(number) + "\r\n";
    report.resize(size, 'x');
    return report;
}

std::chrono::system_clock::time_point At(int64_t unixSeconds, int64_t nanoseconds = 0) {
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(unixSeconds) + std::chrono::nanoseconds(nanoseconds)));
}

} // namespace

TEST(ReportFile, SizeZeroKeepsOnlyTheNewestReport) {
    const qv::test::ScopedTempFolder folder("qv-delivery");
    const std::string path = folder.Path() + "/new/folder/bugreport.txt";
    ASSERT_TRUE(TReportFile::Save(Report(1, 100), path, 0));
    ASSERT_TRUE(TReportFile::Save(Report(2, 80), path, 0));
    EXPECT_EQ(qv::test::ReadFile(path), Report(2, 80) + "\r\n\r\n");
}

TEST(ReportFile, AFileGrownPastTheLimitIsCutAtAReportStart) {
    const qv::test::ScopedTempFolder folder("qv-delivery");
    const std::string path = folder.Path() + "/bugreport.txt";
    constexpr int32_t kLimit = 50000;
    constexpr size_t kReportSize = 6000;
    constexpr size_t kSaved = kReportSize + 4;
    for (int number = 1; number <= 8; ++number)
        ASSERT_TRUE(TReportFile::Save(Report(number, kReportSize), path, kLimit));
    // The shorter file replaces the old one whole: a second name of the old file keeps all of it.
    const std::string old = folder.Path() + "/old.txt";
    ASSERT_EQ(::link(path.c_str(), old.c_str()), 0);
    ASSERT_TRUE(TReportFile::Save(Report(9, kReportSize), path, kLimit));
    EXPECT_EQ(qv::test::ReadFile(old).size(), 9 * kSaved);
    // Nine reports make 54036 bytes: the cut keeps the six newest (36024 bytes, less than three
    // quarters of the limit), where seven (42028 bytes) would not be.
    const std::string text = qv::test::ReadFile(path);
    EXPECT_EQ(text.size(), 6 * kSaved);
    EXPECT_EQ(text.rfind("date/time         : report 4\r\n", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - kSaved), Report(9, kReportSize) + "\r\n\r\n");
    ASSERT_TRUE(TReportFile::Save(Report(10, kReportSize), path, kLimit));
    EXPECT_EQ(qv::test::ReadFile(path).size(), 7 * kSaved) << "below the limit nothing is cut";
}

TEST(ReportFile, SavedReportsArePrivateAndAReportOverTheLimitStaysAlone) {
    const qv::test::ScopedTempFolder folder("qv-delivery");
    const std::string path = folder.Path() + "/state/quorvane/bugreport.txt";
    constexpr int32_t kLimit = 1000;
    std::string large;
    for (int line = 0; large.size() < 1500; ++line)
        large += "line " + std::to_string(line) + "\r\n";
    for (const char* first : {"date/time         : small\r\n", "date/time         : large\r\n"})
        ASSERT_TRUE(TReportFile::Save(first + large, path, kLimit));
    const std::string text = qv::test::ReadFile(path);
    EXPECT_LE(text.size(), static_cast<size_t>(kLimit));
    EXPECT_EQ(text.rfind("date/time         : large\r\nline 0\r\n", 0), 0u) << text.substr(0, 80);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << "cut at a line end";
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat((folder.Path() + "/state").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(ReportFile, ReportsLieInTheUsersStateFolder) {
    DeliverySettings settings;
    {
        const qv::test::ScopedEnvironment environment{{"XDG_STATE_HOME", "/state"}, {"HOME", "/home/anna"}};
        EXPECT_EQ(TReportFile::AutomaticPath(settings), "/state/quorvane/bugreport.txt");
    }
    const qv::test::ScopedEnvironment environment{{"XDG_STATE_HOME", std::nullopt}, {"HOME", "/home/anna"}};
    EXPECT_EQ(TReportFile::AutomaticPath(settings), "/home/anna/.local/state/quorvane/bugreport.txt");
    {
        const qv::test::ScopedEnvironment relative{{"HOME", "relative/home"}};
        EXPECT_EQ(TReportFile::ReportFolder().front(), '/') << "never below the current folder";
    }
    settings.reportFileName = "/var/reports/%appname%.txt";
    EXPECT_EQ(TReportFile::AutomaticPath(settings), "/var/reports/crash_delivery_tests.txt");
}

TEST(ReportFile, AReportFileThatCannotBeWrittenFails) {
    const qv::test::ScopedTempFolder folder("qv-delivery");
    EXPECT_FALSE(TReportFile::Save("report", folder.Path(), 0)) << "a folder is no file";
}

TEST(MailMessage, SubjectDateAndMessageId) {
    EXPECT_EQ(TMailMessage::EncodeSubject("bug report"), "=?ISO-8859-1?Q?bug=20report?=");
    EXPECT_EQ(TMailMessage::EncodeSubject("a:Z9_\xE9"), "=?ISO-8859-1?Q?a=3AZ9=5F=E9?=");
    // 2024-03-01 09:05:03 UTC.
    EXPECT_EQ(TMailMessage::Date(At(1709283903)), "1 Mar 2024 09:05:03 UT");
    EXPECT_EQ(TMailMessage::MessageId(At(0, 100)), "<019db1ded53e8001@zorExcept>");
}

TEST(MailMessage, TextIsMadeTransparentForData) {
    const std::pair<const char*, const char*> cases[] = {
        {"a\r\n.\r\nb", "a\r\n. \r\nb"},
        {".\r\n.\r\n.", ". \r\n. \r\n. "},
        {"a\r\n.hidden\r\n..", "a\r\n..hidden\r\n..."},
        {"no dots.\r\n", "no dots.\r\n"},
        // Bare line ends leave as CR LF lines, made transparent like every other.
        {"a\n.\nb", "a\r\n. \r\nb"},
        {"a\r.x\n..", "a\r\n..x\r\n..."},
    };
    for (const auto& [text, sent] : cases)
        EXPECT_EQ(TMailMessage::Transparent(text), sent) << text;
}

TEST(MailMessage, AttachmentsGoInBase64LinesOf76) {
    const qv::test::ScopedTempFolder folder("qv-delivery");
    const std::string picture = folder.Path() + "/shot.PNG";
    std::ofstream(picture, std::ios::binary) << std::string(130, '\xFF');
    std::ofstream(folder.Path() + "/empty.bin");
    TMailMessage message;
    message.recipients = {"a@example.org", "b@example.org"};
    message.sender = "zorExcept <a@example.org>";
    message.subject = "bug report";
    message.body = "line\r\n.";
    message.attachments = {picture, folder.Path() + "/empty.bin", folder.Path() + "/missing.bin"};
    const std::optional<std::string> text = message.Compose(At(1709283903));
    ASSERT_TRUE(text);
    const std::string full(76, '/');
    const std::string expected =
        "To: a@example.org, b@example.org\r\nFrom: zorExcept <a@example.org>\r\n"
        "Subject: =?ISO-8859-1?Q?bug=20report?=\r\nDate: 1 Mar 2024 09:05:03 UT\r\n"
        "Message-ID: <01da6bb78bd48980@zorExcept>\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/mixed; boundary=\"zorExcept_SMTP_Boundary\"\r\n\r\n"
        "This is a multi-part message in MIME format.\r\n\r\n--zorExcept_SMTP_Boundary\r\n"
        "Content-Type: text/plain; charset=\"iso-8859-1\"\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
        "line\r\n. \r\n--zorExcept_SMTP_Boundary\r\nContent-Type: image/png; name=\"shot.PNG\"\r\n"
        "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; "
        "filename=\"shot.PNG\"\r\n\r\n" +
        full + "\r\n" + full + "\r\n/////////////////////w==\r\n--zorExcept_SMTP_Boundary--\r\n";
    EXPECT_EQ(*text, expected);
    ::chmod(picture.c_str(), 0);
    if (::access(picture.c_str(), R_OK) != 0) {
        EXPECT_FALSE(message.Compose(At(0))) << "a file that cannot be read fails the mail";
    }
}

TEST(DesktopMail, MailtoAddressEscapesAndCutsWholeEscapes) {
    TDesktopMail::TMail mail{
        {"a@example.org", "b@example.org"}, "bug report", "x & y?\r\n#1 <100%> \"+\xE9", {}};
    EXPECT_EQ(TDesktopMail::MailtoAddress(mail),
              "mailto:a@example.org,b@example.org?subject=bug%20report"
              "&body=x%20%26%20y%3F%0D%0A%231%20%3C100%25%3E%20%22%2B%C3%A9");
    mail.recipients = {};
    mail.subject = "s";
    for (const size_t filler : {0, 1, 2}) {
        // "mailto:?subject=s&body=" is 23 characters; the escapes then straddle the limit.
        mail.body = std::string(TDesktopMail::kMaxMailtoLength - 23 - filler, 'x') + std::string(4, ' ');
        const std::string address = TDesktopMail::MailtoAddress(mail);
        EXPECT_LE(address.size(), TDesktopMail::kMaxMailtoLength);
        EXPECT_EQ((address.size() - 23 - mail.body.size() + 4) % 3, 0u)
            << "whole escapes only, filler " << filler;
    }
}

} // namespace qv::crash::test

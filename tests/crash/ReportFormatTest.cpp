#include "crash/ReportFormat.h"
#include "crash/ExceptionTimeHistory.h"
#include "crash/HandlerRoutine.h"

#include <gtest/gtest.h>

namespace qv::crash::test {

TEST(ReportFormat, Sizes) {
    const std::pair<uint64_t, const char*> cases[] = {{0, "0 Bytes"},
                                                      {1023, "1023 Bytes"},
                                                      {1024, "1,00 KB"},
                                                      {1536, "1,50 KB"},
                                                      {1048575, "1023,99 KB"},
                                                      {1048576, "1,00 MB"},
                                                      {1073741823, "1023,99 MB"},
                                                      {1073741824, "1,00 GB"},
                                                      {5503000000000, "5125,06 GB"}};
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(TReportFormat::Size(bytes, ','), text) << bytes;
    EXPECT_EQ(TReportFormat::Size(1536, '.'), "1.50 KB");
}

TEST(ReportFormat, Durations) {
    const std::pair<uint64_t, const char*> cases[] = {{0, ""},
                                                      {59, "59 seconds "},
                                                      {61, "1 minute 1 second "},
                                                      {3600, "1 hour "},
                                                      {3661, "1 hour 1 minute "},
                                                      {86400 + 59, "1 day "},
                                                      {2 * 86400 + 3 * 3600 + 59, "2 days 3 hours "}};
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(TReportFormat::Duration(seconds), text) << seconds;
}

TEST(ReportFormat, ExceptionMessageLine) {
    const std::pair<const char*, const char*> cases[] = {{"Socket Error # 10061", "Socket Error # 10061."},
                                                         {"Done.", "Done.."},
                                                         {"Stop!!!", "Stop!."},
                                                         {"Why?!.", "Why?!."},
                                                         {"two\r\nlines\t", "twolines."},
                                                         {"\x01\x1f", "Unknown."},
                                                         {"", "Unknown."}};
    for (const auto& [message, line] : cases)
        EXPECT_EQ(TReportFormat::MessageWithStop(TReportFormat::CleanMessage(message)), line) << message;
}

TEST(ReportFormat, IdsAddressesDatesAndLabels) {
    EXPECT_EQ(TReportFormat::HexId(0x1a2b), "$1a2b");
    EXPECT_EQ(TReportFormat::Address(0x401234), "00401234");
    EXPECT_EQ(TReportFormat::Address(0x7f0012345678), "7f0012345678");
    std::tm time{};
    time.tm_year = 2024 - 1900;
    time.tm_mon = 2;
    time.tm_mday = 1;
    time.tm_hour = 9;
    time.tm_min = 5;
    EXPECT_EQ(TReportFormat::DateTime(time), "2024-03-01 09:05");
    EXPECT_EQ(TReportFormat::Version(1, 0, 0, 0), "1.0.0.0");
    EXPECT_EQ(TReportFormat::Version(0, 0, 0, 0), "") << "all zeros: no version";
    EXPECT_EQ(TReportFormat::HeaderLine("user name", "ann"), "user name         : ann");
    EXPECT_EQ(TReportFormat::HeaderLine("zorExcept version", "2.7e"), "zorExcept version : 2.7e");
}

TEST(HandlerRules, TenEventsWithinTheRuleHold) {
    TExceptionTimeHistory history;
    const int64_t now = 1000000;
    for (int i = 0; i < 9; ++i)
        history.Push(now - 50);
    EXPECT_FALSE(history.RuleHolds(60, now)) << "nine events";
    history.Push(now);
    EXPECT_TRUE(history.RuleHolds(60, now)) << "the tenth within 60 seconds";
    EXPECT_FALSE(history.RuleHolds(49, now)) << "the oldest is 50 seconds back";
    EXPECT_FALSE(history.RuleHolds(0, now));
    EXPECT_TRUE(TExceptionTimeHistory().RuleHolds(1, now));
    EXPECT_EQ(history.Times().front(), now) << "newest first";
}

TEST(HandlerRules, AutomaticAction) {
    struct TCase {
        bool canContinue, closeRule, restartRule;
        TAction action;
    };
    const TCase cases[] = {{true, false, false, TAction::Continue}, {false, false, false, TAction::Close},
                           {false, false, true, TAction::Restart},  {true, false, true, TAction::Restart},
                           {true, true, true, TAction::Close},      {false, true, false, TAction::Close}};
    for (const TCase& c : cases)
        EXPECT_EQ(THandlerRoutine::AutomaticAction(c.canContinue, c.closeRule, c.restartRule), c.action)
            << c.canContinue << c.closeRule << c.restartRule;
}

TEST(HandlerRules, IgnoredClasses) {
    EXPECT_TRUE(THandlerRoutine::IsIgnored("EIdConnClosedGracefully", "EAbort, eidconnclosedgracefully ,X"));
    EXPECT_FALSE(THandlerRoutine::IsIgnored("EIdSocketError", "EAbort, EIdSocketErrorX"));
    EXPECT_FALSE(THandlerRoutine::IsIgnored("EAbort", ""));
}

} // namespace qv::crash::test

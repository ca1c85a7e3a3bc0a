#include "crash/crashbox/ExceptionBox.h"
#include "crash/CrashSettings.h"
#include "crash/CrashboxRequest.h"
#include "crash/crashbox/ButtonImages.h"
#include "crash/crashbox/DrawnButton.h"
#include "crash/crashbox/ProgressWindow.h"
#include "crash/crashbox/ReportPrinter.h"
#include "tests/support/qt/GoldenImage.h"
#include "tests/support/qt/QtTestEnvironment.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace qv::crash::test {

namespace {

const bool kQt = qv::test::RegisterQtTestEnvironment();

constexpr const char* kReport = "date/time         : 2024-03-01 09:05\r\nexception message : boom.";

// Records what the dialog asks of the program it reports on.
class RecordedActions : public TExceptionBoxActions {
public:
    std::vector<TAction> asked;
    std::vector<std::optional<TAction>> chosen;

    bool Handled(TAction action) override {
        asked.push_back(action);
        return false;
    }
    TReportMail::TOutcome Mail() override { return {}; }
    bool Save(const std::string&) override { return false; }
    void Chosen(std::optional<TAction> action) override { chosen.push_back(action); }
};

TCrashboxRequest Request(bool canContinue = true) {
    TDialogRequest dialog;
    dialog.canContinue = canContinue;
    dialog.exceptionMessage = "boom";
    dialog.report = kReport;
    TCrashboxRequest request = TCrashboxRequest::From(dialog, CrashSettings::ThisBuild());
    request.title = "quorvane";
    return request;
}

// Waits, handling events, until the condition holds or the seconds are over.
bool WaitFor(const std::function<bool()>& condition, int seconds = 5) {
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < seconds * 1000)
        QTest::qWait(10);
    return condition();
}

// Six pixels a character and a message of 200 by 13 pixels, so that the numbers are plain to follow.
TExceptionBoxLayout::TInput FixedInput(std::array<std::string, 7> captions) {
    TExceptionBoxLayout::TInput input;
    input.captions = std::move(captions);
    input.textWidth = [](const std::string& text) { return static_cast<int>(text.size()) * 6; };
    input.messageSize = [](int) { return QSize(200, 13); };
    return input;
}

} // namespace

TEST(ExceptionBoxLayout, TheNumbersOfBothLayouts) {
    // Whole-window positions include the 3-pixel frame; the client area starts inside it.
    const TExceptionBoxLayout build = TExceptionBoxLayout::Compute(
        FixedInput({"mail bug report", "", "", "show bug report", "continue application",
                    "restart application", "close application"}));
    // Buttons 15 * 6 + 39 = 129 wide, actions 20 * 6 + 39 = 159; content 129 + 129 + 159 + 14.
    EXPECT_EQ(build.contentWidth, 431);
    EXPECT_EQ(build.message, QRect(8, 9, 200, 13));
    // Three actions: T = 13 + 5 = 18 is below 33, so 7; rows at 7, 33 and 59.
    EXPECT_EQ(build.buttons[4], QRect(264 - 3, 7 - 3, 155, 22));
    EXPECT_EQ(build.buttons[5], QRect(261, 30, 155, 22));
    EXPECT_EQ(build.buttons[6], QRect(261, 56, 155, 22));
    EXPECT_EQ(build.buttons[0], QRect(3, 56, 125, 22));
    EXPECT_EQ(build.buttons[3], QRect(132, 56, 125, 22));
    EXPECT_TRUE(build.buttons[1].isEmpty() && build.buttons[2].isEmpty());
    // Y = 7 + 78 = 85.
    EXPECT_EQ(build.reportFrameLight, QRect(2, 86, 414, 395));
    EXPECT_EQ(build.reportFrameShadow, QRect(3, 87, 414, 395));
    EXPECT_EQ(build.report, QRect(9, 92, 401, 383));
    EXPECT_EQ(build.FoldedSize(), QSize(425, 87));
    EXPECT_EQ(build.UnfoldedSize(), QSize(425, 490));
    const TExceptionBoxLayout unfolded = build.Unfolded();
    EXPECT_EQ(unfolded.UnfoldedSize(), QSize(532, 490));
    EXPECT_EQ(unfolded.buttons[4].x(), 261 + 107);
    EXPECT_TRUE(unfolded.buttons[3].isEmpty());

    // Without report buttons all stand in one row, on row 1 (T = 18), J counted as 2.
    const TExceptionBoxLayout row = TExceptionBoxLayout::Compute(
        FixedInput({"", "", "", "", "continue application", "", "close application"}));
    EXPECT_EQ(row.contentWidth, 159 + 141 + 14);
    EXPECT_EQ(row.buttons[4], QRect(3, 41, 155, 22));
    EXPECT_EQ(row.buttons[6], QRect(162, 41, 137, 22));
    EXPECT_FALSE(row.reportArea);
    EXPECT_EQ(row.FoldedSize(), QSize(308, 18 + 52 + 8 - 6));
}

TEST(ExceptionBox, ThisBuildsDialogAsGolden) {
    RecordedActions actions;
    TExceptionBox box(Request(false), actions);
    box.move(300, 300);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QTest::qWait(150);
    EXPECT_FALSE(box.Button(TAction::Continue)->isEnabled()) << "no continue for this event";
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromLatin1(kReport).replace("\r\n", "\n"))
        << "copied at once";
    EXPECT_TRUE(qv::test::MatchesGolden(qv::test::RenderWindow(box), QStringLiteral(QV_GOLDEN_DIR),
                                        QStringLiteral("exception-box")));
}

TEST(ExceptionBox, CloseRequestsAndButtons) {
    struct Case {
        const char* name;
        bool canContinue;
        std::function<void(TExceptionBox&)> act;
        std::optional<TAction> chosen;
    };
    const Case cases[] = {
        {"escape continues", true, [](TExceptionBox& box) { QTest::keyClick(&box, Qt::Key_Escape); },
         TAction::Continue},
        {"escape closes", false, [](TExceptionBox& box) { QTest::keyClick(&box, Qt::Key_Escape); },
         TAction::Close},
        {"close box", true, [](TExceptionBox& box) { box.close(); }, TAction::Continue},
        {"enter on restart", true,
         [](TExceptionBox& box) {
             box.Button(TAction::Restart)->setFocus();
             QTest::keyClick(box.Button(TAction::Restart), Qt::Key_Return);
         },
         TAction::Restart},
        {"frozen main thread answers", true, [](TExceptionBox& box) { box.CloseWithoutChoice(); },
         std::nullopt},
    };
    for (const Case& c : cases) {
        RecordedActions actions;
        TExceptionBox box(Request(c.canContinue), actions);
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        c.act(box);
        ASSERT_TRUE(WaitFor([&] { return !actions.chosen.empty(); })) << c.name;
        EXPECT_EQ(actions.chosen, std::vector<std::optional<TAction>>{c.chosen}) << c.name;
        EXPECT_FALSE(box.isVisible()) << c.name;
    }
}

TEST(ExceptionBox, ShowUnfoldsTheReport) {
    RecordedActions actions;
    TExceptionBox box(Request(), actions);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    const QSize folded = box.size();
    box.Button(TAction::Show)->click();
    EXPECT_EQ(actions.asked, std::vector<TAction>{TAction::Show}) << "the listeners come first";
    EXPECT_TRUE(box.Unfolded());
    EXPECT_EQ(box.size(), box.Layout().UnfoldedSize());
    EXPECT_GT(box.height(), folded.height());
    EXPECT_GE(box.Layout().contentWidth, TExceptionBoxLayout::kMinimumWidth);
    EXPECT_TRUE(WaitFor([&] { return box.Button(TAction::Show) == nullptr; }));
    auto* field = box.findChild<QPlainTextEdit*>();
    ASSERT_NE(field, nullptr);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Tab);
    QTest::keyClick(field, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(field->hasFocus()) << "the report field takes Tab itself";
    QTest::keyClick(field, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_FALSE(field->hasFocus()) << "Ctrl+Tab leaves it";
    EXPECT_TRUE(actions.chosen.empty());
}

TEST(ExceptionBox, TheCountdownPressesItsButtonAfterItsDelay) {
    for (const bool interrupted : {false, true}) {
        RecordedActions actions;
        TCrashboxRequest request = Request();
        request.autoContinue = true;
        request.autoActionDelaySec = 1;
        TExceptionBox box(request, actions);
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        ASSERT_NE(box.CountdownButton(), nullptr);
        EXPECT_TRUE(box.Button(TAction::Continue)->hasFocus());
        if (interrupted) box.Button(TAction::Mail)->setFocus();
        QElapsedTimer clock;
        clock.start();
        const bool pressed = WaitFor([&] { return !actions.chosen.empty(); }, 2);
        EXPECT_EQ(pressed, !interrupted) << "a focus change stops the countdown for good";
        if (pressed) {
            EXPECT_GE(clock.elapsed(), 800);
            EXPECT_EQ(actions.chosen.front(), TAction::Continue);
        }
    }
    const std::tuple<qint64, int, int, int> markers[] = {
        {0, 120, 60, 0}, {499, 120, 60, 1}, {30000, 120, 60, 60}, {59750, 120, 60, 120}, {1000, 100, 1, 100}};
    for (const auto& [elapsed, width, delay, position] : markers)
        EXPECT_EQ(TDrawnButton::MarkerPosition(elapsed, width, delay), position) << elapsed;
}

TEST(ButtonImages, BlendAndFade) {
    QImage picture(2, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(255, 0, 100, 255));
    picture.setPixel(1, 0, qRgba(200, 200, 200, 127));
    const QImage blended = TButtonImages::Blend(picture, qRgb(0, 100, 200));
    // c = 256: the pixel; c = 128: half of each.
    EXPECT_EQ(blended.pixel(0, 0), qRgb(255, 0, 100));
    EXPECT_EQ(blended.pixel(1, 0), qRgb(100, 150, 200));
    EXPECT_EQ(TButtonImages::Mix(qRgb(0, 0, 0), qRgb(255, 128, 8), 4), qRgb(127, 64, 4));
    EXPECT_EQ(TButtonImages::Image(TAction::Mail).size(), QSize(16, 16));
    EXPECT_NE(TButtonImages::Image(TAction::Continue, true), TButtonImages::Image(TAction::Continue));
}

TEST(ProgressWindow, HalfTheScreenWideAndCentred) {
    TProgressWindow window;
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window.size(), QSize(screen.width() / 2, TProgressWindow::kHeight));
    EXPECT_EQ(window.geometry().center().x(), screen.center().x());
    window.SetProgress(1200);
    EXPECT_EQ(window.Progress(), 1000);
}

TEST(ReportPrinter, LinesWrapAtBlanksAndEmptyLinesStay) {
    const QFontMetricsF metrics(TExceptionBox::CellFont(QStringLiteral("Courier New"), 11));
    const double width = metrics.horizontalAdvance(QStringLiteral("0123456789"));
    const QStringList lines = TReportPrinter::WrapLines(
        QStringLiteral("one two three four\n\nabcdefghijklmnopqrstuvwxyz"), metrics, width);
    EXPECT_EQ(lines, QStringList({"one two ", "three four", " ", "abcdefghij", "klmnopqrst", "uvwxyz"}));
}

TEST(CrashboxRequest, TravelsWhole) {
    TCrashboxRequest request = Request(false);
    request.autoActionDelaySec = 17;
    request.report = std::string("with\0zero", 9);
    const std::string bytes = request.Encode();
    const std::optional<TCrashboxRequest> decoded = TCrashboxRequest::Decode(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->Encode(), bytes);
    EXPECT_EQ(decoded->report, request.report);
    EXPECT_EQ(decoded->message, "An error occurred in the application.");
    EXPECT_FALSE(decoded->canContinue);
    for (size_t cut = 0; cut < bytes.size(); cut += 7)
        EXPECT_FALSE(TCrashboxRequest::Decode(bytes.substr(0, cut))) << cut;
}

} // namespace qv::crash::test

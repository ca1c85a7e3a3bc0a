#include "framework/gui/Application.h"
#include "framework/Exception.h"
#include "framework/gui/AnsiText.h"
#include "framework/gui/Form.h"
#include "framework/gui/Screen.h"

#include "tests/support/qt/QtTestEnvironment.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>
#include <QTimer>

#include <gtest/gtest.h>

namespace qv::framework::test {

namespace {

[[maybe_unused]] const bool kQt = qv::test::RegisterQtTestEnvironment();

// An object whose event handling fails, as a window's handler can.
class FailingObject : public QObject {
public:
    bool event(QEvent*) override { throw Exception("Socket Error # 10061\r\nConnection refused."); }
};

// Records what reaches the application's exception handler while it lives.
class CaughtMessages {
public:
    CaughtMessages() {
        TApplication::SetExceptionHandler(
            [this](std::exception_ptr e) { messages.push_back(ExceptionMessage(e)); });
    }
    ~CaughtMessages() { TApplication::SetExceptionHandler({}); }
    std::vector<QString> messages;
};

} // namespace

TEST(ApplicationTest, ExceptionsLeavingHandlersReachTheApplicationsHandler) {
    CaughtMessages caught;
    bool after = false;
    RunEventHandler([&] {
        throw std::runtime_error("broken");
        after = true;
    });
    EXPECT_FALSE(after);
    FailingObject failing;
    QEvent event(QEvent::User);
    QApplication::sendEvent(&failing, &event);
    EXPECT_EQ(caught.messages,
              (std::vector<QString>{"broken", "Socket Error # 10061\r\nConnection refused."}));
}

TEST(ApplicationTest, WithoutAHandlerTheMessageShowsInAPlainBoxAndTheProgramRunsOn) {
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = box->text();
        EXPECT_EQ(box->buttons().size(), 1);
        box->accept();
    });
    RunEventHandler([] { throw Exception("'  x' is not a valid integer value"); });
    EXPECT_EQ(shown, "'  x' is not a valid integer value");
}

TEST(AnsiTextTest, WindowsCodePageConvertsBothWays) {
    const struct {
        std::string ansi;
        QString text;
    } cases[] = {{"caf\xE9", QStringLiteral("caf\u00E9")},
                 {"\x80 5", QStringLiteral("\u20AC 5")},
                 {"\x9C\x8A", QStringLiteral("\u0153\u0160")},
                 {"\x81", QStringLiteral("\u0081")}};
    for (const auto& c : cases) {
        EXPECT_EQ(AnsiToQString(c.ansi), c.text);
        EXPECT_EQ(QStringToAnsi(c.text), c.ansi);
    }
    EXPECT_EQ(QStringToAnsi(QStringLiteral("\u03A9\U0001F600")), "???");
    std::string every;
    for (int b = 0; b < 256; ++b)
        every += static_cast<char>(b);
    EXPECT_EQ(QStringToAnsi(AnsiToQString(every)), every);
}

TEST(ScreenTest, BusyCursorDoesNotStackAndEndsWithItsWorkEvenOnFailure) {
    TScreen::SetCursor(TCursor::crHourGlass);
    TScreen::SetCursor(TCursor::crHourGlass);
    TScreen::SetCursor(TCursor::crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    try {
        TBusyCursor busy;
        EXPECT_EQ(TScreen::Cursor(), TCursor::crHourGlass);
        throw std::runtime_error("failed exchange");
    } catch (const std::runtime_error&) {}
    EXPECT_EQ(TScreen::Cursor(), TCursor::crDefault);
}

TEST(FormTest, ModalShowingEndsWithTheResultOrCancelWhenClosed) {
    TForm form;
    form.setFixedSize(200, 100);
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(QApplication::activeModalWidget(), &form);
        form.SetModalResult(mrOk);
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_FALSE(form.isVisible());
    QTimer::singleShot(0, [&] { form.close(); });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    // Escape belongs to a button with a cancel role; the window itself leaves it alone.
    QTimer::singleShot(0, [&] {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&form, &escape);
        EXPECT_TRUE(form.isVisible());
        form.close();
    });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_EQ(form.size(), QSize(200, 100));
}

TEST(FormTest, CentringKeepsTheCaptionOnAScreenTooSmallForTheWindow) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize small(200, 100);
    const QSize large = area.size() + QSize(400, 300);
    const QPoint centred = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, small, area).topLeft();
    for (const auto& [size, place] : {std::pair(small, centred), std::pair(large, area.topLeft())}) {
        TForm form;
        form.setFixedSize(size);
        form.CenterOnScreen();
        EXPECT_EQ(form.pos(), place) << size.width();
    }
}

} // namespace qv::framework::test

#include "GuiTestSupport.h"

#include "skin/TsuiForm.h"
#include "skin/TsuiTitleBar.h"
#include "skin/controls/TsuiButton.h"
#include "skin/demo/SkinDemoWindow.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <utility>

namespace qv::skin::test {

namespace {

constexpr int kCloseButton = 1;

// The demo window's rows down to its header panel's bottom edge.
constexpr int kHeaderBottom = 116;

void SendMouse(QWidget& widget, QEvent::Type type, QPoint at) {
    QMouseEvent event(type, QPointF(at), QPointF(widget.mapToGlobal(at)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

class GoldenImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Away from the virtual cursor at (0, 0), which would hover the window.
        window_.move(300, 200);
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }
    TsuiTitleBar& Bar() const { return window_.Panel().TitleBar(); }
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(at), QPointF(Bar().mapToGlobal(at)), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(&Bar(), &event);
    }
    QImage TitleArea() {
        const QImage window = RenderWindow(window_);
        return window.copy(0, 0, window.width(), Bar().geometry().bottom() + 1);
    }

    TSkinDemoWindow window_;
};

} // namespace

TEST_F(GoldenImageTest, DemoWindowInTheEmbeddedSkin) {
    EXPECT_EQ(window_.Panel().ClientRect().size().grownBy(QMargins(0, Bar().height(), 0, 0)),
              TSkinDemoWindow::kClientSize);
    EXPECT_TRUE(MatchesGolden(RenderWindow(window_), "demo-embedded-skin"));
}

TEST_F(GoldenImageTest, DemoWindowInEachBuiltInStyle) {
    // Two styles show every control; the other three their frame, title bar and header panel,
    // which keeps the pictures few and small.
    struct Case {
        TsuiUIStyle style;
        const char* name;
        bool whole;
    };
    for (const Case& c :
         {Case{TsuiUIStyle::MacOS, "demo-macos", true}, Case{TsuiUIStyle::WinXP, "demo-winxp", true},
          Case{TsuiUIStyle::DeepBlue, "demo-deepblue", false},
          Case{TsuiUIStyle::Protein, "demo-protein", false},
          Case{TsuiUIStyle::BlueGlass, "demo-blueglass", false}}) {
        window_.SetStyle(c.style);
        EXPECT_EQ(window_.Panel().ClientRect().size().grownBy(QMargins(0, Bar().height(), 0, 0)),
                  TSkinDemoWindow::kClientSize)
            << c.name;
        const QImage shown = RenderWindow(window_);
        EXPECT_TRUE(MatchesGolden(c.whole ? shown : shown.copy(0, 0, shown.width(), kHeaderBottom), c.name));
    }
}

TEST_F(GoldenImageTest, ButtonFacesInTheirStates) {
    for (const auto& [style, name] : {std::pair{TsuiUIStyle::FromThemeFile, "button-states-embedded-skin"},
                                      std::pair{TsuiUIStyle::MacOS, "button-states-macos"}}) {
        window_.SetStyle(style);
        TsuiButton& button = window_.BrowseButton();
        QImage states(button.width() * 5, button.height(), QImage::Format_ARGB32);
        QPainter painter(&states);
        const auto take = [&](int slot) {
            painter.drawImage(slot * button.width(), 0, button.grab().toImage());
        };
        take(0);
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(button.mapToGlobal(QPoint(5, 5))));
        QApplication::sendEvent(&button, &enter);
        take(1);
        SendMouse(button, QEvent::MouseButtonPress, QPoint(5, 5));
        take(2);
        SendMouse(button, QEvent::MouseButtonRelease, QPoint(500, 500));
        button.setFocus();
        take(3);
        button.clearFocus();
        button.setEnabled(false);
        take(4);
        button.setEnabled(true);
        painter.end();
        EXPECT_TRUE(MatchesGolden(states, name));
    }
}

TEST_F(GoldenImageTest, TitleBarShowsHoverAndPressedCloseButton) {
    const QPoint close = Bar().Layout().buttonRects[kCloseButton].center();
    EXPECT_TRUE(MatchesGolden(TitleArea(), "titlebar-normal"));
    Mouse(QEvent::MouseMove, close, Qt::NoButton);
    ASSERT_EQ(Bar().Hovered(), kCloseButton);
    EXPECT_TRUE(MatchesGolden(TitleArea(), "titlebar-close-hover"));
    Mouse(QEvent::MouseButtonPress, close, Qt::LeftButton);
    EXPECT_TRUE(MatchesGolden(TitleArea(), "titlebar-close-pressed"));
    Mouse(QEvent::MouseMove, QPoint(300, 20), Qt::LeftButton);
    EXPECT_TRUE(MatchesGolden(TitleArea(), "titlebar-normal"));
}

} // namespace qv::skin::test

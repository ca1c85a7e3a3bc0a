#include "GuiTestSupport.h"

#include "skin/TsuiForm.h"
#include "skin/TsuiTitleBar.h"
#include "skin/demo/SkinDemoWindow.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <utility>

namespace qv::skin::test {

namespace {

constexpr int kCloseButton = 1;

class GoldenImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Away from the virtual cursor at (0, 0), which would hover the window.
        window_.move(300, 200);
        window_.show();
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
    const std::pair<TsuiUIStyle, const char*> styles[] = {{TsuiUIStyle::MacOS, "demo-macos"},
                                                          {TsuiUIStyle::WinXP, "demo-winxp"},
                                                          {TsuiUIStyle::DeepBlue, "demo-deepblue"},
                                                          {TsuiUIStyle::Protein, "demo-protein"},
                                                          {TsuiUIStyle::BlueGlass, "demo-blueglass"}};
    for (const auto& [style, name] : styles) {
        window_.SetStyle(style);
        EXPECT_EQ(window_.Panel().ClientRect().size().grownBy(QMargins(0, Bar().height(), 0, 0)),
                  TSkinDemoWindow::kClientSize)
            << name;
        EXPECT_TRUE(MatchesGolden(RenderWindow(window_), name));
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

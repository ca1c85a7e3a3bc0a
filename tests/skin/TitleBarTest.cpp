#include "GuiTestSupport.h"
#include "tests/support/skin/SkinTestSupport.h"

#include "framework/gui/Form.h"
#include "skin/BuiltInStyles.h"
#include "skin/SkinResources.h"
#include "skin/StripFrame.h"
#include "skin/TsuiBuiltInFileTheme.h"
#include "skin/TsuiTitleBar.h"
#include "skin/TsuiTitleBarHost.h"
#include "skin/TsuiTitleBarPopupMenu.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <memory>

namespace qv::skin::test {

namespace {

// The form panel a title bar sits on, with the embedded skin's 4-pixel frame.
class TFramePanel : public QWidget, public TsuiTitleBarHost {
public:
    using QWidget::QWidget;
    int TitleBarInset() const override { return 4; }
};

constexpr int kClose = 1;
constexpr int kMax = 2;

class TitleBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        form_ = std::make_unique<qv::framework::TForm>();
        form_->move(200, 300);
        theme_ = new TsuiBuiltInFileTheme(form_.get());
        theme_->ReadSkinData(EmbeddedSkinArchive());
        ASSERT_TRUE(theme_->Ready());
        panel_ = new TFramePanel(form_.get());
        bar_ = new TsuiTitleBar(form_.get(), panel_);
        // As the form panel hands them on: the theme first, then the style, which sets the caption colour.
        bar_->SetFileTheme(theme_);
        bar_->SetUIStyle(TsuiUIStyle::FromThemeFile);
        bar_->SetCaption("Quorvane");
        bar_->resize(792, bar_->height());
    }

    QImage Frame(int index) const {
        QImage frame;
        EXPECT_TRUE(theme_->GetBitmap(SKIN2_TITLEBUTTONS, frame, index, 18));
        return frame.convertToFormat(QImage::Format_RGB32);
    }
    QImage Shown(const QRect& rect) const {
        return bar_->grab().toImage().convertToFormat(QImage::Format_RGB32).copy(rect);
    }
    void Mouse(QEvent::Type type, QPoint at) {
        QMouseEvent event(type, QPointF(at), QPointF(bar_->mapToGlobal(at)), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(bar_, &event);
    }

    TScratchFolder scratch_;
    std::unique_ptr<qv::framework::TForm> form_;
    TsuiBuiltInFileTheme* theme_ = nullptr;
    TFramePanel* panel_ = nullptr;
    TsuiTitleBar* bar_ = nullptr;
};

} // namespace

TEST_F(TitleBarTest, EmbeddedSkinGivesTheBarsFigures) {
    EXPECT_EQ(bar_->height(), 45);
    EXPECT_EQ(bar_->LeftBtnXOffset(), 7);
    EXPECT_EQ(bar_->RightBtnXOffset(), 29);
    EXPECT_EQ(bar_->MinimumHostSize().width(), 234);
    EXPECT_EQ(form_->minimumWidth(), 234);
    EXPECT_EQ(bar_->FontColor(), 0u);
    // A theme handed on alone leaves the caption colour as the last style set it.
    bar_->SetFileTheme(nullptr);
    bar_->SetUIStyle(TsuiUIStyle::FromThemeFile);
    bar_->SetFileTheme(theme_);
    EXPECT_EQ(bar_->FontColor(), 0xFFFFFFu);
    const TTitleBarLayout layout = bar_->Layout();
    EXPECT_EQ(layout.buttonRects[kClose].topLeft(), QPoint(747, 11));
    EXPECT_EQ(layout.icon, QPoint(3, 11));
    EXPECT_EQ(layout.caption, QPoint(21, 11));
    ASSERT_EQ(bar_->Sections().size(), 3u);
    EXPECT_EQ(bar_->Sections()[1].Align, TsuiTitleBarAlign::suiClient);
}

TEST_F(TitleBarTest, PaintsTheSkinsButtonsAndTheWholeWindowTitlePicture) {
    EXPECT_EQ(Shown(QRect(747, 11, 19, 19)), Frame(16));
    EXPECT_EQ(Shown(QRect(727, 11, 19, 19)), Frame(7));
    EXPECT_EQ(Shown(QRect(707, 11, 19, 19)), Frame(13));
    const QImage& title = bar_->TitlePicture();
    ASSERT_EQ(title.size(), QSize(800, 48));
    EXPECT_EQ(title.pixel(0, 0) & 0xFFFFFF, framework::clTransparencyKey);
    EXPECT_EQ(title.pixel(799, 0) & 0xFFFFFF, framework::clTransparencyKey);
    EXPECT_NE(title.pixel(0, 7) & 0xFFFFFF, framework::clTransparencyKey);
    EXPECT_NE(bar_->TitleComposite().pixel(0, 0) & 0xFFFFFF, framework::clTransparencyKey);
    // The bar shows the title picture from its fourth row and fifth column on.
    const QImage shown = bar_->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(100, 30), title.pixel(104, 33));
}

TEST_F(TitleBarTest, ButtonsFollowTheMouseAndCloseTheWindow) {
    form_->show();
    Mouse(QEvent::MouseMove, QPoint(750, 15));
    EXPECT_EQ(bar_->Hovered(), kClose);
    EXPECT_EQ(Shown(QRect(747, 11, 19, 19)), Frame(17));
    Mouse(QEvent::MouseButtonPress, QPoint(750, 15));
    EXPECT_EQ(Shown(QRect(747, 11, 19, 19)), Frame(18));
    // Releasing outside the button does nothing.
    Mouse(QEvent::MouseButtonRelease, QPoint(300, 15));
    EXPECT_TRUE(form_->isVisible());
    Mouse(QEvent::MouseMove, QPoint(300, 15));
    EXPECT_EQ(bar_->Hovered(), -1);
    EXPECT_EQ(Shown(QRect(747, 11, 19, 19)), Frame(16));

    Mouse(QEvent::MouseMove, QPoint(750, 15));
    Mouse(QEvent::MouseButtonPress, QPoint(750, 15));
    Mouse(QEvent::MouseButtonRelease, QPoint(750, 15));
    EXPECT_FALSE(form_->isVisible());
}

TEST_F(TitleBarTest, MaximizeTogglesAndShowsTheRestorePicture) {
    form_->resize(800, 600);
    form_->show();
    const QRect normal = form_->geometry();
    bar_->ButtonAction(kMax);
    EXPECT_NE(form_->geometry(), normal);
    QImage restore;
    ASSERT_TRUE(theme_->GetBitmap(SKIN2_TITLEBUTTONS, restore, 10, 18));
    EXPECT_EQ(bar_->Buttons()[kMax].PicNormal, restore);
    bar_->ButtonAction(kMax);
    EXPECT_EQ(form_->geometry(), normal);
    EXPECT_EQ(bar_->Buttons()[kMax].PicNormal, Frame(7));
}

TEST_F(TitleBarTest, AButtonEventThatDeletesTheWindowLeavesTheBarAlone) {
    form_->show();
    constexpr size_t kCustom = 3;
    bar_->SetButtonType(kCustom, TsuiTitleBarBtnType::suiCustom);
    bar_->Buttons().Update(kCustom, [this](TsuiTitleBarButton& custom) {
        custom.PicNormal = Frame(4);
        custom.PicMouseOn = Frame(5);
        custom.PicMouseDown = Frame(6);
    });
    int clicked = -1;
    bar_->OnCustomBtnsClick = [this, &clicked](TsuiTitleBar&, int button) {
        clicked = button;
        form_.reset();
    };
    const QPoint at = bar_->Layout().buttonRects[kCustom].center();
    Mouse(QEvent::MouseMove, at);
    Mouse(QEvent::MouseButtonPress, at);
    Mouse(QEvent::MouseButtonRelease, at);
    EXPECT_EQ(clicked, static_cast<int>(kCustom));
    EXPECT_EQ(form_, nullptr);
}

TEST_F(TitleBarTest, BuiltInStylesAndTheRemovedTheme) {
    bar_->SetUIStyle(TsuiUIStyle::WinXP);
    QImage left;
    ASSERT_TRUE(GetStyleBitmap(TsuiUIStyle::WinXP, TStyleRow::TitleLeft, left));
    EXPECT_EQ(bar_->height(), left.height() - 3);
    EXPECT_EQ(bar_->LeftBtnXOffset(), 2);
    EXPECT_EQ(bar_->RightBtnXOffset(), -2);
    EXPECT_EQ(bar_->RoundCorner(), 13);
    EXPECT_EQ(bar_->MinimumHostSize(), QSize(150, 50));
    EXPECT_EQ(bar_->FontColor(), 0xFFFFFFu);
    bar_->SetUIStyle(TsuiUIStyle::MacOS);
    EXPECT_EQ(bar_->FontColor(), 0u);

    bar_->SetUIStyle(TsuiUIStyle::FromThemeFile);
    delete theme_;
    EXPECT_EQ(bar_->UIStyle(), TsuiUIStyle::DeepBlue);
    QImage deepBlue;
    ASSERT_TRUE(GetStyleBitmap(TsuiUIStyle::DeepBlue, TStyleRow::TitleLeft, deepBlue));
    EXPECT_EQ(bar_->height(), deepBlue.height() - 3);
    EXPECT_EQ(bar_->FontColor(), 0xFFFFFFu);
}

TEST_F(TitleBarTest, DraggingTheCaptionMovesTheWindowAndDoubleClickMaximizes) {
    form_->resize(800, 600);
    form_->show();
    const QPoint start = form_->pos();
    Mouse(QEvent::MouseButtonPress, QPoint(300, 15));
    Mouse(QEvent::MouseMove, QPoint(340, 35));
    Mouse(QEvent::MouseButtonRelease, QPoint(340, 35));
    EXPECT_EQ(form_->pos(), start + QPoint(40, 20));

    const QRect normal = form_->geometry();
    QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(300, 15),
                      QPointF(bar_->mapToGlobal(QPoint(300, 15))), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(bar_, &click);
    EXPECT_NE(form_->geometry(), normal);
}

TEST_F(TitleBarTest, WindowMenuOffersOnlyTheCommandsOfVisibleButtons) {
    form_->show();
    TsuiTitleBarPopupMenu& menu = bar_->Menu();
    bar_->Buttons().UpdateAll([](TsuiTitleBarButton& button) { button.Visible = false; });
    menu.Popup(QPoint(10, 10));
    EXPECT_FALSE(menu.MinimizeItem()->isEnabled());
    EXPECT_FALSE(menu.MaximizeItem()->isEnabled());
    EXPECT_FALSE(menu.CloseItem()->isEnabled());
    menu.hide();

    bar_->Buttons().Update(kClose, [](TsuiTitleBarButton& button) { button.Visible = true; });
    menu.Popup(QPoint(10, 10));
    EXPECT_FALSE(menu.MinimizeItem()->isEnabled());
    EXPECT_TRUE(menu.CloseItem()->isEnabled());
    EXPECT_EQ(menu.MinimizeItem()->text(), "Mi&nimize");
    EXPECT_EQ(menu.MaximizeItem()->text(), "Ma&ximize/Restore");
    EXPECT_EQ(menu.CloseItem()->text(), "&Close");
    menu.CloseItem()->trigger();
    EXPECT_FALSE(form_->isVisible());
}

TEST_F(TitleBarTest, ControlBoxPopsUpTheWindowMenuInTheSkinsColours) {
    form_->show();
    Mouse(QEvent::MouseMove, QPoint(8, 15));
    Mouse(QEvent::MouseButtonPress, QPoint(8, 15));
    Mouse(QEvent::MouseButtonRelease, QPoint(8, 15));
    TsuiTitleBarPopupMenu& menu = bar_->Menu();
    ASSERT_TRUE(menu.isVisible());
    menu.setActiveAction(menu.MinimizeItem());
    const QImage shown = menu.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect minimize = menu.actionGeometry(menu.MinimizeItem());
    const QRect maximize = menu.actionGeometry(menu.MaximizeItem());
    const QRect separator = menu.actionGeometry(menu.actions().at(2));
    EXPECT_EQ(minimize.height(), 21);
    EXPECT_EQ(separator.height(), 5);
    EXPECT_EQ(QColor(shown.pixel(minimize.left() + 2, minimize.center().y())), QColor(0x31, 0x6A, 0xC5));
    EXPECT_EQ(QColor(shown.pixel(maximize.left() + 5, maximize.center().y())), QColor(0xF0, 0xEF, 0xEE));
    EXPECT_EQ(QColor(shown.pixel(maximize.right() - 3, maximize.center().y())), QColor(Qt::white));
    EXPECT_EQ(QColor(shown.pixel(separator.left() + 40, separator.top() + 2)), QColor(0x84, 0x82, 0x84));
    EXPECT_EQ(QColor(shown.pixel(0, 0)), QColor(0xDA, 0xE4, 0xF6));
    menu.hide();
}

TEST_F(TitleBarTest, RefusesASecondClientSectionOrControlBoxWithAMessage) {
    EXPECT_EQ(AnswerMessageBox([this] { bar_->SetSectionAlign(0, TsuiTitleBarAlign::suiClient); }),
              "Sorry, only one section's Align property can be \"suiClient\"");
    EXPECT_EQ(bar_->Sections()[0].Align, TsuiTitleBarAlign::suiLeft);
    // The client section may keep its alignment, and once it is gone another may take it.
    EXPECT_EQ(AnswerMessageBox([this] { bar_->SetSectionAlign(1, TsuiTitleBarAlign::suiClient); }), "");
    bar_->SetSectionAlign(1, TsuiTitleBarAlign::suiLeft);
    EXPECT_EQ(AnswerMessageBox([this] { bar_->SetSectionAlign(0, TsuiTitleBarAlign::suiClient); }), "");
    EXPECT_EQ(bar_->Sections()[0].Align, TsuiTitleBarAlign::suiClient);
    EXPECT_TRUE(bar_->Sections()[0].Stretch);

    EXPECT_EQ(AnswerMessageBox([this] { bar_->SetButtonType(kClose, TsuiTitleBarBtnType::suiControlBox); }),
              "Sorry, only one button's ButtonType property can be \"suiControlBox\"");
    EXPECT_EQ(bar_->Buttons()[kClose].ButtonType, TsuiTitleBarBtnType::suiClose);
    EXPECT_EQ(bar_->Buttons()[kClose].PicNormal, Frame(16));
    // A retyped button takes its new type's frames; the control box may then move elsewhere.
    EXPECT_EQ(AnswerMessageBox([this] { bar_->SetButtonType(0, TsuiTitleBarBtnType::suiHelp); }), "");
    EXPECT_EQ(bar_->Buttons()[0].PicNormal, Frame(4));
    EXPECT_EQ(AnswerMessageBox([this] { bar_->SetButtonType(kClose, TsuiTitleBarBtnType::suiControlBox); }),
              "");
    EXPECT_EQ(bar_->Buttons()[kClose].PicNormal, Frame(1));
}

TEST_F(TitleBarTest, ControlBoxMenuTakesThePlaceOfTheWindowMenu) {
    form_->show();
    auto* own = new QMenu(form_.get());
    own->addAction("Tender details");
    bar_->Buttons().Update(0, [own](TsuiTitleBarButton& button) { button.ControlBoxMenu = own; });
    Mouse(QEvent::MouseMove, QPoint(8, 15));
    Mouse(QEvent::MouseButtonPress, QPoint(8, 15));
    Mouse(QEvent::MouseButtonRelease, QPoint(8, 15));
    EXPECT_TRUE(own->isVisible());
    EXPECT_FALSE(bar_->Menu().isVisible());
    EXPECT_EQ(own->pos(), bar_->mapToGlobal(QPoint(0, bar_->height())));
    own->hide();
    // A control box menu that goes away leaves the window menu in charge again.
    delete own;
    Mouse(QEvent::MouseButtonPress, QPoint(8, 15));
    Mouse(QEvent::MouseButtonRelease, QPoint(8, 15));
    EXPECT_TRUE(bar_->Menu().isVisible());
    bar_->Menu().hide();
}

TEST_F(TitleBarTest, RightToLeftCaptionEndsTenPixelsBeforeTheButtons) {
    const TTitleBarLayout layout = bar_->Layout();
    // The columns between icon and buttons in which the caption leaves dark pixels.
    const auto inkColumns = [&] {
        const QImage shown = Shown(bar_->rect());
        std::pair<int, int> columns(shown.width(), -1);
        for (int x = layout.caption.x(); x < layout.captionRight; ++x)
            for (int y = layout.caption.y(); y < layout.caption.y() + 14; ++y)
                if (qGray(shown.pixel(x, y)) < 128) {
                    columns.first = std::min(columns.first, x);
                    columns.second = std::max(columns.second, x);
                }
        return columns;
    };
    const auto leftToRight = inkColumns();
    ASSERT_GE(leftToRight.second, 0);
    EXPECT_LE(leftToRight.first, layout.caption.x() + 2);
    bar_->setLayoutDirection(Qt::RightToLeft);
    const auto rightToLeft = inkColumns();
    EXPECT_EQ(rightToLeft.second - rightToLeft.first, leftToRight.second - leftToRight.first);
    EXPECT_LE(rightToLeft.second, layout.captionRight - 10);
    EXPECT_GE(rightToLeft.second, layout.captionRight - 13);
}

TEST_F(TitleBarTest, CaptionSectionOfFiveSectionSkinsShortensTheCaption) {
    bar_->Custom = true;
    const auto solid = [](int width, QRgb colour) {
        QImage picture(width, 48, QImage::Format_RGB32);
        picture.fill(colour);
        return picture;
    };
    std::vector<TsuiTitleBarSection> sections(4);
    sections[0].Picture = solid(58, qRgb(10, 10, 10));
    sections[0].AutoSize = true;
    sections[1].Picture = solid(5, qRgb(200, 0, 0));
    sections[1].CapSec = true;
    sections[2].Picture = solid(30, qRgb(0, 200, 0));
    sections[2].AutoSize = true;
    sections[3].Picture = solid(8, qRgb(0, 0, 200));
    sections[3].Align = TsuiTitleBarAlign::suiClient;
    bar_->Sections().Assign(sections);
    const QFontMetrics metrics(bar_->font());
    // Room: 792 - 7 - 4 buttons of 19 - the next section's 30 - 21 pixels.
    const int room = 792 - 7 - 4 * 19 - 30 - 21;
    bar_->UpdateTitlePicture();
    ASSERT_TRUE(bar_->CaptionOverride().has_value());
    EXPECT_EQ(*bar_->CaptionOverride(), "Quorvane");
    const int captionWidth = metrics.horizontalAdvance("Quorvane") + 7 - 58 + 17;
    // In the title picture the caption section follows the first and ends where the next begins.
    const QImage& title = bar_->TitlePicture();
    const int end = 58 + captionWidth;
    EXPECT_EQ(QColor(title.pixel(end - 1, 20)), QColor(200, 0, 0));
    EXPECT_EQ(QColor(title.pixel(end, 20)), QColor(0, 200, 0));

    const QString longCaption = QString("Public procurement tender ").repeated(40);
    bar_->SetCaption(longCaption);
    bar_->UpdateTitlePicture();
    const QString shortened = *bar_->CaptionOverride();
    EXPECT_TRUE(shortened.endsWith("..."));
    EXPECT_LT(metrics.horizontalAdvance(shortened), room);
    EXPECT_TRUE(longCaption.startsWith(shortened.chopped(3)));

    bar_->Sections().Update(1, [](TsuiTitleBarSection& section) { section.CapSec = false; });
    bar_->UpdateTitlePicture();
    EXPECT_FALSE(bar_->CaptionOverride().has_value());
}

TEST_F(TitleBarTest, SizeMarginsAndButtonStylesFollowTheirSetters) {
    EXPECT_TRUE(bar_->AutoSize());
    bar_->SetHeight(30);
    EXPECT_EQ(bar_->height(), 45) << "an auto-sized bar keeps its picture's height";
    bar_->SetAutoSize(false);
    bar_->SetHeight(30);
    EXPECT_EQ(bar_->height(), 30);
    bar_->SetAutoSize(true);
    EXPECT_EQ(bar_->height(), 45);

    const TTitleBarLayout before = bar_->Layout();
    bar_->SetLeftBtnXOffset(bar_->LeftBtnXOffset() + 10);
    bar_->SetRightBtnXOffset(bar_->RightBtnXOffset() + 10);
    const TTitleBarLayout after = bar_->Layout();
    EXPECT_EQ(after.icon.x(), before.icon.x() + 10);
    EXPECT_EQ(after.buttonRects[kClose].x(), before.buttonRects[kClose].x() - 10);

    bar_->SetButtonUIStyle(kClose, TsuiUIStyle::MacOS);
    QImage macClose;
    GetStyleBitmap(TsuiUIStyle::MacOS, TStyleRow::TitleButtons, macClose, 16, 18);
    EXPECT_EQ(bar_->Buttons()[kClose].PicNormal, macClose);
    EXPECT_EQ(bar_->Buttons()[kMax].PicNormal, Frame(7)) << "the other buttons keep the skin's";
    bar_->SetRoundCornerBottom(5);
    EXPECT_EQ(bar_->RoundCornerBottom(), 5);
}

TEST_F(TitleBarTest, EditingASectionOrAButtonRepaintsTheBar) {
    form_->show();
    QApplication::processEvents();
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    bar_->installEventFilter(&counter);
    QImage red(58, 48, QImage::Format_RGB32);
    red.fill(Qt::red);
    bar_->Sections().Update(0, [&red](TsuiTitleBarSection& section) { section.Picture = red; });
    QApplication::processEvents();
    EXPECT_GT(counter.paints, 0);
    EXPECT_EQ(QColor(Shown(QRect(10, 30, 1, 1)).pixel(0, 0)), QColor(Qt::red));
    counter.paints = 0;
    bar_->Buttons().Update(kClose, [](TsuiTitleBarButton& button) { button.Visible = false; });
    QApplication::processEvents();
    EXPECT_GT(counter.paints, 0);
    EXPECT_TRUE(bar_->Layout().buttonRects[kClose].isEmpty());
}

TEST_F(TitleBarTest, WindowMenuSideBarIsAtTheRightInRightToLeftLayouts) {
    form_->show();
    TsuiTitleBarPopupMenu& menu = bar_->Menu();
    const auto sides = [&menu] {
        menu.Popup(QPoint(300, 300));
        const QImage shown = menu.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect close = menu.actionGeometry(menu.CloseItem());
        menu.hide();
        return std::pair(QColor(shown.pixel(close.left() + 5, close.center().y())),
                         QColor(shown.pixel(close.right() - 5, close.center().y())));
    };
    const auto [sideBar, background] = sides();
    ASSERT_NE(sideBar, background);
    bar_->setLayoutDirection(Qt::RightToLeft);
    EXPECT_EQ(sides(), std::pair(background, sideBar));
}

} // namespace qv::skin::test

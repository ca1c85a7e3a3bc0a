#include "GuiTestSupport.h"
#include "tests/support/skin/SkinTestSupport.h"

#include "ThemeTestControls.h"
#include "framework/gui/Align.h"
#include "framework/gui/Form.h"
#include "skin/SkinResources.h"
#include "skin/TsuiBuiltInFileTheme.h"
#include "skin/TsuiForm.h"
#include "skin/TsuiTitleBar.h"
#include "skin/TsuiTitleBarPopupMenu.h"
#include "skin/writer/SkinArchiveWriter.h"
#include "skin/writer/SkinDataBuilder.h"

#include "framework/gui/Fonts.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

#include <functional>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace qv::skin::test {

namespace {

QColor Rgb(uint32_t bgr) {
    return qv::framework::ColorToQColor(bgr);
}

class FormTest : public ::testing::Test {
protected:
    // A window with a 792 by 553 client area under the embedded skin's frame.
    void SetUp() override {
        form_ = std::make_unique<qv::framework::TForm>();
        form_->setWindowTitle("Quorvane");
        form_->resize(800, 560);
        theme_ = new TsuiBuiltInFileTheme(form_.get());
        theme_->ReadSkinData(EmbeddedSkinArchive());
        ASSERT_TRUE(theme_->Ready());
        panel_ = new TsuiForm(form_.get());
        panel_->SetUIStyle(TsuiUIStyle::FromThemeFile);
        panel_->SetFileTheme(theme_);
    }
    QImage Shown() const { return panel_->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    TScratchFolder scratch_;
    std::unique_ptr<qv::framework::TForm> form_;
    TsuiBuiltInFileTheme* theme_ = nullptr;
    TsuiForm* panel_ = nullptr;
};

} // namespace

TEST_F(FormTest, EmbeddedSkinGivesTheFrameAndTitleBarGeometry) {
    EXPECT_TRUE(form_->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(panel_->geometry(), QRect(0, 0, 800, 560));
    EXPECT_EQ(panel_->Frame(), QMargins(4, 3, 4, 4));
    EXPECT_EQ(panel_->TitleBarInset(), 4);
    EXPECT_EQ(panel_->TitleBar().geometry(), QRect(4, 3, 792, 45));
    EXPECT_EQ(panel_->ClientRect(), QRect(4, 48, 792, 508));
    EXPECT_EQ(panel_->TitleBar().Layout().buttonRects[1].topLeft(), QPoint(747, 11));
    EXPECT_EQ(panel_->TitleBar().Caption(), "Quorvane");
    EXPECT_EQ(form_->minimumSize(), QSize(234, 49));
    EXPECT_EQ(panel_->Color(), 0xF6E4DAu);
    EXPECT_EQ(panel_->Version(), "6.21");
}

TEST_F(FormTest, PaintsAOnePixelSkinLinePlusThreePixelsOfFormColour) {
    const QImage shown = Shown();
    const QColor slate = Rgb(0xA06B4F);
    const QColor formColor = Rgb(0xF6E4DA);
    for (const int y : {60, 300, 550}) {
        EXPECT_EQ(QColor(shown.pixel(0, y)), slate) << y;
        EXPECT_EQ(QColor(shown.pixel(799, y)), slate) << y;
        for (int x = 1; x <= 3; ++x) {
            EXPECT_EQ(QColor(shown.pixel(x, y)), formColor) << x << "," << y;
            EXPECT_EQ(QColor(shown.pixel(799 - x, y)), formColor) << x << "," << y;
        }
    }
    for (const int x : {10, 400, 790}) {
        EXPECT_EQ(QColor(shown.pixel(x, 559)), slate) << x;
        EXPECT_EQ(QColor(shown.pixel(x, 556)), formColor) << x;
        EXPECT_EQ(QColor(shown.pixel(x, 0)), slate) << x;
    }
    // The frame around the title bar comes from the title picture.
    const QImage& title = panel_->TitleBar().TitlePicture();
    EXPECT_EQ(shown.pixel(2, 30), title.pixel(2, 30));
    EXPECT_EQ(shown.pixel(400, 1), title.pixel(400, 1));
}

TEST_F(FormTest, RegionCutsTheMagentaCornersOfTheTopSevenRows) {
    const QRegion& region = panel_->WindowRegion();
    EXPECT_FALSE(region.contains(QPoint(0, 0)));
    EXPECT_FALSE(region.contains(QPoint(799, 0)));
    EXPECT_FALSE(region.contains(QPoint(0, 3)));
    EXPECT_TRUE(region.contains(QPoint(0, 7)));
    EXPECT_TRUE(region.contains(QPoint(799, 7)));
    EXPECT_TRUE(region.contains(QPoint(400, 0)));
    EXPECT_TRUE(region.contains(QPoint(0, 559)));
    EXPECT_TRUE(region.contains(QPoint(799, 559)));
    const QImage& title = panel_->TitleBar().TitlePicture();
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(region.contains(QPoint(x, y)),
                      (title.pixel(x, y) & 0xFFFFFF) != framework::clTransparencyKey)
                << x << "," << y;
    EXPECT_EQ(form_->mask(), region);
}

TEST_F(FormTest, AHiddenWindowShowsInTheShapeOfItsLastStyleAndSize) {
    panel_->SetUIStyle(TsuiUIStyle::WinXP);
    form_->resize(700, 500);
    panel_->SetUIStyle(TsuiUIStyle::FromThemeFile);
    form_->move(300, 200);
    form_->show();
    const QRegion shape = form_->mask();
    EXPECT_EQ(shape, panel_->WindowRegion());
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    EXPECT_TRUE(shape.contains(QPoint(699, 499)));
    EXPECT_FALSE(shape.contains(QPoint(700, 499)));
}

TEST_F(FormTest, BuiltInStylesPaintTheirBorderAndRoundTheirCorners) {
    panel_->SetUIStyle(TsuiUIStyle::DeepBlue);
    EXPECT_EQ(panel_->Frame(), QMargins(3, 3, 3, 2));
    EXPECT_EQ(panel_->TitleBarInset(), 3);
    QImage shown = Shown();
    EXPECT_EQ(QColor(shown.pixel(0, 300)), QColor(Qt::black));
    EXPECT_EQ(QColor(shown.pixel(1, 300)), Rgb(0xE8E8E8));
    EXPECT_EQ(QColor(shown.pixel(400, 559)), QColor(Qt::black));
    EXPECT_EQ(QColor(shown.pixel(400, 558)), Rgb(0xE8E8E8));
    EXPECT_EQ(panel_->WindowRegion(), QRegion(0, 0, 800, 560));

    panel_->SetUIStyle(TsuiUIStyle::WinXP);
    EXPECT_EQ(panel_->Frame(), QMargins(3, 3, 3, 3));
    shown = Shown();
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(QColor(shown.pixel(x, 300)), Rgb(0xC82C00)) << x;
    EXPECT_FALSE(panel_->WindowRegion().contains(QPoint(0, 0)));
    EXPECT_TRUE(panel_->WindowRegion().contains(QPoint(7, 0)));
    EXPECT_FALSE(panel_->WindowRegion().contains(QPoint(0, 2)));
    EXPECT_TRUE(panel_->WindowRegion().contains(QPoint(0, 7)));
    EXPECT_TRUE(panel_->WindowRegion().contains(QPoint(0, 559)));
    EXPECT_EQ(form_->minimumSize(), QSize(150, panel_->TitleBar().height() + 3));
}

TEST_F(FormTest, RemovingTheThemeFallsBackToDeepBlue) {
    delete theme_;
    EXPECT_EQ(panel_->UIStyle(), TsuiUIStyle::DeepBlue);
    EXPECT_EQ(panel_->TitleBar().UIStyle(), TsuiUIStyle::DeepBlue);
    EXPECT_EQ(panel_->TitleBar().FileTheme(), nullptr);
    EXPECT_EQ(panel_->Frame(), QMargins(3, 3, 3, 2));
}

TEST_F(FormTest, HiddenTitleBarLeavesABorderLineAcrossTheTop) {
    panel_->SetUIStyle(TsuiUIStyle::DeepBlue);
    panel_->SetTitleBarVisible(false);
    EXPECT_EQ(panel_->ClientRect().top(), 3);
    const QImage shown = Shown();
    EXPECT_EQ(QColor(shown.pixel(400, 0)), QColor(Qt::black));
    EXPECT_EQ(QColor(shown.pixel(400, 1)), Rgb(0xE8E8E8));
    panel_->SetTitleBarVisible(true);
    EXPECT_EQ(panel_->ClientRect().top(), 3 + panel_->TitleBar().height());
}

TEST_F(FormTest, StyleReachesChildControlsOnlyWhenAskedTo) {
    auto* child = new TsuiProbe(nullptr, panel_);
    child->SetUIStyle(TsuiUIStyle::MacOS);
    panel_->SetUIStyle(TsuiUIStyle::WinXP);
    EXPECT_EQ(child->UIStyle(), TsuiUIStyle::MacOS);
    panel_->UIStyleAutoUpdateSub = true;
    panel_->SetUIStyle(TsuiUIStyle::FromThemeFile);
    EXPECT_EQ(child->UIStyle(), TsuiUIStyle::FromThemeFile);
    EXPECT_EQ(child->FileTheme(), theme_);
}

TEST_F(FormTest, AltSpaceOpensTheWindowMenuFromAnyControl) {
    form_->show();
    auto* edit = new QWidget(panel_);
    QKeyEvent other(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
    QApplication::sendEvent(edit, &other);
    EXPECT_FALSE(panel_->TitleBar().Menu().isVisible());
    QKeyEvent altSpace(QEvent::KeyPress, Qt::Key_Space, Qt::AltModifier);
    QApplication::sendEvent(edit, &altSpace);
    EXPECT_TRUE(panel_->TitleBar().Menu().isVisible());
    panel_->TitleBar().Menu().hide();
}

TEST_F(FormTest, FormPanelFillsTheClientAreaButNeverThePanelItself) {
    form_->move(300, 200);
    form_->show();
    EXPECT_EQ(AnswerMessageBox([this] { panel_->SetFormPanel(panel_); }),
              "Sorry, you can't select the Form assign to FormPanel property");
    EXPECT_EQ(panel_->FormPanel(), nullptr);
    auto* client = new QWidget(form_.get());
    EXPECT_EQ(AnswerMessageBox([this, client] { panel_->SetFormPanel(client); }), "");
    EXPECT_EQ(panel_->FormPanel(), client);
    EXPECT_EQ(client->parentWidget(), panel_);
    EXPECT_EQ(client->geometry(), QRect(4, 48, 792, 508));
    form_->resize(600, 400);
    EXPECT_EQ(client->geometry(), QRect(4, 48, 592, 348));
    panel_->SetTitleBarVisible(false);
    EXPECT_EQ(client->geometry(), QRect(4, 3, 592, 393));
    delete client;
    EXPECT_EQ(panel_->FormPanel(), nullptr);
    form_->resize(700, 500);
}

TEST_F(FormTest, CaptionGoesToTheTitleBarAndTheWindow) {
    panel_->SetCaption("Tender details");
    EXPECT_EQ(panel_->Caption(), "Tender details");
    EXPECT_EQ(panel_->TitleBar().Caption(), "Tender details");
    EXPECT_EQ(form_->windowTitle(), "Tender details");
}

TEST_F(FormTest, OnePixelBuiltInBorderRoundsTheTopCornersInItsColour) {
    panel_->SetUIStyle(TsuiUIStyle::BlueGlass);
    const QImage shown = Shown();
    const QRegion& region = panel_->WindowRegion();
    const int w = shown.width();
    EXPECT_FALSE(region.contains(QPoint(0, 0)));
    EXPECT_FALSE(region.contains(QPoint(w - 1, 0)));
    // The outermost pixel of each corner row that the region keeps is on the arc.
    for (int y = 0; y < 5; ++y) {
        int left = 0;
        while (!region.contains(QPoint(left, y)))
            ++left;
        int right = w - 1;
        while (!region.contains(QPoint(right, y)))
            --right;
        EXPECT_EQ(QColor(shown.pixel(left, y)), QColor(Qt::black)) << y;
        EXPECT_EQ(QColor(shown.pixel(right, y)), QColor(Qt::black)) << y;
        EXPECT_LE(left, 5 - y);
    }
    EXPECT_TRUE(region.contains(QPoint(0, 6)));
}

TEST_F(FormTest, ASecondFormPanelStaysAnOrdinaryPanel) {
    const QRegion shape = panel_->WindowRegion();
    ASSERT_EQ(form_->mask(), shape);
    auto* second = new TsuiForm(form_.get());
    second->setGeometry(10, 60, 200, 100);
    second->SetFileTheme(theme_);
    second->SetUIStyle(TsuiUIStyle::WinXP);
    second->SetTitleBarVisible(true);
    EXPECT_FALSE(second->TitleBarVisible());
    EXPECT_FALSE(second->TitleBar().isVisibleTo(second));
    EXPECT_EQ(second->Frame(), QMargins());
    EXPECT_EQ(second->geometry(), QRect(10, 60, 200, 100));
    const QImage shown = second->grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(0, 0)), Rgb(second->Color()));
    EXPECT_EQ(QColor(shown.pixel(199, 99)), Rgb(second->Color()));
    // The window keeps the first panel's frame, shape and limits.
    EXPECT_EQ(form_->mask(), shape);
    EXPECT_EQ(form_->minimumSize(), QSize(234, 49));
    EXPECT_EQ(panel_->Frame(), QMargins(4, 3, 4, 4));
}

TEST_F(FormTest, MinimizedWindowPaintsNoFrame) {
    form_->move(300, 200);
    form_->show();
    form_->showMinimized();
    EXPECT_EQ(QColor(Shown().pixel(0, 300)), Rgb(0xF6E4DA));
    form_->showNormal();
    EXPECT_EQ(QColor(Shown().pixel(0, 300)), Rgb(0xA06B4F));
}

TEST_F(FormTest, ReadingAnotherWindowsThemeGrowsTheWindowOnce) {
    qv::framework::TForm details;
    details.resize(400, 300);
    auto* panel = new TsuiForm(&details);
    auto* own = new TsuiBuiltInFileTheme(&details);
    panel->SetFileTheme(theme_);
    EXPECT_EQ(details.size(), QSize(400, 300));
    panel->SetFileTheme(nullptr);
    panel->SetLoading(true);
    panel->SetFileTheme(own);
    EXPECT_EQ(details.size(), QSize(400, 300));
    panel->SetFileTheme(theme_);
    EXPECT_EQ(details.size(), QSize(404, 303));
    panel->SetFileTheme(theme_);
    EXPECT_EQ(details.size(), QSize(404, 303));
}

TEST_F(FormTest, BottomBorderShapeCutsItsKeyColouredCorners) {
    QImage bottom(9, 5, QImage::Format_RGB32);
    bottom.fill(QColor(0x4F, 0x6B, 0xA0));
    for (const QPoint key :
         {QPoint(0, 3), QPoint(0, 4), QPoint(1, 4), QPoint(8, 3), QPoint(8, 4), QPoint(7, 4)})
        bottom.setPixel(key, qRgb(255, 0, 255));
    QImage side(1, 1, QImage::Format_RGB32);
    side.fill(Qt::black);
    TSkinDataBuilder data;
    data.AddFlag("SKIN2_BOTTOMBORDERNEEDREGION", 1);
    data.AddInteger("SKIN2_TRANSCOLOR", 0xFF00FF);
    data.AddInteger("SKIN2_FORMCOLOR", 0x123456);
    data.AddInteger("SKIN2_BOTTOMREGIONMINY", 3);
    data.AddInteger("SKIN2_BOTTOMREGIONMAXY", 4);
    data.AddBitmap("SKIN2_FORMBOTTOMBORDER1", EncodeBmp24(bottom));
    data.AddBitmap("SKIN2_FORMLEFTBORDER", EncodeBmp24(side));
    data.AddBitmap("SKIN2_FORMRIGHTBORDER", EncodeBmp24(side));
    auto* theme = new TsuiFileTheme(form_.get());
    theme->SetThemeFile(scratch_.Write("bottom.ssk", BuildSkinArchive(data.Data(), {})));
    ASSERT_TRUE(theme->Ready());
    panel_->SetFileTheme(theme);
    const int w = panel_->width();
    const int h = panel_->height();
    EXPECT_EQ(panel_->Frame().bottom(), 5);
    const QRegion& region = panel_->WindowRegion();
    for (const QPoint cut : {QPoint(0, h - 1), QPoint(1, h - 1), QPoint(0, h - 2), QPoint(w - 1, h - 1),
                             QPoint(w - 2, h - 1), QPoint(w - 1, h - 2)})
        EXPECT_FALSE(region.contains(cut)) << cut.x() << "," << cut.y();
    for (const QPoint kept : {QPoint(2, h - 1), QPoint(1, h - 2), QPoint(0, h - 3), QPoint(w - 3, h - 1),
                              QPoint(0, 0), QPoint(w - 1, 0), QPoint(w / 2, h - 1)})
        EXPECT_TRUE(region.contains(kept)) << kept.x() << "," << kept.y();
    const QImage shown = Shown();
    EXPECT_EQ(QColor(shown.pixel(0, h - 1)), Rgb(0x123456));
    EXPECT_EQ(QColor(shown.pixel(w / 2, h - 1)), QColor(0x4F, 0x6B, 0xA0));
}

TEST_F(FormTest, WindowMaximizedBeforeTheTakeOverRestoresToItsLaidOutBounds) {
    qv::framework::TForm main;
    main.setGeometry(120, 90, 640, 480);
    main.setWindowState(Qt::WindowMaximized);
    auto* panel = new TsuiForm(&main);
    TsuiTitleBar& bar = panel->TitleBar();
    const QRect work = main.screen()->availableGeometry();
    EXPECT_EQ(main.geometry(), work.adjusted(-2, -2, 2, -1));
    EXPECT_FALSE(main.windowState().testFlag(Qt::WindowMaximized));
    EXPECT_TRUE(bar.Maximized());
    const auto maximize = std::find_if(bar.Buttons().begin(), bar.Buttons().end(), [](const auto& button) {
        return button.ButtonType == TsuiTitleBarBtnType::suiMax;
    });
    ASSERT_NE(maximize, bar.Buttons().end());
    const QImage restorePicture = maximize->PicNormal;
    bar.RunVisibleButtons(TsuiTitleBarBtnType::suiMax);
    EXPECT_FALSE(bar.Maximized());
    EXPECT_EQ(main.geometry(), QRect(120, 90, 640, 480));
    EXPECT_NE(maximize->PicNormal, restorePicture);
    bar.RunVisibleButtons(TsuiTitleBarBtnType::suiMax);
    EXPECT_EQ(maximize->PicNormal, restorePicture);
}

TEST_F(FormTest, RemovingThePanelGivesTheWindowBack) {
    form_->show();
    const QRect bounds = form_->geometry();
    ASSERT_FALSE(form_->mask().isEmpty());
    delete panel_;
    EXPECT_FALSE(form_->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(form_->mask().isEmpty());
    EXPECT_TRUE(form_->isVisible());
    EXPECT_EQ(form_->geometry(), bounds);
    EXPECT_EQ(form_->minimumSize(), QSize(0, 0));
}

TEST_F(FormTest, MaximizeButtonFollowsTheWindowManagersMaximizing) {
    form_->show();
    TsuiTitleBar& bar = panel_->TitleBar();
    const auto maximize = std::find_if(bar.Buttons().begin(), bar.Buttons().end(), [](const auto& button) {
        return button.ButtonType == TsuiTitleBarBtnType::suiMax;
    });
    ASSERT_NE(maximize, bar.Buttons().end());
    const QImage maximizePicture = maximize->PicNormal;
    form_->setWindowState(Qt::WindowMaximized);
    EXPECT_TRUE(bar.Maximized());
    EXPECT_NE(maximize->PicNormal, maximizePicture);
    form_->setWindowState(Qt::WindowNoState);
    EXPECT_FALSE(bar.Maximized());
    EXPECT_EQ(maximize->PicNormal, maximizePicture);
}

TEST_F(FormTest, AlignedControlsDockInsideTheClientArea) {
    auto* header = new QWidget(panel_);
    header->resize(10, 68);
    qv::framework::SetAlign(*header, qv::framework::TAlign::alTop);
    auto* side = new QWidget(panel_);
    side->resize(185, 10);
    qv::framework::SetAlign(*side, qv::framework::TAlign::alLeft);
    auto* rest = new QWidget(panel_);
    qv::framework::SetAlign(*rest, qv::framework::TAlign::alClient);
    const QRect client = panel_->ClientRect();
    EXPECT_EQ(header->geometry(), QRect(client.left(), client.top(), client.width(), 68));
    EXPECT_EQ(side->geometry(), QRect(client.left(), client.top() + 68, 185, client.height() - 68));
    EXPECT_EQ(rest->geometry(), client.adjusted(185, 68, 0, 0));
}

TEST_F(FormTest, EachPropertyChangesWhatIsPainted) {
    panel_->SetUIStyle(TsuiUIStyle::DeepBlue);
    QMenu menu;
    menu.addAction("File");
    const TsuiTitleBar& bar = panel_->TitleBar();
    const auto menuBar = [this](int x, int width) {
        const QRect geometry = panel_->MenuBar()->geometry();
        return QRect(x < 0 ? geometry.right() + 1 + x : geometry.left() + x, geometry.center().y(), width, 1);
    };
    const auto caption = [&bar] { return QRect(bar.pos() + bar.Layout().caption, QSize(200, 12)); };
    const struct {
        const char* name;
        std::function<void()> change;
        std::function<QRect()> where;
    } cases[] = {
        {"BorderColor", [&] { panel_->SetBorderColor(qv::framework::clRed); },
         [] { return QRect(0, 300, 1, 10); }},
        {"BorderWidth", [&] { panel_->SetBorderWidth(3); }, [] { return QRect(2, 300, 1, 10); }},
        {"Color", [&] { panel_->SetColor(qv::framework::clRed); }, [] { return QRect(300, 300, 10, 10); }},
        {"Menu", [&] { panel_->SetMenu(&menu); },
         [this] { return QRect(panel_->ClientRect().topLeft(), QSize(300, 20)); }},
        {"MenuBarColor", [&] { panel_->SetMenuBarColor(qv::framework::clBlue); },
         [&] { return menuBar(0, 1); }},
        {"MenuBarToColor", [&] { panel_->SetMenuBarToColor(qv::framework::clBlue); },
         [&] { return menuBar(-1, 1); }},
        {"MenuBarHeight", [&] { panel_->SetMenuBarHeight(40); },
         [this] { return QRect(300, panel_->ClientRect().top() + 5, 1, 1); }},
        {"TitleBarDrawAppIcon", [&] { panel_->SetTitleBarDrawAppIcon(false); },
         [&bar] { return QRect(bar.pos() + bar.Layout().icon, QSize(16, 16)); }},
        {"InactiveCaptionColor",
         [&] {
             panel_->TitleBar().SetFormActive(false);
             panel_->SetInactiveCaptionColor(qv::framework::clRed);
         },
         caption},
        {"Font", [&] { panel_->SetFont(qv::framework::PixelFont(QStringLiteral("Tahoma"), 16, true)); },
         caption},
    };
    for (const auto& c : cases) {
        const QRect where = c.where();
        const QImage before = Shown().copy(where);
        c.change();
        EXPECT_NE(Shown().copy(where), before) << c.name;
    }
    EXPECT_EQ(panel_->ClientRect().top(), panel_->MenuBar()->geometry().top() + 40)
        << "the menu bar takes its height from the client area";
    EXPECT_EQ(panel_->Frame().bottom(), 3);
}

TEST_F(FormTest, CornerSizesCutTheWindowsShape) {
    panel_->SetUIStyle(TsuiUIStyle::DeepBlue);
    form_->show();
    const QPoint topLeft(0, 0);
    const QPoint bottomLeft(0, 559);
    panel_->SetRoundCorner(0);
    EXPECT_TRUE(panel_->WindowRegion().contains(topLeft));
    panel_->SetRoundCorner(11);
    EXPECT_FALSE(panel_->WindowRegion().contains(topLeft));
    EXPECT_TRUE(panel_->WindowRegion().contains(bottomLeft));
    panel_->SetRoundCornerBottom(11);
    EXPECT_FALSE(panel_->WindowRegion().contains(bottomLeft));
    EXPECT_TRUE(panel_->WindowRegion().contains(QPoint(6, 559)));
    panel_->SetRoundCornerBottom(-1);
    EXPECT_EQ(panel_->RoundCornerBottom(), 0);
    EXPECT_TRUE(panel_->WindowRegion().contains(bottomLeft));
}

} // namespace qv::skin::test

#include "ControlTestSupport.h"

#include "framework/gui/Form.h"
#include "skin/controls/ButtonGlyphLayout.h"
#include "skin/controls/NinePartFace.h"
#include "skin/controls/TsuiButton.h"
#include "skin/controls/TsuiEdit.h"
#include "skin/controls/TsuiImageButton.h"

#include <QAccessible>
#include <QAction>
#include <QPainter>
#include <QTest>

#include <algorithm>

namespace qv::skin::test {

namespace {

// A face whose every pixel tells where it came from: red is its column, green its row.
QImage CoordinateFace(int w, int h) {
    QImage face(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            face.setPixel(x, y, qRgb(x, y, 0));
    return face;
}

class ButtonTest : public ControlTest {
protected:
    TsuiButton* AddButton(const QString& caption, int* clicks) {
        auto* button = Skinned<TsuiButton>();
        button->SetCaption(caption);
        button->resize(75, 25);
        button->OnClick = [clicks](QObject*) { ++*clicks; };
        return button;
    }
};

} // namespace

TEST(NinePartFace, KeepsCornersUnscaledAndStretchesTheMiddleColumnAndRow) {
    struct Case {
        QSize face;
        QSize button;
        // Where the right and bottom corners begin on the button and in the face.
        int rightAt, rightFrom, bottomAt, bottomFrom;
    };
    // The embedded skin's 68 by 25 frame on the 75 by 25 buttons of the windows: 34 columns at
    // the left and 33 at the right kept, the 8 between from column 34; a small button clips its
    // corners to half its size.
    for (const Case& c : {Case{{68, 25}, {75, 25}, 42, 35, 14, 14}, Case{{68, 25}, {105, 27}, 72, 35, 16, 14},
                          Case{{68, 25}, {20, 10}, 10, 58, 5, 20}}) {
        QImage button(c.button, QImage::Format_RGB32);
        button.fill(Qt::black);
        QPainter painter(&button);
        DrawNinePartFace(painter, button.rect(), CoordinateFace(c.face.width(), c.face.height()), false);
        painter.end();
        const int hw = c.face.width() / 2;
        const int hh = c.face.height() / 2;
        const int left = std::min(hw, c.button.width() / 2);
        const int top = std::min(hh, c.button.height() / 2);
        for (int y = 0; y < c.button.height(); ++y)
            for (int x = 0; x < c.button.width(); ++x) {
                const int fromX = x < left ? x : x >= c.rightAt ? c.rightFrom + x - c.rightAt : hw;
                const int fromY = y < top ? y : y >= c.bottomAt ? c.bottomFrom + y - c.bottomAt : hh;
                ASSERT_EQ(button.pixel(x, y), qRgb(fromX, fromY, 0))
                    << c.button.width() << "x" << c.button.height() << " at " << x << "," << y;
            }
    }
}

TEST(ButtonGlyphLayout, CentresGlyphAndCaptionOnTheLayoutsSide) {
    const QSize button(75, 25);
    const QSize glyph(16, 16);
    const QSize caption(30, 13);
    struct Case {
        TButtonLayout layout;
        QPoint glyph, caption;
    };
    for (const Case& c : {Case{TButtonLayout::blGlyphLeft, {12, 4}, {32, 6}},
                          Case{TButtonLayout::blGlyphRight, {46, 4}, {12, 6}},
                          Case{TButtonLayout::blGlyphTop, {29, -4}, {22, 16}},
                          Case{TButtonLayout::blGlyphBottom, {29, 13}, {22, -4}}}) {
        const TGlyphPlacement placement = PlaceGlyph(c.layout, button, glyph, caption, 4);
        EXPECT_EQ(placement.glyph, c.glyph) << static_cast<int>(c.layout);
        EXPECT_EQ(placement.caption, c.caption) << static_cast<int>(c.layout);
    }
}

TEST_F(ButtonTest, HeldButtonRepeatsAboutTenTimesASecondAndClicksOnceOnRelease) {
    int clicks = 0;
    int repeats = 0;
    TsuiButton* button = AddButton("Next", &clicks);
    button->OnMouseContinuouslyDown = [&repeats](QObject*) { ++repeats; };
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(button->Pressed());
    // Held for one second, as a user holds a button: the repeats come from real time.
    QTest::qWait(1000);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_GE(repeats, 6);
    EXPECT_LE(repeats, 10);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(button->Pressed());
    QTest::qWait(250);
    EXPECT_LE(repeats, 10) << "the repeats stop with the release";
}

TEST_F(ButtonTest, PressMoveOutAndReleaseGivesNoClickTheNormalFaceAndOneExit) {
    int clicks = 0;
    int enters = 0;
    int exits = 0;
    TsuiButton* button = AddButton("Next", &clicks);
    button->OnMouseEnter = [&enters](QObject*) { ++enters; };
    button->OnMouseExit = [&exits](QObject*) { ++exits; };
    QTest::mouseMove(button, QPoint(10, 10));
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(button, QPoint(120, 60));
    EXPECT_FALSE(button->Pressed());
    EXPECT_FALSE(button->MouseOver());
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(120, 60));
    QTest::mouseMove(form_.get(), QPoint(150, 80));
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(exits, 1);
}

TEST_F(ButtonTest, ALinkedActionGivesCaptionGlyphAndEnabledStateAndRunsOnClick) {
    int clicks = 0;
    TsuiButton* button = AddButton("", &clicks);
    QAction action("&Print");
    QPixmap icon(16, 16);
    icon.fill(Qt::red);
    action.setIcon(QIcon(icon));
    int runs = 0;
    QObject::connect(&action, &QAction::triggered, [&runs] { ++runs; });
    button->SetAction(&action);
    EXPECT_EQ(button->Caption(), "&Print");
    EXPECT_EQ(button->Glyph().size(), QSize(16, 16));
    action.setText("Print &again");
    action.setEnabled(false);
    EXPECT_EQ(button->Caption(), "Print &again");
    EXPECT_FALSE(button->isEnabled());
    action.setEnabled(true);
    button->Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(runs, 0) << "the button's own click handler takes the click";
    button->OnClick = nullptr;
    button->Click();
    EXPECT_EQ(runs, 1);
    button->SetResHandle(42);
    EXPECT_EQ(button->ResHandle(), 0u);
}

TEST_F(ButtonTest, EnterGoesToTheFocusedSkinnedButtonElseToTheDefaultAndEscToCancel) {
    int defaultClicks = 0;
    int otherClicks = 0;
    TsuiButton* defaultButton = AddButton("Close", &defaultClicks);
    defaultButton->SetDefault(true);
    TsuiButton* other = AddButton("Print", &otherClicks);
    other->move(100, 0);
    other->Cancel = true;
    auto* edit = Skinned<TsuiEdit>();
    edit->move(0, 50);

    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(defaultClicks, 1);
    other->setFocus();
    EXPECT_FALSE(defaultButton->ActiveDefault());
    QTest::keyClick(other, Qt::Key_Return);
    EXPECT_EQ(otherClicks, 1);
    EXPECT_EQ(defaultClicks, 1);
    edit->setFocus();
    EXPECT_TRUE(defaultButton->ActiveDefault());
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(otherClicks, 2);
    defaultButton->setEnabled(false);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(defaultClicks, 1) << "a disabled default button is not clicked";
}

TEST_F(ButtonTest, SpaceShowsThePressedFaceAndClicksOnRelease) {
    int clicks = 0;
    TsuiButton* button = AddButton("Print", &clicks);
    button->setFocus();
    QTest::keyPress(button, Qt::Key_Space);
    EXPECT_TRUE(button->Pressed());
    EXPECT_EQ(clicks, 0);
    QTest::keyRelease(button, Qt::Key_Space);
    EXPECT_FALSE(button->Pressed());
    EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonTest, AcceleratorClicksWithAltOrWhileASkinnedButtonHasTheFocus) {
    int browse = 0;
    int about = 0;
    TsuiButton* browseButton = AddButton("&Browse", &browse);
    TsuiButton* aboutButton = AddButton("&About", &about);
    aboutButton->move(100, 0);
    auto* edit = Skinned<TsuiEdit>();
    edit->move(0, 50);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_B);
    EXPECT_EQ(browse, 0) << "a letter typed into an edit box stays there";
    EXPECT_EQ(edit->text(), "b");
    QTest::keyClick(edit, Qt::Key_B, Qt::AltModifier);
    EXPECT_EQ(browse, 1);
    aboutButton->setFocus();
    QTest::keyClick(aboutButton, Qt::Key_B);
    EXPECT_EQ(browse, 2);
    browseButton->hide();
    QTest::keyClick(aboutButton, Qt::Key_B);
    EXPECT_EQ(browse, 2);
    EXPECT_EQ(about, 0);
}

TEST_F(ButtonTest, ClickHandsTheModalResultToTheFormAndSurvivesAHandlerThatDeletesTheButton) {
    int clicks = 0;
    TsuiButton* button = AddButton("Close", &clicks);
    button->ModalResult = framework::mrOk;
    button->OnClick = [button](QObject*) { delete button; };
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(form_->ModalResult(), framework::mrOk);
    EXPECT_TRUE(form_->findChildren<TsuiButton*>().isEmpty());
}

TEST_F(ButtonTest, DisabledButtonShowsTheNormalFaceWithGreyTextOverAWhiteShadow) {
    int clicks = 0;
    TsuiButton* button = AddButton("Close", &clicks);
    button->clearFocus();
    const QImage enabled = Shown(*button);
    button->setEnabled(false);
    const QImage disabled = Shown(*button);
    // Text edges are smoothed: the caption shows as its darkest pixels.
    const auto darkest = [](const QImage& image) {
        int value = 255;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                value = std::min(value, image.pixelColor(x, y).value());
        return value;
    };
    const auto brightest = [](const QImage& image) {
        int value = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                value = std::max(value, image.pixelColor(x, y).value());
        return value;
    };
    EXPECT_LT(darkest(enabled), 0x30);
    EXPECT_NEAR(darkest(disabled), 0x80, 0x08);
    // The white shadow shows on a button without a face over black.
    auto* faceless = new TsuiImageButton(form_.get(), form_.get());
    faceless->SetCaption("Close");
    faceless->SetColor(framework::clBlack);
    faceless->setGeometry(0, 60, 75, 25);
    faceless->setEnabled(false);
    faceless->show();
    EXPECT_GT(brightest(Shown(*faceless)), 0xC0) << "brighter than the grey caption";
    EXPECT_EQ(disabled.copy(0, 0, 75, 4), enabled.copy(0, 0, 75, 4)) << "the face is the normal one";
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 0);
}

TEST_F(ButtonTest, ScreenReadersSeeAPushButtonWithItsCaptionAndAcceleratorAndCanPressIt) {
    int clicks = 0;
    TsuiButton* button = AddButton("&Next", &clicks);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button);
    ASSERT_NE(accessible, nullptr);
    QAccessibleActionInterface* actions = accessible->actionInterface();
    ASSERT_NE(actions, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    EXPECT_EQ(accessible->text(QAccessible::Name), "Next");
    EXPECT_EQ(accessible->text(QAccessible::Accelerator), QKeySequence(Qt::ALT | Qt::Key_N).toString());
    EXPECT_TRUE(accessible->state().focusable);
    // A press shows the pressed face for a moment, then clicks, once.
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(button->Pressed());
    EXPECT_TRUE(QTest::qWaitFor([&clicks] { return clicks > 0; }));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(button->Pressed());
    button->setEnabled(false);
    EXPECT_TRUE(accessible->state().disabled);
}

} // namespace qv::skin::test

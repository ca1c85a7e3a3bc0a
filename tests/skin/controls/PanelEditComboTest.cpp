#include "ControlTestSupport.h"

#include "framework/Exception.h"
#include "framework/gui/Align.h"
#include "skin/controls/TsuiComboBox.h"
#include "skin/controls/TsuiEdit.h"
#include "skin/controls/TsuiPanel.h"

#include <QAccessible>
#include <QLineEdit>
#include <QResizeEvent>
#include <QTest>

#include <vector>

namespace qv::skin::test {

namespace {

constexpr framework::TColor kSkinBorder = 0xA06B4F;
constexpr framework::TColor kSkinControlFont = 0x040000;

// Records every height the watched widget takes.
class HeightRecorder : public QObject {
public:
    std::vector<int> heights;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            heights.push_back(static_cast<QResizeEvent*>(event)->size().height());
        return false;
    }
};

} // namespace

using PanelTest = ControlTest;

TEST_F(PanelTest, EmbeddedSkinGivesTheCaptionBarOutlineAndChildArea) {
    auto* panel = Skinned<TsuiPanel>();
    panel->setGeometry(0, 0, 185, 200);
    panel->SetCaption("Search tenders");
    auto* child = new QWidget(panel);
    framework::SetAlign(*child, framework::TAlign::alClient);
    child->show();
    EXPECT_EQ(panel->CaptionBarHeight(), 21);
    EXPECT_EQ(panel->ChildArea(), QRect(3, 24, 179, 173));
    EXPECT_EQ(child->geometry(), panel->ChildArea());
    EXPECT_EQ(panel->BorderColor(), kSkinBorder);
    EXPECT_EQ(panel->CaptionFontColor(), kSkinControlFont);

    child->hide();
    const QImage shown = Shown(*panel);
    EXPECT_EQ(ColorAt(shown, 0, 100), kSkinBorder);
    EXPECT_EQ(ColorAt(shown, 184, 199), kSkinBorder);
    EXPECT_EQ(ColorAt(shown, 50, 100), framework::clWhite);
    // The caption starts 10 pixels in: its first dark column.
    int first = -1;
    for (int x = 0; x < 100 && first < 0; ++x)
        for (int y = 0; y < 21; ++y)
            if (shown.pixelColor(x, y).value() < 0x40) {
                first = x;
                break;
            }
    EXPECT_GE(first, 10);
    EXPECT_LE(first, 11);
}

TEST_F(PanelTest, TopPanelCollapsesToItsBarInStepsOfFifteenAndGrowsBack) {
    auto* panel = Skinned<TsuiPanel>();
    panel->setGeometry(0, 0, 200, 100);
    panel->SetAlign(framework::TAlign::alTop);
    int pushes = 0;
    int pops = 0;
    panel->OnPush = [&pushes](QObject*) { ++pushes; };
    panel->OnPop = [&pops](QObject*) { ++pops; };
    HeightRecorder recorder;
    panel->installEventFilter(&recorder);
    QTest::mouseMove(panel, panel->ButtonRect().center());
    QTest::mouseClick(panel, Qt::LeftButton, {}, panel->ButtonRect().center());
    EXPECT_EQ(recorder.heights, (std::vector<int>{85, 70, 55, 40, 25, 21}));
    EXPECT_FALSE(panel->Expanded());
    EXPECT_EQ(pushes, 1);
    recorder.heights.clear();
    QTest::mouseClick(panel, Qt::LeftButton, {}, panel->ButtonRect().center());
    EXPECT_EQ(recorder.heights, (std::vector<int>{36, 51, 66, 81, 96, 100}));
    EXPECT_TRUE(panel->Expanded());
    EXPECT_EQ(pops, 1);
    EXPECT_EQ(panel->Height(), 100);
}

TEST_F(PanelTest, PanelDockedLeftShowsNoButtonAndRefusesToCollapse) {
    auto* panel = Skinned<TsuiPanel>();
    panel->setGeometry(0, 0, 185, 200);
    panel->SetAlign(framework::TAlign::alLeft);
    EXPECT_TRUE(panel->ShowButton());
    EXPECT_FALSE(panel->ButtonShown());
    QTest::mouseMove(panel, panel->ButtonRect().center());
    QTest::mouseClick(panel, Qt::LeftButton, {}, panel->ButtonRect().center());
    EXPECT_TRUE(panel->Expanded());
    try {
        panel->Push();
        ADD_FAILURE() << "a left-docked panel collapsed";
    } catch (const framework::Exception& error) {
        EXPECT_EQ(error.Message(), "Can't push when Align is alClient, alLeft or alRight.");
    }
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(panel);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Grouping);
}

using EditTest = ControlTest;

TEST_F(EditTest, OutlineInTheBorderColourWithAnInnerLineInTheBoxColour) {
    auto* edit = Skinned<TsuiEdit>();
    edit->setGeometry(0, 0, 145, 21);
    EXPECT_EQ(edit->BorderColor(), kSkinBorder);
    edit->SetBorderColor(framework::clRed);
    const QImage shown = Shown(*edit);
    for (const QPoint outer : {QPoint(0, 10), QPoint(144, 10), QPoint(70, 0), QPoint(70, 20)})
        EXPECT_EQ(ColorAt(shown, outer.x(), outer.y()), framework::clRed) << outer.x() << "," << outer.y();
    for (const QPoint inner : {QPoint(1, 10), QPoint(143, 10), QPoint(70, 1), QPoint(70, 19)})
        EXPECT_EQ(ColorAt(shown, inner.x(), inner.y()), framework::clWhite) << inner.x() << "," << inner.y();
}

TEST_F(EditTest, PasswordBoxShowsItsCharacterAndKeepsTheTextFromScreenReaders) {
    auto* edit = Skinned<TsuiEdit>();
    int changes = 0;
    edit->OnChange = [&changes](QObject*) { ++changes; };
    edit->SetPasswordChar(u'*');
    edit->setFocus();
    QTest::keyClicks(edit, "demo");
    EXPECT_EQ(edit->Text(), "demo");
    EXPECT_EQ(edit->displayText(), "****");
    EXPECT_EQ(changes, 4);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(edit);
    ASSERT_NE(accessible, nullptr);
    EXPECT_FALSE(accessible->text(QAccessible::Value).contains("demo"));
    EXPECT_TRUE(accessible->state().passwordEdit);
}

using ComboBoxTest = ControlTest;

TEST_F(ComboBoxTest, ArrowIsDrawnInItsColourAndGreyOverWhiteWhenDisabled) {
    auto* combo = Skinned<TsuiComboBox>();
    combo->setGeometry(0, 0, 121, 21);
    combo->SetItems({"All countries", "Austria"});
    combo->SetItemIndex(1);
    EXPECT_EQ(combo->BorderColor(), kSkinBorder);
    EXPECT_EQ(combo->ButtonColor(), 0xF6E4DAu);
    const QRect button = combo->ButtonRect();
    const QPoint arrow(button.left() + button.width() / 2 - 3, button.height() / 2);
    QImage shown = Shown(*combo);
    EXPECT_EQ(ColorAt(shown, 0, 0), kSkinBorder);
    EXPECT_EQ(ColorAt(shown, arrow.x() + 3, arrow.y() + 1), framework::clBlack);
    EXPECT_EQ(ColorAt(shown, button.left(), button.center().y()), kSkinBorder)
        << "the line left of the button";
    combo->setEnabled(false);
    shown = Shown(*combo);
    EXPECT_EQ(ColorAt(shown, arrow.x() + 3, arrow.y() + 1), framework::clGray);
    EXPECT_EQ(ColorAt(shown, arrow.x() + 7, arrow.y() + 1), framework::clWhite);
    EXPECT_EQ(ColorAt(shown, arrow.x() + 4, arrow.y() + 4), framework::clWhite);
}

TEST_F(ComboBoxTest, TypedTextNeitherAddsItemsNorLosesTheSelection) {
    auto* combo = Skinned<TsuiComboBox>();
    combo->SetItems({"All countries", "Austria", "United Kingdom"});
    combo->SetItemIndex(2);
    int changes = 0;
    combo->OnChange = [&changes](QObject*) { ++changes; };
    combo->lineEdit()->setFocus();
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), "Narnia");
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(combo->Text(), "Narnia");
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(changes, 6);
}

} // namespace qv::skin::test

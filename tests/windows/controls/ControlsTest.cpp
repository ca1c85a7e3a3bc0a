#include "framework/gui/Form.h"
#include "windows/controls/TJvLabel.h"
#include "windows/controls/TJvMemo.h"

#include "tests/support/qt/QtTestEnvironment.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#include <memory>

namespace qv::windows::test {

namespace {

[[maybe_unused]] const bool kQt = qv::test::RegisterQtTestEnvironment();

class WindowControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        form_ = std::make_unique<framework::TForm>();
        form_->setGeometry(300, 200, 400, 300);
        form_->show();
        form_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
        QTest::mouseMove(form_.get(), QPoint(399, 299));
    }
    // One of the keyword links as the main window has them.
    TJvLabel* AddLink(const QString& caption) {
        auto* link = new TJvLabel(form_.get(), form_.get());
        link->SetCaption(caption);
        link->setGeometry(6, 192, 43, 13);
        link->HotTrack = true;
        QFont hot = link->font();
        hot.setUnderline(true);
        link->SetHotTrackFont(hot);
        link->SetHotTrackFontColor(framework::clBlue);
        link->show();
        return link;
    }
    TJvMemo* AddMemo() {
        auto* memo = new TJvMemo(form_.get(), form_.get());
        memo->setGeometry(0, 0, 400, 200);
        memo->show();
        return memo;
    }
    void LeaveLink() { QTest::mouseMove(form_.get(), QPoint(399, 299)); }

    std::unique_ptr<framework::TForm> form_;
};

} // namespace

TEST_F(WindowControlsTest, LinkWearsTheHotTrackFontAndHintColourWhileTheMouseIsOverIt) {
    TJvLabel* link = AddLink("energy");
    link->HintColor = 0x00FFFF;
    const QColor hint = QToolTip::palette().color(QPalette::ToolTipBase);
    int enters = 0;
    link->OnMouseEnter = [&enters](QObject*) { ++enters; };
    QTest::mouseMove(link, QPoint(2, 2));
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->FontColor(), framework::clBlue);
    EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipBase), QColor(Qt::yellow));
    LeaveLink();
    EXPECT_FALSE(link->font().underline());
    EXPECT_EQ(link->FontColor(), framework::clBlack);
    EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipBase), hint);
    EXPECT_EQ(enters, 1);
}

TEST_F(WindowControlsTest, DisabledLinkTracksTheMouseButTakesNoClick) {
    TJvLabel* link = AddLink("water");
    int clicks = 0;
    link->OnClick = [&clicks](QObject*) { ++clicks; };
    link->setEnabled(false);
    QTest::mouseMove(link, QPoint(2, 2));
    EXPECT_TRUE(link->MouseOver());
    EXPECT_TRUE(link->font().underline());
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(clicks, 0);
    LeaveLink();
    EXPECT_FALSE(link->MouseOver());
    link->setEnabled(true);
    link->setFocus();
    QTest::keyClick(link, Qt::Key_Space);
    EXPECT_EQ(clicks, 1);
}

TEST_F(WindowControlsTest, AmpersandShowsAsAnAcceleratorAndTheLinkKeepsItsCaption) {
    TJvLabel* link = AddLink("R&D");
    EXPECT_EQ(link->Caption(), "R&D");
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(link);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Link);
    EXPECT_EQ(accessible->text(QAccessible::Name), "RD");
}

TEST_F(WindowControlsTest, TabLeavesTheTextAreaForTheNextControlAndLeavesItsTextAlone) {
    TJvMemo* memo = AddMemo();
    auto* next = new QPushButton("Close", form_.get());
    next->setGeometry(300, 250, 75, 25);
    next->show();
    memo->SetText("tender");
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_Tab);
    EXPECT_EQ(memo->Text(), "tender");
    EXPECT_TRUE(next->hasFocus());
}

TEST_F(WindowControlsTest, ClipboardRequestsOutsideTheSetAreIgnored) {
    TJvMemo* memo = AddMemo();
    struct Case {
        TJvClipboardCommands commands;
        bool readOnly;
        bool copies, cuts, pastes;
    };
    const auto bit = [](TJvClipboardCommand command) { return static_cast<TJvClipboardCommands>(command); };
    for (const Case& c : {Case{kAllClipboardCommands, false, true, true, true},
                          Case{bit(TJvClipboardCommand::caUndo), false, false, false, false},
                          Case{bit(TJvClipboardCommand::caCopy), true, true, false, false},
                          Case{0, true, false, false, false}}) {
        memo->SetClipboardCommands(c.commands);
        EXPECT_EQ(memo->ReadOnly(), c.readOnly) << c.commands;
        QApplication::clipboard()->setText("clip");
        memo->SetText("tender");
        memo->setFocus();
        memo->selectAll();
        QTest::keyClick(memo, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(), c.copies ? "tender" : "clip") << c.commands;
        QApplication::clipboard()->setText("clip");
        QTest::keyClick(memo, Qt::Key_X, Qt::ControlModifier);
        EXPECT_EQ(memo->Text(), c.cuts ? "" : "tender") << c.commands;
        QApplication::clipboard()->setText("clip");
        memo->selectAll();
        QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(memo->Text().endsWith("clip"), c.pastes) << c.commands;
    }
    memo->SetClipboardCommands(kAllClipboardCommands);
    memo->SetReadOnly(true);
    EXPECT_EQ(memo->ClipboardCommands(), bit(TJvClipboardCommand::caCopy));
}

TEST_F(WindowControlsTest, LinesAreTheWrappedLinesAsShown) {
    TJvMemo* memo = AddMemo();
    memo->SetScrollBars(framework::TScrollStyle::ssBoth);
    const QString longLine = QString("word ").repeated(60).trimmed();
    memo->SetText("ok\r\n" + longLine + "\r\n\r\nlast");
    const QStringList lines = memo->DisplayLines();
    ASSERT_GT(lines.size(), 5);
    EXPECT_EQ(lines.front(), "ok");
    EXPECT_EQ(lines.back(), "last");
    EXPECT_EQ(lines[lines.size() - 2], "");
    EXPECT_EQ(lines.mid(1, lines.size() - 3).join("").simplified(), longLine);
    memo->DeleteLine(0);
    EXPECT_TRUE(memo->Text().startsWith("word word"));
    memo->SetText(QString(5000, u'x'));
    memo->SetWordWrap(false);
    EXPECT_EQ(memo->DisplayLines().front().size(), TJvMemo::kMaxLineLength);
}

} // namespace qv::windows::test

#include "framework/gui/Fonts.h"
#include "framework/gui/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMessageBox>
#include <QTimer>

#include "tests/support/qt/QtTestEnvironment.h"

#include <gtest/gtest.h>

namespace qv::framework::test {

namespace {

[[maybe_unused]] const bool kQt = qv::test::RegisterQtTestEnvironment();

} // namespace

TEST(FontsTest, WindowsFontNamesResolveToTheMetricCloseFreeFonts) {
    const QFontInfo sansSerif(PixelFont("MS Sans Serif", 11));
    EXPECT_EQ(sansSerif.family(), "Liberation Sans");
    EXPECT_EQ(sansSerif.pixelSize(), 11);
    const QFontInfo tahoma(PixelFont("Tahoma", 11, true));
    EXPECT_EQ(tahoma.family(), "Tahoma");
    EXPECT_TRUE(tahoma.bold());
    EXPECT_EQ(tahoma.pixelSize(), 11);
}

TEST(FontsTest, ApplicationFontIsElevenPixelSansSerif) {
    const QFontInfo font(QApplication::font());
    EXPECT_EQ(font.family(), "Liberation Sans");
    EXPECT_EQ(font.pixelSize(), kApplicationFontPixels);
}

TEST(FontsTest, CaptionsKeepTheirPixelWidthsWhateverTheDesktopSays) {
    // A caption measured once must measure the same after another start-up call, or golden
    // pictures and the caption shortening would drift.
    const QFont caption = PixelFont("Tahoma", 11, true);
    const int before = QFontMetrics(caption).horizontalAdvance("Public procurement tenders");
    const QStringList families = QFontDatabase::families();
    InitializeFonts();
    EXPECT_EQ(QFontDatabase::families(), families);
    EXPECT_EQ(QFontMetrics(caption).horizontalAdvance("Public procurement tenders"), before);
    // Far narrower than the system's fallback would draw it.
    EXPECT_LT(
        before,
        QFontMetrics(PixelFont("DejaVu Sans", 11, true)).horizontalAdvance("Public procurement tenders"));
}

TEST(MessageBoxTest, ShowsTheTextWithOneOkButtonAndTheApplicationTitle) {
    QString title;
    QString text;
    int buttons = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        buttons = static_cast<int>(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    ShowMessage("Sorry, you can't select the Form assign to FormPanel property");
    EXPECT_EQ(title, "Quorvane");
    EXPECT_EQ(text, "Sorry, you can't select the Form assign to FormPanel property");
    EXPECT_EQ(buttons, 1);
}

} // namespace qv::framework::test

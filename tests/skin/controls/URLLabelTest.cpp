#include "ControlTestSupport.h"

#include "skin/controls/TsuiURLLabel.h"

#include <QAccessible>
#include <QDesktopServices>
#include <QLabel>
#include <QTest>
#include <QUrl>

namespace qv::skin::test {

namespace {

// Stands in for the desktop's web browser.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    UrlCatcher() {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::setUrlHandler(scheme, this, "Open");
    }
    ~UrlCatcher() override {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QList<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened << url; }
};

class URLLabelTest : public ControlTest {
protected:
    TsuiURLLabel* AddLabel(const QString& url) {
        auto* label = new TsuiURLLabel(form_.get(), form_.get());
        label->SetCaption("www.quorvane.example");
        label->SetURL(url);
        label->OnClick = [this](QObject*) { ++clicks_; };
        label->show();
        return label;
    }
    UrlCatcher browser_;
    int clicks_ = 0;
};

} // namespace

TEST_F(URLLabelTest, ClickOpensTheAddressUnlessItIsBlankAndAlwaysRaisesOnClick) {
    EXPECT_EQ(TsuiURLLabel(form_.get()).URL(), "https://quorvane.example/") << "a new label's address";
    for (const QString& blank : {QString(), QStringLiteral("   ")}) {
        TsuiURLLabel* label = AddLabel(blank);
        QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(2, 2));
        delete label;
    }
    EXPECT_TRUE(browser_.opened.isEmpty());
    EXPECT_EQ(clicks_, 2);
    TsuiURLLabel* label = AddLabel("https://www.quorvane.example/");
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(2, 2));
    ASSERT_EQ(browser_.opened.size(), 1);
    EXPECT_EQ(browser_.opened.front(), QUrl("https://www.quorvane.example/"));
    EXPECT_EQ(clicks_, 3);
}

TEST_F(URLLabelTest, MouseSwitchesHoverAndLinkColoursAndALinkColourShowsAtOnce) {
    TsuiURLLabel* label = AddLabel("https://www.quorvane.example/");
    EXPECT_TRUE(label->font().underline());
    EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(label->FontColor(), framework::clBlue);
    QTest::mouseMove(label, QPoint(2, 2));
    EXPECT_EQ(label->FontColor(), framework::clRed);
    QTest::mouseMove(form_.get(), QPoint(form_->width() - 1, form_->height() - 1));
    EXPECT_EQ(label->FontColor(), framework::clBlue);
    label->SetFontLinkColor(0x008000);
    EXPECT_EQ(label->FontColor(), 0x008000u);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(label);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Link);
    EXPECT_EQ(accessible->text(QAccessible::Name), "www.quorvane.example");
}

TEST_F(URLLabelTest, CaptionIsMeasuredAndDrawnAsAPlainLabelDoesEnabledOrNot) {
    TsuiURLLabel* link = AddLabel("https://www.quorvane.example/");
    QLabel plain(link->Caption(), form_.get());
    plain.setFont(link->font());
    plain.setPalette(link->palette());
    EXPECT_EQ(link->sizeHint(), plain.sizeHint());
    EXPECT_EQ(link->size(), plain.sizeHint()) << "an auto-size label fits its caption";
    plain.resize(link->size());
    plain.show();
    for (const bool enabled : {true, false}) {
        link->setEnabled(enabled);
        plain.setEnabled(enabled);
        EXPECT_EQ(link->grab().toImage(), plain.grab().toImage()) << "enabled " << enabled;
    }
}

} // namespace qv::skin::test

#include "URLLabelTest.moc"

#include "ControlTestSupport.h"

#include "skin/SkinResources.h"

#include "tests/support/qt/QtTestEnvironment.h"

#include <QApplication>
#include <QTest>

namespace qv::skin::test {

namespace {

[[maybe_unused]] const bool kQt = qv::test::RegisterQtTestEnvironment();

} // namespace

void ControlTest::SetUp() {
    form_ = std::make_unique<framework::TForm>();
    form_->resize(420, 300);
    // Away from the virtual cursor at (0, 0), which would hover the controls.
    form_->move(300, 200);
    theme_ = new TsuiBuiltInFileTheme(form_.get());
    theme_->ReadSkinData(EmbeddedSkinArchive());
    ASSERT_TRUE(theme_->Ready());
    form_->show();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    // The mouse rests in the window's far corner, where the tests put no control.
    QTest::mouseMove(form_.get(), QPoint(form_->width() - 1, form_->height() - 1));
}

void ControlTest::TearDown() {
    form_.reset();
}

QImage Shown(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

framework::TColor ColorAt(const QImage& image, int x, int y) {
    return framework::QColorToColor(image.pixelColor(x, y));
}

} // namespace qv::skin::test

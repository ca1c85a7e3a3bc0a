#include "GuiTestSupport.h"

#include "tests/support/qt/GoldenImage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace qv::skin::test {

QString AnswerMessageBox(const std::function<void()>& action) {
    QString text;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&text] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            box->button(QMessageBox::Ok)->click();
        }
    });
    timer.start(0);
    action();
    return text;
}

QImage RenderWindow(QWidget& window) {
    return qv::test::RenderWindow(window);
}

::testing::AssertionResult MatchesGolden(const QImage& picture, const QString& name, int tolerance) {
    return qv::test::MatchesGolden(picture, QStringLiteral(QV_GOLDEN_DIR), name, tolerance);
}

} // namespace qv::skin::test

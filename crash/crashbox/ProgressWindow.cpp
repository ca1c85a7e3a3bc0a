#include "crash/crashbox/ProgressWindow.h"

#include "crash/crashbox/ExceptionBox.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace qv::crash {

namespace {

constexpr int kPermille = 1000;

} // namespace

TProgressWindow::TProgressWindow()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setFont(TExceptionBox::CellFont(QStringLiteral("Arial"), kFontHeight));
    setAccessibleName(QStringLiteral("progress"));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        setFixedSize(area.width() / 2, kHeight);
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - kHeight) / 2);
    }
}

void TProgressWindow::SetProgress(int permille) {
    permille_ = std::clamp(permille, 0, kPermille);
    update();
}

void TProgressWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect inside = rect().adjusted(1, 1, -1, -1);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(QPen(palette().color(QPalette::Shadow), 0));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    QRect done = inside;
    done.setWidth(inside.width() * permille_ / kPermille);
    painter.fillRect(done, palette().color(QPalette::Highlight));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(inside, Qt::AlignCenter, QString::number(permille_ / 10) + QLatin1Char('%'));
}

} // namespace qv::crash

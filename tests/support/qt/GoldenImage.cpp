#include "tests/support/qt/GoldenImage.h"

#include <QDir>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

namespace qv::test {

namespace {

QString GoldenPath(const QString& folder, const QString& name, const char* suffix) {
    return QDir(folder).filePath(name + QString::fromLatin1(suffix));
}

// The PNG writer's quality that asks for the strongest compression.
constexpr int kSmallestPng = 0;

int ChannelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
}

} // namespace

QImage RenderWindow(QWidget& window) {
    QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QRegion shape = window.mask().isEmpty() ? QRegion(window.rect()) : window.mask();
    window.render(&image, QPoint(), shape);
    return image.convertToFormat(QImage::Format_ARGB32);
}

::testing::AssertionResult MatchesGolden(const QImage& picture, const QString& folder, const QString& name,
                                         int tolerance) {
    const QImage actual = picture.convertToFormat(QImage::Format_ARGB32);
    const QString goldenPath = GoldenPath(folder, name, ".png");
    if (qEnvironmentVariableIntValue("QV_UPDATE_GOLDEN") == 1) {
        if (!actual.save(goldenPath, "PNG", kSmallestPng))
            return ::testing::AssertionFailure() << "cannot write " << goldenPath.toStdString();
        return ::testing::AssertionSuccess();
    }
    const QImage golden = QImage(goldenPath).convertToFormat(QImage::Format_ARGB32);
    int differing = 0;
    int worst = 0;
    QImage diff(actual.size(), QImage::Format_ARGB32);
    diff.fill(Qt::black);
    if (golden.size() == actual.size()) {
        for (int y = 0; y < actual.height(); ++y)
            for (int x = 0; x < actual.width(); ++x) {
                const int distance = ChannelDistance(actual.pixel(x, y), golden.pixel(x, y));
                worst = std::max(worst, distance);
                if (distance > tolerance) {
                    ++differing;
                    diff.setPixel(x, y, qRgb(255, 0, 0));
                } else if (distance > 0) {
                    diff.setPixel(x, y, qRgb(0, 96, 0));
                }
            }
        if (differing == 0) return ::testing::AssertionSuccess();
    }
    actual.save(GoldenPath(folder, name, ".actual.png"));
    diff.save(GoldenPath(folder, name, ".diff.png"));
    auto failure = ::testing::AssertionFailure() << name.toStdString() << ": ";
    if (golden.isNull()) return failure << "no golden picture at " << goldenPath.toStdString();
    if (golden.size() != actual.size())
        return failure << "size " << actual.width() << "x" << actual.height() << ", golden " << golden.width()
                       << "x" << golden.height();
    return failure << differing << " pixels differ by more than " << tolerance << " (worst " << worst
                   << "); see " << GoldenPath(folder, name, ".diff.png").toStdString();
}

} // namespace qv::test

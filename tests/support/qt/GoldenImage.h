#pragma once

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

class QWidget;

namespace qv::test {

// The window as the screen shows it: rendered into an ARGB picture, pixels outside the window's
// mask left transparent.
QImage RenderWindow(QWidget& window);

// Compares the picture with FOLDER/NAME.png, each colour channel of each pixel within the
// tolerance. On a difference (or without a golden picture) NAME.actual.png and NAME.diff.png are
// written beside the golden one; with QV_UPDATE_GOLDEN=1 in the environment the picture becomes
// the new golden one.
::testing::AssertionResult MatchesGolden(const QImage& actual, const QString& folder, const QString& name,
                                         int tolerance = 8);

} // namespace qv::test

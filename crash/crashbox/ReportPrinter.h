#pragma once

#include <QString>
#include <QStringList>

class QFontMetricsF;
class QWidget;

namespace qv::crash {

// Prints the report: the user picks the printer in the print dialog; the report goes out in
// "Courier New" at 8 points with margins of 1 cm at the top, bottom and right and 2 cm at the left,
// measured from the paper's edge, each line word-wrapped to the printable width.
class TReportPrinter {
public:
    static constexpr int kFontPoints = 8;
    static constexpr double kTopMarginCm = 1;
    static constexpr double kBottomMarginCm = 1;
    static constexpr double kLeftMarginCm = 2;
    static constexpr double kRightMarginCm = 1;

    // True when the job was started and printed; false when cancelled or failed.
    static bool Print(const QString& report, const QString& documentName, QWidget* parent);

    // The report's lines, each wrapped at blanks (or inside a word too long for a line) to the width;
    // an empty line stays as one blank line.
    static QStringList WrapLines(const QString& report, const QFontMetricsF& metrics, double width);
};

} // namespace qv::crash

#include "crash/crashbox/ReportPrinter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace qv::crash {

namespace {

constexpr double kCmPerInch = 2.54;

// The longest start of the text that fits the width: up to its last blank when it has one.
qsizetype FittingLength(const QString& text, const QFontMetricsF& metrics, double width) {
    qsizetype fits = 1;
    while (fits < text.size() && metrics.horizontalAdvance(text.left(fits + 1)) <= width)
        ++fits;
    if (fits == text.size()) return fits;
    const qsizetype blank = text.lastIndexOf(QLatin1Char(' '), fits);
    return blank > 0 ? blank + 1 : fits;
}

} // namespace

QStringList TReportPrinter::WrapLines(const QString& report, const QFontMetricsF& metrics, double width) {
    QStringList lines;
    for (QString line : report.split(QLatin1Char('\n'))) {
        if (line.isEmpty()) {
            lines.append(QStringLiteral(" "));
            continue;
        }
        while (!line.isEmpty()) {
            const qsizetype length = FittingLength(line, metrics, width);
            lines.append(line.left(length));
            line.remove(0, length);
        }
    }
    return lines;
}

bool TReportPrinter::Print(const QString& report, const QString& documentName, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    if (dialog.exec() != QDialog::Accepted) return false;
    printer.setDocName(documentName);
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    QFont font(QStringLiteral("Courier New"));
    font.setPointSize(kFontPoints);
    painter.setFont(font);
    const QFontMetricsF metrics(font, &printer);
    const double dotsPerCm = printer.resolution() / kCmPerInch;
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF area(kLeftMarginCm * dotsPerCm, kTopMarginCm * dotsPerCm,
                      paper.width() - (kLeftMarginCm + kRightMarginCm) * dotsPerCm,
                      paper.height() - (kTopMarginCm + kBottomMarginCm) * dotsPerCm);
    double y = area.top();
    for (const QString& line : WrapLines(report, metrics, area.width())) {
        if (y + metrics.height() > area.bottom() && y > area.top()) {
            if (!printer.newPage()) return false;
            y = area.top();
        }
        painter.drawText(QPointF(area.left(), y + metrics.ascent()), line);
        y += metrics.height();
    }
    return painter.end();
}

} // namespace qv::crash

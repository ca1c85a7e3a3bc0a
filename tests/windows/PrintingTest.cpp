#include "windows/PrinterTextOutput.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/ScopedTempFolder.h"
#include "tests/support/qt/QtTestEnvironment.h"

#include <QFontMetrics>
#include <QPrinter>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace qv::windows::test {

namespace {

[[maybe_unused]] const bool kQt = qv::test::RegisterQtTestEnvironment();

struct Word {
    int page;
    double xMin;
    double yMin;
    double xMax;
    QString text;
};

// A PDF printer at 1200 dots per inch on A4, whose printable area is the whole page, so that the
// positions pdftotext reports are positions in the printable area.
class PdfPrint {
public:
    PdfPrint() : printer_(QPrinter::HighResolution) {
        printer_.setOutputFormat(QPrinter::PdfFormat);
        printer_.setOutputFileName(QString::fromStdString(folder_ / "out.pdf"));
        printer_.setPageSize(QPageSize(QPageSize::A4));
        printer_.setPageMargins(QMarginsF(0, 0, 0, 0));
    }

    QPrinter& Printer() { return printer_; }
    static QFont Font() { return QFont(QStringLiteral("Liberation Sans"), 10); }
    // Device pixels to the points that pdftotext reports.
    double Points(int pixels) const { return pixels * 72.0 / printer_.resolution(); }

    std::vector<Word> Words() const {
        const auto result = qv::test::RunProgram("/usr/bin/pdftotext", {"-bbox", folder_ / "out.pdf", "-"});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        std::vector<Word> words;
        int page = 0;
        static const QRegularExpression word(
            R"re(<word xMin="(-?[\d.]+)" yMin="(-?[\d.]+)" xMax="(-?[\d.]+)" yMax="-?[\d.]+">([^<]*)</word>)re");
        for (const QString& line : QString::fromStdString(result.out).split('\n')) {
            if (line.contains(QLatin1String("<page "))) ++page;
            const auto match = word.match(line);
            if (match.hasMatch())
                words.push_back({page, match.captured(1).toDouble(), match.captured(2).toDouble(),
                                 match.captured(3).toDouble(), match.captured(4)});
        }
        return words;
    }

private:
    const qv::test::ScopedTempFolder folder_{"qv-print"};
    QPrinter printer_;
};

} // namespace

TEST(PrintingTest, LinesBreakOntoANewPageWhenLessThanTwoLinesRemain) {
    PdfPrint pdf;
    QStringList lines;
    for (int i = 1; i <= 200; ++i)
        lines << QStringLiteral("line%1").arg(i);
    lines.insert(3, QString()); // an empty line takes the font's height and no gap
    PrintLines(pdf.Printer(), PdfPrint::Font(), lines);

    const QFontMetrics metrics(PdfPrint::Font(), &pdf.Printer());
    const int pageHeight = pdf.Printer().pageLayout().paintRectPixels(pdf.Printer().resolution()).height();
    const int lineHeight = metrics.height() + 2;
    // Where each line should start, by the rule: the next line starts on this page only while
    // twice the height of the line before it remains free below its top.
    std::vector<std::pair<int, int>> expected; // page, y
    int page = 1;
    int y = 0;
    for (const QString& line : lines) {
        expected.emplace_back(page, y);
        const int height = line.isEmpty() ? 0 : lineHeight;
        y += line.isEmpty() ? metrics.height() : lineHeight;
        if (y > pageHeight - 2 * height) {
            ++page;
            y = 0;
        }
    }
    const std::vector<Word> words = pdf.Words();
    ASSERT_EQ(words.size(), 200u);
    size_t w = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty()) continue;
        EXPECT_EQ(words[w].text, lines[i]);
        EXPECT_EQ(words[w].page, expected[static_cast<size_t>(i)].first) << lines[i].toStdString();
        EXPECT_NEAR(words[w].xMin, 0, 1.0);
        const double top = pdf.Points(expected[static_cast<size_t>(i)].second);
        EXPECT_NEAR(words[w].yMin, top, pdf.Points(metrics.height()) / 2) << lines[i].toStdString();
        ++w;
    }
    EXPECT_GE(words.back().page, 3);
}

TEST(PrintingTest, LongLinesBreakAtThePageWidthAndTabsGoToTheirStops) {
    PdfPrint pdf;
    const QString longLine = QString(600, QLatin1Char('m'));
    PrintLines(pdf.Printer(), PdfPrint::Font(),
               {longLine, QStringLiteral("a\tb\tc"), QStringLiteral("\f"), QStringLiteral("after")});
    const QFontMetrics metrics(PdfPrint::Font(), &pdf.Printer());
    const int pageWidth = pdf.Printer().pageLayout().paintRectPixels(pdf.Printer().resolution()).width();
    const std::vector<Word> words = pdf.Words();
    QString joined;
    size_t i = 0;
    for (; i < words.size() && words[i].text.startsWith('m'); ++i) {
        joined += words[i].text;
        EXPECT_LE(words[i].xMax, pdf.Points(pageWidth) + 0.5);
        if (i > 0) {
            EXPECT_GT(words[i].yMin, words[i - 1].yMin) << "each piece starts a new line";
        }
    }
    EXPECT_EQ(joined, longLine);
    EXPECT_GE(i, 3u);
    ASSERT_EQ(words.size(), i + 4);
    const int stop = 8 * metrics.averageCharWidth();
    EXPECT_EQ(words[i].text, "a");
    EXPECT_NEAR(words[i + 1].xMin, pdf.Points(stop), 1.0) << "b at the first stop";
    EXPECT_NEAR(words[i + 2].xMin, pdf.Points(2 * stop), 1.0) << "c at the second stop";
    EXPECT_EQ(words[i + 3].text, "after");
    EXPECT_EQ(words[i + 3].page, 2) << "form feed starts a new page";
}

TEST(PrintingTest, ASecondJobOnTheSameOutputIsRefused) {
    PdfPrint pdf;
    TPrinterTextOutput output(pdf.Printer());
    output.Open();
    try {
        output.Open();
        FAIL() << "no error";
    } catch (const EPrinter& e) {
        EXPECT_EQ(e.Message(), "Printing in progress");
    }
    output.Close();
}

} // namespace qv::windows::test

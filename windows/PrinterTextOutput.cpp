#include "windows/PrinterTextOutput.h"

#include <QFontMetrics>
#include <QPrinter>

#include <utility>

namespace qv::windows {

namespace {

constexpr int kTabColumns = 8;
// A line with text is this much higher than its text.
constexpr int kLineGap = 2;

} // namespace

TPrinterTextOutput::TPrinterTextOutput(QPrinter& printer) : printer_(printer) {}

TPrinterTextOutput::~TPrinterTextOutput() {
    if (painter_.isActive()) painter_.end();
}

void TPrinterTextOutput::Open() {
    if (painter_.isActive()) throw EPrinter(SPrinting);
    if (!painter_.begin(&printer_)) throw EPrinter(SPrinterNotStarted);
    const QRect page = printer_.pageLayout().paintRectPixels(printer_.resolution());
    pageWidth_ = page.width();
    pageHeight_ = page.height();
    x_ = y_ = lineHeight_ = 0;
    buffer_.clear();
}

void TPrinterTextOutput::SetFont(const QFont& font) {
    QFont printerFont(font);
    // A font given in pixels at the screen's 96 dots per inch keeps its size in points.
    if (font.pixelSize() > 0) printerFont.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
    painter_.setFont(printerFont);
}

void TPrinterTextOutput::Write(const QString& text) {
    for (const QChar c : text) {
        buffer_ += c;
        if (buffer_.size() == kBufferSize) Flush();
    }
}

void TPrinterTextOutput::WriteLine(const QString& line) {
    Write(line);
    Write(QStringLiteral("\r\n"));
    Flush();
}

void TPrinterTextOutput::Close() {
    Flush();
    painter_.end();
}

void TPrinterTextOutput::Flush() {
    const QString text = buffer_;
    buffer_.clear();
    LayOut(text);
}

void TPrinterTextOutput::LayOut(const QString& text) {
    QString run;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\r':
            DrawRun(std::exchange(run, QString()));
            break;
        case '\n':
            DrawRun(std::exchange(run, QString()));
            NewLine();
            break;
        case '\f':
            DrawRun(std::exchange(run, QString()));
            NewPage();
            break;
        case '\t':
            DrawRun(std::exchange(run, QString()));
            Tab();
            break;
        default:
            run += c;
        }
    }
    DrawRun(run);
}

void TPrinterTextOutput::DrawRun(QString run) {
    const QFontMetrics metrics(painter_.font(), &printer_);
    while (!run.isEmpty()) {
        QString fits = run;
        while (!fits.isEmpty() && metrics.horizontalAdvance(fits) > pageWidth_ - x_)
            fits.chop(1);
        // A character wider than a whole line is drawn cut off rather than never drawn.
        if (fits.isEmpty() && x_ == 0) fits = run.left(1);
        const int width = metrics.horizontalAdvance(fits);
        if (!fits.isEmpty()) painter_.drawText(x_, y_ + metrics.ascent(), fits);
        if (metrics.height() > lineHeight_) lineHeight_ = metrics.height() + kLineGap;
        run.remove(0, fits.size());
        if (run.isEmpty())
            x_ += width;
        else
            NewLine();
    }
}

void TPrinterTextOutput::NewLine() {
    const QFontMetrics metrics(painter_.font(), &printer_);
    x_ = 0;
    y_ += lineHeight_ != 0 ? lineHeight_ : metrics.height();
    if (y_ > pageHeight_ - 2 * lineHeight_) NewPage();
    lineHeight_ = 0;
}

void TPrinterTextOutput::NewPage() {
    x_ = y_ = 0;
    printer_.newPage();
}

void TPrinterTextOutput::Tab() {
    const int stop = kTabColumns * QFontMetrics(painter_.font(), &printer_).averageCharWidth();
    if (stop <= 0) return;
    x_ = x_ + stop - ((x_ + stop + 1) % stop) + 1;
    if (x_ > pageWidth_) NewLine();
}

void PrintLines(QPrinter& printer, const QFont& font, const QStringList& lines) {
    TPrinterTextOutput output(printer);
    output.Open();
    output.SetFont(font);
    for (const QString& line : lines)
        output.WriteLine(line);
    output.Close();
}

} // namespace qv::windows

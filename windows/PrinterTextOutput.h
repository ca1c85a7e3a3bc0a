#pragma once

#include "framework/Exception.h"

#include <QFont>
#include <QPainter>
#include <QString>

class QPrinter;

namespace qv::windows {

QV_EXCEPTION_CLASS(EPrinter, framework::Exception);

inline constexpr const char* SPrinting = "Printing in progress";
inline constexpr const char* SPrinterNotStarted = "The printer could not start the print job.";

// Text output to a printer: lines are laid out from the top-left corner of the printable area,
// broken at its right edge (in a word if need be) and onto new pages when the page is full. There
// are no margins beyond the printer's own.
class TPrinterTextOutput {
public:
    // Characters held before they are laid out.
    static constexpr int kBufferSize = 128;

    explicit TPrinterTextOutput(QPrinter& printer);
    ~TPrinterTextOutput();
    TPrinterTextOutput(const TPrinterTextOutput&) = delete;
    TPrinterTextOutput& operator=(const TPrinterTextOutput&) = delete;

    // Starts the job and its first page; raises EPrinter when a job of this output is under way
    // or the printer cannot start one.
    void Open();
    // The font keeps its size in points at the printer's resolution.
    void SetFont(const QFont& font);
    void Write(const QString& text);
    // The text, then a line break (CR LF).
    void WriteLine(const QString& line);
    // Ends the last page and hands the job to the printer.
    void Close();

    int X() const { return x_; }
    int Y() const { return y_; }
    int PageWidth() const { return pageWidth_; }
    int PageHeight() const { return pageHeight_; }

private:
    void Flush();
    void LayOut(const QString& text);
    void DrawRun(QString run);
    void NewLine();
    void NewPage();
    void Tab();

    QPrinter& printer_;
    QPainter painter_;
    QString buffer_;
    int x_ = 0;
    int y_ = 0;
    int lineHeight_ = 0;
    int pageWidth_ = 0;
    int pageHeight_ = 0;
};

// Prints the lines, each followed by a line break, in the font given, as one job.
void PrintLines(QPrinter& printer, const QFont& font, const QStringList& lines);

} // namespace qv::windows

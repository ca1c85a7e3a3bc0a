#pragma once

#include "crash/CrashboxRequest.h"
#include "crash/crashbox/DrawnButton.h"
#include "crash/crashbox/ExceptionBoxActions.h"
#include "crash/crashbox/ExceptionBoxLayout.h"

#include <QFont>
#include <QPointer>
#include <QWidget>

#include <array>

class QAbstractButton;
class QLabel;

namespace qv::crash {

class TReportField;

// The exception dialog: a small top-most window with the message and the buttons to mail, save,
// print or show the report and to continue, restart or close the application; it unfolds to show
// the report. It sits at the numbers of TExceptionBoxLayout in fonts of the cell heights it names.
class TExceptionBox : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDialogFontHeight = 12;
    static constexpr int kReportFontHeight = 11;

    TExceptionBox(TCrashboxRequest request, TExceptionBoxActions& actions);

    const TExceptionBoxLayout& Layout() const { return layout_; }
    bool Unfolded() const { return unfolded_; }
    // The button of the action, or none.
    QAbstractButton* Button(TAction action) const;
    // The button that carries the countdown, or none.
    TDrawnButton* CountdownButton() const { return countdown_; }

    // Shows the window centred, top-most and in front, with the error sound.
    void Present();
    // The frozen main thread answers again: the dialog goes without a choice.
    void CloseWithoutChoice();
    // The button pressed, with its feedback and action.
    void Press(TAction action);

    // The report's text as the desktop takes it: from the report's code page, lines ended by LF.
    static QString DesktopText(const std::string& report);
    // A font of the family whose cell (ascent and descent) is at most the height: the dialog's font
    // heights are cell heights.
    static QFont CellFont(const QString& family, int cellHeight);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    TCrashboxRequest request_;
    TExceptionBoxActions& actions_;
    QFont dialogFont_;
    TExceptionBoxLayout layout_;
    std::array<QPointer<QAbstractButton>, 7> buttons_{};
    QLabel* message_ = nullptr;
    TReportField* report_ = nullptr;
    TDrawnButton* countdown_ = nullptr;
    bool unfolded_ = false;
    bool done_ = false;

    void CreateButtons();
    void CreateReport();
    void ChooseDefault();
    std::optional<TAction> DefaultAction() const;
    void StopCountdown();
    void Place();
    // Tells the choice once; Finish also closes the window.
    void Decide(std::optional<TAction> action);
    void Finish(std::optional<TAction> action);
    void Unfold();
    void MailReport();
    void SaveReport();
    void PrintReport();
    QString Caption(TAction action) const;
};

} // namespace qv::crash

#include "crash/crashbox/ExceptionBox.h"

#include "crash/crashbox/ReportField.h"
#include "crash/crashbox/ReportPrinter.h"
#include "crash/delivery/ReportFile.h"
#include "framework/Cp1252.h"
#include "framework/gui/Fonts.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace qv::crash {

namespace {

constexpr TAction kCreationOrder[] = {TAction::Mail,  TAction::Save,    TAction::Print,   TAction::Show,
                                      TAction::Close, TAction::Restart, TAction::Continue};
// A big enough height for measuring a wrapped message.
constexpr int kMeasureHeight = 10000;

QString FromAnsi(const std::string& text) {
    return QString::fromUtf8(framework::Cp1252ToUtf8(text));
}

int Index(TAction action) {
    return static_cast<int>(action);
}

// Restores the arrow cursor when the work is done, however it ends.
class TBusyCursor {
public:
    TBusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

} // namespace

QString TExceptionBox::DesktopText(const std::string& report) {
    return FromAnsi(report).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QFont TExceptionBox::CellFont(const QString& family, int cellHeight) {
    int pixels = cellHeight;
    QFont font = framework::PixelFont(family, pixels);
    while (pixels > 1 && QFontMetrics(font).height() > cellHeight)
        font = framework::PixelFont(family, --pixels);
    return font;
}

TExceptionBox::TExceptionBox(TCrashboxRequest request, TExceptionBoxActions& actions)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      request_(std::move(request)), actions_(actions),
      dialogFont_(CellFont(QStringLiteral("MS Sans Serif"), kDialogFontHeight)) {
    setFont(dialogFont_);
    setWindowTitle(FromAnsi(request_.title));
    setAttribute(Qt::WA_DeleteOnClose, false);
    QString message = FromAnsi(request_.message);
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QFontMetrics metrics(dialogFont_);
    TExceptionBoxLayout::TInput input;
    input.captions = request_.captions;
    input.showReportAtOnce = request_.showReportAtOnce;
    input.textWidth = [&](const std::string& text) { return metrics.horizontalAdvance(FromAnsi(text)); };
    input.messageSize = [&](int width) {
        return metrics.boundingRect(QRect(0, 0, width, kMeasureHeight), Qt::TextWordWrap, message).size();
    };
    layout_ = TExceptionBoxLayout::Compute(input);
    message_ = new QLabel(message, this);
    message_->setWordWrap(true);
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    CreateButtons();
    if (layout_.reportArea) CreateReport();
    unfolded_ = request_.showReportAtOnce;
    if (unfolded_) layout_ = layout_.Unfolded();
    Place();
    ChooseDefault();
}

QString TExceptionBox::Caption(TAction action) const {
    return FromAnsi(request_.captions[static_cast<size_t>(Index(action))]);
}

void TExceptionBox::CreateButtons() {
    for (const TAction action : kCreationOrder) {
        if (Caption(action).isEmpty() || (action == TAction::Show && request_.showReportAtOnce)) continue;
        QAbstractButton* button = nullptr;
        if (request_.drawnButtons)
            button = new TDrawnButton(action, Caption(action), this);
        else
            button = new QPushButton(Caption(action), this);
        button->setAccessibleName(Caption(action));
        connect(button, &QAbstractButton::clicked, this, [this, action] { Press(action); });
        buttons_[static_cast<size_t>(Index(action))] = button;
    }
    const bool alternative = Button(TAction::Restart) != nullptr || Button(TAction::Close) != nullptr;
    if (QAbstractButton* resume = Button(TAction::Continue);
        resume != nullptr && !request_.canContinue && alternative) {
        if (auto* drawn = qobject_cast<TDrawnButton*>(resume))
            drawn->SetCannotContinue();
        else
            resume->setEnabled(false);
    }
}

void TExceptionBox::CreateReport() {
    report_ = new TReportField(DesktopText(request_.report), this);
    report_->setFont(CellFont(QStringLiteral("Courier New"), kReportFontHeight));
    report_->setLineWrapMode(QPlainTextEdit::NoWrap);
    report_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    report_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    report_->setAccessibleName(QStringLiteral("bug report"));
    if (request_.copyReportToClipboard) QGuiApplication::clipboard()->setText(DesktopText(request_.report));
}

QAbstractButton* TExceptionBox::Button(TAction action) const {
    return buttons_[static_cast<size_t>(Index(action))].data();
}

std::optional<TAction> TExceptionBox::DefaultAction() const {
    if (request_.closeRuleHolds && Button(TAction::Close) != nullptr) return TAction::Close;
    if (request_.restartRuleHolds && Button(TAction::Restart) != nullptr) return TAction::Restart;
    if (request_.autoContinue && Button(TAction::Continue) != nullptr && request_.canContinue)
        return TAction::Continue;
    return std::nullopt;
}

void TExceptionBox::ChooseDefault() {
    const std::optional<TAction> action = DefaultAction();
    if (!action) return;
    QAbstractButton* button = Button(*action);
    button->setFocus();
    countdown_ = qobject_cast<TDrawnButton*>(button);
    if (countdown_ == nullptr) return;
    countdown_->StartCountdown(request_.autoActionDelaySec);
    // Any focus change but the window's own activation ends the countdown for good.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != nullptr && now != countdown_) StopCountdown();
    });
}

void TExceptionBox::StopCountdown() {
    if (countdown_ != nullptr) countdown_->StopCountdown();
    countdown_ = nullptr;
}

void TExceptionBox::Place() {
    const QSize size = unfolded_ ? layout_.UnfoldedSize() : layout_.FoldedSize();
    setFixedSize(size);
    message_->setGeometry(layout_.message);
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i]) buttons_[i]->setGeometry(layout_.buttons[i]);
    if (report_ != nullptr) {
        report_->setGeometry(layout_.report);
        report_->setVisible(unfolded_);
    }
    update();
}

void TExceptionBox::Present() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect area = screen->geometry();
        const int width = std::max(layout_.contentWidth, TExceptionBoxLayout::kMinimumWidth);
        move(area.x() + (area.width() - width) / 2, area.y() + (area.height() - layout_.unfoldedHeight) / 2);
    }
    QApplication::beep();
    show();
    raise();
    activateWindow();
}

void TExceptionBox::paintEvent(QPaintEvent*) {
    if (report_ == nullptr || !unfolded_) return;
    QPainter painter(this);
    painter.setPen(QPen(Qt::white, 0));
    painter.drawRect(layout_.reportFrameLight.adjusted(0, 0, -1, -1));
    painter.setPen(QPen(palette().color(QPalette::Dark), 0));
    painter.drawRect(layout_.reportFrameShadow.adjusted(0, 0, -1, -1));
}

void TExceptionBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TExceptionBox::closeEvent(QCloseEvent* event) {
    event->accept();
    if (done_) return;
    // A close request runs the action the dialog offers first, or the mildest one there is.
    std::optional<TAction> action = DefaultAction();
    if (!action && Button(TAction::Continue) != nullptr && request_.canContinue) action = TAction::Continue;
    for (const TAction fallback : {TAction::Close, TAction::Restart})
        if (!action && Button(fallback) != nullptr) action = fallback;
    Decide(action);
}

void TExceptionBox::CloseWithoutChoice() {
    Finish(std::nullopt);
}

void TExceptionBox::Decide(std::optional<TAction> action) {
    done_ = true;
    StopCountdown();
    actions_.Chosen(action);
}

void TExceptionBox::Finish(std::optional<TAction> action) {
    if (done_) return;
    Decide(action);
    close();
}

void TExceptionBox::Press(TAction action) {
    if (done_) return;
    StopCountdown();
    if (auto* drawn = qobject_cast<TDrawnButton*>(Button(action))) drawn->PlayPressFeedback();
    if (action == TAction::Continue || action == TAction::Restart || action == TAction::Close) {
        Finish(action);
        return;
    }
    if (actions_.Handled(action)) return;
    switch (action) {
    case TAction::Mail:
        MailReport();
        break;
    case TAction::Save:
        SaveReport();
        break;
    case TAction::Print:
        PrintReport();
        break;
    default:
        Unfold();
        break;
    }
}

void TExceptionBox::Unfold() {
    if (report_ != nullptr && request_.copyReportToClipboard)
        QGuiApplication::clipboard()->setText(DesktopText(request_.report));
    if (QAbstractButton* show = Button(TAction::Show)) {
        focusNextChild();
        show->deleteLater();
        show->hide();
    }
    layout_ = layout_.Unfolded();
    unfolded_ = true;
    Place();
}

void TExceptionBox::MailReport() {
    TReportMail::TOutcome outcome;
    {
        const TBusyCursor busy;
        // The mail program's window must be able to come in front.
        setWindowFlag(Qt::WindowStaysOnTopHint, false);
        show();
        outcome = actions_.Mail();
        if (outcome.way != TReportMail::TWay::Mailto) {
            setWindowFlag(Qt::WindowStaysOnTopHint, true);
            show();
        }
    }
    const QString title = Caption(TAction::Mail);
    auto text = [](const std::string& message) {
        return FromAnsi(message).replace(QStringLiteral("%LF%"), QStringLiteral("\n"));
    };
    if (outcome.result == TReportMail::TResult::Sent && outcome.way == TReportMail::TWay::Smtp)
        QMessageBox::information(this, title, text(request_.mailSentMessage));
    else if (outcome.result == TReportMail::TResult::Failed)
        QMessageBox::critical(this, title, text(request_.mailFailedMessage));
}

void TExceptionBox::SaveReport() {
    const bool absolute = TReportFile::IsAbsolute(request_.saveFileName);
    std::string path = request_.saveFileName;
    if (!absolute) {
        const QString chosen = QFileDialog::getSaveFileName(
            this, Caption(TAction::Save),
            QString::fromStdString(request_.saveFolder + "/" + request_.saveFileName),
            QStringLiteral("*.txt"));
        path = chosen.toStdString();
    }
    const bool saved = !path.empty() && actions_.Save(path);
    QApplication::beep();
    if (!saved || !absolute) return;
    if (QAbstractButton* save = Button(TAction::Save)) {
        focusNextChild();
        save->deleteLater();
        save->hide();
    }
}

void TExceptionBox::PrintReport() {
    TReportPrinter::Print(DesktopText(request_.report), Caption(TAction::Print), this);
    QApplication::beep();
}

} // namespace qv::crash

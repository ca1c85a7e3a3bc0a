#include "windows/controls/TJvMemo.h"

#include <QAbstractTextDocumentLayout>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include <algorithm>

namespace qv::windows {

namespace {

constexpr unsigned Bit(TJvClipboardCommand command) {
    return static_cast<unsigned>(command);
}

// Lines as the program exchanges them end in CR LF; the area keeps paragraphs.
QString ToParagraphs(const QString& text) {
    QString paragraphs = text;
    paragraphs.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    paragraphs.replace(u'\r', u'\n');
    return paragraphs;
}

} // namespace

TJvMemo::TJvMemo(framework::TComponent* owner, QWidget* parent)
    : QPlainTextEdit(parent), framework::TComponent(owner) {
    // Tab goes on to the next control, as the windows' tab orders have it, rather than into the text.
    setTabChangesFocus(true);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    SetWordWrap(true);
    SetScrollBars(framework::TScrollStyle::ssNone);
    connect(this, &QPlainTextEdit::textChanged, this, [this] { framework::CallEvent(OnChange, this); });
}

void TJvMemo::SetText(const QString& text) {
    setPlainText(ToParagraphs(text));
}

QString TJvMemo::Text() const {
    return toPlainText().replace(u'\n', QStringLiteral("\r\n"));
}

void TJvMemo::SetClipboardCommands(TJvClipboardCommands commands) {
    clipboardCommands_ = commands;
    setReadOnly((commands & ~Bit(TJvClipboardCommand::caCopy)) == 0);
}

bool TJvMemo::Allows(TJvClipboardCommand command) const {
    return (clipboardCommands_ & Bit(command)) != 0;
}

void TJvMemo::SetReadOnly(bool readOnly) {
    setReadOnly(readOnly);
    if (readOnly) clipboardCommands_ = Bit(TJvClipboardCommand::caCopy);
}

void TJvMemo::SetHideCaret(bool hide) {
    hideCaret_ = hide;
    setCursorWidth(hide ? 0 : 1);
}

void TJvMemo::SetWordWrap(bool wrap) {
    setLineWrapMode(wrap ? WidgetWidth : NoWrap);
}

void TJvMemo::SetScrollBars(framework::TScrollStyle style) {
    scrollBars_ = style;
    const bool vertical =
        style == framework::TScrollStyle::ssVertical || style == framework::TScrollStyle::ssBoth;
    const bool horizontal =
        style == framework::TScrollStyle::ssHorizontal || style == framework::TScrollStyle::ssBoth;
    setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

std::vector<std::pair<int, int>> TJvMemo::ShownLines() const {
    std::vector<std::pair<int, int>> lines;
    QAbstractTextDocumentLayout* layout = document()->documentLayout();
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        // Asking for the block's extent lays it out at the area's width.
        layout->blockBoundingRect(block);
        const QTextLayout* text = block.layout();
        if (!text || text->lineCount() == 0) {
            lines.emplace_back(block.position(), block.length() - 1);
            continue;
        }
        for (int i = 0; i < text->lineCount(); ++i) {
            const QTextLine line = text->lineAt(i);
            lines.emplace_back(block.position() + line.textStart(),
                               std::min(line.textLength(), block.length() - 1 - line.textStart()));
        }
    }
    return lines;
}

QStringList TJvMemo::DisplayLines() const {
    const QString text = toPlainText();
    QStringList lines;
    for (const auto& [start, length] : ShownLines())
        lines << text.mid(start, std::min(length, kMaxLineLength));
    return lines;
}

void TJvMemo::DeleteLine(int index) {
    const auto lines = ShownLines();
    if (index < 0 || index >= static_cast<int>(lines.size())) return;
    const auto [start, length] = lines[static_cast<size_t>(index)];
    const int documentEnd = document()->characterCount() - 1;
    QTextCursor cursor(document());
    const bool endsParagraph = document()->characterAt(start + length) == QChar::ParagraphSeparator;
    if (endsParagraph && start + length < documentEnd) {
        cursor.setPosition(start);
        cursor.setPosition(start + length + 1, QTextCursor::KeepAnchor);
    } else {
        cursor.setPosition(std::max(0, start - (endsParagraph && start > 0 ? 1 : 0)));
        cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    }
    cursor.removeSelectedText();
}

void TJvMemo::Copy() {
    if (Allows(TJvClipboardCommand::caCopy)) copy();
}

void TJvMemo::Cut() {
    if (Allows(TJvClipboardCommand::caCut)) cut();
}

void TJvMemo::Paste() {
    if (Allows(TJvClipboardCommand::caPaste)) paste();
}

void TJvMemo::Undo() {
    if (Allows(TJvClipboardCommand::caUndo)) undo();
}

void TJvMemo::keyPressEvent(QKeyEvent* event) {
    const std::pair<QKeySequence::StandardKey, void (TJvMemo::*)()> commands[] = {
        {QKeySequence::Copy, &TJvMemo::Copy},
        {QKeySequence::Cut, &TJvMemo::Cut},
        {QKeySequence::Paste, &TJvMemo::Paste},
        {QKeySequence::Undo, &TJvMemo::Undo},
    };
    for (const auto& [key, command] : commands)
        if (event->matches(key)) {
            (this->*command)();
            event->accept();
            return;
        }
    const bool newLine = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (newLine && MaxLines > 0 && document()->blockCount() >= MaxLines) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TJvMemo::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu(event->pos());
    const std::pair<const char*, TJvClipboardCommand> commands[] = {
        {"edit-copy", TJvClipboardCommand::caCopy},
        {"edit-cut", TJvClipboardCommand::caCut},
        {"edit-paste", TJvClipboardCommand::caPaste},
        {"edit-undo", TJvClipboardCommand::caUndo},
    };
    for (QAction* action : menu->actions())
        for (const auto& [name, command] : commands)
            if (action->objectName() == QLatin1String(name) && !Allows(command)) action->setEnabled(false);
    menu->exec(event->globalPos());
    delete menu;
}

void TJvMemo::insertFromMimeData(const QMimeData* source) {
    if (MaxLines <= 0 || !source->hasText()) return QPlainTextEdit::insertFromMimeData(source);
    // What would pass the line limit is left out.
    const QStringList inserted = ToParagraphs(source->text()).split(u'\n');
    const int room = std::max(0, MaxLines - document()->blockCount());
    textCursor().insertText(inserted.mid(0, room + 1).join(u'\n'));
}

} // namespace qv::windows

#pragma once

#include "framework/Component.h"
#include "framework/gui/Events.h"
#include "framework/gui/ScrollStyle.h"

#include <QPlainTextEdit>

#include <utility>
#include <vector>

namespace qv::windows {

// The clipboard operations a text area carries out.
enum class TJvClipboardCommand : unsigned { caCopy = 1, caCut = 2, caPaste = 4, caUndo = 8 };
using TJvClipboardCommands = unsigned;
inline constexpr TJvClipboardCommands kAllClipboardCommands = 15;

// A multi-line text area that carries out only the clipboard operations it is allowed, and whose
// lines are the lines as it shows them, wrapped at its width.
class TJvMemo : public QPlainTextEdit, public framework::TComponent {
    Q_OBJECT

public:
    // The most characters read from one line.
    static constexpr int kMaxLineLength = 4096;

    explicit TJvMemo(framework::TComponent* owner, QWidget* parent = nullptr);

    // The text with its lines ending in CR LF.
    QString Text() const;
    void SetText(const QString& text);

    // Copy, cut, paste and undo requests outside the set are ignored. Assigning the set makes
    // the area read-only exactly when it holds nothing but copy, or nothing.
    TJvClipboardCommands ClipboardCommands() const { return clipboardCommands_; }
    void SetClipboardCommands(TJvClipboardCommands commands);
    bool Allows(TJvClipboardCommand command) const;
    bool ReadOnly() const { return isReadOnly(); }
    // Read-only also reduces the clipboard commands to copy.
    void SetReadOnly(bool readOnly);
    // The most lines the area takes; 0 for no limit.
    int MaxLines = 0;
    bool HideCaret() const { return hideCaret_; }
    void SetHideCaret(bool hide);
    bool WordWrap() const { return lineWrapMode() != NoWrap; }
    void SetWordWrap(bool wrap);
    framework::TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(framework::TScrollStyle style);

    // The lines as shown, with word wrap one per wrapped line, each cut to kMaxLineLength
    // characters.
    QStringList DisplayLines() const;
    // Removes the line as shown together with its line break.
    void DeleteLine(int index);

    // Carried out only when allowed.
    void Copy();
    void Cut();
    void Paste();
    void Undo();

    framework::TNotifyEvent OnChange;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // Start and length of each line as shown, in document positions.
    std::vector<std::pair<int, int>> ShownLines() const;

    TJvClipboardCommands clipboardCommands_ = kAllClipboardCommands;
    bool hideCaret_ = false;
    framework::TScrollStyle scrollBars_ = framework::TScrollStyle::ssNone;
};

} // namespace qv::windows

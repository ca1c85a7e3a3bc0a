#pragma once

#include <QPlainTextEdit>

namespace qv::crash {

// The dialog's read-only report field. It takes its keys itself: Tab and Shift+Tab stay inside
// it instead of moving between the dialog's buttons; Ctrl+Tab and Ctrl+Shift+Tab leave it, as in
// other text fields that take Tab.
class TReportField : public QPlainTextEdit {
public:
    TReportField(const QString& text, QWidget* parent);

protected:
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace qv::crash

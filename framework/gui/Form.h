#pragma once

#include "framework/Component.h"

#include <QWidget>

class QEventLoop;

namespace qv::framework {

// The result a modal window ends with.
enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2 };

// A window of the program: a widget that owns the components created on it. Its direct child
// widgets are its child controls; its owned components are what its layout names.
class TForm : public QWidget, public TComponent {
    Q_OBJECT

public:
    explicit TForm(TComponent* owner = nullptr);
    ~TForm() override;

    // Shows the window modally: the other windows take no input until it closes. Returns when
    // the modal result becomes non-zero, or with mrCancel when the window is closed otherwise.
    int ShowModal();
    int ModalResult() const { return modalResult_; }
    // A non-zero result closes a window that is shown modally.
    void SetModalResult(int result);

    // Moves the window to the middle of the screen it is on.
    void CenterOnScreen();

    // The largest outer size the window may take, maximized too; an empty size sets no limit.
    QSize MaxSize() const { return maxSize_; }
    void SetMaxSize(QSize size) { maxSize_ = size; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QSize maxSize_;
    int modalResult_ = mrNone;
    QEventLoop* modalLoop_ = nullptr;
};

} // namespace qv::framework

#pragma once

#include "framework/Component.h"

#include <QWidget>

namespace qv::framework {

// The result a modal window ends with.
enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2 };

// A window of the program: a widget that owns the components created on it. Its direct child
// widgets are its child controls; its owned components are what its layout names.
class TForm : public QWidget, public TComponent {
    Q_OBJECT

public:
    explicit TForm(TComponent* owner = nullptr);

    int ModalResult() const { return modalResult_; }
    // A non-zero result closes a window that is shown modally.
    void SetModalResult(int result);

private:
    int modalResult_ = mrNone;
};

} // namespace qv::framework

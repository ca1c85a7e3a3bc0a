#pragma once

#include "framework/Component.h"

#include <QWidget>

namespace qv::framework {

// What a modal showing of a form ends with; mrNone while it runs.
using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;

// A window of the program: a widget that owns the components created on it. Its direct child
// widgets are its child controls; its owned components are what its layout names.
class TForm : public QWidget, public TComponent {
    Q_OBJECT

public:
    explicit TForm(TComponent* owner = nullptr);

    TModalResult ModalResult() const { return modalResult_; }
    // Stores the result; a modal showing ends when it becomes anything but mrNone.
    void SetModalResult(TModalResult result);

signals:
    void ModalResultChanged(qv::framework::TModalResult result);

private:
    TModalResult modalResult_ = mrNone;
};

// The form whose window holds the control, or none.
TForm* GetParentForm(const QWidget& control);

} // namespace qv::framework

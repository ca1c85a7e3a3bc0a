#include "framework/Form.h"

namespace qv::framework {

TForm::TForm(TComponent* owner) : TComponent(owner) {}

void TForm::SetModalResult(TModalResult result) {
    modalResult_ = result;
    emit ModalResultChanged(result);
}

TForm* GetParentForm(const QWidget& control) {
    return qobject_cast<TForm*>(control.window());
}

} // namespace qv::framework

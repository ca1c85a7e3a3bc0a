#include "framework/Form.h"

namespace qv::framework {

TForm::TForm(TComponent* owner) : TComponent(owner) {}

void TForm::SetModalResult(int result) {
    modalResult_ = result;
}

} // namespace qv::framework

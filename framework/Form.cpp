#include "framework/Form.h"

namespace qv::framework {

TForm::TForm(TComponent* owner) : TComponent(owner) {}

} // namespace qv::framework

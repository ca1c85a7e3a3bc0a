#include "ThemeTestControls.h"

#include "skin/BuiltInStyles.h"
#include "skin/ThemeFunctions.h"

namespace qv::skin::test {

TsuiProbe::TsuiProbe(framework::TComponent* owner, QWidget* parent)
    : QWidget(parent), framework::TComponent(owner), binding_(*this, [this] {
          ++applied;
          borderColor = binding_.UsingTheme()
                            ? binding_.FileTheme()->GetColor(SKIN2_CONTROLBORDERCOLOR)
                            : GetStyleColor(binding_.EffectiveStyle(), TStyleRow::ControlBorderColor);
      }) {
    binding_.SetUIStyle(GetFormStyle(owner));
}

void TsuiProbe::Notification(framework::TComponent* component, framework::TOperation operation) {
    framework::TComponent::Notification(component, operation);
    binding_.Notification(component, operation);
}

} // namespace qv::skin::test

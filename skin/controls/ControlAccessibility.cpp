#include "skin/controls/ControlAccessibility.h"

#include "framework/gui/AccessibleControls.h"
#include "skin/controls/TsuiPanel.h"
#include "skin/controls/TsuiScrollBar.h"

namespace qv::skin {

namespace {

void Register() {
    framework::TAccessibleTraits panel;
    panel.role = QAccessible::Grouping;
    panel.name = [](const QWidget& w) { return static_cast<const TsuiPanel&>(w).Caption(); };
    panel.state = [](const QWidget& w, QAccessible::State& state) {
        const auto& p = static_cast<const TsuiPanel&>(w);
        state.expandable = p.ButtonShown();
        state.expanded = p.ButtonShown() && p.Expanded();
        state.collapsed = p.ButtonShown() && !p.Expanded();
    };
    framework::RegisterAccessible(TsuiPanel::staticMetaObject, panel);

    framework::TAccessibleTraits bar;
    bar.role = QAccessible::ScrollBar;
    bar.value = [](const QWidget& w) { return static_cast<const TsuiScrollBar&>(w).Position(); };
    bar.minimum = [](const QWidget& w) { return static_cast<const TsuiScrollBar&>(w).Min(); };
    bar.maximum = [](const QWidget& w) { return static_cast<const TsuiScrollBar&>(w).Max(); };
    bar.setValue = [](QWidget& w, int value) { static_cast<TsuiScrollBar&>(w).SetPosition(value); };
    framework::RegisterAccessible(TsuiScrollBar::staticMetaObject, bar);
}

} // namespace

void InstallControlAccessibility() {
    static const bool installed = (Register(), true);
    (void)installed;
}

} // namespace qv::skin

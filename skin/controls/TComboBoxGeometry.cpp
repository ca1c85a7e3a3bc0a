#include "skin/controls/TComboBoxGeometry.h"

#include <QStyleOptionComplex>

namespace qv::skin {

QRect TComboBoxGeometry::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                        SubControl subControl, const QWidget* widget) const {
    if (control != CC_ComboBox || !option)
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    const QRect r = option->rect;
    const QRect button(r.right() + 1 - kBorder - kButtonWidth, r.top() + kBorder, kButtonWidth,
                       r.height() - 2 * kBorder);
    QRect result;
    switch (subControl) {
    case SC_ComboBoxArrow:
        result = button;
        break;
    case SC_ComboBoxEditField:
        result = QRect(r.left() + kBorder + 1, r.top() + kBorder, button.left() - r.left() - kBorder - 2,
                       r.height() - 2 * kBorder);
        break;
    case SC_ComboBoxFrame:
        result = r;
        break;
    default:
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    }
    return visualRect(option->direction, r, result);
}

int TComboBoxGeometry::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                                 QStyleHintReturn* returnData) const {
    if (hint == SH_ComboBox_Popup) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

} // namespace qv::skin

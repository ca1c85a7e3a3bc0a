#pragma once

#include <QProxyStyle>

namespace qv::skin {

// Lays a skinned combo box out as the system's own: a two-pixel border, the drop-down button
// inside it at the right (left in right-to-left order), the text field beside the button, and a
// plain list as the popup.
class TComboBoxGeometry : public QProxyStyle {
public:
    static constexpr int kBorder = 2;
    static constexpr int kButtonWidth = 17;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl subControl,
                         const QWidget* widget) const override;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
};

} // namespace qv::skin

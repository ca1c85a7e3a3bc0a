#pragma once

#include "framework/gui/Form.h"
#include "skin/TsuiForm.h"
#include "skin/TsuiUIStyle.h"

#include <QLabel>
#include <QRect>
#include <QSize>

#include <initializer_list>

namespace qv::skin {
class TsuiButton;
class TsuiFileTheme;
class TsuiThemeManager;
} // namespace qv::skin

namespace qv::windows {

// Colours the layouts use, as layouts store them (0x00BBGGRR).
inline constexpr framework::TColor kPaleBlue = 0xF6E4DA;
inline constexpr framework::TColor kSlateBlue = 0xA06B4F;
inline constexpr framework::TColor kRoyalBlue = 0xC56A31;
inline constexpr framework::TColor kNearBlack = 0x040000;

// Puts a window's skinned panel on: captioned, drawn from the theme, covering the window.
skin::TsuiForm* NewSkinnedPanel(framework::TForm& form, const QString& caption, skin::TsuiFileTheme& theme);

// The window's theme manager, handing the theme to the controls of the window named.
skin::TsuiThemeManager* NewThemeManager(framework::TForm& form, skin::TsuiFileTheme& theme,
                                        std::initializer_list<const char*> names);

// A control of a layout, owned by the window and found by its layout name.
template <typename Control>
Control* NewControl(framework::TForm& form, QWidget* parent, const char* name, QRect rect) {
    auto* control = new Control(&form, parent);
    control->SetName(name);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(rect);
    return control;
}

// A push button of a layout: "MS Sans Serif" at 11 pixels, black.
skin::TsuiButton* NewButton(framework::TForm& form, QWidget* parent, const char* name, QRect rect,
                            const QString& caption);

// A plain white panel without bevel.
QWidget* NewPlainPanel(QWidget* parent, const char* name, QRect rect);

// A rectangle of a window's layout inside its skinned panel: layouts count from the top-left
// corner of the client area, which the panel's frame surrounds.
QRect DesignRect(const skin::TsuiForm& panel, int left, int top, int width, int height);

// Gives the window its laid-out size, centred on the screen: the layout's client area and the
// panel's frame around it. A window that wears another window's theme was laid out 4 by 3 pixels
// larger than its own layout says (its frame there is smaller than the system frame it assumed).
// That size is the window's smallest; one whose title bar offers maximize may grow up to the
// form's largest size, the others keep that one size.
void SetLaidOutSize(framework::TForm& form, const skin::TsuiForm& panel, QSize client, bool foreignTheme);

// A label of a layout: the window's font, a clear background, top-left text; an auto-sized label
// grows with its text from its design width.
QLabel* NewLabel(QWidget* parent, const QString& text, QRect rect, Qt::Alignment alignment = Qt::AlignLeft,
                 bool autoSize = true);

// Gives a label new text, growing an auto-sized one to fit it.
void SetLabelText(QLabel& label, const QString& text);

} // namespace qv::windows

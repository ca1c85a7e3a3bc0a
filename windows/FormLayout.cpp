#include "windows/FormLayout.h"

#include "framework/gui/Fonts.h"
#include "skin/TsuiFileTheme.h"
#include "skin/TsuiThemeManager.h"
#include "skin/TsuiTitleBar.h"
#include "skin/controls/TsuiButton.h"

namespace qv::windows {

namespace {
constexpr QSize kForeignThemeGrowth{4, 3};
constexpr const char* kAutoSize = "qvAutoSize";
} // namespace

skin::TsuiForm* NewSkinnedPanel(framework::TForm& form, const QString& caption, skin::TsuiFileTheme& theme) {
    form.setWindowTitle(caption);
    auto* panel = new skin::TsuiForm(&form);
    panel->SetName("suiForm1");
    panel->SetCaption(caption);
    panel->SetFileTheme(&theme);
    panel->SetUIStyle(skin::TsuiUIStyle::FromThemeFile);
    return panel;
}

skin::TsuiThemeManager* NewThemeManager(framework::TForm& form, skin::TsuiFileTheme& theme,
                                        std::initializer_list<const char*> names) {
    auto* manager = new skin::TsuiThemeManager(&form);
    manager->SetName("TM");
    // In the order a form is read: the style and the list first, the reference to the theme
    // last, so that the controls are handed the style and the theme once, never the default
    // style on the way.
    manager->SetUIStyle(skin::TsuiUIStyle::FromThemeFile);
    framework::TStringList list;
    for (const char* name : names)
        list.Add(name);
    manager->SetCompList(list);
    manager->SetFileTheme(&theme);
    return manager;
}

skin::TsuiButton* NewButton(framework::TForm& form, QWidget* parent, const char* name, QRect rect,
                            const QString& caption) {
    auto* button = NewControl<skin::TsuiButton>(form, parent, name, rect);
    button->SetCaption(caption);
    button->setFont(framework::PixelFont(QStringLiteral("MS Sans Serif"), framework::kApplicationFontPixels));
    return button;
}

QWidget* NewPlainPanel(QWidget* parent, const char* name, QRect rect) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setGeometry(rect);
    panel->setAutoFillBackground(true);
    panel->setPalette(QPalette(Qt::white));
    return panel;
}

QRect DesignRect(const skin::TsuiForm& panel, int left, int top, int width, int height) {
    const QMargins frame = panel.Frame();
    return QRect(frame.left() + left, frame.top() + top, width, height);
}

void SetLaidOutSize(framework::TForm& form, const skin::TsuiForm& panel, QSize client, bool foreignTheme) {
    if (foreignTheme) client += kForeignThemeGrowth;
    const QSize laidOut = client.grownBy(panel.Frame());
    // A window that offers maximize leaves its largest size open, within the form's limit, so that
    // the window manager offers maximize too (and with it its keyboard bindings); the others keep
    // one size.
    QSize largest = laidOut;
    if (panel.TitleBar().HasVisibleButton(skin::TsuiTitleBarBtnType::suiMax))
        largest = form.MaxSize().isEmpty() ? QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX) : form.MaxSize();
    form.setMinimumSize(laidOut);
    form.setMaximumSize(largest.expandedTo(laidOut));
    form.resize(laidOut);
    form.CenterOnScreen();
}

QLabel* NewLabel(QWidget* parent, const QString& text, QRect rect, Qt::Alignment alignment, bool autoSize) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment | Qt::AlignTop);
    label->setGeometry(rect);
    label->setProperty(kAutoSize, autoSize);
    SetLabelText(*label, text);
    return label;
}

void SetLabelText(QLabel& label, const QString& text) {
    label.setText(text);
    if (!label.property(kAutoSize).toBool()) return;
    const QSize hint = label.sizeHint();
    label.resize(hint.width(), std::max(hint.height(), label.height()));
}

} // namespace qv::windows

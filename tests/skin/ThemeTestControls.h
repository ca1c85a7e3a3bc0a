#pragma once

#include "framework/Component.h"
#include "framework/gui/TColor.h"
#include "skin/TsuiFileTheme.h"
#include "skin/TsuiThemeBinding.h"

#include <QWidget>

namespace qv::skin::test {

// A skinned control as every control of the engine is built: it reads one colour, the border
// colour of edits and panels, from the skin or from row 25 of its built-in style.
class TsuiProbe : public QWidget, public framework::TComponent {
    Q_OBJECT
    Q_PROPERTY(qv::skin::TsuiUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(qv::skin::TsuiFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)

public:
    explicit TsuiProbe(framework::TComponent* owner, QWidget* parent = nullptr);

    TsuiUIStyle UIStyle() const { return binding_.UIStyle(); }
    void SetUIStyle(TsuiUIStyle style) { binding_.SetUIStyle(style); }
    TsuiFileTheme* FileTheme() const { return binding_.FileTheme(); }
    void SetFileTheme(TsuiFileTheme* theme) { binding_.SetFileTheme(theme); }

    framework::TColor borderColor = 0;
    int applied = 0;

protected:
    void Notification(framework::TComponent* component, framework::TOperation operation) override;

private:
    TsuiThemeBinding binding_;
};

// Publishes the same pair but is no skinned control by name; themes must leave it alone.
class ForeignControl : public QWidget, public framework::TComponent {
    Q_OBJECT
    Q_PROPERTY(qv::skin::TsuiUIStyle UIStyle MEMBER uiStyle)
    Q_PROPERTY(qv::skin::TsuiFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)

public:
    using framework::TComponent::TComponent;
    TsuiFileTheme* FileTheme() const { return fileTheme; }
    void SetFileTheme(TsuiFileTheme* theme) {
        fileTheme = theme;
        ++themeWrites;
    }
    TsuiUIStyle uiStyle = TsuiUIStyle::DeepBlue;
    TsuiFileTheme* fileTheme = nullptr;
    int themeWrites = 0;
};

// Publishes a style but no theme.
class StyleOnlyControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qv::skin::TsuiUIStyle UIStyle MEMBER uiStyle)

public:
    using QWidget::QWidget;
    TsuiUIStyle uiStyle = TsuiUIStyle::DeepBlue;
};

} // namespace qv::skin::test

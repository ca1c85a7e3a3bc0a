#pragma once

#include "framework/Component.h"
#include "framework/gui/Events.h"
#include "framework/gui/TColor.h"
#include "skin/TsuiFileTheme.h"
#include "skin/TsuiThemeBinding.h"

#include <QLineEdit>

#include <memory>

class QProxyStyle;

namespace qv::skin {

// A single-line edit box with a flat border in the skin's colours: a one-pixel outline in
// BorderColor and a one-pixel line inside it in the box's own colour.
class TsuiEdit : public QLineEdit, public framework::TComponent {
    Q_OBJECT
    Q_PROPERTY(qv::skin::TsuiUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(qv::skin::TsuiFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)

public:
    // The border the box draws around its text.
    static constexpr int kBorderWidth = 2;

    explicit TsuiEdit(framework::TComponent* owner, QWidget* parent = nullptr);
    ~TsuiEdit() override;

    TsuiUIStyle UIStyle() const { return binding_.UIStyle(); }
    void SetUIStyle(TsuiUIStyle style);
    TsuiFileTheme* FileTheme() const { return binding_.FileTheme(); }
    void SetFileTheme(TsuiFileTheme* theme);

    QString Text() const { return text(); }
    void SetText(const QString& text) { setText(text); }
    framework::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(framework::TColor color);
    // The box's background.
    framework::TColor Color() const { return color_; }
    void SetColor(framework::TColor color);
    framework::TColor FontColor() const;
    void SetFontColor(framework::TColor color);
    // The character shown for every typed one; a null character shows the text itself.
    QChar PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(QChar passwordChar);

    // Raised whenever the text changes, by typing or by the program.
    framework::TNotifyEvent OnChange;

protected:
    void paintEvent(QPaintEvent* event) override;
    void Notification(framework::TComponent* component, framework::TOperation operation) override;

private:
    void ApplyStyle();

    TsuiThemeBinding binding_;
    framework::TColor borderColor_ = framework::clBlack;
    framework::TColor color_ = framework::clWhite;
    QChar passwordChar_;
    std::unique_ptr<QProxyStyle> passwordStyle_;
};

} // namespace qv::skin

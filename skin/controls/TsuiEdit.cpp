#include "skin/controls/TsuiEdit.h"

#include "skin/BuiltInStyles.h"
#include "skin/PaintHelpers.h"
#include "skin/ThemeFunctions.h"

#include <QPainter>
#include <QProxyStyle>

namespace qv::skin {

namespace {

// Shows every character of the text as one chosen character.
class TPasswordStyle : public QProxyStyle {
public:
    explicit TPasswordStyle(QChar passwordChar) : passwordChar_(passwordChar) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return passwordChar_.unicode();
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    QChar passwordChar_;
};

} // namespace

TsuiEdit::TsuiEdit(framework::TComponent* owner, QWidget* parent)
    : QLineEdit(parent), framework::TComponent(owner), binding_(*this, [this] { ApplyStyle(); }) {
    setFrame(false);
    setTextMargins(kBorderWidth, kBorderWidth, kBorderWidth, kBorderWidth);
    SetColor(color_);
    connect(this, &QLineEdit::textChanged, this, [this] { framework::CallEvent(OnChange, this); });
    binding_.SetUIStyle(GetFormStyle(owner));
}

TsuiEdit::~TsuiEdit() {
    // The style must outlive the widget's use of it.
    setStyle(nullptr);
}

void TsuiEdit::SetUIStyle(TsuiUIStyle style) {
    binding_.SetUIStyle(style);
}

void TsuiEdit::SetFileTheme(TsuiFileTheme* theme) {
    binding_.SetFileTheme(theme);
}

void TsuiEdit::Notification(framework::TComponent* component, framework::TOperation operation) {
    framework::TComponent::Notification(component, operation);
    binding_.Notification(component, operation);
}

void TsuiEdit::ApplyStyle() {
    if (binding_.UsingTheme())
        borderColor_ = binding_.FileTheme()->GetColor(SKIN2_CONTROLBORDERCOLOR);
    else
        borderColor_ = GetStyleColor(binding_.EffectiveStyle(), TStyleRow::ControlBorderColor);
    update();
}

void TsuiEdit::SetBorderColor(framework::TColor color) {
    borderColor_ = color;
    update();
}

void TsuiEdit::SetColor(framework::TColor color) {
    color_ = color;
    QPalette colors = palette();
    colors.setColor(QPalette::Base, framework::ColorToQColor(color));
    setPalette(colors);
}

framework::TColor TsuiEdit::FontColor() const {
    return framework::QColorToColor(palette().color(QPalette::Text));
}

void TsuiEdit::SetFontColor(framework::TColor color) {
    QPalette colors = palette();
    colors.setColor(QPalette::Text, framework::ColorToQColor(color));
    setPalette(colors);
}

void TsuiEdit::SetPasswordChar(QChar passwordChar) {
    passwordChar_ = passwordChar;
    if (passwordChar.isNull()) {
        setEchoMode(QLineEdit::Normal);
        setStyle(nullptr);
        passwordStyle_.reset();
        return;
    }
    auto style = std::make_unique<TPasswordStyle>(passwordChar);
    setStyle(style.get());
    passwordStyle_ = std::move(style);
    setEchoMode(QLineEdit::Password);
}

void TsuiEdit::paintEvent(QPaintEvent* event) {
    {
        // The box's own colour under the text, as the system's edit control fills it.
        QPainter painter(this);
        painter.fillRect(rect(), framework::ColorToQColor(color_));
    }
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    FrameRect(painter, rect(), borderColor_);
    FrameRect(painter, rect().adjusted(1, 1, -1, -1), color_);
}

} // namespace qv::skin

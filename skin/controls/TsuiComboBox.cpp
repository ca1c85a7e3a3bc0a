#include "skin/controls/TsuiComboBox.h"

#include "skin/BuiltInStyles.h"
#include "skin/PaintHelpers.h"
#include "skin/SkinResources.h"
#include "skin/ThemeFunctions.h"
#include "skin/controls/TComboBoxGeometry.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPolygon>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>

namespace qv::skin {

namespace {

constexpr framework::TColor kDisabledArrow = framework::clGray;

// Gives every item of the dropped-down list the combo box's item height.
class TItemHeightDelegate : public QStyledItemDelegate {
public:
    TItemHeightDelegate(const int& height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), height_);
    }

private:
    const int& height_;
};

void DrawTriangle(QPainter& painter, QPoint at, const QColor& color) {
    painter.setPen(QPen(color, 0));
    painter.setBrush(color);
    painter.drawPolygon(QPolygon({at, at + QPoint(6, 0), at + QPoint(3, 3)}));
}

} // namespace

TsuiComboBox::TsuiComboBox(framework::TComponent* owner, QWidget* parent)
    : QComboBox(parent), framework::TComponent(owner), binding_(*this, [this] { ApplyStyle(); }),
      geometry_(std::make_unique<TComboBoxGeometry>()) {
    setStyle(geometry_.get());
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setItemDelegate(new TItemHeightDelegate(itemHeight_, this));
    SetColor(color_);
    connect(this, &QComboBox::activated, this, [this] { framework::CallEvent(OnChange, this); });
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { framework::CallEvent(OnChange, this); });
    binding_.SetUIStyle(GetFormStyle(owner));
}

TsuiComboBox::~TsuiComboBox() {
    // The geometry must outlive the widget's use of it.
    setStyle(nullptr);
}

void TsuiComboBox::SetUIStyle(TsuiUIStyle style) {
    binding_.SetUIStyle(style);
}

void TsuiComboBox::SetFileTheme(TsuiFileTheme* theme) {
    binding_.SetFileTheme(theme);
}

void TsuiComboBox::Notification(framework::TComponent* component, framework::TOperation operation) {
    framework::TComponent::Notification(component, operation);
    binding_.Notification(component, operation);
}

void TsuiComboBox::ApplyStyle() {
    arrowColor_ = framework::clBlack;
    if (binding_.UsingTheme()) {
        borderColor_ = binding_.FileTheme()->GetColor(SKIN2_CONTROLBORDERCOLOR);
        buttonColor_ = binding_.FileTheme()->GetColor(SKIN2_CONTROLCOLOR);
    } else {
        borderColor_ = GetStyleColor(binding_.EffectiveStyle(), TStyleRow::ControlBorderColor);
        buttonColor_ = GetStyleColor(binding_.EffectiveStyle(), TStyleRow::FormColor);
    }
    update();
}

QStringList TsuiComboBox::Items() const {
    QStringList items;
    for (int i = 0; i < count(); ++i)
        items << itemText(i);
    return items;
}

void TsuiComboBox::SetItems(const QStringList& items) {
    clear();
    addItems(items);
    setCurrentIndex(-1);
}

void TsuiComboBox::SetText(const QString& text) {
    if (isEditable()) setEditText(text);
}

void TsuiComboBox::SetItemHeight(int height) {
    itemHeight_ = height;
    view()->doItemsLayout();
}

void TsuiComboBox::SetBorderColor(framework::TColor color) {
    borderColor_ = color;
    update();
}

void TsuiComboBox::SetArrowColor(framework::TColor color) {
    arrowColor_ = color;
    update();
}

void TsuiComboBox::SetButtonColor(framework::TColor color) {
    buttonColor_ = color;
    update();
}

void TsuiComboBox::SetColor(framework::TColor color) {
    color_ = color;
    QPalette colors = palette();
    colors.setColor(QPalette::Base, framework::ColorToQColor(color));
    setPalette(colors);
}

QRect TsuiComboBox::ButtonRect() const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this);
}

void TsuiComboBox::showPopup() {
    QComboBox::showPopup();
    QWidget* list = view()->parentWidget();
    list->removeEventFilter(this);
    list->installEventFilter(this);
    list->update();
}

void TsuiComboBox::hidePopup() {
    QComboBox::hidePopup();
    if (parentWidget()) parentWidget()->update();
}

bool TsuiComboBox::eventFilter(QObject* watched, QEvent* event) {
    // The dropped-down list gets its outline after it painted itself.
    if (event->type() == QEvent::Paint && watched == view()->parentWidget()) {
        watched->event(event);
        auto* list = static_cast<QWidget*>(watched);
        QPainter painter(list);
        FrameRect(painter, list->rect(), borderColor_);
        return true;
    }
    return QComboBox::eventFilter(watched, event);
}

void TsuiComboBox::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) update();
}

void TsuiComboBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor base = framework::ColorToQColor(color_);
    painter.fillRect(rect(), base);
    if (!isEditable()) {
        QStyleOptionComboBox option;
        initStyleOption(&option);
        const QRect field =
            style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
        if (hasFocus()) painter.fillRect(field, palette().color(QPalette::Highlight));
        painter.setPen(palette().color(hasFocus() ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(field.adjusted(1, 0, 0, 0), Qt::AlignVCenter | Qt::TextSingleLine, currentText());
    }
    FrameRect(painter, rect(), borderColor_);
    FrameRect(painter, rect().adjusted(1, 1, -1, -1), color_);

    const QRect button = ButtonRect();
    const TsuiUIStyle style = binding_.EffectiveStyle();
    if (style == TsuiUIStyle::MacOS || style == TsuiUIStyle::WinXP) {
        painter.drawImage(button, StyleResource(style == TsuiUIStyle::MacOS ? "MACOS_COMBOBOX_BUTTON"
                                                                            : "WINXP_COMBOBOX_BUTTON"));
    } else {
        painter.fillRect(button, framework::ColorToQColor(buttonColor_));
        const int lineX = layoutDirection() == Qt::RightToLeft ? button.right() : button.left();
        painter.setPen(QPen(framework::ColorToQColor(borderColor_), 0));
        painter.drawLine(lineX, button.top() - 1, lineX, button.bottom() + 1);
    }
    if (style == TsuiUIStyle::WinXP) return;
    const QPoint arrow(button.left() + button.width() / 2 - 3, button.height() / 2);
    if (isEnabled()) {
        DrawTriangle(painter, arrow, framework::ColorToQColor(arrowColor_));
    } else {
        DrawTriangle(painter, arrow + QPoint(1, 1), Qt::white);
        DrawTriangle(painter, arrow, framework::ColorToQColor(kDisabledArrow));
    }
}

} // namespace qv::skin

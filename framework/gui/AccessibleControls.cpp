#include "framework/gui/AccessibleControls.h"

#include <QAccessibleWidget>
#include <QWidget>

#include <map>
#include <memory>

namespace qv::framework {

namespace {

std::map<const QMetaObject*, std::shared_ptr<const TAccessibleTraits>>& Registry() {
    static std::map<const QMetaObject*, std::shared_ptr<const TAccessibleTraits>> registry;
    return registry;
}

class TAccessibleControl : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    TAccessibleControl(QWidget* widget, std::shared_ptr<const TAccessibleTraits> traits)
        : QAccessibleWidget(widget, traits->role), traits_(std::move(traits)) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name && traits_->name) return traits_->name(*widget());
        return QAccessibleWidget::text(kind);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        if (traits_->state) traits_->state(*widget(), state);
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface && traits_->value)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (traits_->press) names.prepend(pressAction());
        return names;
    }
    void doAction(const QString& action) override {
        if (action == pressAction() && traits_->press && widget()->isEnabled())
            traits_->press(*widget());
        else
            QAccessibleWidget::doAction(action);
    }

    QVariant currentValue() const override { return traits_->value(*widget()); }
    void setCurrentValue(const QVariant& value) override {
        if (traits_->setValue) traits_->setValue(*widget(), value.toInt());
    }
    QVariant maximumValue() const override { return traits_->maximum ? traits_->maximum(*widget()) : 0; }
    QVariant minimumValue() const override { return traits_->minimum ? traits_->minimum(*widget()) : 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    std::shared_ptr<const TAccessibleTraits> traits_;
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
    if (!object || !object->isWidgetType()) return nullptr;
    for (const QMetaObject* meta = object->metaObject(); meta; meta = meta->superClass()) {
        const auto found = Registry().find(meta);
        if (found != Registry().end())
            return new TAccessibleControl(static_cast<QWidget*>(object), found->second);
    }
    return nullptr;
}

} // namespace

void RegisterAccessible(const QMetaObject& type, const std::function<TAccessibleTraits()>& describe) {
    static const bool installed = (QAccessible::installFactory(Factory), true);
    (void)installed;
    auto& traits = Registry()[&type];
    if (!traits) traits = std::make_shared<const TAccessibleTraits>(describe());
}

} // namespace qv::framework

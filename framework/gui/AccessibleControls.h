#pragma once

#include <QAccessible>

#include <functional>
#include <optional>

class QWidget;

namespace qv::framework {

// How a custom-painted control shows itself to screen readers and UI test tools: its role, its
// name, what it adds to the widget's state, an optional press action and an optional value.
struct TAccessibleTraits {
    QAccessible::Role role = QAccessible::Client;
    std::function<QString(const QWidget&)> name;
    std::function<void(const QWidget&, QAccessible::State&)> state;
    std::function<void(QWidget&)> press;
    // For controls that hold a number in a range: value, minimum, maximum and a setter.
    std::function<int(const QWidget&)> value;
    std::function<int(const QWidget&)> minimum;
    std::function<int(const QWidget&)> maximum;
    std::function<void(QWidget&, int)> setValue;
};

// Makes Qt's accessibility layer describe every widget of the class (and of the classes derived
// from it that have no traits of their own) with the traits that `describe` gives. Controls call
// it as they are made; only the first call for a class asks for the traits.
void RegisterAccessible(const QMetaObject& type, const std::function<TAccessibleTraits()>& describe);

} // namespace qv::framework

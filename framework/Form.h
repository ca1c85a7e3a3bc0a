#pragma once

#include "framework/Component.h"

#include <QWidget>

namespace qv::framework {

// A window of the program: a widget that owns the components created on it. Its direct child
// widgets are its child controls; its owned components are what its layout names.
class TForm : public QWidget, public TComponent {
    Q_OBJECT

public:
    explicit TForm(TComponent* owner = nullptr);
};

} // namespace qv::framework

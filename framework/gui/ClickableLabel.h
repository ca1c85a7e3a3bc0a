#pragma once

#include "framework/Component.h"
#include "framework/gui/Events.h"

#include <QLabel>

namespace qv::framework {

// A label that is clicked like a link: a left press followed by a release over the label, or
// Space or Enter while it has the focus, which Tab gives it. Screen readers see a link named by
// the caption as shown, which they can press. A disabled label takes no click.
class TClickableLabel : public QLabel, public TComponent {
    Q_OBJECT

public:
    explicit TClickableLabel(TComponent* owner, QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    // The caption as the label shows it; the label's own text by default.
    virtual QString ShownCaption() const;

    // The framework's click: OnClick.
    virtual void Click();

    TNotifyEvent OnClick;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The label's text, with the focus rectangle around it while it has the focus.
    void paintEvent(QPaintEvent* event) override;

private:
    // The left button went down on the label; a release over it clicks.
    bool clickPending_ = false;
};

} // namespace qv::framework

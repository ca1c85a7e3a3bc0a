#pragma once

#include "framework/Component.h"
#include "framework/gui/Events.h"

#include <QLabel>

namespace qv::framework {

// A label that is clicked like a link: a left press followed by a release over the label, or
// Space or Enter while it has the focus, which Tab gives it. Screen readers see a link named by
// the caption as shown, which they can press. A disabled label takes no click.
// The label keeps, measures and draws its caption itself, as a label does plain text: Qt gives
// a label that takes the focus a rich-text document of its own for whatever text it holds.
class TClickableLabel : public QLabel, public TComponent {
    Q_OBJECT

public:
    explicit TClickableLabel(TComponent* owner, QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    // The caption as the label shows it; the caption itself by default.
    virtual QString ShownCaption() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The framework's click: OnClick.
    virtual void Click();

    TNotifyEvent OnClick;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The caption, with the focus rectangle around it while it has the focus.
    void paintEvent(QPaintEvent* event) override;
    // The alignment and direction with which the caption is drawn and measured.
    int CaptionFlags() const;

private:
    QString caption_;
    // The left button went down on the label; a release over it clicks.
    bool clickPending_ = false;
};

} // namespace qv::framework

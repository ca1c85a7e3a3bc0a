#pragma once

#include "skin/controls/TsuiCustomButton.h"

namespace qv::skin {

// A button drawn from three pictures of its own (normal, mouse over, pressed) at their size; a
// disabled one shows the normal picture. The scroll bar's arrows are such buttons.
class TsuiImageButton : public TsuiCustomButton {
    Q_OBJECT

public:
    explicit TsuiImageButton(framework::TComponent* owner, QWidget* parent = nullptr);

    // Takes the three pictures and sizes the button to the normal one.
    void SetPictures(const QImage& normal, const QImage& mouseOver, const QImage& pressed);
    const QImage& PicNormal() const { return normal_; }

protected:
    QImage Face(TButtonFace face) const override;
    QSize FaceStripSize() const override;

private:
    QImage normal_;
    QImage mouseOver_;
    QImage pressed_;
};

} // namespace qv::skin

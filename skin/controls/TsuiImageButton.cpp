#include "skin/controls/TsuiImageButton.h"

namespace qv::skin {

TsuiImageButton::TsuiImageButton(framework::TComponent* owner, QWidget* parent)
    : TsuiCustomButton(owner, parent) {}

void TsuiImageButton::SetPictures(const QImage& normal, const QImage& mouseOver, const QImage& pressed) {
    normal_ = normal;
    mouseOver_ = mouseOver;
    pressed_ = pressed;
    if (!normal_.isNull()) resize(normal_.size());
    update();
}

QImage TsuiImageButton::Face(TButtonFace face) const {
    switch (face) {
    case TButtonFace::MouseOver:
        return mouseOver_;
    case TButtonFace::Pressed:
        return pressed_;
    case TButtonFace::Normal:
    case TButtonFace::Disabled:
        break;
    }
    return normal_;
}

QSize TsuiImageButton::FaceStripSize() const {
    return normal_.isNull() ? TsuiCustomButton::FaceStripSize()
                            : QSize(3 * normal_.width(), normal_.height());
}

} // namespace qv::skin

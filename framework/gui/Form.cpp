#include "framework/gui/Form.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace qv::framework {

TForm::TForm(TComponent* owner) : TComponent(owner) {}

TForm::~TForm() {
    if (modalLoop_) modalLoop_->exit(mrCancel);
}

int TForm::ShowModal() {
    if (modalLoop_) return mrNone;
    modalResult_ = mrNone;
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    modalLoop_ = &loop;
    loop.exec(QEventLoop::DialogExec);
    modalLoop_ = nullptr;
    hide();
    setWindowModality(Qt::NonModal);
    if (modalResult_ == mrNone) modalResult_ = mrCancel;
    return modalResult_;
}

void TForm::SetModalResult(int result) {
    modalResult_ = result;
    if (result != mrNone && modalLoop_) modalLoop_->exit(result);
}

void TForm::closeEvent(QCloseEvent* event) {
    if (modalLoop_) {
        if (modalResult_ == mrNone) modalResult_ = mrCancel;
        modalLoop_->exit(modalResult_);
    }
    event->accept();
}

void TForm::CenterOnScreen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    // A window larger than the screen (a large scale factor) keeps its caption and top-left
    // corner on it, so that it can still be moved and closed.
    move(std::max(frame.left(), area.left()), std::max(frame.top(), area.top()));
}

} // namespace qv::framework

#include "framework/gui/Align.h"

#include <QCoreApplication>
#include <QEvent>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <utility>
#include <vector>

namespace qv::framework {

namespace {

constexpr const char* kAlignProperty = "Align";

// A control takes its place unless it was hidden on purpose; one not shown yet still counts, as
// its container shows it with itself.
bool HiddenOnPurpose(const QWidget& control) {
    return control.isHidden() && control.testAttribute(Qt::WA_WState_ExplicitShowHide);
}

} // namespace

void SetAlign(QWidget& control, TAlign align) {
    control.setProperty(kAlignProperty, static_cast<int>(align));
    RealignParent(control);
}

TAlign GetAlign(const QWidget& control) {
    const QVariant value = control.property(kAlignProperty);
    return value.isValid() ? static_cast<TAlign>(value.toInt()) : TAlign::alNone;
}

QRect AlignControls(QWidget& container, QRect area) {
    // Each control's alignment is read once: a container realigns at every layout request.
    std::vector<std::pair<QWidget*, TAlign>> aligned;
    for (QWidget* child : container.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isWindow() && !HiddenOnPurpose(*child)) aligned.emplace_back(child, GetAlign(*child));
    for (const TAlign align :
         {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient})
        for (const auto& [child, childAlign] : aligned) {
            if (childAlign != align) continue;
            const int w = std::min(child->width(), std::max(0, area.width()));
            const int h = std::min(child->height(), std::max(0, area.height()));
            switch (align) {
            case TAlign::alTop:
                child->setGeometry(area.left(), area.top(), area.width(), child->height());
                area.setTop(area.top() + h);
                break;
            case TAlign::alBottom:
                child->setGeometry(area.left(), area.bottom() + 1 - child->height(), area.width(),
                                   child->height());
                area.setBottom(area.bottom() - h);
                break;
            case TAlign::alLeft:
                child->setGeometry(area.left(), area.top(), child->width(), area.height());
                area.setLeft(area.left() + w);
                break;
            case TAlign::alRight:
                child->setGeometry(area.right() + 1 - child->width(), area.top(), child->width(),
                                   area.height());
                area.setRight(area.right() - w);
                break;
            case TAlign::alClient:
                child->setGeometry(area);
                break;
            case TAlign::alNone:
                break;
            }
        }
    return area;
}

void RealignParent(QWidget& control) {
    if (QWidget* parent = control.parentWidget(); parent && !control.isWindow()) {
        QEvent request(QEvent::LayoutRequest);
        QCoreApplication::sendEvent(parent, &request);
    }
}

} // namespace qv::framework

#include "skin/TsuiMenuStyle.h"

#include "skin/PaintHelpers.h"
#include "skin/SkinResources.h"
#include "skin/TsuiMenuLook.h"

#include <QPainter>
#include <QStyleOptionMenuItem>

namespace qv::skin {

namespace {

constexpr framework::TColor kSeparatorColor = 0x848284;
constexpr framework::TColor kDisabledText = 0x808080;

QImage WhiteTransparent(const QImage& picture) {
    QImage result = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y)
        for (int x = 0; x < result.width(); ++x)
            if ((result.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF) result.setPixel(x, y, 0);
    return result;
}

} // namespace

TsuiMenuStyle::TsuiMenuStyle(const TsuiMenuLook& look) : look_(look) {}

bool TsuiMenuStyle::MacOS() const {
    return look_.style == TsuiUIStyle::MacOS;
}

int TsuiMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    switch (metric) {
    case PM_MenuPanelWidth:
        return 1;
    case PM_MenuHMargin:
    case PM_MenuVMargin:
    case PM_MenuDesktopFrameWidth:
        return 0;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

QSize TsuiMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                      const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type != CT_MenuItem || !item) return QProxyStyle::sizeFromContents(type, option, size, widget);
    if (item->menuItemType == QStyleOptionMenuItem::Separator) return QSize(1, MacOS() ? 12 : 5);
    const QFontMetrics metrics(item->font);
    const QStringList parts = item->text.split(QLatin1Char('\t'));
    const int caption = metrics.horizontalAdvance(QString(parts.value(0)).remove(QLatin1Char('&')));
    const int shortcut = parts.size() > 1 ? metrics.horizontalAdvance(parts[1]) : 0;
    return QSize(caption + shortcut + kSideBarWidth + 40, std::max(metrics.height(), MacOS() ? 20 : 21));
}

void TsuiMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const {
    if (element == PE_FrameMenu) {
        painter->setPen(QPen(framework::ColorToQColor(look_.colors.frame), 0));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        return;
    }
    if (element == PE_PanelMenu) {
        painter->fillRect(option->rect, framework::ColorToQColor(look_.colors.background));
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void TsuiMenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if ((element == CE_MenuItem || element == CE_MenuEmptyArea) && item) {
        if (element == CE_MenuItem)
            DrawItem(*item, *painter);
        else
            DrawItemBackground(item->rect, item->direction, *painter);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void TsuiMenuStyle::DrawItemBackground(const QRect& rect, Qt::LayoutDirection direction,
                                       QPainter& painter) const {
    const TsuiMenuColors& colors = look_.colors;
    if (MacOS()) {
        painter.drawImage(rect, StyleResource("MACOS_MENU_BAR"));
        return;
    }
    // The side bar is at the start of the reading order: at the right in right-to-left menus.
    const QRect side =
        visualRect(direction, rect, QRect(rect.left(), rect.top(), kSideBarWidth, rect.height()));
    painter.fillRect(rect, framework::ColorToQColor(colors.background));
    if (colors.sideBarStart == colors.sideBarEnd)
        painter.fillRect(side, framework::ColorToQColor(colors.sideBarStart));
    else
        DrawGradient(painter, side, colors.sideBarStart, colors.sideBarEnd, Qt::Horizontal);
}

void TsuiMenuStyle::DrawItem(const QStyleOptionMenuItem& item, QPainter& painter) const {
    const TsuiMenuColors& colors = look_.colors;
    const QRect& rect = item.rect;
    const bool enabled = item.state & State_Enabled;
    const bool selected = enabled && (item.state & State_Selected);
    if (item.menuItemType == QStyleOptionMenuItem::Separator) {
        DrawItemBackground(rect, item.direction, painter);
        if (!MacOS())
            painter.fillRect(visualRect(item.direction, rect,
                                        QRect(rect.left() + kSideBarWidth + 4, rect.top() + 2,
                                              rect.width() - kSideBarWidth - 6, 1)),
                             framework::ColorToQColor(kSeparatorColor));
        return;
    }
    if (selected) {
        if (MacOS()) {
            painter.drawImage(rect, StyleResource("MACOS_MENU_SELECT"));
        } else {
            painter.fillRect(rect, framework::ColorToQColor(colors.selectionFill));
            painter.setPen(QPen(framework::ColorToQColor(colors.selectionFrame), 0));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(rect.adjusted(0, 0, -1, -1));
        }
    } else {
        DrawItemBackground(rect, item.direction, painter);
    }
    if (item.checked)
        painter.drawImage(rect.topLeft() + QPoint(4, 3), WhiteTransparent(StyleResource("MENU_CHECKED")));

    QFont font = item.font;
    font.setBold(item.menuItemType == QStyleOptionMenuItem::DefaultItem);
    painter.setFont(font);
    painter.setPen(framework::ColorToQColor(!enabled   ? kDisabledText
                                            : selected ? colors.selectedText
                                                       : colors.text));
    const QStringList parts = item.text.split(QLatin1Char('\t'));
    const QRect textRect = visualRect(item.direction, rect, rect.adjusted(kSideBarWidth + 4, 0, 0, 0));
    const Qt::Alignment start = visualAlignment(item.direction, Qt::AlignLeft);
    painter.drawText(textRect, start | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
                     parts.value(0));
    if (parts.size() > 1) {
        const int width = QFontMetrics(font).horizontalAdvance(parts[1]);
        painter.drawText(visualRect(item.direction, rect,
                                    QRect(rect.right() + 1 - width - 16, rect.top(), width, rect.height())),
                         start | Qt::AlignVCenter | Qt::TextSingleLine, parts[1]);
    }
}

} // namespace qv::skin

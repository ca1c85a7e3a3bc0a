#pragma once

#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace qv::skin {

struct TsuiMenuLook;

// Measures and draws the items of a skinned popup menu; Qt asks its style for both. It follows
// the menu's look as the menu changes it.
class TsuiMenuStyle : public QProxyStyle {
public:
    explicit TsuiMenuStyle(const TsuiMenuLook& look);

    static constexpr int kSideBarWidth = 26;

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;

private:
    bool MacOS() const;
    void DrawItem(const QStyleOptionMenuItem& item, QPainter& painter) const;
    void DrawItemBackground(const QRect& rect, Qt::LayoutDirection direction, QPainter& painter) const;

    const TsuiMenuLook& look_;
};

} // namespace qv::skin

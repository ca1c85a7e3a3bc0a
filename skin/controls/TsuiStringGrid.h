#pragma once

#include "framework/gui/StringGrid.h"
#include "skin/TsuiFileTheme.h"
#include "skin/TsuiThemeBinding.h"
#include "skin/controls/TsuiScrollBar.h"

#include <QPointer>

namespace qv::skin {

// The framework's string grid in skin colours with a one-pixel outline. Linked skinned scroll
// bars lie over its edges and move in step with its own scroll bars, both ways.
class TsuiStringGrid : public framework::TStringGrid {
    Q_OBJECT
    Q_PROPERTY(qv::skin::TsuiUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(qv::skin::TsuiFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)

public:
    explicit TsuiStringGrid(framework::TComponent* owner, QWidget* parent = nullptr);
    ~TsuiStringGrid() override;

    TsuiUIStyle UIStyle() const { return binding_.UIStyle(); }
    void SetUIStyle(TsuiUIStyle style);
    TsuiFileTheme* FileTheme() const { return binding_.FileTheme(); }
    void SetFileTheme(TsuiFileTheme* theme);

    // The grid's Color under the skin's name.
    framework::TColor BGColor() const { return Color(); }
    void SetBGColor(framework::TColor color) { SetColor(color); }
    framework::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(framework::TColor color);
    framework::TColor FocusedColor() const { return focusedColor_; }
    void SetFocusedColor(framework::TColor color);
    framework::TColor SelectedColor() const { return selectedColor_; }
    void SetSelectedColor(framework::TColor color);
    framework::TColor FixedFontColor() const { return fixedFontColor_; }
    void SetFixedFontColor(framework::TColor color);
    // The grid's FixedColor under the skin's name.
    framework::TColor FixedBGColor() const { return FixedColor(); }
    void SetFixedBGColor(framework::TColor color) { SetFixedColor(color); }

    TsuiScrollBar* VScrollBar() const { return vScrollBar_; }
    void SetVScrollBar(TsuiScrollBar* bar);
    TsuiScrollBar* HScrollBar() const { return hScrollBar_; }
    void SetHScrollBar(TsuiScrollBar* bar);

protected:
    void DrawCell(QPainter& painter, int col, int row, const QRect& rect,
                  framework::TGridDrawState state) override;
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void Notification(framework::TComponent* component, framework::TOperation operation) override;

private:
    void ApplyStyle();
    void LinkBar(QPointer<TsuiScrollBar>& slot, TsuiScrollBar* bar, bool vertical);
    void ReleaseBar(TsuiScrollBar& bar);
    // The grid's own scroll bars follow which skinned bars are linked.
    framework::TScrollStyle LinkedScrollStyle() const;
    // Brings the linked bars in line with the grid's own scroll bars.
    void SyncBars();
    void PlaceBars();
    void BarChanged(bool vertical);

    TsuiThemeBinding binding_;
    framework::TColor borderColor_ = framework::clBlack;
    framework::TColor focusedColor_ = framework::clLime;
    framework::TColor selectedColor_ = framework::clYellow;
    framework::TColor fixedFontColor_ = framework::clBlack;
    QPointer<TsuiScrollBar> vScrollBar_;
    QPointer<TsuiScrollBar> hScrollBar_;
    bool scrollingFromBar_ = false;
    bool syncing_ = false;
};

} // namespace qv::skin

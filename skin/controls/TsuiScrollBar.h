#pragma once

#include "framework/Component.h"
#include "framework/gui/Events.h"
#include "framework/gui/TColor.h"
#include "skin/TsuiFileTheme.h"
#include "skin/TsuiThemeBinding.h"

#include <QWidget>

namespace qv::skin {

class TsuiImageButton;
class TsuiScrollTrack;

enum class TsuiProgressBarOrientation { suiHorizontal, suiVertical };

// A skinned scroll bar: an arrow button at each end and a track with a thumb between them. The
// arrows repeat while held; pressing the track beside the thumb pages toward the mouse; the
// thumb can be dragged.
class TsuiScrollBar : public QWidget, public framework::TComponent {
    Q_OBJECT
    Q_PROPERTY(qv::skin::TsuiUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(qv::skin::TsuiFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)

public:
    explicit TsuiScrollBar(framework::TComponent* owner, QWidget* parent = nullptr);
    ~TsuiScrollBar() override;

    TsuiUIStyle UIStyle() const { return binding_.UIStyle(); }
    void SetUIStyle(TsuiUIStyle style);
    TsuiFileTheme* FileTheme() const { return binding_.FileTheme(); }
    void SetFileTheme(TsuiFileTheme* theme);

    TsuiProgressBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TsuiProgressBarOrientation orientation);
    int Min() const;
    void SetMin(int min);
    int Max() const;
    void SetMax(int max);
    // Always within Min..Max; a change moves the thumb and raises OnChange once.
    int Position() const;
    void SetPosition(int position);
    // The track's page size: what a press beside the thumb pages by, and without LineButton the
    // thumb's length in percent of the track. Only 0 to Max is accepted.
    int PageSize() const;
    void SetPageSize(int pageSize);
    int LargeChange() const { return PageSize(); }
    void SetLargeChange(int largeChange) { SetPageSize(largeChange); }
    // What an arrow moves the position by each repeat.
    int SmallChange = 1;
    // The thumb's length in pixels; 0 makes it proportional to the page. A length that doesn't
    // fit between the arrows is refused.
    int LineButton() const;
    void SetLineButton(int length);
    framework::TColor Color() const { return color_; }

    // The parts, for the grid that places the bar and for tests.
    TsuiImageButton& FirstButton() const { return *first_; }
    TsuiImageButton& SecondButton() const { return *second_; }
    TsuiScrollTrack& Track() const { return *track_; }

    framework::TNotifyEvent OnChange;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void Notification(framework::TComponent* component, framework::TOperation operation) override;

private:
    void ApplyStyle();
    void LayOut();
    bool Vertical() const { return orientation_ == TsuiProgressBarOrientation::suiVertical; }

    TsuiThemeBinding binding_;
    TsuiImageButton* first_;
    TsuiImageButton* second_;
    TsuiScrollTrack* track_;
    TsuiProgressBarOrientation orientation_ = TsuiProgressBarOrientation::suiHorizontal;
    framework::TColor color_ = 0xF5F5F5;
    // True while the bar sizes itself, so that its own resize doesn't lay it out again.
    bool layingOut_ = false;
};

} // namespace qv::skin

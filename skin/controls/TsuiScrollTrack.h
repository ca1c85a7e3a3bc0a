#pragma once

#include "framework/gui/TColor.h"

#include <QImage>
#include <QWidget>

#include <functional>

class QTimer;

namespace qv::skin {

// The track of a skinned scroll bar: a thumb picture that sits at the position's share of the
// track, moved by dragging it or by pressing beside it, which pages toward the mouse and keeps
// paging while the button is held.
class TsuiScrollTrack : public QWidget {
    Q_OBJECT

public:
    // The period of paging while the button is held beside the thumb.
    static constexpr int kPagingInterval = 100;

    explicit TsuiScrollTrack(QWidget* parent = nullptr);

    bool Vertical = true;
    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetRange(int min, int max);
    int Position() const { return position_; }
    // Clamped to Min..Max; a change moves the thumb and calls OnChange once.
    void SetPosition(int position);
    int PageSize() const { return pageSize_; }
    void SetPageSize(int pageSize);
    int LineButton() const { return lineButton_; }
    void SetLineButton(int length) {
        lineButton_ = length;
        update();
    }
    framework::TColor Color = 0xF5F5F5;

    // The three thumb parts (start cap, grip, end cap), laid out along the track, and whether
    // they are composed the skin's way.
    void SetThumbParts(const QImage& start, const QImage& grip, const QImage& end, bool skin);

    // Length of the track along its direction and of the thumb.
    int TrackLength() const;
    int ThumbLength() const;
    // Where the thumb sits along the track.
    int ThumbOffset() const;
    QRect ThumbRect() const;

    std::function<void()> OnChange;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int Along(QPoint point) const;
    // The position whose thumb would start at the offset along the track.
    int PositionAt(int offset) const;
    void PageTowardMouse(int step);
    void StopPaging();

    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int pageSize_ = 10;
    int lineButton_ = 0;
    QImage start_;
    QImage grip_;
    QImage end_;
    bool skinThumb_ = false;
    bool dragging_ = false;
    int dragOffset_ = 0;
    QTimer* paging_;
    int mouseAlong_ = 0;
};

} // namespace qv::skin

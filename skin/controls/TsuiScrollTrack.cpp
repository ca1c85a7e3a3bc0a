#include "skin/controls/TsuiScrollTrack.h"

#include "skin/controls/ScrollThumb.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace qv::skin {

namespace {

// A thumb given a length is at least this long; a page outside 10 to 100 counts as 10 percent.
constexpr int kMinimumThumb = 16;
constexpr int kMinimumPagePercent = 10;
constexpr int kMaximumPagePercent = 100;
// A horizontal track pages this many pages each tick while the button is held.
constexpr int kHorizontalPagesPerTick = 3;

} // namespace

TsuiScrollTrack::TsuiScrollTrack(QWidget* parent) : QWidget(parent), paging_(new QTimer(this)) {
    setFocusPolicy(Qt::NoFocus);
    paging_->setInterval(kPagingInterval);
    paging_->setTimerType(Qt::PreciseTimer);
    connect(paging_, &QTimer::timeout, this,
            [this] { PageTowardMouse(Vertical ? pageSize_ : kHorizontalPagesPerTick * pageSize_); });
}

void TsuiScrollTrack::SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    pageSize_ = std::clamp(pageSize_, 0, std::max(0, max_));
    SetPosition(position_);
    update();
}

void TsuiScrollTrack::SetPosition(int position) {
    position = std::clamp(position, min_, max_);
    if (position == position_) return;
    position_ = position;
    update();
    if (OnChange) OnChange();
}

void TsuiScrollTrack::SetPageSize(int pageSize) {
    if (pageSize < 0 || pageSize > max_) return;
    pageSize_ = pageSize;
    update();
}

void TsuiScrollTrack::SetThumbParts(const QImage& start, const QImage& grip, const QImage& end, bool skin) {
    start_ = start;
    grip_ = grip;
    end_ = end;
    skinThumb_ = skin;
    update();
}

int TsuiScrollTrack::TrackLength() const {
    return Vertical ? height() : width();
}

int TsuiScrollTrack::ThumbLength() const {
    if (lineButton_ > 0) return std::max(lineButton_, kMinimumThumb);
    const int percent =
        pageSize_ < kMinimumPagePercent || pageSize_ > kMaximumPagePercent ? kMinimumPagePercent : pageSize_;
    return TrackLength() * percent / 100;
}

int TsuiScrollTrack::ThumbOffset() const {
    if (max_ == min_) return 0;
    return static_cast<int>(static_cast<long long>(position_ - min_) * (TrackLength() - ThumbLength()) /
                            (max_ - min_));
}

QRect TsuiScrollTrack::ThumbRect() const {
    const int thickness = std::max({start_.width(), grip_.width(), end_.width()});
    if (Vertical) return QRect((width() - thickness) / 2, ThumbOffset(), thickness, ThumbLength());
    return QRect(ThumbOffset(), (height() - thickness) / 2, ThumbLength(), thickness);
}

void TsuiScrollTrack::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), framework::ColorToQColor(Color));
    const QImage thumb = ComposeThumb({start_, grip_, end_}, ThumbLength(), skinThumb_);
    if (thumb.isNull()) return;
    painter.drawImage(ThumbRect().topLeft(), Vertical ? thumb : TurnForHorizontal(thumb));
}

int TsuiScrollTrack::Along(QPoint point) const {
    return Vertical ? point.y() : point.x();
}

int TsuiScrollTrack::PositionAt(int offset) const {
    const int span = TrackLength() - ThumbLength();
    if (span <= 0) return min_;
    return min_ + static_cast<int>(std::lround(static_cast<double>(offset) * (max_ - min_) / span));
}

void TsuiScrollTrack::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    mouseAlong_ = Along(at);
    if (ThumbRect().contains(at)) {
        dragging_ = true;
        dragOffset_ = mouseAlong_ - ThumbOffset();
        grabMouse();
        return;
    }
    PageTowardMouse(pageSize_);
    paging_->start();
}

void TsuiScrollTrack::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    mouseAlong_ = Along(at);
    if (dragging_) {
        SetPosition(PositionAt(mouseAlong_ - dragOffset_));
        return;
    }
    if (!rect().contains(at)) StopPaging();
}

void TsuiScrollTrack::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (dragging_) {
        dragging_ = false;
        releaseMouse();
    }
    StopPaging();
}

void TsuiScrollTrack::PageTowardMouse(int step) {
    const int target = PositionAt(mouseAlong_ - ThumbLength() / 2);
    const int offset = ThumbOffset();
    if (mouseAlong_ >= offset + ThumbLength())
        SetPosition(std::min(position_ + step, target));
    else if (mouseAlong_ < offset)
        SetPosition(std::max(position_ - step, target));
}

void TsuiScrollTrack::StopPaging() {
    paging_->stop();
}

} // namespace qv::skin

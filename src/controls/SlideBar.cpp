// Slide bar geometry, keys, mouse and painting.
#include "controls/SlideBar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace vesk {
namespace {

constexpr int kMargin = 3;  // room for the focus rectangle around the track

} // namespace

TSlideBar::TSlideBar(QWidget* parent) : QWidget(parent), focusColor_(Qt::black)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    resize(100, 15);
}

void TSlideBar::SetMin(int value)
{
    if (value >= max_ || value == min_)
        return;
    min_ = value;
    RangeChanged();
}

void TSlideBar::SetMax(int value)
{
    if (value <= min_ || value == max_)
        return;
    max_ = value;
    RangeChanged();
}

void TSlideBar::RangeChanged()
{
    pageSize_ = std::max(1, (max_ - min_) / 10);
    lineSize_ = std::min(lineSize_, pageSize_);
    if (position_ < min_ || position_ > max_)
        SetPosition(std::clamp(position_, min_, max_));
    update();
}

void TSlideBar::SetPosition(int value)
{
    if (value >= min_ && value <= max_) {
        position_ = value;
        update();
    }
    if (OnChange)
        OnChange(this);
}

void TSlideBar::SetLineSize(int value)
{
    if (value >= 1 && value <= pageSize_)
        lineSize_ = value;
}

void TSlideBar::SetPageSize(int value)
{
    if (value >= lineSize_ && value <= max_ - min_)
        pageSize_ = value;
}

void TSlideBar::SetThickness(int value)
{
    if (value < 1 || value > 5)
        return;
    thickness_ = value;
    update();
}

void TSlideBar::SetTicks(bool on)
{
    ticks_ = on;
    update();
}

void TSlideBar::SetFrequency(int value)
{
    if (value < 1)
        return;
    frequency_ = value;
    update();
}

void TSlideBar::SetLabels(const QStringList& labels)
{
    labels_ = labels;
    update();
}

void TSlideBar::SetStyle(int style)
{
    style_ = style;
    update();
}

void TSlideBar::SetThumbStyle(TThumbStyle style)
{
    thumbStyle_ = style;
    update();
}

void TSlideBar::SetFocusColor(QColor color)
{
    focusColor_ = color;
    update();
}

void TSlideBar::SetHandCursor(bool on)
{
    handCursor_ = on;
    if (on)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

// ---- geometry -----------------------------------------------------------------

int TSlideBar::TrackStart() const
{
    return kMargin;
}

int TSlideBar::TrackLength() const
{
    const int along = Orientation() == soHorizontal ? width() : height();
    return std::max(1, along - 2 * kMargin);
}

int TSlideBar::ThumbLength() const
{
    const int across = Orientation() == soHorizontal ? height() : width();
    switch (thumbStyle_) {
    case tsBar:
        return 7;
    case tsSquare:
        return std::clamp(across - 2 * kMargin, 5, 11);
    case tsCircle:
        break;
    }
    return std::clamp(across - 2 * kMargin - (ticks_ ? 4 : 0), 5, 13);
}

QRect TSlideBar::ThumbRect() const
{
    const int free = std::max(0, TrackLength() - ThumbLength());
    const int offset = static_cast<int>(static_cast<long long>(position_ - min_) * free / (max_ - min_));
    const int across = Orientation() == soHorizontal ? height() : width();
    const int thumbAcross =
        thumbStyle_ == tsBar ? std::max(3, across - 2 * kMargin) : std::min(ThumbLength(), across - 2 * kMargin);
    const int crossStart = ticks_ && thumbStyle_ != tsBar ? kMargin : (across - thumbAcross) / 2;
    if (Orientation() == soHorizontal)
        return {TrackStart() + offset, crossStart, ThumbLength(), thumbAcross};
    // Max at the top: the offset counts up from the bottom of the track.
    const int top = TrackStart() + TrackLength() - ThumbLength() - offset;
    return {crossStart, top, thumbAcross, ThumbLength()};
}

int TSlideBar::AlongOf(QPoint at) const
{
    // Distance of the thumb's centre from the track's low end.
    if (Orientation() == soHorizontal)
        return at.x() - TrackStart() - ThumbLength() / 2;
    return TrackStart() + TrackLength() - ThumbLength() / 2 - at.y();
}

int TSlideBar::PositionAt(QPoint at) const
{
    const int free = std::max(1, TrackLength() - ThumbLength());
    const double value = static_cast<double>(AlongOf(at)) / free * (max_ - min_) + min_;
    return std::clamp(static_cast<int>(std::lround(value)), min_, max_);
}

// ---- input --------------------------------------------------------------------

void TSlideBar::StepBy(int delta)
{
    SetPosition(std::clamp(position_ + delta, min_, max_));
}

void TSlideBar::keyPressEvent(QKeyEvent* e)
{
    const bool vertical = Orientation() == soVertical;
    switch (e->key()) {
    case Qt::Key_PageUp:
        StepBy(-pageSize_);
        break;
    case Qt::Key_PageDown:
        StepBy(pageSize_);
        break;
    case Qt::Key_Left:
    case Qt::Key_Down:
        StepBy(-lineSize_);
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        StepBy(lineSize_);
        break;
    case Qt::Key_Home:
        SetPosition(vertical ? max_ : min_);
        break;
    case Qt::Key_End:
        SetPosition(vertical ? min_ : max_);
        break;
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
}

void TSlideBar::mousePressEvent(QMouseEvent* e)
{
    setFocus(Qt::MouseFocusReason);
    if (e->button() == Qt::LeftButton)
        dragging_ = ThumbRect().contains(e->position().toPoint());
}

void TSlideBar::mouseMoveEvent(QMouseEvent* e)
{
    if (dragging_ && (e->buttons() & Qt::LeftButton)) {
        const int value = PositionAt(e->position().toPoint());
        if (value != position_)
            SetPosition(value);
    }
}

void TSlideBar::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const QPoint at = e->position().toPoint();
    if (dragging_) {
        dragging_ = false;
        SetPosition(PositionAt(at));
        return;
    }
    // A click beside the thumb moves it one unit towards the pointer.
    const QRect thumb = ThumbRect();
    int towardsMax = 0;
    if (Orientation() == soHorizontal)
        towardsMax = at.x() > thumb.right() ? 1 : at.x() < thumb.left() ? -1 : 0;
    else
        towardsMax = at.y() < thumb.top() ? 1 : at.y() > thumb.bottom() ? -1 : 0;
    if (towardsMax != 0)
        StepBy(towardsMax);
}

void TSlideBar::focusInEvent(QFocusEvent* e)
{
    QWidget::focusInEvent(e);
    update();
}

void TSlideBar::focusOutEvent(QFocusEvent* e)
{
    QWidget::focusOutEvent(e);
    update();
}

// ---- painting -------------------------------------------------------------------

void TSlideBar::DrawTicks(QPainter& p) const
{
    const int free = std::max(1, TrackLength() - ThumbLength());
    const int across = Orientation() == soHorizontal ? height() : width();
    p.setPen(palette().color(QPalette::WindowText));
    int labelIndex = 0;
    for (long long v = min_; v <= max_; v += frequency_) {
        const int offset = static_cast<int>((v - min_) * free / (max_ - min_)) + ThumbLength() / 2;
        if (Orientation() == soHorizontal) {
            const int x = TrackStart() + offset;
            p.drawLine(x, across - kMargin - 3, x, across - kMargin);
        } else {
            const int y = TrackStart() + TrackLength() - offset;
            p.drawLine(across - kMargin - 3, y, across - kMargin, y);
        }
        if (labelIndex < labels_.size()) {
            const QString& label = labels_[labelIndex++];
            if (Orientation() == soHorizontal)
                p.drawText(QRect(TrackStart() + offset - 20, across - kMargin - 16, 40, 12), Qt::AlignCenter, label);
            else
                p.drawText(QRect(across - kMargin - 44, TrackStart() + TrackLength() - offset - 6, 40, 12),
                           Qt::AlignRight | Qt::AlignVCenter, label);
        }
    }
}

void TSlideBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    const QRect thumb = ThumbRect();
    const bool horizontal = Orientation() == soHorizontal;
    const QColor grey = pal.color(QPalette::Dark);
    const QColor white = pal.color(QPalette::Light);
    const QColor upper = style_ == 1 ? white : grey;
    const QColor lower = style_ == 1 ? grey : white;

    // The groove runs through the thumb's centre line: the upper (left) half
    // in one colour, the lower (right) half in the other.
    const int centre = horizontal ? thumb.center().y() : thumb.center().x();
    const int from = TrackStart() + ThumbLength() / 2;
    const int to = TrackStart() + TrackLength() - ThumbLength() / 2;
    for (int i = 0; i < thickness_; ++i) {
        const int at0 = centre - thickness_ + i;
        const int at1 = centre + i;
        if (horizontal) {
            p.setPen(upper);
            p.drawLine(from, at0, to, at0);
            p.setPen(lower);
            p.drawLine(from, at1, to, at1);
        } else {
            p.setPen(upper);
            p.drawLine(at0, from, at0, to);
            p.setPen(lower);
            p.drawLine(at1, from, at1, to);
        }
    }
    if (ticks_)
        DrawTicks(p);

    p.setRenderHint(QPainter::Antialiasing, thumbStyle_ == tsCircle);
    p.setPen(pal.color(QPalette::Shadow));
    p.setBrush(pal.color(QPalette::Button));
    switch (thumbStyle_) {
    case tsCircle:
        p.drawEllipse(QRectF(thumb).adjusted(0.5, 0.5, -0.5, -0.5));
        break;
    case tsBar:
    case tsSquare:
        p.drawRect(thumb.adjusted(0, 0, -1, -1));
        p.setPen(white);
        p.drawLine(thumb.topLeft() + QPoint(1, 1), thumb.topRight() + QPoint(-2, 1));
        p.drawLine(thumb.topLeft() + QPoint(1, 1), thumb.bottomLeft() + QPoint(1, -2));
        break;
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    if (hasFocus()) {
        QPen pen(focusColor_);
        pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

} // namespace vesk

// TAnimated: a small control that plays the frames of a horizontal picture strip.
#include "controls/Animated.h"

#include <QBitmap>
#include <QPainter>

namespace vesk {

TAnimated::TAnimated(QWidget* parent) : QWidget(parent)
{
    resize(30, 30);
    connect(&timer_, &QTimer::timeout, this, &TAnimated::Step);
}

void TAnimated::SetInterval(int ms)
{
    interval_ = ms;
    UpdateTimer();
}

void TAnimated::SetFrameCount(int count)
{
    frameCount_ = count < 1 ? 1 : count;
    SetFrame(frame_);
}

void TAnimated::SetFrame(int frame)
{
    const int wrapped = frame < 0 ? frameCount_ - 1 : frame % frameCount_;
    if (wrapped == frame_)
        return;
    frame_ = wrapped;
    update();
    if (OnChangeFrame)
        OnChangeFrame(this, frame_);
}

void TAnimated::SetBitMap(const QPixmap& strip)
{
    bitmap_ = strip;
    SetTransparentColor(transparent_);
    resize(width(), strip.height() > 0 ? strip.height() : 30);
    update();
}

void TAnimated::SetTransparentColor(std::optional<QColor> color)
{
    transparent_ = color;
    shown_ = bitmap_;
    if (transparent_ && !bitmap_.isNull())
        shown_.setMask(bitmap_.createMaskFromColor(*transparent_, Qt::MaskInColor));
    update();
}

void TAnimated::SetPlay(bool on)
{
    play_ = on;
    UpdateTimer();
}

void TAnimated::UpdateTimer()
{
    if (play_ && interval_ > 0)
        timer_.start(interval_);
    else
        timer_.stop();
}

void TAnimated::Step()
{
    const int last = frameCount_ - 1;
    if (!loop_ && frame_ == (reverse_ ? 0 : last)) {
        SetPlay(false);
        return;
    }
    SetFrame(reverse_ ? (frame_ == 0 ? last : frame_ - 1) : frame_ + 1);
    if (!loop_ && frame_ == (reverse_ ? 0 : last))
        SetPlay(false);
}

void TAnimated::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (bitmap_.isNull()) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    painter.fillRect(rect(), palette().window());
    painter.drawPixmap(rect(), shown_, QRect(width() * frame_, 0, width(), height()));
}

} // namespace vesk

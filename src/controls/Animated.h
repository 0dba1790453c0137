// TAnimated: a small control that plays the frames of a horizontal picture strip.
//
// Frame i is the strip's rectangle from x = width() * i, as wide and as high
// as the control. While Play is on and Interval is above 0 a timer moves
// Frame one step (backwards with Reverse). Frame numbers wrap modulo
// FrameCount, a negative number selecting the last frame; without Loop the
// play stops on reaching the last frame (the first when reversed). An empty
// picture paints the control white. A new control is 30 by 30.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

namespace vesk {

class TAnimated : public QWidget {
    Q_OBJECT
public:
    explicit TAnimated(QWidget* parent = nullptr);

    int Interval() const { return interval_; }
    void SetInterval(int ms);
    int FrameCount() const { return frameCount_; }
    // Values below 1 count as 1.
    void SetFrameCount(int count);
    int Frame() const { return frame_; }
    // Wraps as described above; fires OnChangeFrame when the frame changes.
    void SetFrame(int frame);
    const QPixmap& BitMap() const { return bitmap_; }
    // Makes the control as high as the picture (30 when it has no height).
    void SetBitMap(const QPixmap& strip);
    bool Play() const { return play_; }
    void SetPlay(bool on);
    bool Reverse() const { return reverse_; }
    void SetReverse(bool on) { reverse_ = on; }
    bool Loop() const { return loop_; }
    void SetLoop(bool on) { loop_ = on; }
    // Pixels of this colour are painted in the control's background colour.
    void SetTransparentColor(std::optional<QColor> color);

    // One step of the timer (public so the steps can be checked without time).
    void Step();

    std::function<void(TAnimated* sender, int frame)> OnChangeFrame;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void UpdateTimer();

    int interval_ = 0;
    int frameCount_ = 1;
    int frame_ = 0;
    QPixmap bitmap_;
    QPixmap shown_;  // bitmap_ with the transparent colour masked out
    bool play_ = false;
    bool reverse_ = false;
    bool loop_ = true;
    std::optional<QColor> transparent_;
    QTimer timer_;
};

} // namespace vesk

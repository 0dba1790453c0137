// TSlideBar: a focusable slider with a groove, a thumb, optional ticks and
// labels (the colour producer's red, green and blue bars).
//
// Invariants: Min < Max once either has been set; LineSize ≤ PageSize; a
// change of Min or Max sets PageSize to max(1, (Max − Min) / 10). Position
// stays within Min … Max: values outside are refused. Vertical bars put Max
// at the top. The orientation follows the shape: horizontal when the width
// is at least the height, decided again on every resize.
#pragma once

#include <QColor>
#include <QStringList>
#include <QWidget>

#include <functional>

namespace vesk {

enum TSlideOrientation { soHorizontal, soVertical };
// Circle: a round knob. Bar: a flat bar across the groove. Square: a block.
enum TThumbStyle { tsCircle, tsBar, tsSquare };

class TSlideBar : public QWidget {
    Q_OBJECT
public:
    explicit TSlideBar(QWidget* parent = nullptr);

    int Min() const { return min_; }
    void SetMin(int value);
    int Max() const { return max_; }
    void SetMax(int value);
    int Position() const { return position_; }
    // Out-of-range values leave the position as it is; OnChange fires either way.
    void SetPosition(int value);
    // Follows the shape, so it is right from the first resize on.
    TSlideOrientation Orientation() const { return width() >= height() ? soHorizontal : soVertical; }
    int LineSize() const { return lineSize_; }
    void SetLineSize(int value);    // 1 … PageSize, others ignored
    int PageSize() const { return pageSize_; }
    void SetPageSize(int value);    // LineSize … Max − Min, others ignored
    int Thickness() const { return thickness_; }
    void SetThickness(int value);   // 1 … 5, others ignored
    bool Ticks() const { return ticks_; }
    void SetTicks(bool on);
    int Frequency() const { return frequency_; }
    void SetFrequency(int value);   // ≥ 1
    const QStringList& Labels() const { return labels_; }
    void SetLabels(const QStringList& labels);
    // 0: grey over white (a sunken groove); 1: white over grey (raised).
    int Style() const { return style_; }
    void SetStyle(int style);
    TThumbStyle ThumbStyle() const { return thumbStyle_; }
    void SetThumbStyle(TThumbStyle style);
    QColor FocusColor() const { return focusColor_; }
    void SetFocusColor(QColor color);
    bool HandCursor() const { return handCursor_; }
    void SetHandCursor(bool on);

    std::function<void(QObject* sender)> OnChange;

    // Geometry along the bar, in pixels: where the track starts, how long it
    // is, the thumb's length, and the thumb's rectangle for the position.
    int TrackStart() const;
    int TrackLength() const;
    int ThumbLength() const;
    QRect ThumbRect() const;
    // The position a pointer at `at` stands for (rounded, clamped).
    int PositionAt(QPoint at) const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void RangeChanged();
    void StepBy(int delta);  // stops at Min and Max
    int AlongOf(QPoint at) const;
    void DrawTicks(class QPainter& p) const;

    int min_ = 1;
    int max_ = 10;
    int position_ = 1;
    int lineSize_ = 1;
    int pageSize_ = 10;
    int thickness_ = 1;
    bool ticks_ = true;
    int frequency_ = 1;
    QStringList labels_;
    int style_ = 0;
    TThumbStyle thumbStyle_ = tsCircle;
    QColor focusColor_;
    bool handCursor_ = true;
    bool dragging_ = false;
};

} // namespace vesk

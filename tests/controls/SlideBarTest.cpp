// The slide bar: range rules, keys, clicks beside the thumb and dragging.
#include "controls/SlideBar.h"

#include <QTest>
#include <gtest/gtest.h>

namespace vesk {
namespace {

// The colour producer's bars: vertical, 0 … 255, page 25, a bar thumb.
struct ColourBar {
    TSlideBar bar;
    std::vector<int> changes;
    ColourBar()
    {
        bar.resize(26, 139);
        bar.SetMin(0);
        bar.SetMax(255);
        bar.SetThickness(2);
        bar.SetThumbStyle(tsBar);
        bar.SetTicks(false);
        bar.SetHandCursor(false);
        bar.OnChange = [this](QObject*) { changes.push_back(bar.Position()); };
    }
    void Key(Qt::Key key) { QTest::keyClick(&bar, key); }
};

TEST(SlideBar, DefaultsAndTheRangeRules)
{
    TSlideBar bar;
    EXPECT_EQ(bar.size(), QSize(100, 15));
    EXPECT_EQ(bar.Orientation(), soHorizontal);
    EXPECT_EQ(bar.Min(), 1);
    EXPECT_EQ(bar.Max(), 10);
    EXPECT_EQ(bar.Position(), 1);
    EXPECT_EQ(bar.LineSize(), 1);
    EXPECT_EQ(bar.PageSize(), 10);
    EXPECT_EQ(bar.Thickness(), 1);
    EXPECT_TRUE(bar.Ticks());
    EXPECT_TRUE(bar.HandCursor());
    EXPECT_EQ(bar.ThumbStyle(), tsCircle);

    bar.SetMin(0);
    EXPECT_EQ(bar.PageSize(), 1);
    bar.SetMax(255);
    EXPECT_EQ(bar.PageSize(), 25);
    bar.SetMin(300);  // would pass Max: refused
    EXPECT_EQ(bar.Min(), 0);
    bar.SetPageSize(300);  // beyond Max − Min
    EXPECT_EQ(bar.PageSize(), 25);
    bar.SetLineSize(26);  // beyond PageSize
    EXPECT_EQ(bar.LineSize(), 1);
    bar.SetThickness(6);
    EXPECT_EQ(bar.Thickness(), 1);
    bar.SetThickness(5);
    EXPECT_EQ(bar.Thickness(), 5);

    bar.resize(26, 139);
    EXPECT_EQ(bar.Orientation(), soVertical);
    bar.resize(40, 40);
    EXPECT_EQ(bar.Orientation(), soHorizontal);
}

TEST(SlideBar, PositionOutsideTheRangeIsRefusedButStillReported)
{
    ColourBar c;
    c.bar.SetPosition(128);
    c.bar.SetPosition(256);
    c.bar.SetPosition(-1);
    EXPECT_EQ(c.bar.Position(), 128);
    EXPECT_EQ(c.changes, (std::vector<int>{128, 128, 128}));

    // Narrowing the range pulls the position inside it.
    c.bar.SetMax(100);
    EXPECT_EQ(c.bar.Position(), 100);
}

TEST(SlideBar, VerticalKeysPutMaxAtTheTop)
{
    ColourBar c;
    c.Key(Qt::Key_Home);
    EXPECT_EQ(c.bar.Position(), 255);
    c.Key(Qt::Key_End);
    EXPECT_EQ(c.bar.Position(), 0);
    c.bar.SetPosition(10);
    c.Key(Qt::Key_PageDown);
    EXPECT_EQ(c.bar.Position(), 35);
    c.Key(Qt::Key_PageUp);
    c.Key(Qt::Key_PageUp);
    EXPECT_EQ(c.bar.Position(), 0);  // stops at Min
    c.Key(Qt::Key_Up);
    c.Key(Qt::Key_Right);
    EXPECT_EQ(c.bar.Position(), 2);
    c.Key(Qt::Key_Down);
    EXPECT_EQ(c.bar.Position(), 1);
    c.Key(Qt::Key_Left);
    c.Key(Qt::Key_Left);
    EXPECT_EQ(c.bar.Position(), 0);
    c.bar.SetPosition(250);
    for (int i = 0; i < 3; ++i)
        c.Key(Qt::Key_PageDown);
    EXPECT_EQ(c.bar.Position(), 255);  // stops at Max

    // Max at the top: the thumb of 255 touches the top of the track.
    EXPECT_EQ(c.bar.ThumbRect().top(), c.bar.TrackStart());
    c.bar.SetPosition(0);
    EXPECT_EQ(c.bar.ThumbRect().bottom() + 1, c.bar.TrackStart() + c.bar.TrackLength());
}

TEST(SlideBar, HorizontalHomeAndEnd)
{
    TSlideBar bar;
    bar.SetPosition(5);
    QTest::keyClick(&bar, Qt::Key_Home);
    EXPECT_EQ(bar.Position(), 1);
    QTest::keyClick(&bar, Qt::Key_End);
    EXPECT_EQ(bar.Position(), 10);
}

TEST(SlideBar, ClickBesideTheThumbMovesOneUnitTowardsThePointer)
{
    ColourBar c;
    c.bar.SetPosition(100);
    const QRect thumb = c.bar.ThumbRect();
    QTest::mouseClick(&c.bar, Qt::LeftButton, {}, QPoint(13, thumb.top() - 20));
    EXPECT_EQ(c.bar.Position(), 101);
    QTest::mouseClick(&c.bar, Qt::LeftButton, {}, QPoint(13, c.bar.ThumbRect().bottom() + 20));
    EXPECT_EQ(c.bar.Position(), 100);
    QTest::mouseClick(&c.bar, Qt::LeftButton, {}, QPoint(13, c.bar.height() - 1));
    EXPECT_EQ(c.bar.Position(), 99);

    TSlideBar h;
    h.resize(120, 20);
    h.SetPosition(5);
    QTest::mouseClick(&h, Qt::LeftButton, {}, QPoint(h.width() - 2, 10));
    EXPECT_EQ(h.Position(), 6);
    QTest::mouseClick(&h, Qt::LeftButton, {}, QPoint(1, 10));
    EXPECT_EQ(h.Position(), 5);
}

TEST(SlideBar, DraggingTheThumbFollowsThePointerFromTheBottom)
{
    ColourBar c;
    c.bar.show();
    c.bar.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&c.bar));
    c.bar.clearFocus();
    c.bar.SetPosition(0);
    const QPoint grip = c.bar.ThumbRect().center();
    QTest::mousePress(&c.bar, Qt::LeftButton, {}, grip);
    EXPECT_TRUE(c.bar.hasFocus());
    QMouseEvent move(QEvent::MouseMove, QPointF(13, 0), QPointF(13, 0), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&c.bar, &move);
    EXPECT_EQ(c.bar.Position(), 255);
    // The middle of the free track is the middle of the range.
    const int middle = c.bar.TrackStart() + c.bar.TrackLength() / 2;
    QTest::mouseRelease(&c.bar, Qt::LeftButton, {}, QPoint(13, middle));
    EXPECT_NEAR(c.bar.Position(), 128, 2);
    EXPECT_EQ(c.bar.PositionAt(QPoint(13, c.bar.height() + 50)), 0);  // clamped

    // A press that misses the thumb is no drag: moving does nothing.
    c.bar.SetPosition(0);
    QTest::mousePress(&c.bar, Qt::LeftButton, {}, QPoint(13, 5));
    QMouseEvent move2(QEvent::MouseMove, QPointF(13, 20), QPointF(13, 20), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&c.bar, &move2);
    EXPECT_EQ(c.bar.Position(), 0);
    QTest::mouseRelease(&c.bar, Qt::LeftButton, {}, QPoint(13, 5));
    EXPECT_EQ(c.bar.Position(), 1);
}

} // namespace
} // namespace vesk

// The busy animation's frames: wrapping, reverse play, stopping without loop, painting a frame.
#include "controls/Animated.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace vesk;

TEST(AnimatedTest, FramesWrapAndPlayStopsWithoutLoop)
{
    struct Case { bool reverse; bool loop; int start; std::vector<int> frames; bool playing; };
    const Case cases[] = {
        {false, true, 0, {1, 2, 3, 4, 0, 1}, true},
        {true, true, 1, {0, 4, 3, 2, 1, 0}, true},
        {false, false, 2, {3, 4, 4, 4}, false},
        {true, false, 2, {1, 0, 0}, false},
    };
    for (const Case& c : cases) {
        TAnimated a;
        a.SetFrameCount(5);
        a.SetFrame(c.start);
        a.SetReverse(c.reverse);
        a.SetLoop(c.loop);
        a.SetInterval(400);
        a.SetPlay(true);
        std::vector<int> seen;
        for (size_t i = 0; i < c.frames.size(); ++i) {
            a.Step();
            seen.push_back(a.Frame());
        }
        EXPECT_EQ(seen, c.frames) << c.reverse << c.loop;
        EXPECT_EQ(a.Play(), c.playing) << c.reverse << c.loop;
    }
    TAnimated a;
    a.SetFrameCount(5);
    std::vector<int> changes;
    a.OnChangeFrame = [&](TAnimated*, int f) { changes.push_back(f); };
    a.SetFrame(-1);
    a.SetFrame(7);
    a.SetFrame(2);
    EXPECT_EQ(changes, (std::vector<int>{4, 2}));
}

TEST(AnimatedTest, PaintsTheFrameOfTheStripAndSizesToIt)
{
    TAnimated a;
    EXPECT_EQ(a.size(), QSize(30, 30));
    QPixmap strip(16 * 3, 16);
    strip.fill(Qt::red);
    {
        QPainter p(&strip);
        p.fillRect(16, 0, 16, 16, Qt::blue);
    }
    a.resize(16, 30);
    a.SetFrameCount(3);
    a.SetBitMap(strip);
    EXPECT_EQ(a.height(), 16);
    a.SetFrame(1);
    EXPECT_EQ(a.grab().toImage().pixelColor(8, 8), QColor(Qt::blue));
    a.SetFrame(2);
    EXPECT_EQ(a.grab().toImage().pixelColor(8, 8), QColor(Qt::red));
    TAnimated empty;
    EXPECT_EQ(empty.grab().toImage().pixelColor(5, 5), QColor(Qt::white));
}

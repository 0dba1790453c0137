// The shadow and transparent buttons: their look in each state and how they
// take the mouse.
#include "controls/ShadoButton.h"
#include "controls/TransparentButton.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace vesk {
namespace {

// A 10 × 10 glyph: white background (its top-left pixel) and a red 4 × 4
// square in the middle.
QImage SquareGlyph()
{
    QImage image(10, 10, QImage::Format_ARGB32);
    image.fill(Qt::white);
    for (int y = 3; y < 7; ++y)
        for (int x = 3; x < 7; ++x)
            image.setPixel(x, y, qRgb(255, 0, 0));
    return image;
}

void Enter(QWidget& w)
{
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), w.mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(&w, &e);
}

void Leave(QWidget& w)
{
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(&w, &e);
}

void MoveHeld(QWidget& w, QPoint at)
{
    QMouseEvent e(QEvent::MouseMove, at, w.mapToGlobal(at), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&w, &e);
}

struct ShadoFixture {
    TShadoButton button;
    int clicks = 0;
    QImage face;  // the last grab
    ShadoFixture()
    {
        button.resize(24, 24);
        button.SetGlyph(SquareGlyph());
        button.OnClick = [this](QObject*) { ++clicks; };
    }
    // The colour at the glyph's square corner (7+3, 7+3) moved by `offset`.
    QRgb At(QPoint offset)
    {
        face = button.grab().toImage();
        return face.pixel(QPoint(10, 10) + offset);
    }
};

TEST(ShadoButton, DefaultsAndImages)
{
    TShadoButton b;
    EXPECT_EQ(b.size(), QSize(40, 40));
    EXPECT_EQ(b.Spacing(), 2);
    EXPECT_EQ(b.TextAlign(), taCenter);
    EXPECT_TRUE(b.Transparent());
    EXPECT_FALSE(b.WordWrap());
    EXPECT_EQ(b.ShadowColor(), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(b.ShadowSpacing(), 1);

    const TShadoImages images =
        PrepareShadoImages(SquareGlyph(), QColor(Qt::gray), QColor(Qt::white), QColor(Qt::darkGray));
    EXPECT_EQ(qAlpha(images.glyph.pixel(0, 0)), 0);  // the top-left colour is background
    EXPECT_EQ(images.glyph.pixel(4, 4), qRgb(255, 0, 0));
    EXPECT_EQ(images.shadow.pixel(4, 4), QColor(Qt::gray).rgb());
    EXPECT_EQ(qAlpha(images.shadow.pixel(1, 1)), 0);
    // Embossed: the dark colour over the shape, the light one peeking out
    // one pixel right and down of it.
    EXPECT_EQ(images.disabled.pixel(3, 3), QColor(Qt::darkGray).rgb());
    EXPECT_EQ(images.disabled.pixel(7, 7), QColor(Qt::white).rgb());
    EXPECT_EQ(qAlpha(images.disabled.pixel(8, 8)), 0);
}

TEST(ShadoButton, ShadowAndGlyphMoveWithHoverAndPress)
{
    ShadoFixture f;
    const QRgb red = qRgb(255, 0, 0);
    const QRgb grey = qRgb(0x80, 0x80, 0x80);
    // Normal: glyph in place, shadow one pixel right and down.
    EXPECT_EQ(f.At({0, 0}), red);
    EXPECT_EQ(f.face.pixel(7 + 7, 7 + 7), grey);  // the shadow's corner beyond the glyph's
    EXPECT_EQ(f.button.ShadowOffset(), QPoint(1, 1));

    Enter(f.button);
    EXPECT_TRUE(f.button.MouseInside());
    EXPECT_EQ(f.button.GlyphOffset(), QPoint(-1, -1));
    EXPECT_EQ(f.button.ShadowOffset(), QPoint(2, 2));
    EXPECT_EQ(f.At({-1, -1}), red);
    EXPECT_EQ(f.face.pixel(7 + 8, 7 + 8), grey);

    QTest::mousePress(&f.button, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_TRUE(f.button.Pressed());
    EXPECT_EQ(f.button.GlyphOffset(), QPoint(1, 1));
    EXPECT_EQ(f.button.ShadowOffset(), QPoint(0, 0));  // −s, then the pressed shift
    EXPECT_EQ(f.At({1, 1}), red);

    // Dragging out releases the look, coming back presses it again.
    MoveHeld(f.button, QPoint(40, 40));
    EXPECT_FALSE(f.button.Pressed());
    EXPECT_TRUE(f.button.Held());
    MoveHeld(f.button, QPoint(12, 12));
    EXPECT_TRUE(f.button.Pressed());
    QTest::mouseRelease(&f.button, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_EQ(f.clicks, 1);
    EXPECT_FALSE(f.button.Held());

    // Released outside: no click.
    QTest::mousePress(&f.button, Qt::LeftButton, {}, QPoint(12, 12));
    QTest::mouseRelease(&f.button, Qt::LeftButton, {}, QPoint(30, 5));
    EXPECT_EQ(f.clicks, 1);

    Leave(f.button);
    EXPECT_FALSE(f.button.MouseInside());
    EXPECT_EQ(f.button.ShadowOffset(), QPoint(1, 1));
    EXPECT_EQ(f.button.GlyphOffset(), QPoint(0, 0));
    EXPECT_EQ(f.At({0, 0}), red);
}

TEST(ShadoButton, DisabledShowsTheEmbossedGlyphAndIgnoresTheMouse)
{
    ShadoFixture f;
    Enter(f.button);
    QTest::mousePress(&f.button, Qt::LeftButton, {}, QPoint(12, 12));
    f.button.setEnabled(false);
    EXPECT_FALSE(f.button.Pressed());
    EXPECT_FALSE(f.button.Held());
    EXPECT_FALSE(f.button.MouseInside());
    EXPECT_FALSE(f.button.DrawsShadow());

    const QImage face = f.button.grab().toImage();
    EXPECT_EQ(face.pixel(10, 10), f.button.palette().color(QPalette::Active, QPalette::Dark).rgb());
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x)
            ASSERT_NE(face.pixel(x, y), qRgb(255, 0, 0)) << "no live glyph pixel at " << x << "," << y;

    QTest::mouseClick(&f.button, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_EQ(f.clicks, 0);
    EXPECT_FALSE(f.button.Held());
}

TEST(ShadoButton, NoShadowWithSpacingZero)
{
    ShadoFixture f;
    f.button.SetShadowSpacing(0);
    Enter(f.button);
    EXPECT_FALSE(f.button.DrawsShadow());
    EXPECT_EQ(f.button.GlyphOffset(), QPoint(0, 0));
    const QImage face = f.button.grab().toImage();
    EXPECT_EQ(face.pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_NE(face.pixel(14, 14), qRgb(0x80, 0x80, 0x80));
}

TEST(ShadoButton, APopUpMenuOpensOnPressAndEndsThePress)
{
    ShadoFixture f;
    QMenu menu;
    menu.addAction(QStringLiteral("One"));
    f.button.SetPopUpMenu(&menu);
    bool shown = false;
    QObject::connect(&menu, &QMenu::aboutToShow, [&]() {
        shown = true;
        QTimer::singleShot(0, &menu, &QMenu::close);
    });
    QTest::mousePress(&f.button, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_TRUE(shown);
    EXPECT_FALSE(f.button.Held());
    EXPECT_FALSE(f.button.Pressed());
    EXPECT_EQ(f.clicks, 0);
}

TEST(GlyphButton, CaptionPlacementFollowsTextAlign)
{
    const QFont font;
    const QSize glyph(10, 10);
    const TGlyphLayout centred = LayoutGlyphAndCaption({40, 40}, glyph, {}, font, 2, taCenter, false);
    EXPECT_EQ(centred.glyph, QRect(15, 15, 10, 10));
    EXPECT_TRUE(centred.caption.isEmpty());
    const TGlyphLayout corner = LayoutGlyphAndCaption({40, 40}, glyph, {}, font, 2, taBottomRight, false);
    EXPECT_EQ(corner.glyph, QRect(30, 30, 10, 10));
    const TGlyphLayout both = LayoutGlyphAndCaption({60, 60}, glyph, QStringLiteral("Go"), font, 3, taTopLeft, false);
    EXPECT_EQ(both.glyph.top(), 0);
    EXPECT_EQ(both.caption.top(), 13);  // below the glyph, Spacing apart

    TShadoButton b;
    b.SetTextAlign(9);
    EXPECT_EQ(b.TextAlign(), taCenter);
    b.SetHint(QStringLiteral("Open File"));
    EXPECT_EQ(b.toolTip(), "Open File");
    b.SetShowHint(false);
    EXPECT_TRUE(b.toolTip().isEmpty());
}

TEST(GlyphButton, MnemonicOfTheCaptionClicks)
{
    QWidget window;
    auto* b = new TShadoButton(&window);
    b->SetCaption(QStringLiteral("&Go"));
    int clicks = 0;
    b->OnClick = [&](QObject*) { ++clicks; };
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
    b->setEnabled(false);
    QTest::keyClick(&window, Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
}

TEST(TransparentButton, ImagesFramesAndClicks)
{
    TTransparentButton b;
    b.resize(21, 21);
    EXPECT_TRUE(b.AutoGray());
    EXPECT_EQ(b.BorderWidth(), 1);
    EXPECT_EQ(b.FrameStyle(), fsExplorer);
    EXPECT_EQ(b.NumGlyphs(), 1);
    EXPECT_TRUE(b.ShowPressed());
    int clicks = 0;
    b.OnClick = [&](QObject*) { ++clicks; };

    // Up, disabled and down images side by side.
    QImage strip(30, 10, QImage::Format_ARGB32);
    strip.fill(Qt::white);
    const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
    for (int i = 0; i < 3; ++i)
        for (int y = 3; y < 7; ++y)
            for (int x = 3; x < 7; ++x)
                strip.setPixel(i * 10 + x, y, colours[i]);
    b.SetGlyph(strip);
    b.SetNumGlyphs(3);
    EXPECT_EQ(b.CurrentImage().pixel(4, 4), colours[0]);
    EXPECT_EQ(b.CurrentFrame(), TTransparentButton::flNone);
    Enter(b);
    EXPECT_EQ(b.CurrentFrame(), TTransparentButton::flRaised);
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(b.CurrentImage().pixel(4, 4), colours[2]);
    EXPECT_EQ(b.CurrentFrame(), TTransparentButton::flSunken);
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks, 1);
    b.SetDown(true);
    Leave(b);
    EXPECT_EQ(b.CurrentFrame(), TTransparentButton::flSunken);
    b.SetDown(false);
    b.SetFrameStyle(fsNone);
    Enter(b);
    EXPECT_EQ(b.CurrentFrame(), TTransparentButton::flNone);

    b.setEnabled(false);
    EXPECT_EQ(b.CurrentImage().pixel(4, 4), colours[1]);
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks, 1);

    // One image: AutoGray makes the disabled look, without it the glyph stays.
    b.SetNumGlyphs(1);
    b.SetGlyph(SquareGlyph());
    const QRgb grey = b.CurrentImage().pixel(4, 4);
    EXPECT_EQ(qRed(grey), qGreen(grey));
    EXPECT_EQ(qGreen(grey), qBlue(grey));
    b.SetAutoGray(false);
    EXPECT_EQ(b.CurrentImage().pixel(4, 4), qRgb(255, 0, 0));
}

} // namespace
} // namespace vesk

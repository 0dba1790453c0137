// TShadoButton: the main tool bar's button — a glyph with a drop shadow that
// lifts when the pointer is over it and sinks when it is pressed.
//
// Drawing, with s = ShadowSpacing (everything one pixel right and down while
// pressed):
//   normal   shadow at +s,+s    glyph at 0,0
//   hover    shadow at +2s,+2s  glyph at -s,-s
//   pressed  shadow at -s,-s    glyph at 0,0
//   disabled no shadow          embossed disabled image at 0,0
// With ShadowSpacing 0 only the glyph (or disabled image) is drawn.
#pragma once

#include "controls/GlyphButton.h"

namespace vesk {

// The three images a shadow button draws, prepared once per glyph. The
// glyph's transparent colour is its top-left pixel; fully transparent pixels
// of an image with alpha are background as well.
struct TShadoImages {
    QImage glyph;     // the glyph, background made transparent
    QImage shadow;    // every non-background pixel in the shadow colour
    QImage disabled;  // embossed: highlight one pixel right and down, shadow colour on top
};
TShadoImages PrepareShadoImages(const QImage& glyph, QColor shadowColor, QColor highlight, QColor darkShadow);

class TShadoButton : public TGlyphButton {
    Q_OBJECT
public:
    explicit TShadoButton(QWidget* parent = nullptr);

    QColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(QColor color);
    int ShadowSpacing() const { return shadowSpacing_; }
    void SetShadowSpacing(int spacing);
    const TShadoImages& Images() const { return images_; }

    // Offsets the current state draws the shadow and the glyph at (the
    // pressed shift included); the shadow offset is meaningless when none is drawn.
    QPoint ShadowOffset() const;
    QPoint GlyphOffset() const;
    bool DrawsShadow() const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void GlyphChanged() override;

private:
    QColor shadowColor_;
    int shadowSpacing_ = 1;
    TShadoImages images_;
};

} // namespace vesk

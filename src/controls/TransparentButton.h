// TTransparentButton: a flat glyph button drawn over its parent's background,
// with a frame that shows hover, press and the Down state (the clipper bar's
// buttons).
#pragma once

#include "controls/GlyphButton.h"

namespace vesk {

// Frame styles. Explorer: no frame at rest, raised under the pointer, sunken
// when pressed or down. None: never a frame. Single: a one-colour outline
// that darkens under the pointer. Raised / Sunken: always that bevel, flipped
// while pressed. Button: a double bevel like a push button. Etched: a groove.
enum TFrameStyle { fsExplorer, fsNone, fsSingle, fsRaised, fsSunken, fsButton, fsEtched };

class TTransparentButton : public TGlyphButton {
    Q_OBJECT
public:
    explicit TTransparentButton(QWidget* parent = nullptr);

    bool AutoGray() const { return autoGray_; }
    void SetAutoGray(bool on);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width);
    bool Down() const { return down_; }
    void SetDown(bool down);
    TFrameStyle FrameStyle() const { return frameStyle_; }
    void SetFrameStyle(TFrameStyle style);
    // Images side by side in the glyph: up, disabled, down, … (1 … 4).
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int count);
    bool ShowPressed() const { return showPressed_; }
    void SetShowPressed(bool on);

    // The image the current state shows (null when there is no glyph).
    QImage CurrentImage() const;
    // Whether the frame is drawn raised, sunken, or not at all now.
    enum TFrameLook { flNone, flRaised, flSunken, flFlat };
    TFrameLook CurrentFrame() const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QImage Part(int index) const;
    bool LooksPressed() const;

    bool autoGray_ = true;
    int borderWidth_ = 1;
    bool down_ = false;
    TFrameStyle frameStyle_ = fsExplorer;
    int numGlyphs_ = 1;
    bool showPressed_ = true;
};

// A grey copy of `image` for a disabled button: luminance lightened, alpha kept.
QImage GrayedImage(const QImage& image);

} // namespace vesk

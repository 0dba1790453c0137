// Transparent button images and frame.
#include "controls/TransparentButton.h"

#include <QPainter>
#include <QPalette>

namespace vesk {

QImage GrayedImage(const QImage& image)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = out.isNull() ? 0 : out.pixel(0, 0);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if (line[x] == transparent) {
                line[x] = qRgba(0, 0, 0, 0);
                continue;
            }
            // Lighten towards the face colour so the glyph reads as unavailable.
            const int gray = 128 + qGray(line[x]) / 2;
            line[x] = qRgba(gray, gray, gray, qAlpha(line[x]));
        }
    }
    return out;
}

TTransparentButton::TTransparentButton(QWidget* parent) : TGlyphButton(parent) {}

void TTransparentButton::SetAutoGray(bool on)
{
    autoGray_ = on;
    update();
}

void TTransparentButton::SetBorderWidth(int width)
{
    borderWidth_ = std::max(0, width);
    update();
}

void TTransparentButton::SetDown(bool down)
{
    down_ = down;
    update();
}

void TTransparentButton::SetFrameStyle(TFrameStyle style)
{
    frameStyle_ = style;
    update();
}

void TTransparentButton::SetNumGlyphs(int count)
{
    if (count < 1 || count > 4)
        return;
    numGlyphs_ = count;
    update();
}

void TTransparentButton::SetShowPressed(bool on)
{
    showPressed_ = on;
    update();
}

QImage TTransparentButton::Part(int index) const
{
    const QImage& all = Glyph();
    if (all.isNull() || index >= numGlyphs_)
        return {};
    const int w = all.width() / numGlyphs_;
    QImage part = all.copy(index * w, 0, w, all.height()).convertToFormat(QImage::Format_ARGB32);
    // The top-left pixel names the transparent colour, as for the shadow button.
    const QRgb transparent = part.pixel(0, 0);
    for (int y = 0; y < part.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(part.scanLine(y));
        for (int x = 0; x < part.width(); ++x)
            if (line[x] == transparent)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return part;
}

bool TTransparentButton::LooksPressed() const
{
    return (Pressed() && showPressed_) || down_;
}

QImage TTransparentButton::CurrentImage() const
{
    if (!isEnabled()) {
        if (numGlyphs_ >= 2)
            return Part(1);
        return autoGray_ ? GrayedImage(Part(0)) : Part(0);
    }
    if (LooksPressed() && numGlyphs_ >= 3)
        return Part(2);
    return Part(0);
}

TTransparentButton::TFrameLook TTransparentButton::CurrentFrame() const
{
    const bool active = isEnabled() && (MouseInside() || Held());
    switch (frameStyle_) {
    case fsNone:
        return flNone;
    case fsExplorer:
        if (LooksPressed())
            return flSunken;
        return active ? flRaised : flNone;
    case fsSingle:
        return flFlat;
    case fsRaised:
    case fsButton:
        return LooksPressed() ? flSunken : flRaised;
    case fsSunken:
        return LooksPressed() ? flRaised : flSunken;
    case fsEtched:
        return flSunken;
    }
    return flNone;
}

void TTransparentButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    if (!Transparent())
        p.fillRect(rect(), pal.color(QPalette::Button));

    const QImage image = CurrentImage();
    const TGlyphLayout layout = Layout(image.size());
    const QPoint shift = LooksPressed() ? QPoint(1, 1) : QPoint(0, 0);
    if (!image.isNull())
        p.drawImage(layout.glyph.topLeft() + shift, image);
    if (!layout.caption.isEmpty()) {
        p.setPen(isEnabled() ? pal.color(QPalette::ButtonText) : pal.color(QPalette::Dark));
        p.drawText(layout.caption.translated(shift),
                   Qt::AlignCenter | Qt::TextShowMnemonic | (WordWrap() ? Qt::TextWordWrap : 0), Caption());
    }

    const TFrameLook look = CurrentFrame();
    if (look == flNone || borderWidth_ == 0)
        return;
    const int w = borderWidth_;
    const QRect r = rect().adjusted(w / 2, w / 2, -(w + 1) / 2, -(w + 1) / 2);
    auto bevel = [&](QRect box, QColor topLeft, QColor bottomRight) {
        p.setPen(QPen(topLeft, w));
        p.drawLine(box.topLeft(), box.topRight());
        p.drawLine(box.topLeft(), box.bottomLeft());
        p.setPen(QPen(bottomRight, w));
        p.drawLine(box.bottomLeft(), box.bottomRight());
        p.drawLine(box.topRight(), box.bottomRight());
    };
    const QColor light = pal.color(QPalette::Light);
    const QColor dark = pal.color(QPalette::Dark);
    if (look == flFlat) {
        p.setPen(QPen(MouseInside() ? pal.color(QPalette::Shadow) : dark, w));
        p.drawRect(r);
    } else if (frameStyle_ == fsEtched) {
        bevel(r, dark, light);
        bevel(r.adjusted(w, w, -w, -w), light, dark);
    } else {
        const bool raised = look == flRaised;
        bevel(r, raised ? light : dark, raised ? dark : light);
        if (frameStyle_ == fsButton)
            bevel(r.adjusted(w, w, -w, -w), raised ? pal.color(QPalette::Midlight) : pal.color(QPalette::Shadow),
                  raised ? pal.color(QPalette::Shadow) : pal.color(QPalette::Midlight));
    }
}

} // namespace vesk

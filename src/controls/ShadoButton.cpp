// Shadow button images and painting.
#include "controls/ShadoButton.h"

#include <QPainter>
#include <QPalette>

namespace vesk {
namespace {

bool IsBackground(QRgb pixel, QRgb transparent)
{
    return pixel == transparent || qAlpha(pixel) == 0;
}

// A one-colour copy of `mask`'s opaque pixels, keeping their alpha so
// antialiased edges stay soft.
QImage Silhouette(const QImage& mask, QColor color)
{
    QImage out(mask.size(), QImage::Format_ARGB32);
    for (int y = 0; y < mask.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < mask.width(); ++x)
            dst[x] = qRgba(color.red(), color.green(), color.blue(), qAlpha(src[x]));
    }
    return out;
}

} // namespace

TShadoImages PrepareShadoImages(const QImage& source, QColor shadowColor, QColor highlight, QColor darkShadow)
{
    TShadoImages images;
    if (source.isNull())
        return images;
    QImage glyph = source.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = glyph.pixel(0, 0);
    QImage disabledMask(glyph.size(), QImage::Format_ARGB32);
    for (int y = 0; y < glyph.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(glyph.scanLine(y));
        auto* mask = reinterpret_cast<QRgb*>(disabledMask.scanLine(y));
        for (int x = 0; x < glyph.width(); ++x) {
            if (IsBackground(line[x], transparent))
                line[x] = qRgba(0, 0, 0, 0);
            // White and faint pixels drop out of the disabled look, the rest turn black.
            const bool white = qRed(line[x]) > 247 && qGreen(line[x]) > 247 && qBlue(line[x]) > 247;
            mask[x] = (qAlpha(line[x]) < 128 || white) ? qRgba(0, 0, 0, 0) : qRgba(0, 0, 0, 255);
        }
    }
    images.glyph = glyph;
    images.shadow = Silhouette(glyph, shadowColor);

    images.disabled = QImage(glyph.size(), QImage::Format_ARGB32);
    images.disabled.fill(Qt::transparent);
    QPainter p(&images.disabled);
    p.drawImage(1, 1, Silhouette(disabledMask, highlight));
    p.drawImage(0, 0, Silhouette(disabledMask, darkShadow));
    return images;
}

TShadoButton::TShadoButton(QWidget* parent) : TGlyphButton(parent), shadowColor_(0x80, 0x80, 0x80) {}

void TShadoButton::SetShadowColor(QColor color)
{
    shadowColor_ = color;
    GlyphChanged();
    update();
}

void TShadoButton::SetShadowSpacing(int spacing)
{
    shadowSpacing_ = spacing;
    update();
}

void TShadoButton::GlyphChanged()
{
    const QPalette& pal = palette();
    images_ = PrepareShadoImages(Glyph(), shadowColor_, pal.color(QPalette::Light), pal.color(QPalette::Dark));
}

bool TShadoButton::DrawsShadow() const
{
    return isEnabled() && shadowSpacing_ != 0;
}

QPoint TShadoButton::ShadowOffset() const
{
    const int s = shadowSpacing_;
    if (Pressed())
        return {-s + 1, -s + 1};
    if (MouseInside())
        return {2 * s, 2 * s};
    return {s, s};
}

QPoint TShadoButton::GlyphOffset() const
{
    if (!isEnabled())
        return {0, 0};
    if (Pressed())
        return {1, 1};
    if (MouseInside() && shadowSpacing_ != 0)
        return {-shadowSpacing_, -shadowSpacing_};
    return {0, 0};
}

void TShadoButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    if (!Transparent())
        p.fillRect(rect(), pal.color(QPalette::Button));
    const TGlyphLayout layout = Layout(images_.glyph.size());
    const QPoint glyphAt = GlyphOffset();
    if (!images_.glyph.isNull()) {
        if (!isEnabled()) {
            p.drawImage(layout.glyph.topLeft(), images_.disabled);
        } else {
            if (DrawsShadow())
                p.drawImage(layout.glyph.topLeft() + ShadowOffset(), images_.shadow);
            p.drawImage(layout.glyph.topLeft() + glyphAt, images_.glyph);
        }
    }
    if (!layout.caption.isEmpty()) {
        const int flags = Qt::AlignCenter | Qt::TextShowMnemonic | (WordWrap() ? Qt::TextWordWrap : 0);
        if (!isEnabled()) {
            // Etched: highlight, then the shadow colour one pixel up and left.
            p.setPen(pal.color(QPalette::Light));
            p.drawText(layout.caption, flags, Caption());
            p.setPen(pal.color(QPalette::Dark));
            p.drawText(layout.caption.translated(-1, -1), flags, Caption());
        } else {
            if (DrawsShadow()) {
                p.setPen(shadowColor_);
                p.drawText(layout.caption.translated(ShadowOffset()), flags, Caption());
            }
            p.setPen(pal.color(QPalette::ButtonText));
            p.drawText(layout.caption.translated(glyphAt), flags, Caption());
        }
    }
}

} // namespace vesk

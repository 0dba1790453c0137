// Caption and glyph placement, the hover/held/pressed state machine and the
// mnemonic of the tool-bar buttons.
#include "controls/GlyphButton.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QShortcut>

namespace vesk {

TGlyphLayout LayoutGlyphAndCaption(QSize size, QSize glyphSize, const QString& caption, const QFont& font,
                                   int spacing, int align, bool wordWrap)
{
    const QFontMetrics metrics(font);
    QSize textSize;
    if (!caption.isEmpty()) {
        const int flags = Qt::TextShowMnemonic | (wordWrap ? Qt::TextWordWrap : 0);
        textSize = metrics.boundingRect(QRect(0, 0, std::max(1, size.width()), 10000), flags, caption).size();
    }
    const bool hasGlyph = !glyphSize.isEmpty();
    const bool hasText = !textSize.isEmpty();
    const int gap = hasGlyph && hasText ? spacing : 0;
    const int blockW = std::max(hasGlyph ? glyphSize.width() : 0, hasText ? textSize.width() : 0);
    const int blockH = (hasGlyph ? glyphSize.height() : 0) + gap + (hasText ? textSize.height() : 0);

    // Column 0 = left, 1 = centre, 2 = right; row likewise top to bottom.
    static const int kColumn[] = {0, 1, 2, 0, 2, 0, 1, 2, 1};
    static const int kRow[] = {0, 0, 0, 1, 1, 2, 2, 2, 1};
    const int a = align >= 0 && align <= taCenter ? align : taCenter;
    const int x = kColumn[a] == 0 ? 0 : kColumn[a] == 1 ? (size.width() - blockW) / 2 : size.width() - blockW;
    const int y = kRow[a] == 0 ? 0 : kRow[a] == 1 ? (size.height() - blockH) / 2 : size.height() - blockH;

    TGlyphLayout layout;
    int top = y;
    if (hasGlyph) {
        const int gx = x + (blockW - glyphSize.width()) / 2;
        layout.glyph = QRect(QPoint(gx, top), glyphSize);
        top += glyphSize.height() + gap;
    }
    if (hasText)
        layout.caption = QRect(x + (blockW - textSize.width()) / 2, top, textSize.width(), textSize.height());
    return layout;
}

TGlyphButton::TGlyphButton(QWidget* parent) : QWidget(parent)
{
    resize(40, 40);
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
}

TGlyphButton::~TGlyphButton() = default;

void TGlyphButton::SetCaption(const QString& caption)
{
    caption_ = caption;
    // An "&x" in the caption makes Alt+x (and x itself in the window) click it.
    const QKeySequence key = QKeySequence::mnemonic(caption);
    delete mnemonic_;
    mnemonic_ = nullptr;
    if (!key.isEmpty()) {
        mnemonic_ = new QShortcut(key, this);
        mnemonic_->setContext(Qt::WindowShortcut);
        QObject::connect(mnemonic_, &QShortcut::activated, this, [this]() {
            if (isEnabled() && isVisible())
                Click();
        });
    }
    update();
}

void TGlyphButton::SetGlyph(const QImage& glyph)
{
    glyph_ = glyph;
    GlyphChanged();
    update();
}

void TGlyphButton::SetSpacing(int spacing)
{
    spacing_ = spacing;
    update();
}

void TGlyphButton::SetTextAlign(int align)
{
    if (align < 0 || align > taCenter)
        return;
    textAlign_ = align;
    update();
}

void TGlyphButton::SetTransparent(bool on)
{
    transparent_ = on;
    update();
}

void TGlyphButton::SetWordWrap(bool on)
{
    wordWrap_ = on;
    update();
}

void TGlyphButton::SetHint(const QString& hint)
{
    hint_ = hint;
    setToolTip(showHint_ ? hint_ : QString());
}

void TGlyphButton::SetShowHint(bool on)
{
    showHint_ = on;
    setToolTip(showHint_ ? hint_ : QString());
}

void TGlyphButton::Click()
{
    if (OnClick)
        OnClick(this);
}

TGlyphLayout TGlyphButton::Layout(QSize glyphSize) const
{
    return LayoutGlyphAndCaption(size(), glyphSize, caption_, font(), spacing_, textAlign_, wordWrap_);
}

void TGlyphButton::enterEvent(QEnterEvent* e)
{
    QWidget::enterEvent(e);
    hover_ = true;
    if (held_)
        pressed_ = true;
    update();
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TGlyphButton::leaveEvent(QEvent* e)
{
    QWidget::leaveEvent(e);
    hover_ = false;
    pressed_ = false;
    update();
    if (OnMouseExit)
        OnMouseExit(this);
}

void TGlyphButton::mousePressEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    if (OnMouseDown)
        OnMouseDown(this, e->button(), e->modifiers(), at.x(), at.y());
    if (!isEnabled() || e->button() != Qt::LeftButton)
        return;
    held_ = true;
    pressed_ = rect().contains(at);
    update();
    if (popUpMenu_) {
        // The menu opens under the button; when it closes the press is over.
        popUpMenu_->exec(mapToGlobal(rect().bottomLeft()));
        Release(false);
    }
}

void TGlyphButton::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    if (held_) {
        const bool inside = rect().contains(at);
        if (inside != pressed_) {
            pressed_ = inside;
            update();
        }
    }
    if (OnMouseMove)
        OnMouseMove(this, e->modifiers(), at.x(), at.y());
}

void TGlyphButton::mouseReleaseEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    const bool wasHeld = held_ && e->button() == Qt::LeftButton;
    if (wasHeld)
        Release(rect().contains(at));
    if (OnMouseUp)
        OnMouseUp(this, e->button(), e->modifiers(), at.x(), at.y());
}

void TGlyphButton::Release(bool reportClick)
{
    held_ = false;
    pressed_ = false;
    update();
    if (reportClick && isEnabled())
        Click();
}

void TGlyphButton::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::EnabledChange && !isEnabled())
        ClearStates();
    if (e->type() == QEvent::PaletteChange)
        GlyphChanged();  // the disabled look is made from the palette's colours
    if (e->type() == QEvent::EnabledChange || e->type() == QEvent::FontChange || e->type() == QEvent::PaletteChange)
        update();
}

void TGlyphButton::ClearStates()
{
    hover_ = false;
    held_ = false;
    pressed_ = false;
}

} // namespace vesk

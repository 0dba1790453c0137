// TGlyphButton: what the tool-bar buttons share — caption, glyph, placement,
// hint, pop-up menu, the six mouse events and the hover/held/pressed states.
//
// A button is "held" from an enabled press until the release, and "pressed"
// while held with the pointer inside. A click is reported only when the
// release happens inside. Disabling the button clears every state, so a
// button re-enabled later never comes back looking pressed.
#pragma once

#include <QColor>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QShortcut;

namespace vesk {

// Where glyph and caption sit inside the button: 0 … 7 walk the edges and
// corners, 8 centres both ways.
enum TTextAlign {
    taTopLeft = 0,
    taTopCenter = 1,
    taTopRight = 2,
    taCenterLeft = 3,
    taCenterRight = 4,
    taBottomLeft = 5,
    taBottomCenter = 6,
    taBottomRight = 7,
    taCenter = 8,
};

using TNotifyEvent = std::function<void(QObject* sender)>;
using TMouseEvent = std::function<void(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                                       int x, int y)>;
using TMouseMoveEvent = std::function<void(QObject* sender, Qt::KeyboardModifiers shift, int x, int y)>;

// Where the glyph and the caption go in a button of `size`: the glyph above
// the caption, `spacing` pixels apart, the pair placed by `align`.
struct TGlyphLayout {
    QRect glyph;    // empty when there is no glyph
    QRect caption;  // empty when there is no caption
};
TGlyphLayout LayoutGlyphAndCaption(QSize size, QSize glyphSize, const QString& caption, const QFont& font,
                                   int spacing, int align, bool wordWrap);

class TGlyphButton : public QWidget {
    Q_OBJECT
public:
    explicit TGlyphButton(QWidget* parent = nullptr);
    ~TGlyphButton() override;

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    const QImage& Glyph() const { return glyph_; }
    virtual void SetGlyph(const QImage& glyph);
    int Spacing() const { return spacing_; }
    void SetSpacing(int spacing);
    // 0 … 8 (taCenter); other values are ignored.
    int TextAlign() const { return textAlign_; }
    void SetTextAlign(int align);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);
    QMenu* PopUpMenu() const { return popUpMenu_; }
    void SetPopUpMenu(QMenu* menu) { popUpMenu_ = menu; }
    // The hint is the tool tip; ShowHint off keeps it from showing.
    QString Hint() const { return hint_; }
    void SetHint(const QString& hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool on);

    bool MouseInside() const { return hover_; }
    bool Held() const { return held_; }
    bool Pressed() const { return pressed_; }

    // Reports OnClick as a release inside would.
    void Click();

    TNotifyEvent OnClick, OnMouseEnter, OnMouseExit;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;

protected:
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;
    // Called when the glyph changed, so subclasses can prepare their images.
    virtual void GlyphChanged() {}
    TGlyphLayout Layout(QSize glyphSize) const;

private:
    void ClearStates();
    void Release(bool reportClick);

    QString caption_;
    QImage glyph_;
    int spacing_ = 2;
    int textAlign_ = taCenter;
    bool transparent_ = true;
    bool wordWrap_ = false;
    QPointer<QMenu> popUpMenu_;
    QString hint_;
    bool showHint_ = true;
    QShortcut* mnemonic_ = nullptr;
    bool hover_ = false;
    bool held_ = false;
    bool pressed_ = false;
};

} // namespace vesk

// TVeskMemo: the editor control as a Qt widget, and TVeskMemoFile, the
// document editor that also knows its file name.
//
// The widget is thin: it paints the core's display lines, keeps the caret
// visible, formats in the background, and turns keys, input-method text and
// mouse actions into the core's commands.
#pragma once

#include "editor/TextLayout.h"
#include "editor/VeskMemoCore.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QPen>
#include <QTimer>

#include <memory>

class QMimeData;

namespace vesk {

enum class TVeskAlignment { Left, Right, Center };
enum class TVeskUpdateMode { umImmediate, umOnNeed, umBackground };
enum class TVeskScrollBars { None, Horizontal, Vertical, Both };

class TVeskMemo : public QAbstractScrollArea, public TVeskMemoCore {
    Q_OBJECT
public:
    explicit TVeskMemo(QWidget* parent = nullptr);
    ~TVeskMemo() override;

    // ---- appearance --------------------------------------------------------
    QFont Font() const { return QAbstractScrollArea::font(); }
    void SetFont(const QFont& f);
    QFont AltFont() const { return altFont_; }
    void SetAltFont(const QFont& f);
    int LeftMargin() const { return leftMargin_; }
    int RightMargin() const { return rightMargin_; }
    void SetMargins(int left, int right);
    // ≤ 0: automatic (the main font's height + 1).
    void SetLineHeight(int pixels);
    int LineHeightPixels() const { return measurer_ ? measurer_->LineHeight() : 16; }
    TVeskAlignment Alignment() const { return alignment_; }
    void SetAlignment(TVeskAlignment a);
    bool Justified() const { return justified_; }
    void SetJustified(bool on);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool on);
    bool ShowEndParSelected() const { return showEndParSelected_; }
    void SetShowEndParSelected(bool on);
    int CaretWidth() const { return caretWidth_; }
    void SetCaretWidth(int w);
    QColor HighlightColor() const { return highlightColor_; }
    void SetHighlightColor(const QColor& c);
    QColor HighlightBackgnd() const { return highlightBackgnd_; }
    void SetHighlightBackgnd(const QColor& c);
    // A pen whose colour is invalid (or style NoPen) draws no end-of-text mark.
    QPen EndOfTextMark() const { return endOfTextMark_; }
    void SetEndOfTextMark(const QPen& pen);
    TVeskScrollBars ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TVeskScrollBars s);
    TVeskUpdateMode UpdateMode() const { return updateMode_; }
    void SetUpdateMode(TVeskUpdateMode m) { updateMode_ = m; }
    void SetWordWrap(bool on);

    // ---- view ---------------------------------------------------------------
    // Scrolls so that the caret is visible.
    void ScrollInView();
    void SetTopLine(std::int32_t line) override;
    // The caret's top-left in viewport coordinates.
    QPoint CaretPosition() const;
    // The selection's rectangle in viewport coordinates, one line high at the
    // caret when nothing is selected; a selection over several display lines
    // gives the band of those lines across the view.
    QRect SelectionRect() const;
    // The offset of the character under a viewport point (nearest boundary).
    std::int32_t OffsetAt(const QPoint& p);

    // ---- printing -------------------------------------------------------------
    // Re-wraps every paragraph for `device` and `width` pixels (the printer's
    // fonts and page); RestoreScreenLayout() brings the screen layout back.
    void FormatFor(QPaintDevice* device, int width);
    void RestoreScreenLayout();
    // Paints display lines first … last onto `painter`, one every `pitch`
    // device pixels from `origin` (no selection, no background).
    void PaintTo(std::int32_t first, std::int32_t last, double pitch, QPointF origin, QPainter& painter);

signals:
    // LineCount() changed, for whatever reason (an edit, a load, wrapping, a
    // new width, background formatting); sent once per turn of the event
    // loop however often the count moved in it.
    void lineCountChanged();
    // The numbering of display lines first … last (last −1: to the end)
    // may have changed: a line count changed above or at them. The gutter
    // repaints those rows.
    void linesChanged(int first, int last);

protected:
    // QAbstractScrollArea
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool next) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

    // TVeskMemoCore
    int VisibleLineCount() const override;
    void ScrollHorizontally(int how) override;
    void TextChangedAt(std::int32_t firstParagraph) override;
    void SelectionChanged() override;
    void TextLoaded() override;
    void UpdateUnlocked() override;
    void LineCountChanged() override;

private:
    // ---- text exchanged with other programs (MemoExchange.cpp) --------------
    // Fills the core's clipboard hooks: the system clipboard, LF outside.
    void InstallClipboardHooks();
    // Offers the selection as the primary selection (where the platform has
    // one) once the current event is done; selections that the mouse is
    // still drawing are offered when the button is released.
    void SchedulePrimarySelection();
    void OfferPrimarySelection();
    // A middle click: pastes the primary selection at viewport point `at`.
    void PastePrimarySelection(const QPoint& at);
    bool AcceptsDrop(const QMimeData* data) const;

    // Top-left of a position in viewport coordinates.
    QPoint PositionOf(TVeskNavigator& at, int virtualSpaces) const;
    void RebuildMeasurer();
    void Relayout();
    void UpdateScrollBars();
    void ScheduleBackgroundFormat();
    void FormatSlice();
    // Paints one display line with its left edge at x = left (before
    // alignment); `screen` adds the background and the selection.
    void PaintLine(QPainter& p, std::int32_t line, int y, int left, int available, bool screen);
    // Draws a line's runs with their fonts and colours, its left edge at x0.
    void DrawRuns(QPainter& p, const TParRecord& par, const TLineRuns& runs, int x0, int y, double wordSpacing);
    // Where a line of this width starts, after alignment and horizontal scrolling.
    int LineX(int lineWidth) const;
    void SelectWordAt(std::int32_t offset);
    // Repaints display lines first … last (last < 0: to the bottom of the view).
    void UpdateLines(std::int32_t first, std::int32_t last);
    // Repaints the display lines that hold offsets a … b (in either order).
    void UpdateOffsets(std::int32_t a, std::int32_t b);
    QRect CaretRect() const;

    std::unique_ptr<TFontMeasurer> measurer_;
    std::unique_ptr<TFontMeasurer> printMeasurer_;
    QFont altFont_;
    int leftMargin_ = 8, rightMargin_ = 8;
    int fixedLineHeight_ = 0;
    TVeskAlignment alignment_ = TVeskAlignment::Left;
    bool justified_ = false;
    bool hideSelection_ = true;
    bool showEndParSelected_ = true;
    int caretWidth_ = 1;
    QColor highlightColor_ = QColor(255, 0, 0);
    QColor highlightBackgnd_;
    QPen endOfTextMark_ = QPen(Qt::red);
    TVeskScrollBars scrollBars_ = TVeskScrollBars::None;
    TVeskUpdateMode updateMode_ = TVeskUpdateMode::umBackground;
    int horizontalOffset_ = 0;
    bool caretVisible_ = true;
    QTimer caretTimer_;
    QTimer formatTimer_;
    void UpdatePointer(const QPoint& at, Qt::KeyboardModifiers modifiers);
    bool OverSelection(std::int32_t offset) const;

    bool mouseSelecting_ = false;
    bool dragging_ = false;      // moving or copying the selected text
    bool dragMoved_ = false;
    QPoint pressPoint_;
    QRect paintedCaret_;          // where the caret was last drawn
    // The selection the view was last asked to show, so that a change
    // repaints only the lines between its old and new ends.
    std::int32_t shownSelStart_ = 0;
    std::int32_t shownSelEnd_ = 0;
    std::int32_t lastLineCount_ = 0;
    std::int32_t lastParagraphCount_ = 0;
    std::int32_t mouseAnchor_ = 0;
    bool primaryPending_ = false;
    bool lineCountPending_ = false;
};

class TVeskMemoFile : public TVeskMemo {
    Q_OBJECT
public:
    // A document editor loads the whole of a file: a NUL byte shows as
    // kNulSubstitute and is saved back as NUL.
    explicit TVeskMemoFile(QWidget* parent = nullptr) : TVeskMemo(parent) { SetNullReplacement(kNulSubstitute); }
    const QString& FileName() const { return fileName_; }
    void SetFileName(const QString& name) { fileName_ = name; }

private:
    QString fileName_;
};

} // namespace vesk

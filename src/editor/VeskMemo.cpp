// TVeskMemo: properties, scrolling, background formatting, keys and mouse.
#include "editor/VeskMemo.h"

#include "editor/KeyLists.h"
#include "editor/LineEnds.h"
#include "editor/StoreText.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace vesk {

TVeskMemo::TVeskMemo(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setMouseTracking(true);  // context pointers follow the mouse
    viewport()->setAutoFillBackground(false);
    highlightBackgnd_ = palette().color(QPalette::Base);
    altFont_ = QAbstractScrollArea::font();
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    resize(100, 60);
    RebuildMeasurer();
    InstallClipboardHooks();

    caretTimer_.setInterval(QApplication::cursorFlashTime() > 0 ? QApplication::cursorFlashTime() / 2 : 500);
    connect(&caretTimer_, &QTimer::timeout, this, [this]() {
        caretVisible_ = !caretVisible_;
        viewport()->update(QRect(CaretPosition(), QSize(std::max(caretWidth_, 8), LineHeightPixels())));
    });
    formatTimer_.setSingleShot(true);
    connect(&formatTimer_, &QTimer::timeout, this, &TVeskMemo::FormatSlice);
}

TVeskMemo::~TVeskMemo()
{
    SetMeasurer(nullptr);
}

// ---- properties ------------------------------------------------------------------

void TVeskMemo::RebuildMeasurer()
{
    measurer_ = std::make_unique<TFontMeasurer>(QAbstractScrollArea::font(), altFont_, fixedLineHeight_);
    SetMeasurer(measurer_.get());
    Relayout();
}

void TVeskMemo::SetFont(const QFont& f)
{
    setFont(f);
    RebuildMeasurer();
}

void TVeskMemo::SetAltFont(const QFont& f)
{
    altFont_ = f;
    RebuildMeasurer();
}

void TVeskMemo::SetMargins(int left, int right)
{
    leftMargin_ = std::max(0, left);
    rightMargin_ = std::max(0, right);
    Relayout();
}

void TVeskMemo::SetLineHeight(int pixels)
{
    fixedLineHeight_ = std::max(0, pixels);
    RebuildMeasurer();
}

void TVeskMemo::SetAlignment(TVeskAlignment a)
{
    alignment_ = a;
    horizontalOffset_ = 0;
    Relayout();
}

void TVeskMemo::SetJustified(bool on)
{
    justified_ = on;
    horizontalOffset_ = 0;
    viewport()->update();
}

void TVeskMemo::SetHideSelection(bool on)
{
    hideSelection_ = on;
    viewport()->update();
}

void TVeskMemo::SetShowEndParSelected(bool on)
{
    showEndParSelected_ = on;
    viewport()->update();
}

void TVeskMemo::SetCaretWidth(int w)
{
    caretWidth_ = std::max(0, w);
    viewport()->update();
}

void TVeskMemo::SetHighlightColor(const QColor& c)
{
    highlightColor_ = c;
    viewport()->update();
}

void TVeskMemo::SetHighlightBackgnd(const QColor& c)
{
    highlightBackgnd_ = c;
    viewport()->update();
}

void TVeskMemo::SetEndOfTextMark(const QPen& pen)
{
    endOfTextMark_ = pen;
    viewport()->update();
}

void TVeskMemo::SetScrollBars(TVeskScrollBars s)
{
    scrollBars_ = s;
    const bool v = s == TVeskScrollBars::Vertical || s == TVeskScrollBars::Both;
    const bool h = s == TVeskScrollBars::Horizontal || s == TVeskScrollBars::Both;
    setVerticalScrollBarPolicy(v ? ((Options() & vmoAutoScrollBars) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn)
                                 : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    Relayout();
}

void TVeskMemo::SetWordWrap(bool on)
{
    TVeskMemoCore::SetWordWrap(on);
    horizontalOffset_ = 0;
    Relayout();
}

// ---- layout and scrolling ----------------------------------------------------------

void TVeskMemo::Relayout()
{
    const int client = viewport()->width();
    const bool wrapWidth = WordWrap() || alignment_ != TVeskAlignment::Left;
    // Without wrapping, lines are practically unlimited.
    SetLayoutWidth(wrapWidth ? client - leftMargin_ - rightMargin_ : 32767 - client - rightMargin_);
    if (updateMode_ == TVeskUpdateMode::umImmediate)
        FormatSome(0);
    else
        FormatUpTo(TopLine() + VisibleLineCount());
    SetTopLine(std::min(TopLine(), std::max(0, LineCount() - 1)));
    ScheduleBackgroundFormat();
    UpdateScrollBars();
    viewport()->update();
    Q_EMIT linesChanged(0, -1);
}

void TVeskMemo::ScheduleBackgroundFormat()
{
    if (updateMode_ == TVeskUpdateMode::umBackground && pendingFormatFrom_ < ParagraphCount())
        formatTimer_.start(0);
}

void TVeskMemo::FormatSlice()
{
    // Slices of about 25 ms keep the window responsive while a large file
    // is laid out; the scroll range grows as lines become known.
    const std::int32_t lines = LineCount();
    const bool more = FormatSome(25);
    UpdateScrollBars();
    viewport()->update();
    if (LineCount() != lines)
        Q_EMIT linesChanged(0, -1);
    if (more)
        formatTimer_.start(0);
}

int TVeskMemo::VisibleLineCount() const
{
    return viewport()->height() / std::max(1, LineHeightPixels()) + 1;
}

void TVeskMemo::UpdateScrollBars()
{
    // Ranges stay below 32760 by scaling to units of several lines.
    const int unit = LineCount() / 32760 + 1;
    QScrollBar* v = verticalScrollBar();
    const QSignalBlocker block(v);
    v->setRange(0, std::max(0, (LineCount() - 1) / unit));
    v->setPageStep(std::max(1, VisibleLineCount() - 1) / unit + 1);
    v->setValue(TopLine() / unit);
    QScrollBar* h = horizontalScrollBar();
    const QSignalBlocker blockH(h);
    h->setRange(0, WordWrap() ? 0 : 4000);
    h->setPageStep(viewport()->width());
    h->setValue(horizontalOffset_);
}

void TVeskMemo::scrollContentsBy(int dx, int dy)
{
    (void)dx;
    (void)dy;
    const int unit = LineCount() / 32760 + 1;
    horizontalOffset_ = horizontalScrollBar()->value();
    TVeskMemoCore::SetTopLine(verticalScrollBar()->value() * unit);
    viewport()->update();
}

void TVeskMemo::SetTopLine(std::int32_t line)
{
    const std::int32_t before = TopLine();
    TVeskMemoCore::SetTopLine(line);
    const std::int32_t delta = before - TopLine();
    UpdateScrollBars();
    if (delta == 0)
        return;
    // Less than a page: move the pixels and paint only what scrolled in.
    if (std::abs(delta) < VisibleLineCount() - 1)
        viewport()->scroll(0, delta * LineHeightPixels());
    else
        viewport()->update();
}

void TVeskMemo::ScrollHorizontally(int how)
{
    const int unit = std::max(1, Measurer().SpaceWidth());
    if (how == 0)
        horizontalOffset_ = 0;
    else if (how == 2)
        horizontalOffset_ = std::max(0, std::max(LayoutWidth(), viewport()->width()) - viewport()->width());
    else
        horizontalOffset_ = std::max(0, horizontalOffset_ + how * unit);
    UpdateScrollBars();
    viewport()->update();
}

void TVeskMemo::UpdateLines(std::int32_t first, std::int32_t last)
{
    const int height = LineHeightPixels();
    const int top = std::max(0, (first - TopLine()) * height);
    const int bottom = last < 0 ? viewport()->height()
                                : std::min(viewport()->height(), (last - TopLine() + 1) * height);
    if (bottom > top)
        viewport()->update(0, top, viewport()->width(), bottom - top);
}

QRect TVeskMemo::CaretRect() const
{
    const int width = std::max({caretWidth_, Measurer().SpaceWidth(), 2});
    return QRect(CaretPosition(), QSize(width, LineHeightPixels()));
}

void TVeskMemo::ScrollInView()
{
    TVeskNavigator& caret = caretAtEnd_ ? selEnd_ : selStart_;
    EnsureFormatted(caret.ParagraphIndex());
    const std::int32_t line = caret.DisplayLine();
    const int visible = std::max(1, viewport()->height() / std::max(1, LineHeightPixels()));
    if (line < TopLine())
        SetTopLine(line);
    else if (line >= TopLine() + visible)
        SetTopLine(line - visible + 1);
    // Horizontally in steps of five space widths, as many as needed.
    const int x = CaretPosition().x();
    const int step = std::max(1, 5 * Measurer().SpaceWidth());
    const int width = viewport()->width();
    if (x < 0)
        horizontalOffset_ = std::max(0, horizontalOffset_ - ((-x + step - 1) / step) * step);
    else if (x >= width && width > 0)
        horizontalOffset_ += ((x - width) / step + 1) * step;
    else
        return;
    UpdateScrollBars();
    viewport()->update();
}

QPoint TVeskMemo::PositionOf(TVeskNavigator& at, int virtualSpaces) const
{
    auto* self = const_cast<TVeskMemo*>(this);
    self->EnsureFormatted(at.ParagraphIndex());
    const std::int32_t p = at.ParagraphIndex();
    const std::int32_t line = at.LineIndex();
    const int x = XOfColumn(*this, p, line, at.Column(), Measurer(), layout_)
        + virtualSpaces * Measurer().SpaceWidth();
    const int y = (at.DisplayLine() - TopLine()) * LineHeightPixels();
    return {LineX(StoredLine(Paragraph(p), line).width) + x, y};
}

QPoint TVeskMemo::CaretPosition() const
{
    auto* self = const_cast<TVeskMemo*>(this);
    return PositionOf(self->caretAtEnd_ ? self->selEnd_ : self->selStart_, VirtualSpaces());
}

QRect TVeskMemo::SelectionRect() const
{
    auto* self = const_cast<TVeskMemo*>(this);
    const QPoint from = PositionOf(self->selStart_, 0);
    const QPoint to = PositionOf(self->selEnd_, 0);
    const int height = LineHeightPixels();
    if (from.y() == to.y())
        return QRect(QPoint(from.x(), from.y()), QPoint(std::max(from.x(), to.x() - 1), from.y() + height - 1));
    // Over several display lines: the band of those lines, across the view.
    return QRect(QPoint(0, from.y()), QPoint(std::max(0, viewport()->width() - 1), to.y() + height - 1));
}

std::int32_t TVeskMemo::OffsetAt(const QPoint& point)
{
    // Floor division: a point just above the view is on the line above it.
    const int height = std::max(1, LineHeightPixels());
    const int rows = point.y() >= 0 ? point.y() / height : -((-point.y() + height - 1) / height);
    const std::int32_t line = std::max(0, TopLine() + rows);
    FormatUpTo(line);
    TVeskNavigator nav(this, false);
    nav.GotoLine(line);
    const std::int32_t p = nav.ParagraphIndex();
    const int lineX = LineX(StoredLine(Paragraph(p), nav.LineIndex()).width);
    const std::int32_t column = ColumnOfX(*this, p, nav.LineIndex(), point.x() - lineX, Measurer(), layout_);
    return nav.Offset() + column;
}

// ---- printing ----------------------------------------------------------------------

void TVeskMemo::FormatFor(QPaintDevice* device, int width)
{
    printMeasurer_ = std::make_unique<TFontMeasurer>(QAbstractScrollArea::font(), altFont_, fixedLineHeight_, device);
    SetMeasurer(printMeasurer_.get());
    SetLayoutWidth(width);
    InvalidateLayout();
    FormatSome(0);
}

void TVeskMemo::RestoreScreenLayout()
{
    SetMeasurer(measurer_.get());
    printMeasurer_.reset();
    Relayout();
}

void TVeskMemo::PaintTo(std::int32_t first, std::int32_t last, double pitch, QPointF origin, QPainter& painter)
{
    FormatUpTo(last);
    for (std::int32_t line = std::max(first, 0); line <= last && line < LineCount(); ++line) {
        const int y = int(origin.y() + (line - first) * pitch);
        PaintLine(painter, line, y, int(origin.x()), LayoutWidth(), false);
    }
}

// ---- core notifications -------------------------------------------------------------

void TVeskMemo::TextChangedAt(std::int32_t firstParagraph)
{
    if (UpdateLock() > 0)
        return;
    // Only the lines the edit laid out again are repainted; when lines were
    // added or removed, or the highlighting state carried past the edit
    // changed, everything below them too (and the gutter's numbers there).
    const std::int32_t first = relaidFirst_ >= 0 ? relaidFirst_ : FirstLine(firstParagraph);
    const std::int32_t after = ParagraphOfOffset(SelStart()) + 1;
    const bool renumbered = LineCount() != lastLineCount_ || ParagraphCount() != lastParagraphCount_;
    const bool shifted = renumbered || (after < ParagraphCount() && !Paragraph(after).startStopParsed);
    lastLineCount_ = LineCount();
    lastParagraphCount_ = ParagraphCount();
    if (shifted) {
        UpdateScrollBars();
        UpdateLines(first, -1);
        if (renumbered)
            Q_EMIT linesChanged(first, -1);
    } else {
        const std::int32_t p = ParagraphOfOffset(SelStart());
        UpdateLines(first, relaidLast_ >= 0 ? relaidLast_ : FirstLine(p) + Paragraph(p).LineCount() - 1);
    }
    ScrollInView();
}

void TVeskMemo::SelectionChanged()
{
    caretVisible_ = true;
    SchedulePrimarySelection();
    const std::int32_t a = selStart_.Offset(), b = selEnd_.Offset();
    // Only the lines whose selected part changed are repainted: those
    // between the old and the new ends (all of a selection that appears or
    // goes). An edit repaints the lines it changed itself.
    const bool had = shownSelStart_ != shownSelEnd_, has = a != b;
    if (had && has) {
        if (shownSelStart_ != a)
            UpdateOffsets(shownSelStart_, a);
        if (shownSelEnd_ != b)
            UpdateOffsets(shownSelEnd_, b);
    } else if (had) {
        UpdateOffsets(shownSelStart_, shownSelEnd_);
    } else if (has) {
        UpdateOffsets(a, b);
    }
    shownSelStart_ = a;
    shownSelEnd_ = b;
    // The caret: where it was drawn and where it is now.
    viewport()->update(paintedCaret_);
    viewport()->update(CaretRect());
}

void TVeskMemo::UpdateOffsets(std::int32_t a, std::int32_t b)
{
    TVeskNavigator nav(this, false);
    nav.SetOffset(std::min(a, b));
    const std::int32_t first = nav.DisplayLine();
    nav.SetOffset(std::max(a, b));
    UpdateLines(first, nav.DisplayLine());
}

void TVeskMemo::TextLoaded()
{
    TVeskMemoCore::TextLoaded();
    horizontalOffset_ = 0;
    shownSelStart_ = shownSelEnd_ = 0;
    lastLineCount_ = LineCount();
    lastParagraphCount_ = ParagraphCount();
    viewport()->update();
    if (UpdateLock() == 0)
        Relayout();
}

void TVeskMemo::UpdateUnlocked()
{
    Relayout();
}

void TVeskMemo::LineCountChanged()
{
    // Formatting a large file moves the count paragraph by paragraph; the
    // views beside the editor hear of it once the current work is done.
    if (lineCountPending_)
        return;
    lineCountPending_ = true;
    QMetaObject::invokeMethod(this, [this]() {
        lineCountPending_ = false;
        emit lineCountChanged();
    }, Qt::QueuedConnection);
}

// ---- events -----------------------------------------------------------------------

void TVeskMemo::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    Relayout();
}

bool TVeskMemo::focusNextPrevChild(bool next)
{
    // Tab belongs to the text while the editor wants tabs.
    if (WantTabs() && !DisplayOnly())
        return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void TVeskMemo::keyPressEvent(QKeyEvent* e)
{
    if (HandleKey(e->key(), e->modifiers(), e->text())) {
        if (!DisplayOnly())
            ScrollInView();
        e->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(e);
}

void TVeskMemo::inputMethodEvent(QInputMethodEvent* e)
{
    // Composed characters (accents, other scripts) arrive as commit strings;
    // some input methods commit whole lines, whose ends become breaks.
    if (!e->commitString().isEmpty() && !ReadOnly() && !DisplayOnly() && UpdateLock() == 0) {
        TypeText(ToParagraphBreaks(e->commitString().toStdString()));
        ScrollInView();
    }
    e->accept();
}

QVariant TVeskMemo::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImCursorRectangle:
        return QRect(CaretPosition(), QSize(1, LineHeightPixels()));
    case Qt::ImFont:
        return QAbstractScrollArea::font();
    case Qt::ImEnabled:
        return !ReadOnly() && !DisplayOnly();
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

bool TVeskMemo::OverSelection(std::int32_t offset) const
{
    return selStart_.Offset() != selEnd_.Offset() && offset >= selStart_.Offset() && offset < selEnd_.Offset();
}

void TVeskMemo::UpdatePointer(const QPoint& at, Qt::KeyboardModifiers modifiers)
{
    if (dragging_) {
        viewport()->setCursor((modifiers & Qt::ControlModifier) ? Qt::DragCopyCursor : Qt::DragMoveCursor);
        return;
    }
    const std::int32_t offset = OffsetAt(at);
    const bool canDrag = !ReadOnly() && !DisplayOnly() && !(Options() & vmoNoDragnDrop);
    if (canDrag && OverSelection(offset)) {
        viewport()->setCursor(Qt::ArrowCursor);
        return;
    }
    // A context's own pointer while over its text; pointer values are Qt
    // cursor shapes.
    const std::int16_t pointer = Highlighting().PointerAt(offset);
    if (pointer > 0 && pointer <= Qt::LastCursor)
        viewport()->setCursor(static_cast<Qt::CursorShape>(pointer));
    else
        viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setMouseTracking(true);  // context pointers follow the mouse
}

void TVeskMemo::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::MiddleButton && !mouseSelecting_ && !dragging_) {
        PastePrimarySelection(e->position().toPoint());
        return;
    }
    if (e->button() != Qt::LeftButton || DisplayOnly()) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    pressPoint_ = e->position().toPoint();
    const std::int32_t offset = OffsetAt(pressPoint_);
    const bool canDrag = !ReadOnly() && !(Options() & vmoNoDragnDrop);
    if (canDrag && OverSelection(offset) && !(e->modifiers() & Qt::ShiftModifier)) {
        dragging_ = true;  // a press on the selection starts moving it
        dragMoved_ = false;
        return;
    }
    if (e->modifiers() & Qt::ShiftModifier) {
        const std::int32_t anchor = caretAtEnd_ ? selStart_.Offset() : selEnd_.Offset();
        Select(anchor, offset);
    } else {
        Select(offset, offset);
    }
    mouseAnchor_ = caretAtEnd_ ? selStart_.Offset() : selEnd_.Offset();
    mouseSelecting_ = true;
}

void TVeskMemo::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    if (dragging_) {
        dragMoved_ = dragMoved_ || (at - pressPoint_).manhattanLength() >= QApplication::startDragDistance();
        UpdatePointer(at, e->modifiers());
        return;
    }
    if (!mouseSelecting_) {
        UpdatePointer(at, e->modifiers());
        return;
    }
    Select(mouseAnchor_, OffsetAt(at));
    ScrollInView();
}

void TVeskMemo::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;  // only the left button drags and selects
    const QPoint at = e->position().toPoint();
    const std::int32_t offset = OffsetAt(at);
    if (dragging_) {
        dragging_ = false;
        if (dragMoved_)
            DropSelection(offset, e->modifiers() & Qt::ControlModifier);
        else
            Select(offset, offset);  // a plain click on the selection places the caret
        UpdatePointer(at, e->modifiers());
        return;
    }
    const bool click = mouseSelecting_ && (at - pressPoint_).manhattanLength() < QApplication::startDragDistance();
    if (mouseSelecting_)
        OfferPrimarySelection();  // the selection the mouse drew is complete
    mouseSelecting_ = false;
    if (click && OnContext) {
        if (const auto span = Highlighting().ContextAt(offset))
            OnContext(this, span->context, span->start, span->stop);
    }
}

void TVeskMemo::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && !DisplayOnly())
        SelectWordAt(OffsetAt(e->position().toPoint()));
}

void TVeskMemo::SelectWordAt(std::int32_t offset)
{
    // Words are delimited by the separator set; the large word selection
    // takes the separators after the word too.
    const TSeparatorSet& separators = Highlighting().SeparatorSet();
    const std::int32_t p = ParagraphOfOffset(offset);
    const std::int32_t start = ParagraphStart(p);
    const std::int32_t end = start + Paragraph(p).length;
    std::int32_t a = std::min(offset, end), b = std::min(offset, end);
    while (a > start && !IsSeparator(separators, CharAt(a - 1)))
        --a;
    while (b < end && !IsSeparator(separators, CharAt(b)))
        ++b;
    if (Options() & vmoLargeWordSelect) {
        while (b < end && IsSeparator(separators, CharAt(b)))
            ++b;
    }
    Select(a, b);
}

void TVeskMemo::focusInEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusInEvent(e);
    caretVisible_ = true;
    if (!DisplayOnly())
        caretTimer_.start();
    viewport()->update();
}

void TVeskMemo::focusOutEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusOutEvent(e);
    caretTimer_.stop();
    caretVisible_ = false;
    viewport()->update();
}

} // namespace vesk

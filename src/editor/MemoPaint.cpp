// TVeskMemo painting: display lines run by run, selection, end-of-text mark, caret.
#include "editor/VeskMemo.h"

#include "editor/TextEncoding.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cstring>

namespace vesk {
namespace {

QColor FromColorValue(std::uint32_t value)
{
    // 0x00BBGGRR
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

} // namespace

int TVeskMemo::LineX(int lineWidth) const
{
    const int available = viewport()->width() - leftMargin_ - rightMargin_;
    int x = leftMargin_;
    if (alignment_ == TVeskAlignment::Right)
        x = leftMargin_ + available - lineWidth;
    else if (alignment_ == TVeskAlignment::Center)
        x = leftMargin_ + (available - lineWidth) / 2;
    return x - horizontalOffset_;
}

void TVeskMemo::paintEvent(QPaintEvent* e)
{
    QPainter painter(viewport());
    const QColor base = palette().color(QPalette::Base);
    const int height = LineHeightPixels();
    const int first = TopLine() + e->rect().top() / std::max(1, height);
    const int last = TopLine() + e->rect().bottom() / std::max(1, height);
    const std::int32_t lines = LineCount();
    FormatUpTo(last);
    if (LineCount() != lines)
        Q_EMIT linesChanged(first, -1);  // laid out just now, to be shown
    int y = (first - TopLine()) * height;
    std::int32_t line = first;
    for (; line <= last && line < LineCount(); ++line, y += height)
        PaintLine(painter, line, y, leftMargin_ - horizontalOffset_, viewport()->width() - leftMargin_ - rightMargin_, true);
    // Below the text: the window colour and the end-of-text mark.
    painter.fillRect(QRect(0, y, viewport()->width(), viewport()->height() - y), base);
    if (line >= LineCount() && endOfTextMark_.style() != Qt::NoPen && endOfTextMark_.color().isValid()) {
        painter.setPen(endOfTextMark_);
        painter.drawLine(0, y, viewport()->width(), y);
    }
    // The caret.
    if (hasFocus() && caretVisible_ && !DisplayOnly()) {
        const QPoint c = CaretPosition();
        int w = caretWidth_ > 0 ? caretWidth_ : height / 14 + 1;
        if (Overwrite() && (Options() & vmoWideOverwriteCaret))
            w = Measurer().SpaceWidth();
        painter.fillRect(QRect(c.x(), c.y(), w, height), palette().color(QPalette::Text));
        paintedCaret_ = QRect(c.x(), c.y(), std::max(w, 2), height);
    }
}

void TVeskMemo::PaintLine(QPainter& painter, std::int32_t displayLine, int y, int left, int available, bool screen)
{
    const int height = Measurer().LineHeight();
    if (screen)
        painter.fillRect(QRect(0, y, viewport()->width(), height), palette().color(QPalette::Base));

    const std::int32_t p = ParagraphOfLine(displayLine);
    const TParRecord& par = Paragraph(p);
    const std::int32_t lineIndex = displayLine - FirstLine(p);
    const TStoredLine line = StoredLine(par, lineIndex);
    const bool lastOfParagraph = lineIndex == par.LineCount() - 1;

    // The selection's ends, as columns of this line.
    const std::int32_t lineStartOffset = ParagraphStart(p) + line.chars;
    const std::int32_t selA = selStart_.Offset(), selB = selEnd_.Offset();
    const bool showSelection = screen && selA != selB && (hasFocus() || !hideSelection_);
    std::vector<std::int32_t> cuts;
    if (showSelection)
        cuts = {selA - lineStartOffset, selB - lineStartOffset};
    const TLineRuns runs = LineToRuns(*this, p, lineIndex, Measurer(), layout_, cuts);

    int x0 = left;
    if (alignment_ == TVeskAlignment::Right)
        x0 = left + available - line.width;
    else if (alignment_ == TVeskAlignment::Center)
        x0 = left + (available - line.width) / 2;
    // Justified: every line but a paragraph's last spreads the spare pixels
    // over its inner spaces.
    double wordSpacing = 0;
    if (justified_ && !lastOfParagraph && runs.innerSpaces > 0) {
        x0 = left;
        wordSpacing = double(available - line.width) / runs.innerSpaces;
    }
    DrawRuns(painter, par, runs, x0, y, wordSpacing);

    if (!showSelection)
        return;
    const std::int32_t lineEndOffset = lineStartOffset + runs.chars;
    if (selA >= lineEndOffset + (lastOfParagraph ? 2 : 0) || selB <= lineStartOffset)
        return;
    auto cutX = [&](std::size_t k) {
        return runs.cuts[k].first + int(wordSpacing * double(runs.cuts[k].second));
    };
    const int endX = runs.width + int(wordSpacing * double(runs.innerSpaces));
    const int selLeft = selA <= lineStartOffset ? 0 : cutX(0);
    int selRight = selB >= lineEndOffset ? endX : cutX(1);
    const bool continues = selB > lineEndOffset;
    if (continues && (Options() & vmoFullLineSelect))
        selRight = viewport()->width() - x0;
    QRect rect(x0 + selLeft, y, std::max(0, selRight - selLeft), height);
    if (continues && lastOfParagraph && showEndParSelected_ && !(Options() & vmoFullLineSelect)) {
        // The selected paragraph end: a block half a space wide.
        const int w = Measurer().SpaceWidth() / 2 + 1;
        rect = rect.united(QRect(x0 + endX, y + height / 3, w, height / 3));
    }
    if (Options() & vmoWindowsSelColors) {
        // The text stays readable through a translucent highlight.
        QColor highlight = palette().color(QPalette::Highlight);
        highlight.setAlpha(110);
        painter.fillRect(rect, highlight);
    } else {
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(rect, Qt::white);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
}

void TVeskMemo::DrawRuns(QPainter& painter, const TParRecord& par, const TLineRuns& runs, int x0, int y,
                         double wordSpacing)
{
    const int height = Measurer().LineHeight();
    const int baseline = y + Measurer().Ascent();
    // The device's right edge in the painter's coordinates (a preview paints
    // printer pixels through a scale).
    int clipRight = INT_MAX;
    if (QPaintDevice* device = painter.device()) {
        bool invertible = false;
        const QTransform back = painter.worldTransform().inverted(&invertible);
        if (invertible)
            clipRight = int(std::min(double(INT_MAX / 2), back.mapRect(QRectF(0, 0, device->width(), 1)).right()));
    }
    // Fonts laid out for the printer keep the printer's size when painted on
    // another device (the preview): their point size is rescaled so that
    // glyphs cover the same printer pixels as the measured positions.
    double fontScale = 1;
    if (printMeasurer_ && printMeasurer_->Device() && painter.device()
        && painter.device()->logicalDpiY() != printMeasurer_->Device()->logicalDpiY())
        fontScale = double(printMeasurer_->Device()->logicalDpiY()) / std::max(1, painter.device()->logicalDpiY());
    for (const TLineRun& run : runs.runs) {
        const std::string_view text(par.Data() + run.begin, std::size_t(run.end - run.begin));
        const int spaces = wordSpacing > 0 ? int(std::count(text.begin(), text.end(), ' ')) : 0;
        const int x = x0 + run.x + int(wordSpacing * double(run.spacesBefore));
        const int w = run.width + int(wordSpacing * double(spaces));
        if (x > clipRight || x + w < 0)
            continue;  // out of sight (a long unwrapped line)
        QColor fg = palette().color(QPalette::Text);
        QColor bg;
        if (run.inContext && (run.background || run.textColor)) {
            if (run.textColor)
                fg = FromColorValue(run.textColor);
            if (run.background)
                bg = FromColorValue(run.background);
        } else if (run.style & kStyleHighlight) {
            fg = highlightColor_;
            bg = highlightBackgnd_;
        }
        QFont font = printMeasurer_ ? printMeasurer_->FontFor(run.style)
                                    : (measurer_ ? measurer_->FontFor(run.style) : QAbstractScrollArea::font());
        if (fontScale != 1 && font.pointSizeF() > 0)
            font.setPointSizeF(font.pointSizeF() * fontScale);
        if (wordSpacing > 0)
            font.setWordSpacing(wordSpacing);
        if (bg.isValid())
            painter.fillRect(QRect(x, y, w, height), bg);
        painter.setFont(font);
        painter.setPen(fg);
        painter.drawText(x, baseline, QString::fromUtf8(text.data(), qsizetype(text.size())));
    }
}

} // namespace vesk

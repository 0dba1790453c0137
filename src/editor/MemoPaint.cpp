// TVeskMemo painting: display lines run by run, selection, end-of-text mark, caret.
#include "editor/VeskMemo.h"

#include "editor/TextEncoding.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace vesk {
namespace {

QColor FromColorValue(std::uint32_t value)
{
    // 0x00BBGGRR
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

} // namespace

int TVeskMemo::LineX(std::int32_t paragraph, const TLineRecord& line) const
{
    (void)paragraph;
    const int available = viewport()->width() - leftMargin_ - rightMargin_;
    int x = leftMargin_;
    if (alignment_ == TVeskAlignment::Right)
        x = leftMargin_ + available - line.width;
    else if (alignment_ == TVeskAlignment::Center)
        x = leftMargin_ + (available - line.width) / 2;
    return x - horizontalOffset_;
}

void TVeskMemo::paintEvent(QPaintEvent* e)
{
    QPainter painter(viewport());
    const QColor base = palette().color(QPalette::Base);
    const int height = LineHeightPixels();
    const int first = TopLine() + e->rect().top() / std::max(1, height);
    const int last = TopLine() + e->rect().bottom() / std::max(1, height);
    FormatUpTo(last);
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
    paintedSelection_ = selStart_.Offset() != selEnd_.Offset();
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
    const TLineRecord line = par.Line(lineIndex);
    int x0 = left;
    if (alignment_ == TVeskAlignment::Right)
        x0 = left + available - line.width;
    else if (alignment_ == TVeskAlignment::Center)
        x0 = left + (available - line.width) / 2;

    // Justified: every line but a paragraph's last spreads the spare pixels
    // over its inner spaces.
    double wordSpacing = 0;
    const bool lastOfParagraph = lineIndex == par.LineCount() - 1;
    if (justified_ && !lastOfParagraph) {
        std::int32_t end = line.end;
        while (end > line.start && par.Data()[end - 1] == ' ')
            --end;
        int spaces = 0;
        for (std::int32_t bi = line.start; bi < end; ++bi)
            spaces += par.Data()[bi] == ' ' ? 1 : 0;
        if (spaces > 0) {
            x0 = left;
            wordSpacing = double(available - line.width) / spaces;
        }
    }

    // Walk the line: codes toggle the style, marks change the state; text
    // between such changes is one run.
    std::uint8_t style = line.style;
    THighlightState state = line.state;
    const char* data = par.Data();
    int x = 0;
    std::int32_t column = 0;
    const int baseline = y + Measurer().Ascent();
    const int tabWidth = std::max(1, TabStops() * Measurer().SpaceWidth());

    TVeskNavigator lineNav(this, false);
    lineNav.GotoLine(displayLine);
    const std::int32_t lineStartOffset = lineNav.Offset();
    const std::int32_t selA = selStart_.Offset(), selB = selEnd_.Offset();
    const bool showSelection = screen && selA != selB && (hasFocus() || !hideSelection_);
    int selLeft = -1, selRight = -1;
    // Text is drawn where the layout measured it, so the caret and the
    // selection (placed by the layout's XOfColumn) always meet the glyphs.
    // Justified lines spread their spaces and keep their own running x.
    auto xAt = [&](std::int32_t col) {
        return wordSpacing > 0 ? x : XOfColumn(*this, p, lineIndex, col, Measurer(), layout_);
    };
    std::int32_t runColumn = 0;

    auto drawRun = [&](std::string_view text) {
        if (text.empty())
            return;
        x = xAt(runColumn);
        const std::uint8_t effective = state.InContext() ? std::uint8_t(state.flagsStyle & 0x3F) : style;
        QColor fg = palette().color(QPalette::Text);
        QColor bg;
        if (state.InContext() && (state.background || state.textColor)) {
            if (state.textColor)
                fg = FromColorValue(state.textColor);
            if (state.background)
                bg = FromColorValue(state.background);
        } else if (effective & kStyleHighlight) {
            fg = highlightColor_;
            bg = highlightBackgnd_;
        }
        int w = Measurer().Width(text, effective);
        QFont font = printMeasurer_ ? printMeasurer_->FontFor(effective)
                                    : (measurer_ ? measurer_->FontFor(effective) : QAbstractScrollArea::font());
        if (wordSpacing > 0) {
            font.setWordSpacing(wordSpacing);
            w += int(wordSpacing * double(std::count(text.begin(), text.end(), ' ')));
        }
        if (bg.isValid())
            painter.fillRect(QRect(x0 + x, y, w, height), bg);
        painter.setFont(font);
        painter.setPen(fg);
        painter.drawText(x0 + x, baseline, QString::fromUtf8(text.data(), qsizetype(text.size())));
        x += w;
    };

    std::int32_t runStart = line.start;
    auto flush = [&](std::int32_t end) {
        drawRun(std::string_view(data + runStart, std::size_t(end - runStart)));
    };
    auto noteSelection = [&]() {
        const std::int32_t offset = lineStartOffset + column;
        if (offset == selA)
            selLeft = xAt(column);
        if (offset == selB)
            selRight = xAt(column);
    };
    noteSelection();
    for (std::int32_t bi = line.start; bi < line.end;) {
        const auto c = static_cast<unsigned char>(data[bi]);
        if (c == kMarkByte) {
            flush(bi);
            std::memcpy(&state, data + bi + 1, sizeof state);
            bi += kMarkSize;
            runStart = bi;
            runColumn = column;
            continue;
        }
        if (StyleBitOf(c) || c == '\t') {
            flush(bi);
            if (c == '\t')
                x = (x / tabWidth + 1) * tabWidth;
            else
                style ^= StyleBitOf(c);
            ++bi;
            ++column;
            runStart = bi;
            runColumn = column;
            noteSelection();
            continue;
        }
        const std::int32_t n = Utf8SequenceLength(c);
        // Selection ends need the x of their character boundary.
        const std::int32_t offset = lineStartOffset + column;
        if (showSelection && (offset + 1 == selA || offset + 1 == selB)) {
            bi += n;
            ++column;
            flush(bi);
            runStart = bi;
            runColumn = column;
            noteSelection();
            continue;
        }
        bi += n;
        ++column;
    }
    flush(line.end);
    x = xAt(column);

    if (showSelection) {
        const std::int32_t lineEndOffset = lineStartOffset + column;
        if (selA < lineEndOffset + (lastOfParagraph ? 2 : 0) && selB > lineStartOffset) {
            const int left = selA <= lineStartOffset ? 0 : std::max(0, selLeft);
            int right = selB >= lineEndOffset ? x : (selRight >= 0 ? selRight : x);
            const bool continues = selB > lineEndOffset;
            if (continues && (Options() & vmoFullLineSelect))
                right = viewport()->width() - x0;
            QRect rect(x0 + left, y, std::max(0, right - left), height);
            if (continues && lastOfParagraph && showEndParSelected_ && !(Options() & vmoFullLineSelect)) {
                // The selected paragraph end: a block half a space wide.
                const int w = Measurer().SpaceWidth() / 2 + 1;
                rect = rect.united(QRect(x0 + x, y + height / 3, w, height / 3));
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
    }
}

} // namespace vesk

// Layout of paragraphs into display lines, and pixel positions within lines.
//
// Formatting, XOfColumn and ColumnOfX all measure a line the same way: they
// walk it from its start in pieces (a run of text, a run of spaces, a tab, a
// style code or a mark) and measure each piece as a whole. Positions inside
// a piece are measured as prefixes of it. Because a piece never crosses a
// line end and every walk of a line starts at that line's start, the x a
// click or a caret gets is exactly the x the formatter counted.
#include "editor/TextLayout.h"

#include "editor/TextEncoding.h"

#include <QPaintDevice>
#include <QString>

#include <algorithm>
#include <cstring>

namespace vesk {

namespace {

// Longest piece of text measured at once. Ordinary words fit in one piece;
// a huge unbroken word (minified data, a long URL) is measured in slices so
// that breaking it costs work in proportion to a line, not to the word.
constexpr std::int32_t kMaxPieceChars = 64;

enum class TPieceKind { Text, Spaces, Tab, Code, Mark };

struct TPiece {
    TPieceKind kind = TPieceKind::Text;
    std::int32_t begin = 0;  // byte range in the buffer
    std::int32_t end = 0;
    std::int32_t chars = 0;  // characters (codes and tabs count one, marks none)
    std::uint8_t style = 0;  // the effective style of text and spaces
};

std::uint8_t EffectiveStyle(std::uint8_t codeStyle, const THighlightState& state)
{
    return state.InContext() ? std::uint8_t(state.flagsStyle & 0x3F) : codeStyle;
}

// Walks bytes [begin, end) of a paragraph buffer piece by piece, keeping the
// code style and the highlighting state up to date as codes and marks pass.
class TPieceWalker {
public:
    TPieceWalker(const TStateTable& states, const char* data, std::int32_t begin, std::int32_t end,
                 std::uint8_t style, const THighlightState& state)
        : states_(states), data_(data), pos_(begin), end_(end), style_(style), state_(state)
    {
    }

    bool Next(TPiece& piece)
    {
        if (pos_ >= end_)
            return false;
        piece.begin = pos_;
        const auto c = static_cast<unsigned char>(data_[pos_]);
        if (c == static_cast<unsigned char>(kMarkByte)) {
            piece.kind = TPieceKind::Mark;
            piece.chars = 0;
            const int size = MarkSize(data_ + pos_);
            if (pos_ + size <= end_)
                state_ = states_[MarkState(data_ + pos_)];
            pos_ = std::min(pos_ + size, end_);
        } else if (const std::uint8_t bit = StyleBitOf(c)) {
            piece.kind = TPieceKind::Code;
            piece.chars = 1;
            style_ ^= bit;
            ++pos_;
        } else if (c == '\t') {
            piece.kind = TPieceKind::Tab;
            piece.chars = 1;
            ++pos_;
        } else {
            const bool spaces = c == ' ';
            piece.kind = spaces ? TPieceKind::Spaces : TPieceKind::Text;
            piece.style = EffectiveStyle(style_, state_);
            std::int32_t chars = 0;
            while (pos_ < end_ && chars < kMaxPieceChars) {
                const auto b = static_cast<unsigned char>(data_[pos_]);
                if (b == static_cast<unsigned char>(kMarkByte) || StyleBitOf(b) != 0 || b == '\t'
                    || (b == ' ') != spaces)
                    break;
                pos_ = std::min(pos_ + Utf8SequenceLength(b), end_);
                ++chars;
            }
            piece.chars = chars;
        }
        piece.end = pos_;
        return true;
    }

    std::int32_t Pos() const { return pos_; }
    std::uint8_t Style() const { return style_; }
    const THighlightState& State() const { return state_; }

private:
    const TStateTable& states_;
    const char* data_;
    std::int32_t pos_;
    std::int32_t end_;
    std::uint8_t style_;
    THighlightState state_;
};

// Byte length of the first n characters of marks-free, code-free UTF-8.
std::int32_t PrefixBytes(const char* text, std::int32_t size, std::int32_t n)
{
    std::int32_t bi = 0;
    for (std::int32_t k = 0; k < n && bi < size; ++k)
        bi += Utf8SequenceLength(static_cast<unsigned char>(text[bi]));
    return std::min(bi, size);
}

std::string_view PieceText(const char* data, const TPiece& piece)
{
    return {data + piece.begin, std::size_t(piece.end - piece.begin)};
}

// Width of the first n characters of a text or spaces piece.
int PrefixWidth(const char* data, const TPiece& piece, std::int32_t n, const TTextMeasurer& measurer)
{
    if (n <= 0)
        return 0;
    const std::string_view text = PieceText(data, piece);
    const std::int32_t bytes = PrefixBytes(text.data(), std::int32_t(text.size()), n);
    return measurer.Width(text.substr(0, std::size_t(bytes)), piece.style);
}

int NextTabStop(int x, int tabWidth)
{
    return (x / tabWidth + 1) * tabWidth;
}

int TabWidthOf(const TTextMeasurer& measurer, const TLayoutOptions& options)
{
    // A zero tab width would leave the caret stuck; one pixel keeps tabs
    // distinct positions whatever the settings.
    return std::max(1, options.tabStops * measurer.SpaceWidth());
}

struct TLineEnd {
    std::int32_t end = 0;
    int width = 0;
};

// Where the line that starts at byte `start` ends, and its width.
TLineEnd FindLineEnd(const TStateTable& states, const char* data, std::int32_t start, std::int32_t size,
                     std::uint8_t style, const THighlightState& state, const TTextMeasurer& measurer, int width,
                     int tabWidth, bool wrap)
{
    TPieceWalker walker(states, data, start, size, style, state);
    int x = 0;
    // After the last space or tab: where the line breaks when a word crosses.
    std::int32_t breakAt = -1;
    int breakX = 0;
    // After the last visible character: where a too-long word is cut when
    // the next slice of it cannot give even one character to this line.
    std::int32_t visibleEnd = start;
    int visibleX = 0;
    bool anyVisible = false;

    TPiece piece;
    while (walker.Next(piece)) {
        switch (piece.kind) {
        case TPieceKind::Mark:
        case TPieceKind::Code:
            break;  // no room taken; they travel with the word that follows
        case TPieceKind::Tab:
            x = NextTabStop(x, tabWidth);
            breakAt = visibleEnd = piece.end;
            breakX = visibleX = x;
            anyVisible = true;
            break;
        case TPieceKind::Spaces:
            // Spaces ending a line stay on it even beyond the width.
            x += measurer.Width(PieceText(data, piece), piece.style);
            breakAt = visibleEnd = piece.end;
            breakX = visibleX = x;
            anyVisible = true;
            break;
        case TPieceKind::Text: {
            const int w = measurer.Width(PieceText(data, piece), piece.style);
            if (!wrap || x + w <= width) {
                x += w;
                visibleEnd = piece.end;
                visibleX = x;
                anyVisible = true;
                break;
            }
            if (breakAt >= 0)
                return {breakAt, breakX};
            // The word alone is wider than the line: cut it after the
            // longest prefix of this piece that still fits.
            std::int32_t lo = 0, hi = piece.chars - 1;
            while (lo < hi) {
                const std::int32_t mid = (lo + hi + 1) / 2;
                if (x + PrefixWidth(data, piece, mid, measurer) <= width)
                    lo = mid;
                else
                    hi = mid - 1;
            }
            if (lo == 0) {
                if (anyVisible)
                    return {visibleEnd, visibleX};
                lo = 1;  // every line takes at least one character
            }
            const std::string_view text = PieceText(data, piece);
            const std::int32_t bytes = PrefixBytes(text.data(), std::int32_t(text.size()), lo);
            return {piece.begin + bytes, x + PrefixWidth(data, piece, lo, measurer)};
        }
        }
    }
    return {size, x};
}

// Applies the codes and marks of bytes [from, to) to a style and a state,
// and counts the characters passed.
std::int32_t Advance(const TStateTable& states, const char* data, std::int32_t from, std::int32_t to,
                     std::uint8_t& style, THighlightState& state)
{
    std::int32_t chars = 0;
    for (std::int32_t bi = from; bi < to;) {
        const auto c = static_cast<unsigned char>(data[bi]);
        if (c == static_cast<unsigned char>(kMarkByte)) {
            const int size = MarkSize(data + bi);
            if (bi + size <= to)
                state = states[MarkState(data + bi)];
            bi += size;
        } else {
            style ^= StyleBitOf(c);
            bi += Utf8SequenceLength(c);
            ++chars;
        }
    }
    return chars;
}

// The stored line `line` of paragraph `i`, clamped to the paragraph's lines.
TLineRecord LineOf(const TVeskMemoStore& store, const TParRecord& par, std::int32_t line)
{
    return store.Line(par, std::clamp(line, 0, par.LineCount() - 1));
}

} // namespace

// ---- TFontMeasurer ------------------------------------------------------------

TFontMeasurer::TFontMeasurer(const QFont& font, const QFont& altFont, int fixedLineHeight, QPaintDevice* device)
    : font_(font), altFont_(altFont), device_(device), metrics_(64)
{
    const QFontMetrics& main = MetricsFor(0);
    spaceWidth_ = main.horizontalAdvance(QLatin1Char(' '));
    lineHeight_ = fixedLineHeight > 0 ? fixedLineHeight : main.height() + 1;
    // The baseline sits one pixel above the descent, so descenders never
    // touch the next line.
    ascent_ = lineHeight_ - main.descent() - 1;
}

QFont TFontMeasurer::FontFor(std::uint8_t style) const
{
    QFont f = (style & kStyleAltFont) ? altFont_ : font_;
    if (style & kStyleBold)
        f.setBold(true);
    if (style & kStyleItalic)
        f.setItalic(true);
    if (style & kStyleUnderline)
        f.setUnderline(true);
    if (style & kStyleStrikeOut)
        f.setStrikeOut(true);
    return f;
}

const QFontMetrics& TFontMeasurer::MetricsFor(std::uint8_t style) const
{
    // Highlighting only colours the background: it shares the metrics of
    // the same style without it.
    const std::size_t index = std::size_t(style & 0x3F & ~kStyleHighlight);
    std::unique_ptr<QFontMetrics>& slot = metrics_[index];
    if (!slot) {
        const QFont f = FontFor(std::uint8_t(index));
        slot = device_ ? std::make_unique<QFontMetrics>(f, device_) : std::make_unique<QFontMetrics>(f);
    }
    return *slot;
}

int TFontMeasurer::Width(std::string_view utf8, std::uint8_t style) const
{
    if (utf8.empty())
        return 0;
    constexpr std::size_t kCachedPieceBytes = 48;
    constexpr std::size_t kCacheEntries = 1 << 16;
    if (utf8.size() > kCachedPieceBytes)
        return MetricsFor(style).horizontalAdvance(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
    if (widthCache_.empty())
        widthCache_.resize(64);
    auto& cache = widthCache_[style & 0x3F];
    const std::string key(utf8);
    if (const auto it = cache.find(key); it != cache.end())
        return it->second;
    if (cache.size() >= kCacheEntries)
        cache.clear();  // a bounded cache: start afresh rather than grow without end
    const int width = MetricsFor(style).horizontalAdvance(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
    cache.emplace(key, width);
    return width;
}

// ---- layout ---------------------------------------------------------------------

std::vector<TLineRecord> FormatParagraph(const TVeskMemoStore& store, std::int32_t i,
                                         const TTextMeasurer& measurer, const TLayoutOptions& options)
{
    TLineRecord first;
    first.style = store.Paragraph(i).startStyle;
    first.state = store.ParagraphStartState(i);
    return FormatLinesFrom(store, i, first, measurer, options, nullptr);
}

std::vector<TLineRecord> FormatLinesFrom(const TVeskMemoStore& store, std::int32_t i, const TLineRecord& first,
                                         const TTextMeasurer& measurer, const TLayoutOptions& options,
                                         const std::function<bool(const TLineRecord&)>& stopAt)
{
    const TParRecord& par = store.Paragraph(i);
    const char* data = par.Data();
    const std::int32_t size = data ? par.bytes : 0;
    // Never narrower than a line is high: a window shrunk to nothing still
    // formats in finite lines.
    const int width = std::max(options.width, measurer.LineHeight());
    const int tabWidth = TabWidthOf(measurer, options);

    const TStateTable& states = store.States();
    std::uint8_t style = first.style;
    THighlightState state = first.state;
    std::vector<TLineRecord> lines;
    std::int32_t start = first.start, chars = first.chars;
    do {
        TLineRecord line;
        line.start = start;
        line.chars = chars;
        line.style = style;
        line.state = state;
        if (!lines.empty() && stopAt && stopAt(line))
            break;
        const TLineEnd end =
            FindLineEnd(states, data, start, size, style, state, measurer, width, tabWidth, options.wordWrap);
        line.end = end.end;
        line.width = end.width;
        line.height = std::int16_t(measurer.LineHeight());
        line.ascent = std::int16_t(measurer.Ascent());
        lines.push_back(line);
        chars += Advance(states, data, start, end.end, style, state);
        start = end.end;
    } while (start < size);
    return lines;
}

int XOfColumn(const TVeskMemoStore& store, std::int32_t i, std::int32_t line, std::int32_t column,
              const TTextMeasurer& measurer, const TLayoutOptions& options)
{
    if (column <= 0)
        return 0;
    const TParRecord& par = store.Paragraph(i);
    const TLineRecord rec = LineOf(store, par, line);
    const char* data = par.Data();
    const std::int32_t end = data ? std::min(rec.end, par.bytes) : 0;
    const int tabWidth = TabWidthOf(measurer, options);

    TPieceWalker walker(store.States(), data, rec.start, end, rec.style, rec.state);
    int x = 0;
    std::int32_t col = 0;
    TPiece piece;
    while (walker.Next(piece)) {
        switch (piece.kind) {
        case TPieceKind::Mark:
            break;
        case TPieceKind::Code:
            ++col;
            break;
        case TPieceKind::Tab:
            x = NextTabStop(x, tabWidth);
            ++col;
            break;
        case TPieceKind::Text:
        case TPieceKind::Spaces:
            if (col + piece.chars >= column)
                return x + PrefixWidth(data, piece, column - col, measurer);
            x += measurer.Width(PieceText(data, piece), piece.style);
            col += piece.chars;
            break;
        }
        if (col >= column)
            return x;
    }
    return x;
}

std::int32_t ColumnOfX(const TVeskMemoStore& store, std::int32_t i, std::int32_t line, int x,
                       const TTextMeasurer& measurer, const TLayoutOptions& options)
{
    if (x < 0)
        return 0;
    const TParRecord& par = store.Paragraph(i);
    const TLineRecord rec = LineOf(store, par, line);
    const char* data = par.Data();
    const std::int32_t end = data ? std::min(rec.end, par.bytes) : 0;
    const int tabWidth = TabWidthOf(measurer, options);

    TPieceWalker walker(store.States(), data, rec.start, end, rec.style, rec.state);
    int left = 0;  // x where the current piece starts
    std::int32_t col = 0;
    TPiece piece;
    // The right half of a character belongs to the boundary after it.
    auto nearest = [x](int from, int to, std::int32_t before) { return 2 * x >= from + to ? before + 1 : before; };
    while (walker.Next(piece)) {
        switch (piece.kind) {
        case TPieceKind::Mark:
            break;
        case TPieceKind::Code:
            ++col;
            break;
        case TPieceKind::Tab: {
            const int right = NextTabStop(left, tabWidth);
            if (x < right)
                return nearest(left, right, col);
            left = right;
            ++col;
            break;
        }
        case TPieceKind::Text:
        case TPieceKind::Spaces: {
            const int right = left + measurer.Width(PieceText(data, piece), piece.style);
            if (x < right) {
                int prev = left;
                for (std::int32_t k = 1; k <= piece.chars; ++k) {
                    const int next = k == piece.chars ? right : left + PrefixWidth(data, piece, k, measurer);
                    if (x < next)
                        return nearest(prev, next, col + k - 1);
                    prev = next;
                }
                return col + piece.chars;
            }
            left = right;
            col += piece.chars;
            break;
        }
        }
    }
    return col;
}

TLineRuns LineToRuns(const TVeskMemoStore& store, std::int32_t i, std::int32_t line, const TTextMeasurer& measurer,
                     const TLayoutOptions& options, const std::vector<std::int32_t>& cuts)
{
    const TParRecord& par = store.Paragraph(i);
    const TLineRecord rec = LineOf(store, par, line);
    const char* data = par.Data();
    const std::int32_t end = data ? std::min(rec.end, par.bytes) : 0;
    const int tabWidth = TabWidthOf(measurer, options);

    TLineRuns out;
    out.cuts.assign(cuts.size(), {-1, 0});
    TPieceWalker walker(store.States(), data, rec.start, end, rec.style, rec.state);
    int x = 0;
    std::int32_t column = 0, spaces = 0;
    TLineRun run;
    auto startRun = [&](std::int32_t at) {
        run = TLineRun{};
        run.begin = at;
        run.column = column;
        run.spacesBefore = spaces;
        run.x = x;
        const THighlightState& state = walker.State();
        run.style = EffectiveStyle(walker.Style(), state);
        run.inContext = state.InContext();
        run.background = state.background;
        run.textColor = state.textColor;
    };
    auto flush = [&](std::int32_t at) {
        if (at > run.begin) {
            run.end = at;
            run.width = measurer.Width({data + run.begin, std::size_t(at - run.begin)}, run.style);
            out.runs.push_back(run);
        }
    };
    auto noteCuts = [&](std::int32_t at, int atX, std::int32_t atSpaces) {
        for (std::size_t k = 0; k < cuts.size(); ++k) {
            if (cuts[k] == at && out.cuts[k].first < 0)
                out.cuts[k] = {atX, atSpaces};
        }
    };
    startRun(rec.start);
    TPiece piece;
    for (;;) {
        noteCuts(column, x, spaces);
        if (!walker.Next(piece))
            break;
        switch (piece.kind) {
        case TPieceKind::Mark:
        case TPieceKind::Code:
            flush(piece.begin);
            column += piece.chars;
            startRun(piece.end);
            break;
        case TPieceKind::Tab:
            flush(piece.begin);
            x = NextTabStop(x, tabWidth);
            ++column;
            out.innerSpaces = spaces;
            startRun(piece.end);
            break;
        case TPieceKind::Text:
        case TPieceKind::Spaces: {
            const bool blank = piece.kind == TPieceKind::Spaces;
            // A run also ends at every cut inside the piece.
            for (std::int32_t k = 1; k < piece.chars; ++k) {
                if (std::find(cuts.begin(), cuts.end(), column + k) == cuts.end())
                    continue;
                const std::string_view text = PieceText(data, piece);
                const std::int32_t at = piece.begin + PrefixBytes(text.data(), std::int32_t(text.size()), k);
                const int atX = x + PrefixWidth(data, piece, k, measurer);
                const std::int32_t atSpaces = spaces + (blank ? k : 0);
                flush(at);
                noteCuts(column + k, atX, atSpaces);
                const std::int32_t savedColumn = column;
                const int savedX = x;
                const std::int32_t savedSpaces = spaces;
                column += k;
                x = atX;
                spaces = atSpaces;
                startRun(at);
                column = savedColumn;
                x = savedX;
                spaces = savedSpaces;
            }
            x += measurer.Width(PieceText(data, piece), piece.style);
            column += piece.chars;
            if (blank)
                spaces += piece.chars;
            else
                out.innerSpaces = spaces;
            break;
        }
        }
    }
    flush(end);
    out.chars = column;
    out.width = x;
    for (auto& cut : out.cuts) {
        if (cut.first < 0)
            cut = {x, spaces};
    }
    return out;
}

} // namespace vesk

// The editing core: selection, the edit primitive, style toggling, search, formatting.
#include "editor/VeskMemoCore.h"

#include "editor/KeyLists.h"
#include "editor/StoreText.h"
#include "editor/TextEncoding.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstring>

namespace vesk {
namespace {

// Every character one unit wide: the layout works before any font exists.
class TFixedMeasurer : public TTextMeasurer {
public:
    int Width(std::string_view utf8, std::uint8_t) const override { return 8 * int(CountUtf8Chars(utf8)); }
    int SpaceWidth() const override { return 8; }
    int LineHeight() const override { return 16; }
    int Ascent() const override { return 12; }
};

const TFixedMeasurer& FixedMeasurer()
{
    static const TFixedMeasurer m;
    return m;
}

// The style bits a text's codes leave switched on.
std::uint8_t CodeBits(std::string_view text)
{
    std::uint8_t bits = 0;
    for (char c : text)
        bits ^= StyleBitOf(static_cast<unsigned char>(c));
    return bits;
}

} // namespace

TVeskMemoCore::TVeskMemoCore() : selStart_(this), selEnd_(this), engine_(*this)
{
    SetOptions(Options() | kDefaultMemoOptions);
    notedLineCount_ = LineCount();
    AddListener(&lineCountWatch_);
}

TVeskMemoCore::~TVeskMemoCore()
{
    RemoveListener(&lineCountWatch_);
}

void TVeskMemoCore::NoteLineCount()
{
    if (LineCount() == notedLineCount_)
        return;
    notedLineCount_ = LineCount();
    LineCountChanged();
}

// ---- selection ---------------------------------------------------------------

std::int32_t TVeskMemoCore::SelStart() const
{
    return Caret().Offset();
}

std::int32_t TVeskMemoCore::SelLength() const
{
    const std::int32_t span = selEnd_.Offset() - selStart_.Offset();
    return caretAtEnd_ ? -span : span;
}

void TVeskMemoCore::Select(std::int32_t anchor, std::int32_t caret)
{
    anchor = std::clamp(anchor, 0, CharCount());
    caret = std::clamp(caret, 0, CharCount());
    selStart_.SetOffset(std::min(anchor, caret));
    selEnd_.SetOffset(std::max(anchor, caret));
    caretAtEnd_ = caret >= anchor;
    selectionMoved_ = true;
    if (!movingVertically_)
        desiredX_ = -1;  // a caret placed any other way starts a new column
    SelectionChanged();
    CaretMoved();
}

void TVeskMemoCore::SetSelStart(std::int32_t offset)
{
    const std::int32_t length = SelLength();
    virtualSpaces_ = 0;
    Select(offset, offset);
    if (length != 0)
        SetSelLength(length);
}

void TVeskMemoCore::SetSelLength(std::int32_t length)
{
    const std::int32_t caret = SelStart();
    const std::int32_t other = std::clamp(caret + length, 0, CharCount());
    // The caret stays where it is; the other end follows the length.
    Select(other, caret);
}

std::string TVeskMemoCore::SelText() const
{
    return GetTextPart(selStart_.Offset(), selEnd_.Offset());
}

void TVeskMemoCore::SelectAll()
{
    Select(0, CharCount());
}

void TVeskMemoCore::CaretMoved()
{
    TVeskNavigator& caret = Caret();
    const std::int32_t offset = caret.Offset();
    const std::uint8_t style = caret.Style();
    // A selection that grows or collapses around a caret that stays put is a
    // move too: commands that need a selection must hear of it.
    const std::int32_t span = selEnd_.Offset() - selStart_.Offset();
    if (offset != lastCaretOffset_ || span != lastSelectionSpan_) {
        lastCaretOffset_ = offset;
        lastSelectionSpan_ = span;
        if (OnSelMove)
            OnSelMove(this);
    }
    if (style != lastCaretStyle_) {
        lastCaretStyle_ = style;
        if (OnStyleChange)
            OnStyleChange(this);
    }
}

// ---- editing -----------------------------------------------------------------

bool TVeskMemoCore::ReplaceSelection(std::string_view text)
{
    const auto [from, to] = SnapRange(selStart_.Offset(), selEnd_.Offset());
    if (from == to && text.empty())
        return false;
    virtualSpaces_ = 0;
    const bool hadSelection = from != to;
    const std::int32_t caretBefore = SelStart();

    std::string inserted(text);
    const std::string oldText = GetTextPart(from, to);
    // Codes in the new text and in the text it replaces must not leave the
    // text after the edit in another style.
    const std::uint8_t open = std::uint8_t(CodeBits(inserted) ^ CodeBits(oldText));
    // A replay restores text exactly as it was.
    if (open && !togglingStyle_ && !replaying_) {
        if (open & kStyleUnderline)
            inserted += kCodeUnderline;
        if (open & kStyleItalic)
            inserted += kCodeItalic;
        if (open & kStyleBold)
            inserted += kCodeBold;
        if (open & kStyleHighlight)
            inserted += kCodeHighlight;
        if (open & kStyleAltFont)
            inserted += kCodeAltFont;
    }

    const std::optional<TTextChange> change = ReplaceRange(from, to, inserted);
    if (!change)
        return false;
    SetModified(true);
    RecordUndo(*change, oldText, hadSelection, caretBefore);

    const std::int32_t end = change->start + change->newLength;
    selStart_.SetOffset(end);
    selEnd_.SetOffset(end);
    caretAtEnd_ = false;

    // Edits format what they changed at once.
    pendingFormatFrom_ = std::min(pendingFormatFrom_, change->firstParagraph);
    relaidFirst_ = relaidLast_ = -1;
    trackRelaid_ = true;
    for (std::int32_t p = change->firstParagraph; p < change->firstParagraph + change->newParagraphs; ++p)
        EnsureFormatted(p);
    trackRelaid_ = false;
    if (OnParse)
        OnParse(this, change->start, end);
    TextChangedAt(change->firstParagraph);
    if (UpdateLock() == 0 && OnChange)
        OnChange(this);
    SelectionChanged();
    CaretMoved();
    return true;
}

void TVeskMemoCore::ToggleStyle(char code)
{
    if (!StyleBitOf(static_cast<unsigned char>(code)))
        return;
    const std::int32_t a = selStart_.Offset();
    const std::int32_t b = selEnd_.Offset();
    const bool hadSelection = a != b;
    const bool caretAtEnd = caretAtEnd_;
    const std::string one(1, code);
    togglingStyle_ = true;
    Select(a, a);
    ReplaceSelection(one);
    Select(b + 1, b + 1);
    ReplaceSelection(one);
    togglingStyle_ = false;
    if (!hadSelection)
        Select(a + 1, a + 1);
    else if (caretAtEnd)
        Select(a, b + 2);
    else
        Select(b + 2, a);
}

bool TVeskMemoCore::DropSelection(std::int32_t target, bool copy)
{
    const std::int32_t a = selStart_.Offset();
    const std::int32_t b = selEnd_.Offset();
    if (a == b || ReadOnly())
        return false;
    if (target >= a && target <= b) {
        Select(target, target);
        return false;
    }
    const std::string text = SelText();
    std::int32_t at = target;
    if (!copy) {
        ClearSelection();
        if (target > b)
            at -= b - a;  // the text before the target got shorter
    }
    Select(at, at);
    ReplaceSelection(text);
    if (!copy && undo_.Position() > 0)
        undo_[undo_.Position() - 1].linked = true;  // one Undo takes back both halves of a move
    // The dropped text ends up selected, as it was.
    const std::int32_t end = SelStart();
    Select(at, end);
    return true;
}

bool TVeskMemoCore::FindTxt(std::string_view text, bool forward, bool wholeWords, bool matchCase)
{
    std::u32string needle = ToUtf32(text);
    if (needle.empty())
        return false;
    if (!matchCase)
        needle = Upper(needle);
    const TSeparatorSet& separators = engine_.SeparatorSet();
    const auto n = std::int64_t(needle.size());

    // Every match of the needle in one paragraph, in order.
    auto matches = [&](std::int32_t p) {
        std::u32string hay = ToUtf32(*ParagraphText(p));
        if (!matchCase)
            hay = Upper(hay);
        std::vector<std::int64_t> found;
        for (std::size_t at = 0; (at = hay.find(needle, at)) != std::u32string::npos; ++at) {
            const auto a = std::int64_t(at);
            if (wholeWords) {
                const bool before = a == 0 || IsSeparator(separators, hay[std::size_t(a - 1)]);
                const bool after = a + n >= std::int64_t(hay.size()) || IsSeparator(separators, hay[std::size_t(a + n)]);
                if (!before || !after)
                    continue;
            }
            found.push_back(a);
        }
        return found;
    };

    TVeskNavigator& caret = Caret();
    const std::int32_t startParagraph = caret.ParagraphIndex();
    const std::int32_t caretPosition = caret.Position();
    if (forward) {
        for (std::int32_t p = startParagraph; p < ParagraphCount(); ++p) {
            for (std::int64_t a : matches(p)) {
                if (p == startParagraph && a < caretPosition)
                    continue;
                const std::int32_t start = ParagraphStart(p) + std::int32_t(a);
                Select(start, start + std::int32_t(n));
                return true;
            }
        }
        return false;
    }
    for (std::int32_t p = startParagraph; p >= 0; --p) {
        const std::vector<std::int64_t> found = matches(p);
        for (auto it = found.rbegin(); it != found.rend(); ++it) {
            if (p == startParagraph && *it >= caretPosition)
                continue;
            const std::int32_t start = ParagraphStart(p) + std::int32_t(*it);
            Select(start + std::int32_t(n), start);
            return true;
        }
    }
    return false;
}

// ---- positions ---------------------------------------------------------------

std::int32_t TVeskMemoCore::CurrentParagraph() const
{
    return const_cast<TVeskMemoCore*>(this)->Caret().ParagraphIndex();
}

std::int32_t TVeskMemoCore::CurrentLine() const
{
    auto* self = const_cast<TVeskMemoCore*>(this);
    self->FormatParagraphsThrough(CurrentParagraph());
    return self->Caret().DisplayLine();
}

std::int32_t TVeskMemoCore::CurrentColumn() const
{
    auto* self = const_cast<TVeskMemoCore*>(this);
    self->EnsureFormatted(CurrentParagraph());
    return self->Caret().Column() + virtualSpaces_;
}

void TVeskMemoCore::GotoLine(std::int32_t line)
{
    FormatUpTo(line);
    TVeskNavigator nav(this, false);
    nav.GotoLine(line);
    virtualSpaces_ = 0;
    Select(nav.Offset(), nav.Offset());
}

void TVeskMemoCore::GotoParagraph(std::int32_t paragraph)
{
    paragraph = std::clamp(paragraph, 0, ParagraphCount() - 1);
    virtualSpaces_ = 0;
    Select(ParagraphStart(paragraph), ParagraphStart(paragraph));
}

void TVeskMemoCore::SetTopLine(std::int32_t line)
{
    // Line numbers are those of the layout so far (paragraphs not yet laid
    // out count one line); the text above must be parsed, not laid out.
    line = std::clamp(line, 0, std::max(0, LineCount() - 1));
    engine_.EnsureParsed(ParagraphOfLine(line));
    if (line == topLine_)
        return;
    topLine_ = line;
    if (OnVScroll)
        OnVScroll(this);
}

void TVeskMemoCore::SetOverwrite(bool on)
{
    if (overwrite_ == on)
        return;
    overwrite_ = on;
    if (OnStyleChange)
        OnStyleChange(this);
}

void TVeskMemoCore::SetWordWrap(bool on)
{
    if (layout_.wordWrap == on)
        return;
    layout_.wordWrap = on;
    InvalidateLayout();
}

void TVeskMemoCore::SetTabStops(int n)
{
    n = std::max(1, n);
    if (layout_.tabStops == n)
        return;
    layout_.tabStops = n;
    InvalidateLayout();
}

// ---- layout ------------------------------------------------------------------

void TVeskMemoCore::SetMeasurer(const TTextMeasurer* m)
{
    measurer_ = m;
    InvalidateLayout();
}

const TTextMeasurer& TVeskMemoCore::Measurer() const
{
    return measurer_ ? *measurer_ : FixedMeasurer();
}

void TVeskMemoCore::SetLayoutWidth(int width)
{
    width = std::max(width, 1);
    if (layout_.width == width)
        return;
    layout_.width = width;
    if (layout_.wordWrap)
        InvalidateLayout();
}

void TVeskMemoCore::InvalidateLayout()
{
    for (std::int32_t i = 0; i < ParagraphCount(); ++i)
        MutableParagraph(i).formatted = false;
    DropDamage();
    pendingFormatFrom_ = 0;
}

void TVeskMemoCore::EnsureFormatted(std::int32_t paragraph)
{
    if (paragraph < 0 || paragraph >= ParagraphCount() || Paragraph(paragraph).formatted)
        return;
    // Highlighting decides fonts, so it comes first, in text order.
    engine_.EnsureParsed(paragraph);
    TLayoutOptions options = layout_;
    options.width = std::max(options.width, Measurer().LineHeight());
    // Paragraphs formatted above the view change the line numbers of what is
    // shown: the top line follows its text so the view does not jump.
    const std::int32_t before = Paragraph(paragraph).LineCount();
    const bool aboveTop = topLine_ > 0 && paragraph < ParagraphOfLine(topLine_);
    std::pair<std::int32_t, std::int32_t> relaid;
    if (Damage().paragraph == paragraph && Paragraph(paragraph).ownLines) {
        relaid = FormatDamagedLines(paragraph, options);
    } else {
        const std::vector<TLineRecord> lines = FormatParagraph(*this, paragraph, Measurer(), options);
        SetParagraphLines(paragraph, lines.data(), std::int32_t(lines.size()));
        relaid = {0, std::int32_t(lines.size())};
    }
    if (trackRelaid_) {
        const std::int32_t first = FirstLine(paragraph) + relaid.first;
        relaidFirst_ = relaidFirst_ < 0 ? first : std::min(relaidFirst_, first);
        relaidLast_ = std::max(relaidLast_, first + relaid.second - 1);
    }
    if (aboveTop)
        topLine_ = std::max(0, topLine_ + Paragraph(paragraph).LineCount() - before);
    if (Paragraph(paragraph).LineCount() != before)
        NoteLineCount();
}

std::pair<std::int32_t, std::int32_t> TVeskMemoCore::FormatDamagedLines(std::int32_t paragraph,
                                                                       const TLayoutOptions& options)
{
    // Lines before the change stay; so do those after it once a new line
    // starts where an old one does, in the same style and state (the old
    // ones there moved along with their bytes).
    const TParRecord& par = Paragraph(paragraph);
    const TLayoutDamage damage = Damage();
    const std::int32_t changedEnd = par.bytes - damage.tail;
    const std::int32_t count = par.LineCount();
    // From the line before the first one that starts in the change: the
    // word a change shortens may now fit at that line's end.
    std::int32_t lo = 0, hi = count - 1;  // the last line that starts before the change
    while (lo < hi) {
        const std::int32_t mid = (lo + hi + 1) / 2;
        if (StoredLine(par, mid).start < damage.from)
            lo = mid;
        else
            hi = mid - 1;
    }
    const std::int32_t first = std::max(0, lo - 1);
    std::int32_t old = first + 1;
    bool met = false;
    auto stopAt = [&](const TLineRecord& line) {
        if (line.start <= changedEnd)
            return false;
        while (old < count && StoredLine(par, old).start < line.start)
            ++old;
        if (old >= count)
            return false;
        const TStoredLine stored = StoredLine(par, old);
        met = stored.start == line.start && stored.style == line.style
            && std::memcmp(&State(stored.state), &line.state, sizeof line.state) == 0;
        return met;
    };
    const std::vector<TLineRecord> lines =
        FormatLinesFrom(*this, paragraph, Line(par, first), Measurer(), options, stopAt);
    ReplaceParagraphLines(paragraph, first, (met ? old : count) - first, lines.data(), std::int32_t(lines.size()));
    return {first, std::int32_t(lines.size())};
}

void TVeskMemoCore::FormatAround(std::int32_t paragraph, std::int32_t before, std::int32_t after)
{
    const std::int32_t first = std::max(0, paragraph - before);
    const std::int32_t last = std::min(ParagraphCount() - 1, paragraph + after);
    for (std::int32_t p = first; p <= last; ++p)
        EnsureFormatted(p);
}

void TVeskMemoCore::FormatParagraphsThrough(std::int32_t paragraph)
{
    paragraph = std::min(paragraph, ParagraphCount() - 1);
    for (std::int32_t p = pendingFormatFrom_; p <= paragraph; ++p) {
        EnsureFormatted(p);
        if (p == pendingFormatFrom_)
            ++pendingFormatFrom_;
    }
}

void TVeskMemoCore::FormatUpTo(std::int32_t line)
{
    for (std::int32_t p = pendingFormatFrom_; p < ParagraphCount(); ++p) {
        if (FirstLine(p) > line)
            break;
        EnsureFormatted(p);
        if (p == pendingFormatFrom_)
            ++pendingFormatFrom_;
    }
}

bool TVeskMemoCore::FormatSome(int budgetMs)
{
    QElapsedTimer clock;
    clock.start();
    while (pendingFormatFrom_ < ParagraphCount()) {
        EnsureFormatted(pendingFormatFrom_);
        ++pendingFormatFrom_;
        if (budgetMs > 0 && clock.elapsed() >= budgetMs)
            break;
    }
    return pendingFormatFrom_ < ParagraphCount();
}

// ---- undo --------------------------------------------------------------------

void TVeskMemoCore::RecordUndo(const TTextChange& change, std::string_view oldText, bool hadSelection,
                               std::int32_t caretBefore)
{
    const bool moved = selectionMoved_;
    selectionMoved_ = false;
    if (std::int64_t(oldText.size()) > TUndoList::kMaxRecordBytes) {
        undo_.Clear();  // too large to keep: this edit cannot be undone
        return;
    }
    if (!replaying_)
        undo_.DropRedo();
    const std::int32_t position = undo_.Position();
    bool fresh = hadSelection || position == 0 || replaying_ || moved;
    if (!fresh) {
        const TUndoRecord& last = undo_[position - 1];
        fresh = last.end != caretBefore || last.start == caretBefore;
    }
    if (fresh) {
        TUndoRecord record;
        record.start = change.start;
        record.end = change.start + change.newLength;
        record.text.assign(oldText);
        undo_.Store(std::move(record));
    } else {
        undo_[position - 1].end = caretBefore + change.newLength;
    }
}

void TVeskMemoCore::Undo()
{
    const std::int32_t top = undo_.Position();
    if (top == 0)
        return;
    // A step is a record and every record linked before it.
    std::int32_t first = top - 1;
    while (first > 0 && undo_[first].linked)
        --first;
    const std::int32_t steps = top - first;
    // Positions are read afresh for each record: a replay may trim the list.
    undoInProgress_ = true;
    for (std::int32_t n = 0; n < steps && undo_.Position() > 0; ++n) {
        const std::int32_t at = undo_.Position() - 1;
        const TUndoRecord record = undo_[at];
        Select(record.end, record.start);
        replaying_ = true;
        undo_.SetPosition(at);
        ReplaceSelection(record.text);  // stores the inverse in the record's place
        undo_.SetPosition(undo_.Position() - 1);
        replaying_ = false;
    }
    undoInProgress_ = false;
    const std::int32_t from = undo_.Position();
    for (std::int32_t i = from + 1; i < std::min(from + steps, undo_.Count()); ++i)
        undo_[i].linked = true;  // redo replays the whole step again
    selectionMoved_ = true;
}

void TVeskMemoCore::Redo()
{
    const std::int32_t first = undo_.Position();
    if (first >= undo_.Count())
        return;
    std::int32_t end = first + 1;
    while (end < undo_.Count() && undo_[end].linked)
        ++end;
    const std::int32_t steps = end - first;
    for (std::int32_t n = 0; n < steps && undo_.Position() < undo_.Count(); ++n) {
        const TUndoRecord record = undo_[undo_.Position()];
        Select(record.end, record.start);
        replaying_ = true;
        ReplaceSelection(record.text);
        replaying_ = false;
    }
    const std::int32_t to = undo_.Position();
    for (std::int32_t i = std::max(to - steps, 0) + 1; i < to; ++i)
        undo_[i].linked = true;  // undo takes the whole step back again
    selectionMoved_ = true;
}

void TVeskMemoCore::JoinUndoSince(std::int32_t mark)
{
    for (std::int32_t i = std::max(mark, 0) + 1; i < undo_.Position(); ++i)
        undo_[i].linked = true;
}

bool TVeskMemoCore::CanUndo() const
{
    return undo_.Position() >= (undoInProgress_ ? 2 : 1);
}

bool TVeskMemoCore::CanRedo() const
{
    return undoInProgress_ ? undo_.Count() >= undo_.Position() : undo_.Position() < undo_.Count();
}

void TVeskMemoCore::ClearUndo()
{
    undo_.Clear();
}

void TVeskMemoCore::TextLoaded()
{
    ClearUndo();
    virtualSpaces_ = 0;
    topLine_ = 0;
    pendingFormatFrom_ = 0;
    caretAtEnd_ = false;
    lastCaretOffset_ = -1;
    CaretMoved();
}

} // namespace vesk

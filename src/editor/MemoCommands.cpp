// What the keys of the editor do: caret moves, typing, deleting, the key
// table, the clipboard and the integrity check.
#include "editor/VeskMemoCore.h"

#include "editor/KeyLists.h"
#include "editor/StoreText.h"
#include "editor/TextEncoding.h"

#include <algorithm>

namespace vesk {
namespace {

bool IsBlankChar(char32_t c)
{
    return c == U' ' || c == U'\t';
}

} // namespace

// ---- moving ------------------------------------------------------------------

void TVeskMemoCore::MoveCaret(TMove move, bool extend)
{
    const std::int32_t anchor = extend ? (caretAtEnd_ ? selStart_.Offset() : selEnd_.Offset()) : -1;
    std::int32_t caret = SelStart();
    const TSeparatorSet& separators = engine_.SeparatorSet();
    const bool vertical = move == TMove::Up || move == TMove::Down || move == TMove::PageUp || move == TMove::PageDown;
    if (!vertical)
        desiredX_ = -1;
    if (move != TMove::Up && move != TMove::Down)
        virtualSpaces_ = 0;

    auto paragraphOf = [&](std::int32_t offset) { return ParagraphOfOffset(offset); };
    auto isCode = [&](std::int32_t offset) {
        const char32_t c = CharAt(offset);
        return c < 0x80 && StyleBitOf(static_cast<unsigned char>(c));
    };

    switch (move) {
    case TMove::Right: {
        const std::int32_t p = paragraphOf(caret);
        const std::int32_t end = ParagraphStart(p) + Paragraph(p).length;
        if (caret >= end)
            caret = p + 1 < ParagraphCount() ? ParagraphStart(p + 1) : caret;  // a break is one step
        else
            ++caret;
        while (passOverCodes_ && caret < CharCount() && isCode(caret) && caret < ParagraphStart(paragraphOf(caret)) + Paragraph(paragraphOf(caret)).length)
            ++caret;
        break;
    }
    case TMove::Left: {
        const std::int32_t p = paragraphOf(caret);
        if (caret <= ParagraphStart(p)) {
            if (p > 0) {
                caret = ParagraphStart(p - 1) + Paragraph(p - 1).length;
                if (Options() & vmoDiscardTrailingSpaces) {
                    while (caret > ParagraphStart(p - 1) && IsBlankChar(CharAt(caret - 1)))
                        --caret;
                }
            }
        } else {
            --caret;
            while (passOverCodes_ && caret > ParagraphStart(p) && isCode(caret))
                --caret;
        }
        break;
    }
    case TMove::WordRight: {
        // To the start of the next word, crossing a break when the paragraph ends.
        const std::int32_t p = paragraphOf(caret);
        const std::int32_t end = ParagraphStart(p) + Paragraph(p).length;
        if (caret >= end) {
            caret = p + 1 < ParagraphCount() ? ParagraphStart(p + 1) : caret;
            break;
        }
        while (caret < end && !IsSeparator(separators, CharAt(caret)))
            ++caret;
        while (caret < end && IsSeparator(separators, CharAt(caret)))
            ++caret;
        break;
    }
    case TMove::WordLeft: {
        const std::int32_t p = paragraphOf(caret);
        const std::int32_t start = ParagraphStart(p);
        if (caret <= start) {
            if (p > 0)
                caret = ParagraphStart(p - 1) + Paragraph(p - 1).length;
            break;
        }
        while (caret > start && IsSeparator(separators, CharAt(caret - 1)))
            --caret;
        while (caret > start && !IsSeparator(separators, CharAt(caret - 1)))
            --caret;
        break;
    }
    case TMove::Up:
    case TMove::Down:
    case TMove::PageUp:
    case TMove::PageDown: {
        TVeskNavigator& nav = Caret();
        const std::int32_t reach = (move == TMove::Up || move == TMove::Down) ? 1 : std::max(1, VisibleLineCount());
        // Every paragraph has a line at least: laying out `reach` paragraphs
        // on each side fixes the numbering of every line the move can reach.
        FormatAround(nav.ParagraphIndex(), reach, reach);
        const std::int32_t line = nav.DisplayLine();
        if (desiredX_ < 0) {
            desiredX_ = XOfColumn(*this, nav.ParagraphIndex(), nav.LineIndex(), nav.Column(), Measurer(), layout_)
                + virtualSpaces_ * Measurer().SpaceWidth();
        }
        const std::int32_t step = (move == TMove::Up || move == TMove::Down) ? 1 : std::max(1, VisibleLineCount() - 1);
        std::int32_t target = (move == TMove::Up || move == TMove::PageUp) ? line - step : line + step;
        target = std::clamp(target, 0, LineCount() - 1);
        TVeskNavigator to(this, false);
        to.GotoLine(target);
        const std::int32_t p = to.ParagraphIndex();
        const std::int32_t column = ColumnOfX(*this, p, to.LineIndex(), desiredX_, Measurer(), layout_);
        caret = to.Offset() + column;
        virtualSpaces_ = 0;
        // Past the end of a paragraph the difference can become virtual spaces.
        if ((Options() & vmoKeepColumnPos) && !extend) {
            const bool lastLine = to.LineIndex() == Paragraph(p).LineCount() - 1;
            const int lineX = XOfColumn(*this, p, to.LineIndex(), column, Measurer(), layout_);
            if (lastLine && desiredX_ > lineX)
                virtualSpaces_ = (desiredX_ - lineX) / std::max(1, Measurer().SpaceWidth());
        }
        break;
    }
    case TMove::LineStart:
    case TMove::LineEnd: {
        TVeskNavigator& nav = Caret();
        EnsureFormatted(nav.ParagraphIndex());
        TVeskNavigator to(this, false);
        to.GotoLine(nav.DisplayLine());
        if (move == TMove::LineStart) {
            caret = to.Offset();
            break;
        }
        const std::int32_t p = to.ParagraphIndex();
        const TParRecord& par = Paragraph(p);
        const std::int32_t chars = LineChars(par, to.LineIndex());
        caret = to.Offset() + chars;
        // A wrapped line's end is the next line's start: stay before its
        // last character so the caret remains on this line.
        if (to.LineIndex() + 1 < par.LineCount() && chars > 0)
            --caret;
        break;
    }
    case TMove::TextStart:
        caret = 0;
        break;
    case TMove::TextEnd:
        caret = CharCount();
        break;
    }
    movingVertically_ = vertical;
    Select(extend ? anchor : caret, caret);
    movingVertically_ = false;
}

// ---- typing and deleting -------------------------------------------------------

void TVeskMemoCore::TypeText(std::string_view text)
{
    if (text.empty())
        return;
    const bool noSelection = selStart_.Offset() == selEnd_.Offset();
    const std::int32_t caret = SelStart();
    const std::int32_t p = ParagraphOfOffset(caret);
    const std::int32_t paragraphEnd = ParagraphStart(p) + Paragraph(p).length;
    if (noSelection && text == " " && caret == paragraphEnd && (Options() & vmoKeepColumnPos)
        && (Options() & vmoDiscardTrailingSpaces)) {
        ++virtualSpaces_;  // trailing blanks would be dropped anyway
        return;
    }
    std::string insert;
    if (noSelection && virtualSpaces_ > 0 && (Options() & vmoPutExtraSpaces))
        insert.assign(std::size_t(virtualSpaces_), ' ');
    insert.append(text);
    if (noSelection && overwrite_ && caret < paragraphEnd) {
        const std::int32_t replace = std::min<std::int32_t>(std::int32_t(CountUtf8Chars(text)), paragraphEnd - caret);
        Select(caret, caret + replace);
    }
    desiredX_ = -1;
    ReplaceSelection(insert);
}

void TVeskMemoCore::Backspace(bool wholeWord)
{
    desiredX_ = -1;
    if (selStart_.Offset() != selEnd_.Offset()) {
        ClearSelection();
        return;
    }
    if (virtualSpaces_ > 0) {
        --virtualSpaces_;
        return;
    }
    const std::int32_t caret = SelStart();
    if (caret == 0)
        return;
    const std::int32_t p = ParagraphOfOffset(caret);
    const std::int32_t start = ParagraphStart(p);
    if (caret == start) {
        Select(caret - 2, caret);  // the break as a whole
        ClearSelection();
        return;
    }
    std::int32_t from = caret - 1;
    if (wholeWord) {
        const TSeparatorSet& separators = engine_.SeparatorSet();
        from = caret;
        while (from > start && IsSeparator(separators, CharAt(from - 1)))
            --from;
        while (from > start && !IsSeparator(separators, CharAt(from - 1)))
            --from;
    } else if (Options() & vmoBackIndent) {
        // At the end of the leading blanks, back to the indentation of the
        // nearest earlier paragraph indented less.
        std::int32_t indent = 0;
        while (start + indent < caret && IsBlankChar(CharAt(start + indent)))
            ++indent;
        if (start + indent == caret && indent > 0) {
            for (std::int32_t q = p - 1; q >= 0; --q) {
                const std::int32_t qs = ParagraphStart(q);
                std::int32_t qIndent = 0;
                while (qIndent < Paragraph(q).length && IsBlankChar(CharAt(qs + qIndent)))
                    ++qIndent;
                if (qIndent < indent && qIndent < Paragraph(q).length) {
                    from = start + qIndent;
                    break;
                }
            }
        }
    }
    Select(from, caret);
    ClearSelection();
}

void TVeskMemoCore::DeleteForward(bool toLineEnd)
{
    desiredX_ = -1;
    const std::int32_t caret = SelStart();
    if (toLineEnd) {
        TVeskNavigator a(this, false), b(this, false);
        a.SetOffset(selStart_.Offset());
        b.SetOffset(selEnd_.Offset());
        FormatAround(a.ParagraphIndex(), 0, b.ParagraphIndex() - a.ParagraphIndex());
        if (a.DisplayLine() != b.DisplayLine())
            return;
        TVeskNavigator line(this, false);
        line.GotoLine(a.DisplayLine());
        const TParRecord& par = Paragraph(line.ParagraphIndex());
        const std::int32_t chars = LineChars(par, line.LineIndex());
        Select(caret, line.Offset() + chars);
        ClearSelection();
        return;
    }
    if (selStart_.Offset() != selEnd_.Offset()) {
        ClearSelection();
        return;
    }
    if (caret >= CharCount())
        return;
    const std::int32_t p = ParagraphOfOffset(caret);
    const bool atBreak = caret == ParagraphStart(p) + Paragraph(p).length;
    Select(caret, caret + (atBreak ? 2 : 1));
    ClearSelection();
}

void TVeskMemoCore::Enter()
{
    desiredX_ = -1;
    const bool noSelection = selStart_.Offset() == selEnd_.Offset();
    if (overwrite_ && noSelection) {
        // Overwrite mode moves to the next line instead of breaking this one.
        TVeskNavigator& nav = Caret();
        EnsureFormatted(nav.ParagraphIndex());
        const std::int32_t line = nav.DisplayLine();
        FormatUpTo(line + 1);
        if (line + 1 < LineCount()) {
            TVeskNavigator to(this, false);
            to.GotoLine(line + 1);
            Select(to.Offset(), to.Offset());
        } else {
            Select(CharCount(), CharCount());
            ReplaceSelection("\r\n");
        }
        return;
    }
    std::string insert = "\r\n";
    if ((Options() & vmoAutoIndent) && noSelection) {
        TVeskNavigator& nav = Caret();
        EnsureFormatted(nav.ParagraphIndex());
        TVeskNavigator line(this, false);
        line.GotoLine(nav.DisplayLine());
        const std::int32_t column = nav.Column();
        for (std::int32_t k = 0; k < column; ++k) {
            const char32_t c = CharAt(line.Offset() + k);
            if (!IsBlankChar(c))
                break;
            insert += char(c);
        }
    }
    ReplaceSelection(insert);
}

// ---- clipboard ------------------------------------------------------------------

void TVeskMemoCore::CopyToClipboard() const
{
    if (selStart_.Offset() == selEnd_.Offset() || !WriteClipboard)
        return;
    WriteClipboard(SelText());
}

void TVeskMemoCore::CutToClipboard()
{
    // Without a clipboard to keep it, a cut would only lose the text.
    if (selStart_.Offset() == selEnd_.Offset() || !WriteClipboard)
        return;
    CopyToClipboard();
    ClearSelection();
}

void TVeskMemoCore::PasteFromClipboard()
{
    if (!ReadClipboard)
        return;
    const std::optional<std::string> text = ReadClipboard();
    if (text)
        PasteText(*text);  // only plain text is pasted
}

void TVeskMemoCore::PasteText(std::string_view text)
{
    ReplaceSelection(text);
    selectionMoved_ = true;  // typing after a paste is a step of its own
}

// ---- the key table ---------------------------------------------------------------

namespace {

// What must be on for a row to act.
enum class TKeySwitch : std::uint8_t {
    Always,
    WantTabs,   // the Tab key belongs to the text
    HotKeys,    // EnableHotKeys
    StyleKeys,  // EnableHotKeys and EnableStyleKeys
};

constexpr Qt::KeyboardModifiers kNoMods = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kAlt = Qt::AltModifier;

} // namespace

// One row: a key, the modifiers it needs and those it refuses (any other
// modifier is ignored), the switch it depends on, whether it edits, and what
// it does (`shift` extends a selection for moves).
struct TVeskMemoCore::TKeyRow {
    int key;
    Qt::KeyboardModifiers need;
    Qt::KeyboardModifiers refuse;
    TKeySwitch when;
    bool edits;
    void (*action)(TVeskMemoCore& m, bool shift);
};

const std::vector<TVeskMemoCore::TKeyRow>& TVeskMemoCore::EditKeys()
{
    using M = TVeskMemoCore;
    using S = TKeySwitch;
    // Rows are tried in order: a row that needs a modifier comes before the
    // row of the same key without it.
    static const std::vector<TKeyRow> rows = {
        {Qt::Key_Left, kCtrl, kNoMods, S::Always, false, [](M& m, bool s) { m.MoveCaret(TMove::WordLeft, s); }},
        {Qt::Key_Left, kNoMods, kNoMods, S::Always, false, [](M& m, bool s) { m.MoveCaret(TMove::Left, s); }},
        {Qt::Key_Right, kCtrl, kNoMods, S::Always, false, [](M& m, bool s) { m.MoveCaret(TMove::WordRight, s); }},
        {Qt::Key_Right, kNoMods, kNoMods, S::Always, false, [](M& m, bool s) { m.MoveCaret(TMove::Right, s); }},
        {Qt::Key_Up, kNoMods, kNoMods, S::Always, false, [](M& m, bool s) { m.MoveCaret(TMove::Up, s); }},
        {Qt::Key_Down, kNoMods, kNoMods, S::Always, false, [](M& m, bool s) { m.MoveCaret(TMove::Down, s); }},
        {Qt::Key_PageUp, kNoMods, kNoMods, S::Always, false, [](M& m, bool s) { m.MoveCaret(TMove::PageUp, s); }},
        {Qt::Key_PageDown, kNoMods, kNoMods, S::Always, false, [](M& m, bool s) { m.MoveCaret(TMove::PageDown, s); }},
        {Qt::Key_Home, kCtrl, kNoMods, S::Always, false, [](M& m, bool s) { m.MoveCaret(TMove::TextStart, s); }},
        {Qt::Key_Home, kNoMods, kNoMods, S::Always, false, [](M& m, bool s) { m.MoveCaret(TMove::LineStart, s); }},
        {Qt::Key_End, kCtrl, kNoMods, S::Always, false, [](M& m, bool s) { m.MoveCaret(TMove::TextEnd, s); }},
        {Qt::Key_End, kNoMods, kNoMods, S::Always, false, [](M& m, bool s) { m.MoveCaret(TMove::LineEnd, s); }},
        {Qt::Key_Backspace, kCtrl, kNoMods, S::Always, true, [](M& m, bool) { m.Backspace(true); }},
        {Qt::Key_Backspace, kNoMods, kNoMods, S::Always, true, [](M& m, bool) { m.Backspace(false); }},
        // Shift+Delete cuts a selection, or without one deletes backwards.
        {Qt::Key_Delete, kShift, kNoMods, S::Always, true, [](M& m, bool) {
             if (m.SelLength() != 0)
                 m.CutToClipboard();
             else
                 m.Backspace(false);
         }},
        {Qt::Key_Delete, kCtrl, kNoMods, S::Always, true, [](M& m, bool) { m.DeleteForward(true); }},
        {Qt::Key_Delete, kNoMods, kNoMods, S::Always, true, [](M& m, bool) { m.DeleteForward(false); }},
        {Qt::Key_Insert, kShift, kNoMods, S::Always, true, [](M& m, bool) { m.PasteFromClipboard(); }},
        {Qt::Key_Insert, kCtrl, kNoMods, S::Always, false, [](M& m, bool) { m.CopyToClipboard(); }},
        {Qt::Key_Insert, kNoMods, kNoMods, S::Always, false, [](M& m, bool) {
             if (m.Options() & vmoInsertKeyActive)
                 m.SetOverwrite(!m.Overwrite());
         }},
        // With Alt the Tab key belongs to the desktop.
        {Qt::Key_Tab, kNoMods, kAlt, S::WantTabs, true, [](M& m, bool) { m.TypeText("\t"); }},
        {Qt::Key_Return, kNoMods, kNoMods, S::Always, true, [](M& m, bool) { m.Enter(); }},
        {Qt::Key_Enter, kNoMods, kNoMods, S::Always, true, [](M& m, bool) { m.Enter(); }},
        {Qt::Key_C, kCtrl, kAlt, S::Always, false, [](M& m, bool) { m.CopyToClipboard(); }},
        {Qt::Key_X, kCtrl, kAlt, S::Always, true, [](M& m, bool) { m.CutToClipboard(); }},
        {Qt::Key_V, kCtrl, kAlt, S::Always, true, [](M& m, bool) { m.PasteFromClipboard(); }},
        {Qt::Key_E, kCtrl, kAlt, S::Always, false, [](M& m, bool) { m.CheckIntegrity(); }},
        {Qt::Key_B, kCtrl, kAlt, S::StyleKeys, true, [](M& m, bool) { m.ToggleStyle(kCodeBold); }},
        {Qt::Key_I, kCtrl, kAlt, S::StyleKeys, true, [](M& m, bool) { m.ToggleStyle(kCodeItalic); }},
        {Qt::Key_U, kCtrl, kAlt, S::StyleKeys, true, [](M& m, bool) { m.ToggleStyle(kCodeUnderline); }},
        {Qt::Key_H, kCtrl, kAlt, S::StyleKeys, true, [](M& m, bool) { m.ToggleStyle(kCodeHighlight); }},
        {Qt::Key_F, kCtrl, kAlt, S::StyleKeys, true, [](M& m, bool) { m.ToggleStyle(kCodeAltFont); }},
        {Qt::Key_T, kCtrl, kAlt, S::HotKeys, true, [](M& m, bool) { m.TypeText("\t"); }},
        // A paragraph holding only the byte 16 (the printer reads it).
        {Qt::Key_P, kCtrl, kAlt, S::HotKeys, true, [](M& m, bool) { m.ReplaceSelection("\r\n\x10\r\n"); }},
        {Qt::Key_Z, kCtrl | kShift, kAlt, S::HotKeys, true, [](M& m, bool) { m.Redo(); }},
        {Qt::Key_Z, kCtrl, kAlt, S::HotKeys, true, [](M& m, bool) { m.Undo(); }},
    };
    return rows;
}

const std::vector<TVeskMemoCore::TKeyRow>& TVeskMemoCore::ViewKeys()
{
    using M = TVeskMemoCore;
    using S = TKeySwitch;
    static const std::vector<TKeyRow> rows = {
        {Qt::Key_Up, kNoMods, kNoMods, S::Always, false, [](M& m, bool) { m.SetTopLine(std::max(0, m.TopLine() - 1)); }},
        {Qt::Key_Down, kNoMods, kNoMods, S::Always, false,
         [](M& m, bool) { m.SetTopLine(std::min(std::max(0, m.LineCount() - 1), m.TopLine() + 1)); }},
        {Qt::Key_PageUp, kCtrl, kNoMods, S::Always, false, [](M& m, bool) { m.SetTopLine(0); }},
        {Qt::Key_PageUp, kNoMods, kNoMods, S::Always, false, [](M& m, bool) { m.SetTopLine(std::max(0, m.TopLine() - 1)); }},
        // The last page: the last line shows at the bottom of the view.
        {Qt::Key_PageDown, kCtrl, kNoMods, S::Always, false,
         [](M& m, bool) { m.SetTopLine(std::max(0, m.LineCount() - m.VisibleLineCount() + 1)); }},
        {Qt::Key_PageDown, kNoMods, kNoMods, S::Always, false,
         [](M& m, bool) { m.SetTopLine(std::min(std::max(0, m.LineCount() - 1), m.TopLine() + 1)); }},
        {Qt::Key_Home, kNoMods, kNoMods, S::Always, false, [](M& m, bool) { m.ScrollHorizontally(0); }},
        {Qt::Key_End, kNoMods, kNoMods, S::Always, false, [](M& m, bool) { m.ScrollHorizontally(2); }},
        {Qt::Key_Left, kNoMods, kNoMods, S::Always, false, [](M& m, bool) { m.ScrollHorizontally(-1); }},
        {Qt::Key_Right, kNoMods, kNoMods, S::Always, false, [](M& m, bool) { m.ScrollHorizontally(1); }},
    };
    return rows;
}

bool TVeskMemoCore::HandleKey(int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    const bool canEdit = !readOnly_ && UpdateLock() == 0;
    auto switchedOn = [this](TKeySwitch when) {
        switch (when) {
        case TKeySwitch::Always: return true;
        case TKeySwitch::WantTabs: return wantTabs_;
        case TKeySwitch::HotKeys: return enableHotKeys_;
        case TKeySwitch::StyleKeys: return enableHotKeys_ && enableStyleKeys_;
        }
        return false;
    };
    for (const TKeyRow& row : displayOnly_ ? ViewKeys() : EditKeys()) {
        if (row.key != key || (modifiers & row.need) != row.need || (modifiers & row.refuse) || !switchedOn(row.when))
            continue;
        if (canEdit || !row.edits)
            row.action(*this, modifiers & Qt::ShiftModifier);
        return true;
    }
    if (displayOnly_)
        return false;  // keys only scroll

    // Printable text (input methods deliver composed characters here too);
    // Ctrl and Alt make a key a command, never text.
    if (!text.isEmpty() && !(modifiers & (kCtrl | kAlt))) {
        const QChar first = text.at(0);
        if (first.isPrint() || first.isSurrogate()) {
            if (canEdit)
                TypeText(text.toUtf8().toStdString());
            return true;
        }
    }
    return false;
}

// ---- integrity ---------------------------------------------------------------------

void TVeskMemoCore::CheckIntegrity() const
{
    const std::string version = VersionText();
    std::int32_t line = 0;
    std::int64_t offset = 0;
    std::int32_t lines = 0;
    for (std::int32_t i = 0; i < ParagraphCount(); ++i) {
        const TParRecord& par = Paragraph(i);
        if (FirstLine(i) != line)
            throw EVeskError("Error 1" + version);
        if (ParagraphStart(i) != offset)
            throw EVeskError("Error 2 in " + version);
        std::int32_t expected = 0;
        for (std::int32_t k = 0; k < par.LineCount(); ++k) {
            // Each line starts where the one before ended, and knows how
            // many characters lie before it.
            const TStoredLine rec = StoredLine(par, k);
            if (rec.start != expected || rec.chars != store::CharsBetween(par.Data(), 0, rec.start))
                throw EVeskError("Error 3 in " + version);
            expected = rec.end;
        }
        if (expected != par.bytes || store::CharsBetween(par.Data(), 0, par.bytes) != par.length
            || store::MarksBetween(par.Data(), 0, par.bytes) != par.markCount)
            throw EVeskError("Error 4 in " + version);
        line += par.LineCount();
        lines += par.LineCount();
        offset += par.length + 2;
    }
    if (CharCount() + 2 != offset)
        throw EVeskError("Error 5 in " + version);
    if (LineCount() != lines)
        throw EVeskError("Error 6 in " + version);
}

} // namespace vesk

// What the keys of the editor do: caret moves, typing, deleting, the key
// table, the clipboard and the integrity check.
#include "editor/VeskMemoCore.h"

#include "editor/KeyLists.h"
#include "editor/StoreText.h"
#include "editor/TextEncoding.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

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
    if (selStart_.Offset() == selEnd_.Offset())
        return;
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(QString::fromUtf8(SelText()));
}

void TVeskMemoCore::CutToClipboard()
{
    if (selStart_.Offset() == selEnd_.Offset())
        return;
    CopyToClipboard();
    ClearSelection();
}

void TVeskMemoCore::PasteFromClipboard()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    const QMimeData* data = clipboard->mimeData();
    if (!data || !data->hasText())
        return;  // only plain text is pasted
    ReplaceSelection(data->text().toUtf8().toStdString());
    selectionMoved_ = true;  // typing after a paste is a step of its own
}

// ---- the key table ---------------------------------------------------------------

bool TVeskMemoCore::HandleKey(int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool alt = modifiers & Qt::AltModifier;

    if (displayOnly_) {
        // Keys only scroll.
        const int last = std::max(0, LineCount() - 1);
        switch (key) {
        case Qt::Key_Up: SetTopLine(std::max(0, TopLine() - 1)); return true;
        case Qt::Key_Down: SetTopLine(std::min(last, TopLine() + 1)); return true;
        case Qt::Key_PageUp: SetTopLine(ctrl ? 0 : std::max(0, TopLine() - 1)); return true;
        case Qt::Key_PageDown:
            SetTopLine(ctrl ? std::max(0, LineCount() - VisibleLineCount() + 1) : std::min(last, TopLine() + 1));
            return true;
        case Qt::Key_Home: ScrollHorizontally(0); return true;
        case Qt::Key_End: ScrollHorizontally(2); return true;
        case Qt::Key_Left: ScrollHorizontally(-1); return true;
        case Qt::Key_Right: ScrollHorizontally(1); return true;
        default: return false;
        }
    }

    const bool canEdit = !readOnly_ && UpdateLock() == 0;
    auto move = [&](TMove m) {
        MoveCaret(m, shift);
        return true;
    };
    switch (key) {
    case Qt::Key_Left: return move(ctrl ? TMove::WordLeft : TMove::Left);
    case Qt::Key_Right: return move(ctrl ? TMove::WordRight : TMove::Right);
    case Qt::Key_Up: return move(TMove::Up);
    case Qt::Key_Down: return move(TMove::Down);
    case Qt::Key_PageUp: return move(TMove::PageUp);
    case Qt::Key_PageDown: return move(TMove::PageDown);
    case Qt::Key_Home: return move(ctrl ? TMove::TextStart : TMove::LineStart);
    case Qt::Key_End: return move(ctrl ? TMove::TextEnd : TMove::LineEnd);
    case Qt::Key_Backspace:
        if (canEdit)
            Backspace(ctrl);
        return true;
    case Qt::Key_Delete:
        if (!canEdit)
            return true;
        if (shift) {
            if (selStart_.Offset() != selEnd_.Offset())
                CutToClipboard();
            else
                Backspace(false);
        } else {
            DeleteForward(ctrl);
        }
        return true;
    case Qt::Key_Insert:
        if (shift) {
            if (canEdit)
                PasteFromClipboard();
        } else if (ctrl) {
            CopyToClipboard();
        } else if (Options() & vmoInsertKeyActive) {
            SetOverwrite(!overwrite_);
        }
        return true;
    case Qt::Key_Tab:
        if (alt || !wantTabs_)
            return false;
        if (canEdit)
            TypeText("\t");
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (canEdit)
            Enter();
        return true;
    default:
        break;
    }

    if (ctrl && !alt) {
        const bool hot = enableHotKeys_;
        switch (key) {
        case Qt::Key_C: CopyToClipboard(); return true;
        case Qt::Key_X: if (canEdit) CutToClipboard(); return true;
        case Qt::Key_V: if (canEdit) PasteFromClipboard(); return true;
        case Qt::Key_E: CheckIntegrity(); return true;
        default: break;
        }
        if (hot) {
            switch (key) {
            case Qt::Key_B: if (canEdit) ToggleStyle(kCodeBold); return true;
            case Qt::Key_I: if (canEdit) ToggleStyle(kCodeItalic); return true;
            case Qt::Key_U: if (canEdit) ToggleStyle(kCodeUnderline); return true;
            case Qt::Key_H: if (canEdit) ToggleStyle(kCodeHighlight); return true;
            case Qt::Key_F: if (canEdit) ToggleStyle(kCodeAltFont); return true;
            case Qt::Key_T: if (canEdit) TypeText("\t"); return true;
            case Qt::Key_P: if (canEdit) ReplaceSelection("\r\n\x10\r\n"); return true;
            case Qt::Key_Z:
                if (canEdit) {
                    if (shift)
                        Redo();
                    else
                        Undo();
                }
                return true;
            default: break;
            }
        }
        return false;
    }

    // Printable text (input methods deliver composed characters here too).
    if (!text.isEmpty() && !alt) {
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

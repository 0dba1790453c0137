// The editing core of the editor control, without a window: selection and
// caret, the edit primitive, display-line formatting, and the commands that
// keys and the rest of the program run. The widget (TVeskMemo) paints it and
// turns input events into these calls.
//
// Selection model. Three navigators hold the selection start (lower offset),
// the selection end (upper offset) and the caret, which is always one of the
// two. SelStart() is the caret's offset; SelLength() is signed and measured
// from the caret: positive when the selection extends forward from the caret,
// negative when it extends backward, 0 for none.
#pragma once

#include "editor/HighlightEngine.h"
#include "editor/TextLayout.h"
#include "editor/UndoList.h"
#include "editor/VeskMemoStore.h"
#include "editor/VeskNavigator.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QString>
#include <Qt>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

// Options beyond the store's (the full set of the control, in this order).
enum TVeskMemoEditOption : std::uint32_t {
    vmoKeepColumnPos = 1u << 1,
    vmoPutExtraSpaces = 1u << 2,
    vmoWrapCaret = 1u << 3,
    vmoInsertKeyActive = 1u << 4,
    vmoWideOverwriteCaret = 1u << 5,
    vmoLargeWordSelect = 1u << 6,
    vmoAutoScrollBars = 1u << 7,
    vmoNoDragnDrop = 1u << 8,
    vmoAutoIndent = 1u << 9,
    vmoBackIndent = 1u << 10,
    vmoWindowsSelColors = 1u << 11,
    vmoFullLineSelect = 1u << 12,
};
inline constexpr std::uint32_t kDefaultMemoOptions =
    vmoWrapCaret | vmoInsertKeyActive | vmoWideOverwriteCaret | vmoLargeWordSelect | vmoAutoScrollBars;

// Style codes as characters.
inline constexpr char kCodeBold = 2, kCodeItalic = 1, kCodeUnderline = 21, kCodeHighlight = 3, kCodeAltFont = 4;

class TVeskMemoCore : public TVeskMemoStore {
public:
    TVeskMemoCore();
    ~TVeskMemoCore() override;

    // ---- selection ---------------------------------------------------------
    std::int32_t SelStart() const;
    // Collapses the selection, moves the caret, clears virtual spaces, then
    // re-applies the previous SelLength from the new caret.
    void SetSelStart(std::int32_t offset);
    std::int32_t SelLength() const;
    // Selects from the caret (clamped to the text); negative extends backward.
    void SetSelLength(std::int32_t length);
    // The selected characters with CR LF at breaks, marks excluded.
    std::string SelText() const;
    void SetSelText(std::string_view text) { ReplaceSelection(text); }
    // Places an anchor and a caret in one step (the caret's side decides the sign).
    void Select(std::int32_t anchor, std::int32_t caret);
    void SelectAll();

    // ---- editing -----------------------------------------------------------
    // The edit primitive: replaces the selection by `text` (UTF-8) when there
    // is a selection or text. The byte 5 becomes U+00A5; when the style codes
    // of the inserted text and of the replaced stretch leave a style switched
    // on, closing codes (21, 1, 2, 3, 4 for underline, italic, bold,
    // highlight, alternate font) follow the inserted text so the text after
    // it keeps its style. The caret ends after the inserted text. Returns
    // false when nothing changed (nothing to do, or the result would be too large).
    bool ReplaceSelection(std::string_view text);
    void ClearSelection() { ReplaceSelection({}); }
    // Wraps the selection in the code on both sides (no closing codes).
    // Without a selection the caret ends between the two codes; with one the
    // wrapped text is selected including both codes, in the same direction.
    void ToggleStyle(char code);

    // Searches from the caret (see the implementation notes in the .cpp):
    // forward selects the match with the caret at its end; backward with the
    // caret at its start. False, changing nothing, when there is no match.
    bool FindTxt(std::string_view text, bool forward, bool wholeWords, bool matchCase);

    // ---- commands (what keys do) ------------------------------------------
    enum class TMove { Left, Right, WordLeft, WordRight, Up, Down, PageUp, PageDown,
                       LineStart, LineEnd, TextStart, TextEnd };
    // Moves the caret; with `extend` the selection grows from its anchor.
    void MoveCaret(TMove move, bool extend);
    // Typed text: replaces the selection; in overwrite mode without a
    // selection replaces the next character (never a break); virtual spaces
    // become real ones first when vmoPutExtraSpaces is set.
    void TypeText(std::string_view text);
    void Backspace(bool wholeWord);
    // Delete; with `toLineEnd` (Ctrl) from the caret to the end of its
    // display line when the selection lies within that line.
    void DeleteForward(bool toLineEnd);
    void Enter();
    // Runs the key table (see the .cpp): the first row whose key and
    // modifiers match and whose switch is on acts; a row that edits does
    // nothing, but still takes the key, while edits are refused (ReadOnly or
    // an update lock). Without a row, printable text is typed. False when the
    // key is not the editor's.
    bool HandleKey(int key, Qt::KeyboardModifiers modifiers, const QString& text);

    // ---- clipboard (plain text) -----------------------------------------------
    // The core knows no windowing system: the view fills in these two hooks
    // and converts line ends there. WriteClipboard receives the selected text
    // in the editor's terms (CR LF at breaks); ReadClipboard returns the
    // clipboard's plain text with its line ends already made CR LF, or
    // nullopt when the clipboard holds no text. Without the hooks nothing is
    // copied, cut or pasted.
    std::function<void(const std::string& text)> WriteClipboard;
    std::function<std::optional<std::string>()> ReadClipboard;
    // Nothing happens without a selection.
    void CopyToClipboard() const;
    void CutToClipboard();
    // Replaces the selection by the clipboard's text, when it holds any; the
    // next typing starts a new undo record.
    void PasteFromClipboard();
    // Replaces the selection by text that came from outside (clipboard,
    // primary selection, a drop), as a paste does: the next typing starts a
    // new undo record. The text is in the editor's terms (CR LF at breaks).
    void PasteText(std::string_view text);
    // ---- undo ---------------------------------------------------------------
    // Undoes the last step (a record and every record linked before it).
    void Undo();
    // Redoes the next step (a record and every record linked after it).
    void Redo();
    // Makes every edit recorded after undo position `mark` (a value of
    // UndoList().Position() taken before them) undo and redo as one step.
    void JoinUndoSince(std::int32_t mark);
    bool CanUndo() const;
    bool CanRedo() const;
    void ClearUndo();
    std::int32_t UndoMaxLevel() const { return undo_.MaxLevel(); }
    // Throws EUndoError("Undo set too high") above 134217727.
    void SetUndoMaxLevel(std::int32_t level) { undo_.SetMaxLevel(level); }
    std::int64_t UndoMaxSpace() const { return undo_.MaxSpace(); }
    void SetUndoMaxSpace(std::int64_t bytes) { undo_.SetMaxSpace(bytes); }
    const TUndoList& UndoList() const { return undo_; }
    // Walks every paragraph and throws EVeskError ("Error 1" … "Error 6 in "
    // followed by the version text) at the first inconsistency.
    void CheckIntegrity() const;
    static std::string VersionText() { return "HTML Vesk editor 1.0"; }

    // ---- positions ---------------------------------------------------------
    std::int32_t CurrentParagraph() const;
    std::int32_t CurrentLine() const;
    // Column of the caret in its display line, virtual spaces included.
    std::int32_t CurrentColumn() const;
    std::int32_t VirtualSpaces() const { return virtualSpaces_; }
    void GotoLine(std::int32_t line);
    void GotoParagraph(std::int32_t paragraph);
    std::int32_t TopLine() const { return topLine_; }
    virtual void SetTopLine(std::int32_t line);

    // ---- properties --------------------------------------------------------
    bool Overwrite() const { return overwrite_; }
    void SetOverwrite(bool on);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool on) { readOnly_ = on; }
    bool DisplayOnly() const { return displayOnly_; }
    void SetDisplayOnly(bool on) { displayOnly_ = on; }
    bool PassOverCodes() const { return passOverCodes_; }
    void SetPassOverCodes(bool on) { passOverCodes_ = on; }
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool on) { wantTabs_ = on; }
    bool EnableHotKeys() const { return enableHotKeys_; }
    void SetEnableHotKeys(bool on) { enableHotKeys_ = on; }
    // The style keys (Ctrl+B, I, U, H, F toggle bold, italic, underline,
    // highlight, alternate font) are hot keys that can be switched off on
    // their own: where the text is a file for other programs, the style codes
    // would be invisible control bytes in it. On by default; they act only
    // while EnableHotKeys is on too.
    bool EnableStyleKeys() const { return enableStyleKeys_; }
    void SetEnableStyleKeys(bool on) { enableStyleKeys_ = on; }
    bool WordWrap() const { return layout_.wordWrap; }
    void SetWordWrap(bool on);
    int TabStops() const { return layout_.tabStops; }
    void SetTabStops(int n);

    THighlightEngine& Highlighting() { return engine_; }

    // ---- layout ------------------------------------------------------------
    // The measurer the layout uses (not owned); null means a fixed-width
    // fallback (every character one unit), so the core works without fonts.
    void SetMeasurer(const TTextMeasurer* m);
    const TTextMeasurer& Measurer() const;
    // Pixels available for text on a line.
    void SetLayoutWidth(int width);
    int LayoutWidth() const { return layout_.width; }
    // Formats paragraphs up to the one holding display line `line` (parsing first).
    void FormatUpTo(std::int32_t line) override;
    void EnsureFormatted(std::int32_t paragraph);
    // Lays out again only the lines of a damaged paragraph that may differ
    // (see TVeskMemoStore::TLayoutDamage); returns the first line laid out
    // (index in the paragraph) and how many lines took the place of the old.
    std::pair<std::int32_t, std::int32_t> FormatDamagedLines(std::int32_t paragraph, const TLayoutOptions& options);
    // Formats every paragraph up to and including `paragraph`, so display
    // line numbers up to it are final.
    void FormatParagraphsThrough(std::int32_t paragraph);
    // Formats `before` paragraphs above and `after` below `paragraph` and
    // itself: enough for moves that stay within that many lines, without
    // laying out everything above (line numbers of paragraphs not yet
    // formatted count one line each until background formatting reaches them).
    void FormatAround(std::int32_t paragraph, std::int32_t before, std::int32_t after);
    // Marks every paragraph for re-formatting (fonts, width, wrap changed).
    void InvalidateLayout();
    // Formats every paragraph still waiting, at most `budgetMs` long (0: all).
    // Returns true when work is left.
    bool FormatSome(int budgetMs);
    // True while some paragraph still waits to be laid out.
    bool FormattingPending() const { return pendingFormatFrom_ < ParagraphCount(); }

    // ---- events ------------------------------------------------------------
    // The caret moved, or the selection around it grew or shrank.
    std::function<void(TVeskMemoCore* sender)> OnSelMove;
    std::function<void(TVeskMemoCore* sender)> OnStyleChange;
    std::function<void(TVeskMemoCore* sender)> OnVScroll;
    // A click on text inside a context with a context number.
    std::function<void(TVeskMemoCore* sender, int context, std::int32_t start, std::int32_t stop)> OnContext;

    // Moves (or with `copy` copies) the selected text to `target`, as a drop
    // does: a target inside the selection only places the caret there. A
    // move is two edits that undo as one step. Returns false when nothing
    // was dropped.
    bool DropSelection(std::int32_t target, bool copy);

protected:
    // Records an edit of the edit primitive in the undo list: typing at the
    // caret extends the last record; anything else starts a new one.
    void RecordUndo(const TTextChange& change, std::string_view oldText, bool hadSelection,
                    std::int32_t caretBefore);
    // Horizontal scrolling of a display-only view: -1 / +1 one unit left /
    // right, 0 to the left edge, 2 to the right end.
    virtual void ScrollHorizontally(int how) { (void)how; }
    // Display lines the view shows at once (Page Up/Down move one less).
    virtual int VisibleLineCount() const { return 20; }
    // The view hears of these to repaint and scroll.
    virtual void TextChangedAt(std::int32_t firstParagraph) { (void)firstParagraph; }
    virtual void SelectionChanged() {}
    // LineCount() differs from what it was at the last call: an edit, a load
    // or formatting (wrapping, a new width, background work) changed it.
    virtual void LineCountChanged() {}
    void TextLoaded() override;

    // Caret bookkeeping after any move: OnSelMove when the offset changed,
    // OnStyleChange when the style at the caret changed.
    void CaretMoved();

    TVeskNavigator selStart_;
    TVeskNavigator selEnd_;
    bool caretAtEnd_ = false;  // the caret is selEnd_ (else selStart_)
    std::int32_t virtualSpaces_ = 0;
    std::int32_t topLine_ = 0;
    std::int32_t pendingFormatFrom_ = 0;  // first paragraph that may be unformatted
    // The display lines the last edit laid out again (first, last; -1 when
    // none), so the view repaints those and no others.
    std::int32_t relaidFirst_ = -1;
    std::int32_t relaidLast_ = -1;
    TLayoutOptions layout_;
    THighlightEngine engine_;

private:
    struct TKeyRow;
    // The rows HandleKey walks: those of an editable view, or of a
    // display-only one (keys that only scroll).
    static const std::vector<TKeyRow>& EditKeys();
    static const std::vector<TKeyRow>& ViewKeys();

    // Calls LineCountChanged when the count moved since it was last noted.
    void NoteLineCount();
    // Hears of every change of the text, edits made around the core included.
    struct TLineCountWatch final : TStoreListener {
        explicit TLineCountWatch(TVeskMemoCore& c) : core(c) {}
        void TextReplaced(const TTextChange&) override { core.NoteLineCount(); }
        void TextReset() override { core.NoteLineCount(); }
        TVeskMemoCore& core;
    };

    TVeskNavigator& Caret() { return caretAtEnd_ ? selEnd_ : selStart_; }
    const TVeskNavigator& Caret() const { return caretAtEnd_ ? selEnd_ : selStart_; }

    const TTextMeasurer* measurer_ = nullptr;
    bool overwrite_ = false;
    bool readOnly_ = false;
    bool displayOnly_ = false;
    bool passOverCodes_ = true;
    bool wantTabs_ = true;
    bool enableHotKeys_ = true;
    bool enableStyleKeys_ = true;
    bool togglingStyle_ = false;  // ToggleStyle's own edits add no closing codes
    bool trackRelaid_ = false;    // an edit is laying out its paragraphs
    TUndoList undo_;
    bool replaying_ = false;       // Undo or Redo is running its edit
    bool undoInProgress_ = false;  // Undo in particular
    bool selectionMoved_ = false;  // the next edit starts a new undo record
    std::int32_t lastCaretOffset_ = -1;
    std::int32_t lastSelectionSpan_ = 0;
    int desiredX_ = -1;  // x kept over consecutive Up/Down moves
    bool movingVertically_ = false;
    std::uint8_t lastCaretStyle_ = 0;
    std::int32_t notedLineCount_ = 0;
    TLineCountWatch lineCountWatch_{*this};
};

} // namespace vesk

// Keys through the editing core's key table: typing, deleting, caret moves,
// Enter and indentation, overwrite mode, hot keys, read-only and display-only
// modes, and the clipboard hooks. With no measurer every character is 8 px wide.
#include "editor/VeskMemoCore.h"

#include <QString>

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

namespace vesk {
namespace {

using TMove = TVeskMemoCore::TMove;

// Loading marks the text modified; the tests start from an unmodified one.
void Load(TVeskMemoCore& core, std::string_view text)
{
    core.SetTextBuf(text);
    core.SetModified(false);
}

std::string Text(const TVeskMemoCore& core)
{
    return core.GetTextPart(0, core.CharCount());
}

bool Key(TVeskMemoCore& core, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
{
    return core.HandleKey(key, modifiers, text);
}

bool Ctrl(TVeskMemoCore& core, int key)
{
    return core.HandleKey(key, Qt::ControlModifier, {});
}

// Types each character as its own key press, the way a keyboard delivers it.
void Type(TVeskMemoCore& core, const QString& text)
{
    for (const QChar c : text)
        EXPECT_TRUE(core.HandleKey(c.toUpper().unicode(), Qt::NoModifier, QString(c)));
}

// The core's clipboard hooks filled with a string, as the view fills them
// with the system clipboard.
struct FakeClipboard {
    explicit FakeClipboard(TVeskMemoCore& core)
    {
        core.WriteClipboard = [this](const std::string& t) { text = t; };
        core.ReadClipboard = [this]() { return text; };
    }
    std::optional<std::string> text;
};

// ---- typing and deleting ---------------------------------------------------------

TEST(MemoKeysTyping, PrintableKeysInsertText)
{
    TVeskMemoCore core;
    Type(core, "Hi there");
    EXPECT_EQ(Text(core), "Hi there");
    EXPECT_EQ(core.SelStart(), 8);
    EXPECT_TRUE(core.Modified());

    core.SetSelStart(2);
    Type(core, QString::fromUtf8(",\u00e9"));
    EXPECT_EQ(Text(core), "Hi,\u00e9 there");
    EXPECT_EQ(core.SelStart(), 4);

    // Typing replaces a selection.
    core.Select(0, 2);
    Type(core, "Oh");
    EXPECT_EQ(Text(core), "Oh,\u00e9 there");

    // A control character's text is not typed.
    EXPECT_FALSE(Key(core, Qt::Key_Escape, Qt::NoModifier, QString(QChar(27))));
    EXPECT_EQ(Text(core), "Oh,\u00e9 there");
}

TEST(MemoKeysTyping, BackspaceJoinsParagraphsAndDeletesSelections)
{
    TVeskMemoCore core;
    Load(core, "ab\r\ncd\r\nef");
    core.SetSelStart(4);  // start of "cd"
    ASSERT_EQ(core.CharCount(), 10);
    EXPECT_TRUE(Key(core, Qt::Key_Backspace));
    EXPECT_EQ(core.CharCount(), 8);
    EXPECT_EQ(Text(core), "abcd\r\nef");
    EXPECT_EQ(core.SelStart(), 2);

    Key(core, Qt::Key_Backspace);
    EXPECT_EQ(Text(core), "acd\r\nef");
    EXPECT_EQ(core.SelStart(), 1);

    core.Select(2, 6);  // "d", the break and "e"
    Key(core, Qt::Key_Backspace);
    EXPECT_EQ(Text(core), "acf");
    EXPECT_EQ(core.SelStart(), 2);

    core.SetSelStart(0);
    Key(core, Qt::Key_Backspace);  // nothing before the text's start
    EXPECT_EQ(Text(core), "acf");
}

TEST(MemoKeysTyping, CtrlBackspaceDeletesBackToTheWordStart)
{
    TVeskMemoCore core;
    Load(core, "hello, brave world");
    core.MoveCaret(TMove::TextEnd, false);
    Key(core, Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(Text(core), "hello, brave ");
    // Separators before the caret go along with the word before them.
    Key(core, Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(Text(core), "hello, ");
    Key(core, Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(Text(core), "");

    // Mid-word: only the part before the caret.
    Load(core, "one twothree");
    core.SetSelStart(7);
    Key(core, Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(Text(core), "one three");
    EXPECT_EQ(core.SelStart(), 4);
}

TEST(MemoKeysTyping, DeleteRemovesForwardAndShiftDeleteBackward)
{
    TVeskMemoCore core;
    Load(core, "ab\r\ncd");
    core.SetSelStart(2);  // paragraph end
    EXPECT_TRUE(Key(core, Qt::Key_Delete));
    EXPECT_EQ(Text(core), "abcd");
    EXPECT_EQ(core.SelStart(), 2);
    Key(core, Qt::Key_Delete);
    EXPECT_EQ(Text(core), "abd");
    core.MoveCaret(TMove::TextEnd, false);
    Key(core, Qt::Key_Delete);  // nothing after the text's end
    EXPECT_EQ(Text(core), "abd");

    // Shift+Delete without a selection deletes the character before the caret.
    core.SetSelStart(2);
    Key(core, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(Text(core), "ad");
    EXPECT_EQ(core.SelStart(), 1);

    // Ctrl+Delete: from the caret to the end of its display line.
    Load(core, "aaaa bbbb cccc dddd\r\nnext");
    core.SetLayoutWidth(80);
    core.SetSelStart(12);
    Key(core, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Text(core), "aaaa bbbb cc\r\nnext");
}

// ---- caret moves ---------------------------------------------------------------

TEST(MemoKeysMoves, LeftRightPassBreaksAndCodesInOneStep)
{
    TVeskMemoCore core;
    Load(core, "ab\r\nc\x02" "d");
    core.SetSelStart(2);
    Key(core, Qt::Key_Right);
    EXPECT_EQ(core.SelStart(), 4);
    Key(core, Qt::Key_Left);
    EXPECT_EQ(core.SelStart(), 2);

    // "c", code 2, "d" at 4, 5, 6: one step passes a character and the code with it.
    core.SetSelStart(4);
    Key(core, Qt::Key_Right);
    EXPECT_EQ(core.SelStart(), 6);
    Key(core, Qt::Key_Right);
    EXPECT_EQ(core.SelStart(), 7);
    Key(core, Qt::Key_Left);
    EXPECT_EQ(core.SelStart(), 6);
    Key(core, Qt::Key_Left);
    EXPECT_EQ(core.SelStart(), 4);

    // Without passing over codes the code is a step of its own.
    core.SetPassOverCodes(false);
    Key(core, Qt::Key_Right);
    EXPECT_EQ(core.SelStart(), 5);
    Key(core, Qt::Key_Right);
    EXPECT_EQ(core.SelStart(), 6);
    Key(core, Qt::Key_Left);
    EXPECT_EQ(core.SelStart(), 5);

    // At the ends of the text nothing moves.
    core.SetSelStart(0);
    Key(core, Qt::Key_Left);
    EXPECT_EQ(core.SelStart(), 0);
    core.MoveCaret(TMove::TextEnd, false);
    Key(core, Qt::Key_Right);
    EXPECT_EQ(core.SelStart(), core.CharCount());
}

TEST(MemoKeysMoves, CtrlLeftRightMoveByWords)
{
    TVeskMemoCore core;
    // Every separator: comma, semicolon, space, period, colon, tab.
    Load(core, "ab,cd;ef gh.ij:kl\tmn-op\r\nqr");
    const int stops[] = {0, 3, 6, 9, 12, 15, 18, 23, 25, 27};
    core.SetSelStart(0);
    for (std::size_t i = 1; i < std::size(stops); ++i) {
        Key(core, Qt::Key_Right, Qt::ControlModifier);
        EXPECT_EQ(core.SelStart(), stops[i]) << "word right " << i;
    }
    for (std::size_t i = std::size(stops) - 1; i-- > 0;) {
        Key(core, Qt::Key_Left, Qt::ControlModifier);
        EXPECT_EQ(core.SelStart(), stops[i]) << "word left " << i;
    }
}

TEST(MemoKeysMoves, HomeEndFollowDisplayLines)
{
    TVeskMemoCore core;
    Load(core, "aaaa bbbb cccc dddd\r\nzz");
    core.SetLayoutWidth(80);  // "aaaa bbbb " / "cccc dddd"

    core.SetSelStart(12);
    Key(core, Qt::Key_Home);
    EXPECT_EQ(core.SelStart(), 10);
    Key(core, Qt::Key_End);
    EXPECT_EQ(core.SelStart(), 19);

    // The end of a wrapped line stays on that line.
    core.SetSelStart(3);
    Key(core, Qt::Key_End);
    EXPECT_EQ(core.CurrentLine(), 0);
    EXPECT_EQ(core.SelStart(), 9);
    Key(core, Qt::Key_Home);
    EXPECT_EQ(core.SelStart(), 0);

    Key(core, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(core.SelStart(), core.CharCount());
    Key(core, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(core.SelStart(), 0);
}

TEST(MemoKeysMoves, ShiftExtendsFromTheAnchor)
{
    TVeskMemoCore core;
    Load(core, "hello world\r\nnext");
    core.SetSelStart(6);
    Key(core, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(core.SelStart(), 11);
    EXPECT_EQ(core.SelLength(), -5);
    Key(core, Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(core.SelStart(), 0);
    EXPECT_EQ(core.SelLength(), 6);
    Key(core, Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(core.SelText(), "");
    Key(core, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(core.SelText(), "world\r\nnext");
    Key(core, Qt::Key_Home, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(core.SelStart(), 0);
    EXPECT_EQ(core.SelText(), "hello ");
    // A plain move ends the selection.
    Key(core, Qt::Key_Right);
    EXPECT_EQ(core.SelLength(), 0);
    EXPECT_EQ(core.SelStart(), 1);
}

TEST(MemoKeysMoves, UpDownKeepTheHorizontalPosition)
{
    TVeskMemoCore core;
    Load(core, "abcdefghij\r\nab\r\n\r\nabcdefghij");  // paragraphs at 0, 12, 16, 18
    core.SetSelStart(8);
    Key(core, Qt::Key_Down);
    EXPECT_EQ(core.SelStart(), 14);
    Key(core, Qt::Key_Down);
    EXPECT_EQ(core.SelStart(), 16);
    Key(core, Qt::Key_Down);
    EXPECT_EQ(core.SelStart(), 26);
    Key(core, Qt::Key_Up);
    Key(core, Qt::Key_Up);
    Key(core, Qt::Key_Up);
    EXPECT_EQ(core.SelStart(), 8);

    // A horizontal move sets a new position to keep.
    Key(core, Qt::Key_Down);
    Key(core, Qt::Key_Left);
    Key(core, Qt::Key_Down);
    Key(core, Qt::Key_Down);
    EXPECT_EQ(core.SelStart(), 19);

}

TEST(MemoKeysMoves, UpDownCrossTheLinesOfAWrappedParagraph)
{
    TVeskMemoCore core;
    Load(core, "aaaa bbbb cccc dddd\r\nxy");
    core.SetLayoutWidth(80);  // "aaaa bbbb " / "cccc dddd" / "xy"
    core.SetSelStart(7);
    Key(core, Qt::Key_Down);
    EXPECT_EQ(core.SelStart(), 17);
    EXPECT_EQ(core.CurrentLine(), 1);
    Key(core, Qt::Key_Down);
    EXPECT_EQ(core.SelStart(), 23);
    EXPECT_EQ(core.CurrentLine(), 2);
    Key(core, Qt::Key_Up);
    Key(core, Qt::Key_Up);
    EXPECT_EQ(core.SelStart(), 7);
    EXPECT_EQ(core.CurrentLine(), 0);
}

TEST(MemoKeysMoves, UpCountsWrappedLinesOfParagraphsNotYetLaidOut)
{
    TVeskMemoCore core;
    // Lines: "aaaa bbbb " / "cccc dddd" / "xy" / "eeee ffff " / "gggg"; the
    // caret is placed in the last paragraph before anything was laid out.
    Load(core, "aaaa bbbb cccc dddd\r\nxy\r\neeee ffff gggg");
    core.SetLayoutWidth(80);
    core.SetSelStart(27);
    Key(core, Qt::Key_Up);
    EXPECT_EQ(core.SelStart(), 23);
    EXPECT_EQ(core.CurrentLine(), 2);
    Key(core, Qt::Key_Up);
    EXPECT_EQ(core.SelStart(), 12);
}

TEST(MemoKeysMoves, PlacingTheCaretStartsANewVerticalPosition)
{
    TVeskMemoCore core;
    Load(core, "abcdefghij\r\nabcdefghij\r\nabcdefghij");  // paragraphs at 0, 12, 24
    core.SetSelStart(1);
    Key(core, Qt::Key_Down);
    ASSERT_EQ(core.SelStart(), 13);

    // The caret put somewhere else (a click, a search): Down keeps the new column.
    core.SetSelStart(18);
    Key(core, Qt::Key_Down);
    EXPECT_EQ(core.SelStart(), 30);

    core.GotoParagraph(0);
    Key(core, Qt::Key_Right, Qt::ControlModifier);  // no word break: to the end
    Key(core, Qt::Key_Down);
    EXPECT_EQ(core.SelStart(), 22);
    core.GotoLine(0);
    Key(core, Qt::Key_Down);
    EXPECT_EQ(core.SelStart(), 12);
}

// ---- Enter and indentation ---------------------------------------------------------

TEST(MemoKeysEnter, InsertsABreakWithOptionalIndent)
{
    TVeskMemoCore core;
    Load(core, "  \tab  cd");
    core.SetSelStart(5);
    EXPECT_TRUE(Key(core, Qt::Key_Return));
    EXPECT_EQ(Text(core), "  \tab\r\n  cd");
    EXPECT_EQ(core.SelStart(), 7);
    EXPECT_EQ(core.ParagraphCount(), 2);

    Load(core, "  \tab  cd");
    core.SetOptions(core.Options() | vmoAutoIndent);
    core.SetSelStart(5);
    Key(core, Qt::Key_Enter);
    EXPECT_EQ(Text(core), "  \tab\r\n  \t  cd");
    EXPECT_EQ(core.SelStart(), 10);

    // Only the blanks before the caret's column are copied.
    Load(core, "    x");
    core.SetSelStart(2);
    Key(core, Qt::Key_Return);
    EXPECT_EQ(Text(core), "  \r\n    x");
    EXPECT_EQ(core.SelStart(), 6);
}

TEST(MemoKeysEnter, OverwriteModeTypesOverAndEnterMovesOn)
{
    TVeskMemoCore core;
    Load(core, "abc\r\ndef");
    int styleChanges = 0;
    core.OnStyleChange = [&](TVeskMemoCore*) { ++styleChanges; };
    EXPECT_TRUE(Key(core, Qt::Key_Insert));
    EXPECT_TRUE(core.Overwrite());
    EXPECT_EQ(styleChanges, 1);

    core.SetSelStart(1);
    Type(core, "xy");
    EXPECT_EQ(Text(core), "axy\r\ndef");
    // The break is never overwritten.
    Type(core, "z");
    EXPECT_EQ(Text(core), "axyz\r\ndef");

    // Enter goes to the next line's start without changing the text...
    core.SetSelStart(1);
    Key(core, Qt::Key_Return);
    EXPECT_EQ(core.SelStart(), 6);
    EXPECT_EQ(Text(core), "axyz\r\ndef");
    // ...and on the last line adds a line at the end.
    core.SetSelStart(7);
    Key(core, Qt::Key_Return);
    EXPECT_EQ(Text(core), "axyz\r\ndef\r\n");
    EXPECT_EQ(core.SelStart(), core.CharCount());

    // A selection is still replaced as a whole.
    core.Select(0, 4);
    Type(core, "q");
    EXPECT_EQ(Text(core), "q\r\ndef\r\n");

    Key(core, Qt::Key_Insert);
    EXPECT_FALSE(core.Overwrite());
    EXPECT_EQ(styleChanges, 2);
    core.SetSelStart(0);
    Type(core, "w");
    EXPECT_EQ(Text(core), "wq\r\ndef\r\n");

    // Without the Insert key option the key leaves the mode alone.
    core.SetOptions(core.Options() & ~std::uint32_t(vmoInsertKeyActive));
    Key(core, Qt::Key_Insert);
    EXPECT_FALSE(core.Overwrite());
}

// ---- tabs and hot keys -------------------------------------------------------------

TEST(MemoKeysHotKeys, TabInsertsATabUnlessTabsAreNotWanted)
{
    TVeskMemoCore core;
    Load(core, "ab");
    core.SetSelStart(1);
    EXPECT_TRUE(Key(core, Qt::Key_Tab, Qt::NoModifier, "\t"));
    EXPECT_EQ(Text(core), "a\tb");
    EXPECT_TRUE(Ctrl(core, Qt::Key_T));
    EXPECT_EQ(Text(core), "a\t\tb");

    core.SetWantTabs(false);
    EXPECT_FALSE(Key(core, Qt::Key_Tab, Qt::NoModifier, "\t"));
    EXPECT_EQ(Text(core), "a\t\tb");
}

TEST(MemoKeysHotKeys, StyleKeysWrapInTheirCodes)
{
    const struct {
        int key;
        char code;
    } cases[] = {{Qt::Key_B, 2}, {Qt::Key_I, 1}, {Qt::Key_U, 21}, {Qt::Key_H, 3}, {Qt::Key_F, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        TVeskMemoCore core;
        Load(core, "one two");
        core.SetSelStart(1);
        EXPECT_TRUE(Ctrl(core, c.key));
        EXPECT_EQ(Text(core), std::string("o") + c.code + c.code + "ne two");
        EXPECT_EQ(core.SelStart(), 2);

        core.Select(6, 9);  // "two"
        Ctrl(core, c.key);
        EXPECT_EQ(Text(core), std::string("o") + c.code + c.code + "ne " + c.code + "two" + c.code);
        EXPECT_EQ(core.SelText(), std::string(1, c.code) + "two" + c.code);
    }
}

TEST(MemoKeysHotKeys, CtrlPInsertsAPageBreakParagraph)
{
    TVeskMemoCore core;
    Load(core, "ab");
    core.SetSelStart(1);
    EXPECT_TRUE(Ctrl(core, Qt::Key_P));
    EXPECT_EQ(Text(core), "a\r\n\x10\r\nb");
    EXPECT_EQ(core.ParagraphCount(), 3);
    EXPECT_EQ(core.SelStart(), 6);
}

TEST(MemoKeysHotKeys, HotKeysCanBeSwitchedOff)
{
    TVeskMemoCore core;
    Load(core, "ab");
    core.SetEnableHotKeys(false);
    EXPECT_FALSE(Ctrl(core, Qt::Key_B));
    EXPECT_FALSE(Ctrl(core, Qt::Key_P));
    EXPECT_EQ(Text(core), "ab");
}

// ---- read-only and display-only ----------------------------------------------------

TEST(MemoKeysModes, ReadOnlyBlocksEditsButMovesAndCopies)
{
    TVeskMemoCore core;
    Load(core, "abcd\r\nef");
    core.SetReadOnly(true);
    FakeClipboard clipboard(core);
    clipboard.text = "pasted";

    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
    } edits[] = {
        {Qt::Key_A, Qt::NoModifier, "a"},          {Qt::Key_Backspace, Qt::NoModifier, {}},
        {Qt::Key_Backspace, Qt::ControlModifier, {}}, {Qt::Key_Delete, Qt::NoModifier, {}},
        {Qt::Key_Delete, Qt::ShiftModifier, {}},   {Qt::Key_Delete, Qt::ControlModifier, {}},
        {Qt::Key_Return, Qt::NoModifier, {}},      {Qt::Key_Tab, Qt::NoModifier, "\t"},
        {Qt::Key_B, Qt::ControlModifier, {}},      {Qt::Key_T, Qt::ControlModifier, {}},
        {Qt::Key_P, Qt::ControlModifier, {}},      {Qt::Key_V, Qt::ControlModifier, {}},
        {Qt::Key_X, Qt::ControlModifier, {}},      {Qt::Key_Insert, Qt::ShiftModifier, {}},
    };
    for (const auto& e : edits) {
        SCOPED_TRACE(e.key);
        core.Select(1, 3);
        core.HandleKey(e.key, e.modifiers, e.text);
        EXPECT_EQ(Text(core), "abcd\r\nef");
        EXPECT_FALSE(core.Modified());
    }
    EXPECT_EQ(clipboard.text, "pasted");  // Ctrl+X and Shift+Delete cut nothing

    core.Select(1, 3);
    EXPECT_TRUE(Ctrl(core, Qt::Key_C));
    EXPECT_EQ(clipboard.text, "bc");

    core.SetSelStart(0);
    Key(core, Qt::Key_Right);
    EXPECT_EQ(core.SelStart(), 1);
    Key(core, Qt::Key_Down);
    EXPECT_EQ(core.SelStart(), 7);
    Key(core, Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(core.SelText(), "e");
}

// A view of five lines, so pages are short.
class TFiveLineCore : public TVeskMemoCore {
protected:
    int VisibleLineCount() const override { return 5; }
};

TEST(MemoKeysModes, DisplayOnlyKeysScrollAndNeverEdit)
{
    TFiveLineCore core;
    std::string text;
    for (int i = 0; i < 30; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    text += "last";
    Load(core, text);
    const std::string loaded = Text(core);
    ASSERT_EQ(core.LineCount(), 31);
    core.SetDisplayOnly(true);
    core.SetSelStart(3);

    EXPECT_TRUE(Key(core, Qt::Key_Down));
    EXPECT_EQ(core.TopLine(), 1);
    EXPECT_TRUE(Key(core, Qt::Key_PageDown));
    EXPECT_EQ(core.TopLine(), 2);
    EXPECT_TRUE(Key(core, Qt::Key_Up));
    EXPECT_EQ(core.TopLine(), 1);
    EXPECT_EQ(core.SelStart(), 3);  // scrolling leaves the caret

    // Ctrl+PageDown shows the last page: the last line is in view, and the
    // view starts no earlier than a full page before the end.
    EXPECT_TRUE(Key(core, Qt::Key_PageDown, Qt::ControlModifier));
    const int top = core.TopLine();
    EXPECT_GE(top, 31 - 5);
    EXPECT_LE(top, 30);
    EXPECT_LT(30, top + 5);
    Key(core, Qt::Key_Down);
    Key(core, Qt::Key_Down);
    Key(core, Qt::Key_Down);
    Key(core, Qt::Key_Down);
    Key(core, Qt::Key_Down);
    EXPECT_LE(core.TopLine(), 30);
    EXPECT_TRUE(Key(core, Qt::Key_PageUp, Qt::ControlModifier));
    EXPECT_EQ(core.TopLine(), 0);

    EXPECT_FALSE(Key(core, Qt::Key_A, Qt::NoModifier, "a"));
    EXPECT_FALSE(Key(core, Qt::Key_Backspace));
    EXPECT_FALSE(Key(core, Qt::Key_Delete));
    EXPECT_FALSE(Key(core, Qt::Key_Return));
    EXPECT_FALSE(Key(core, Qt::Key_Tab, Qt::NoModifier, "\t"));
    EXPECT_FALSE(Ctrl(core, Qt::Key_V));
    EXPECT_FALSE(Ctrl(core, Qt::Key_B));
    EXPECT_EQ(Text(core), loaded);
    EXPECT_FALSE(core.Modified());
}

// ---- clipboard ---------------------------------------------------------------------

TEST(MemoKeysClipboard, CopyCutAndPasteThroughTheClipboardHooks)
{
    TVeskMemoCore core;
    Load(core, "one\r\ntwo three");
    FakeClipboard clipboard(core);
    clipboard.text = "untouched";

    // Nothing selected: nothing copied.
    core.SetSelStart(2);
    Ctrl(core, Qt::Key_C);
    EXPECT_EQ(clipboard.text, "untouched");

    core.Select(1, 7);
    EXPECT_TRUE(Ctrl(core, Qt::Key_C));
    EXPECT_EQ(clipboard.text, "ne\r\ntw");
    EXPECT_EQ(Text(core), "one\r\ntwo three");

    core.Select(8, 14);  // " three"
    EXPECT_TRUE(Ctrl(core, Qt::Key_X));
    EXPECT_EQ(clipboard.text, " three");
    EXPECT_EQ(Text(core), "one\r\ntwo");
    EXPECT_EQ(core.SelStart(), 8);

    core.SetSelStart(0);
    EXPECT_TRUE(Ctrl(core, Qt::Key_V));
    EXPECT_EQ(Text(core), " threeone\r\ntwo");
    EXPECT_EQ(core.SelStart(), 6);

    // Ctrl+Insert copies, Shift+Insert pastes over the selection, Shift+Delete cuts.
    core.Select(6, 9);  // "one"
    EXPECT_TRUE(Key(core, Qt::Key_Insert, Qt::ControlModifier));
    EXPECT_EQ(clipboard.text, "one");
    core.Select(0, 6);
    EXPECT_TRUE(Key(core, Qt::Key_Insert, Qt::ShiftModifier));
    EXPECT_EQ(Text(core), "oneone\r\ntwo");
    core.Select(6, 11);  // the break and "two"
    EXPECT_TRUE(Key(core, Qt::Key_Delete, Qt::ShiftModifier));
    EXPECT_EQ(clipboard.text, "\r\ntwo");
    EXPECT_EQ(Text(core), "oneone");

    // Breaks on the clipboard paste as paragraph breaks.
    core.MoveCaret(TMove::TextEnd, false);
    Ctrl(core, Qt::Key_V);
    EXPECT_EQ(core.ParagraphCount(), 2);
    EXPECT_EQ(Text(core), "oneone\r\ntwo");
    EXPECT_TRUE(core.Modified());

    // A clipboard without text pastes nothing; without hooks a cut would
    // only lose the text, so it does nothing.
    clipboard.text.reset();
    core.SelectAll();
    Ctrl(core, Qt::Key_V);
    core.WriteClipboard = nullptr;
    Ctrl(core, Qt::Key_X);
    EXPECT_EQ(Text(core), "oneone\r\ntwo");
}

} // namespace
} // namespace vesk

// The editing core without a window: selection, the edit primitive and its
// closing codes, style toggling, search, positions on wrapped text, virtual
// spaces and the integrity check. With no measurer every character is 8 px
// wide, so a layout width of 80 holds 10 characters per line.
#include "editor/VeskMemoCore.h"
#include "editor/VeskNavigator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {
namespace {

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

// ---- selection ---------------------------------------------------------------

TEST(MemoCoreSelection, SignedLengthFollowsTheCaret)
{
    TVeskMemoCore core;
    Load(core, "0123456789abcdef");

    core.SetSelStart(5);
    for (int i = 0; i < 3; ++i)
        core.MoveCaret(TVeskMemoCore::TMove::Right, true);
    EXPECT_EQ(core.SelStart(), 8);
    EXPECT_EQ(core.SelLength(), -3);
    EXPECT_EQ(core.SelText(), "567");

    // Extending left past the anchor flips the selection to the other side.
    for (int i = 0; i < 5; ++i)
        core.MoveCaret(TVeskMemoCore::TMove::Left, true);
    EXPECT_EQ(core.SelStart(), 3);
    EXPECT_EQ(core.SelLength(), 2);
    EXPECT_EQ(core.SelText(), "34");

    // A plain move drops the selection.
    core.MoveCaret(TVeskMemoCore::TMove::Right, false);
    EXPECT_EQ(core.SelStart(), 4);
    EXPECT_EQ(core.SelLength(), 0);

    core.SelectAll();
    EXPECT_EQ(core.SelStart(), core.CharCount());
    EXPECT_EQ(core.SelLength(), -core.CharCount());
    EXPECT_EQ(core.SelText(), "0123456789abcdef");
}

TEST(MemoCoreSelection, SetSelStartReappliesTheLengthAndSetSelLengthClamps)
{
    TVeskMemoCore core;
    Load(core, "0123456789");

    core.Select(5, 8);  // caret 8, extends backward
    ASSERT_EQ(core.SelLength(), -3);
    core.SetSelStart(6);
    EXPECT_EQ(core.SelStart(), 6);
    EXPECT_EQ(core.SelLength(), -3);
    EXPECT_EQ(core.SelText(), "345");

    core.Select(4, 2);  // caret 2, extends forward
    core.SetSelStart(7);
    EXPECT_EQ(core.SelStart(), 7);
    EXPECT_EQ(core.SelLength(), 2);
    EXPECT_EQ(core.SelText(), "78");

    // Lengths past either end are cut at the text's bounds.
    core.SetSelStart(7);
    core.SetSelLength(100);
    EXPECT_EQ(core.SelStart(), 7);
    EXPECT_EQ(core.SelLength(), 3);
    core.SetSelLength(-100);
    EXPECT_EQ(core.SelStart(), 7);
    EXPECT_EQ(core.SelLength(), -7);
    EXPECT_EQ(core.SelText(), "0123456");
}

TEST(MemoCoreSelection, SelTextHasCrLfAtBreaks)
{
    TVeskMemoCore core;
    Load(core, "ab\ncd\r\nef");
    core.Select(1, 9);
    EXPECT_EQ(core.SelText(), "b\r\ncd\r\ne");
    core.SelectAll();
    EXPECT_EQ(core.SelText(), "ab\r\ncd\r\nef");
}

TEST(MemoCoreSelection, OnSelMoveWhenTheCaretOrTheSelectionAroundItChanges)
{
    TVeskMemoCore core;
    Load(core, "hello world");
    core.SetSelStart(3);
    int moves = 0;
    core.OnSelMove = [&](TVeskMemoCore*) { ++moves; };

    core.SetSelStart(5);
    EXPECT_EQ(moves, 1);
    core.SetSelStart(5);
    EXPECT_EQ(moves, 1);
    // Same caret, a selection now: commands that need one must hear of it.
    core.Select(2, 5);
    EXPECT_EQ(moves, 2);
    core.Select(2, 5);
    EXPECT_EQ(moves, 2);
    core.MoveCaret(TVeskMemoCore::TMove::TextStart, false);
    EXPECT_EQ(moves, 3);
    core.MoveCaret(TVeskMemoCore::TMove::Left, false);  // already at the start
    EXPECT_EQ(moves, 3);
    core.ReplaceSelection("x");
    EXPECT_EQ(moves, 4);
}

// ---- the edit primitive ------------------------------------------------------

TEST(MemoCoreReplace, ReplacesTheSelectionAndReportsIt)
{
    TVeskMemoCore core;
    Load(core, "hello world");
    ASSERT_FALSE(core.Modified());
    int changes = 0;
    std::vector<std::pair<std::int32_t, std::int32_t>> parses;
    core.OnChange = [&](TVeskMemoStore*) { ++changes; };
    core.OnParse = [&](TVeskMemoStore*, std::int32_t a, std::int32_t b) { parses.emplace_back(a, b); };

    core.Select(10, 6);  // "worl", caret at its start
    EXPECT_TRUE(core.ReplaceSelection("there, d"));
    EXPECT_EQ(Text(core), "hello there, dd");
    EXPECT_EQ(core.SelStart(), 14);
    EXPECT_EQ(core.SelLength(), 0);
    EXPECT_TRUE(core.Modified());
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(parses.size(), 1u);
    EXPECT_EQ(parses[0], std::make_pair(6, 14));

    // Breaks in the new text make paragraphs; the caret follows them.
    core.SetSelStart(5);
    EXPECT_TRUE(core.ReplaceSelection("\r\nX\r\n"));
    EXPECT_EQ(core.ParagraphCount(), 3);
    EXPECT_EQ(Text(core), "hello\r\nX\r\n there, dd");
    EXPECT_EQ(core.SelStart(), 10);
    EXPECT_EQ(core.CurrentParagraph(), 2);
}

TEST(MemoCoreReplace, NothingToDoReturnsFalseAndChangesNothing)
{
    TVeskMemoCore core;
    Load(core, "abc");
    core.SetSelStart(1);
    int changes = 0;
    core.OnChange = [&](TVeskMemoStore*) { ++changes; };
    EXPECT_FALSE(core.ReplaceSelection(""));
    EXPECT_FALSE(core.Modified());
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(Text(core), "abc");
    EXPECT_EQ(core.SelStart(), 1);
}

TEST(MemoCoreReplace, ByteFiveBecomesYen)
{
    TVeskMemoCore core;
    Load(core, "ab");
    core.SetSelStart(1);
    core.ReplaceSelection("x\x05y");
    EXPECT_EQ(Text(core), "ax\u00A5yb");
    EXPECT_EQ(core.CharCount(), 5);
    EXPECT_EQ(core.CharAt(2), U'\u00A5');
}

TEST(MemoCoreReplace, ClosingCodesKeepTheStyleAfterTheEdit)
{
    TVeskMemoCore core;

    // Typing over a lone bold-on code: the text after must stay as it was.
    Load(core, "ab\x02" "cd\x02" "ef");
    core.Select(2, 3);
    core.TypeText("x");
    EXPECT_EQ(Text(core), "abx\x02" "cd\x02" "ef");

    // An unbalanced code in inserted text is closed after it.
    Load(core, "plain");
    core.SetSelStart(5);
    core.ReplaceSelection("\x01it");
    EXPECT_EQ(Text(core), "plain\x01it\x01");

    // Several open codes close in a fixed order: 21, 1, 2, 3, 4.
    Load(core, "");
    core.ReplaceSelection("\x04\x03\x02\x01\x15x");
    EXPECT_EQ(Text(core), "\x04\x03\x02\x01\x15x\x15\x01\x02\x03\x04");

    // Balanced codes, in the new text or between old and new, add nothing.
    Load(core, "ab");
    core.SetSelStart(1);
    core.ReplaceSelection("\x02x\x02");
    EXPECT_EQ(Text(core), "a\x02x\x02" "b");
    core.Select(1, 2);  // the first code 2
    core.ReplaceSelection("\x02y");
    EXPECT_EQ(Text(core), "a\x02yx\x02" "b");
}

// ---- style toggling ----------------------------------------------------------

TEST(MemoCoreToggleStyle, WithoutSelectionTheCaretSitsBetweenTheCodes)
{
    TVeskMemoCore core;
    Load(core, "abcd");
    core.SetSelStart(2);
    core.ToggleStyle(kCodeBold);
    EXPECT_EQ(Text(core), "ab\x02\x02" "cd");
    EXPECT_EQ(core.SelStart(), 3);
    EXPECT_EQ(core.SelLength(), 0);
    EXPECT_TRUE(core.Modified());
    // Typing now is bold and adds no closing code (the pair is balanced).
    core.TypeText("X");
    EXPECT_EQ(Text(core), "ab\x02X\x02" "cd");
}

TEST(MemoCoreToggleStyle, WrapsTheSelectionKeepingItsDirection)
{
    TVeskMemoCore core;
    Load(core, "one two three");

    // Caret at the end (selected by extending right).
    core.Select(4, 7);
    core.ToggleStyle(kCodeItalic);
    EXPECT_EQ(Text(core), "one \x01two\x01 three");
    EXPECT_EQ(core.SelStart(), 9);
    EXPECT_EQ(core.SelLength(), -5);
    EXPECT_EQ(core.SelText(), "\x01two\x01");

    // Caret at the start (selected by extending left).
    core.Select(15, 10);
    core.ToggleStyle(kCodeUnderline);
    EXPECT_EQ(Text(core), "one \x01two\x01 \x15three\x15");
    EXPECT_EQ(core.SelStart(), 10);
    EXPECT_EQ(core.SelLength(), 7);
    EXPECT_EQ(core.SelText(), "\x15three\x15");
}

TEST(MemoCoreToggleStyle, AddsNoClosingCodesAcrossOtherCodes)
{
    TVeskMemoCore core;
    // The selection holds an unbalanced code; wrapping must not "repair" it.
    Load(core, "a\x02" "bc\x02");
    core.Select(0, 3);
    core.ToggleStyle(kCodeHighlight);
    EXPECT_EQ(Text(core), "\x03" "a\x02" "b\x03" "c\x02");
    core.SetSelStart(0);
    core.ToggleStyle(kCodeAltFont);
    EXPECT_EQ(Text(core), "\x04\x04\x03" "a\x02" "b\x03" "c\x02");
}

// ---- search --------------------------------------------------------------------

TEST(MemoCoreFind, ForwardSelectsWithTheCaretAtTheEndAcrossParagraphs)
{
    TVeskMemoCore core;
    Load(core, "cat dog cat\r\ndog\r\na cat");  // paragraphs start at 0, 13, 18
    core.SetSelStart(0);

    ASSERT_TRUE(core.FindTxt("cat", true, false, false));
    EXPECT_EQ(core.SelStart(), 3);
    EXPECT_EQ(core.SelLength(), -3);
    ASSERT_TRUE(core.FindTxt("cat", true, false, false));
    EXPECT_EQ(core.SelStart(), 11);
    ASSERT_TRUE(core.FindTxt("cat", true, false, false));
    EXPECT_EQ(core.SelStart(), 23);
    EXPECT_EQ(core.SelLength(), -3);
    EXPECT_EQ(core.SelText(), "cat");

    // No further match: false, and the selection stays.
    EXPECT_FALSE(core.FindTxt("cat", true, false, false));
    EXPECT_EQ(core.SelStart(), 23);
    EXPECT_EQ(core.SelLength(), -3);
    EXPECT_FALSE(core.Modified());
}

TEST(MemoCoreFind, BackwardSelectsWithTheCaretAtTheStart)
{
    TVeskMemoCore core;
    Load(core, "cat dog cat\r\ndog\r\na cat");
    core.MoveCaret(TVeskMemoCore::TMove::TextEnd, false);

    ASSERT_TRUE(core.FindTxt("cat", false, false, false));
    EXPECT_EQ(core.SelStart(), 20);
    EXPECT_EQ(core.SelLength(), 3);
    // The caret's paragraph has no match before it any more: the nearest
    // earlier paragraph with one gives its last match.
    ASSERT_TRUE(core.FindTxt("cat", false, false, false));
    EXPECT_EQ(core.SelStart(), 8);
    EXPECT_EQ(core.SelLength(), 3);
    ASSERT_TRUE(core.FindTxt("cat", false, false, false));
    EXPECT_EQ(core.SelStart(), 0);
    EXPECT_FALSE(core.FindTxt("cat", false, false, false));
    EXPECT_EQ(core.SelStart(), 0);
    EXPECT_EQ(core.SelLength(), 3);

    // A match that begins before the caret counts even when the caret is inside it.
    core.SetSelStart(9);
    ASSERT_TRUE(core.FindTxt("cat", false, false, false));
    EXPECT_EQ(core.SelStart(), 8);
    EXPECT_EQ(core.SelText(), "cat");
}

TEST(MemoCoreFind, CaseAndWholeWords)
{
    TVeskMemoCore core;
    Load(core, "Caf\u00e9 CAF\u00c9 caf\u00e9");

    core.SetSelStart(0);
    ASSERT_TRUE(core.FindTxt("CAF\u00c9", true, false, false));
    EXPECT_EQ(core.SelStart(), 4);
    core.SetSelStart(0);
    ASSERT_TRUE(core.FindTxt("CAF\u00c9", true, false, true));
    EXPECT_EQ(core.SelStart(), 9);
    core.SetSelStart(0);
    ASSERT_TRUE(core.FindTxt("caf\u00e9", true, false, true));
    EXPECT_EQ(core.SelStart(), 14);
    core.SetSelStart(0);
    EXPECT_FALSE(core.FindTxt("cAf\u00e9", true, false, true));

    Load(core, "this,is his");
    core.SetSelStart(0);
    ASSERT_TRUE(core.FindTxt("is", true, false, false));
    EXPECT_EQ(core.SelStart(), 4);  // inside "this"
    core.SetSelStart(0);
    ASSERT_TRUE(core.FindTxt("is", true, true, false));
    EXPECT_EQ(core.SelStart(), 7);
    EXPECT_FALSE(core.FindTxt("is", true, true, false));  // "his" ends with it too
    core.MoveCaret(TVeskMemoCore::TMove::TextEnd, false);
    ASSERT_TRUE(core.FindTxt("is", false, true, false));
    EXPECT_EQ(core.SelStart(), 5);
}

// ---- positions on wrapped text -------------------------------------------------

// Width 80 holds ten characters. Display lines:
//   0 "aaaa bbbb "  1 "cccc dddd"  (paragraph 0, offsets 0-19)
//   2 "xy"                         (paragraph 1, offsets 21-23)
//   3 "eeee ffff "  4 "gggg"       (paragraph 2, offsets 25-39)
constexpr std::string_view kWrapped = "aaaa bbbb cccc dddd\r\nxy\r\neeee ffff gggg";

TEST(MemoCorePositions, GotoLineAndGotoParagraph)
{
    TVeskMemoCore core;
    Load(core, kWrapped);
    core.SetLayoutWidth(80);

    core.GotoLine(4);
    EXPECT_EQ(core.SelStart(), 35);
    EXPECT_EQ(core.CurrentParagraph(), 2);
    EXPECT_EQ(core.CurrentLine(), 4);
    EXPECT_EQ(core.CurrentColumn(), 0);
    EXPECT_EQ(core.LineCount(), 5);

    core.GotoLine(1);
    EXPECT_EQ(core.SelStart(), 10);
    EXPECT_EQ(core.CurrentParagraph(), 0);
    EXPECT_EQ(core.CurrentLine(), 1);

    core.GotoParagraph(2);
    EXPECT_EQ(core.SelStart(), 25);
    EXPECT_EQ(core.CurrentLine(), 3);
    core.GotoParagraph(1);
    EXPECT_EQ(core.SelStart(), 21);
    EXPECT_EQ(core.CurrentLine(), 2);

    // Out of range goes to the nearest end.
    core.GotoParagraph(99);
    EXPECT_EQ(core.CurrentParagraph(), 2);
    core.GotoLine(99);
    EXPECT_EQ(core.CurrentLine(), 4);
    core.GotoLine(-3);
    EXPECT_EQ(core.SelStart(), 0);
}

TEST(MemoCorePositions, CurrentLineAndColumnOfAPlacedCaret)
{
    TVeskMemoCore core;
    Load(core, kWrapped);
    core.SetLayoutWidth(80);

    // Placed straight into the last paragraph, before anything was laid out:
    // the wrapped first paragraph still counts its two lines.
    core.SetSelStart(37);
    EXPECT_EQ(core.CurrentParagraph(), 2);
    EXPECT_EQ(core.CurrentLine(), 4);
    EXPECT_EQ(core.CurrentColumn(), 2);

    core.SetSelStart(13);
    EXPECT_EQ(core.CurrentParagraph(), 0);
    EXPECT_EQ(core.CurrentLine(), 1);
    EXPECT_EQ(core.CurrentColumn(), 3);

    core.SetSelStart(22);
    EXPECT_EQ(core.CurrentLine(), 2);
    EXPECT_EQ(core.CurrentColumn(), 1);

    // A narrower layout re-wraps: "aaaa " / "bbbb " / "cccc " / "dddd".
    core.SetLayoutWidth(40);
    core.SetSelStart(16);
    EXPECT_EQ(core.CurrentLine(), 3);
    EXPECT_EQ(core.CurrentColumn(), 1);
}

// ---- virtual spaces --------------------------------------------------------------

TEST(MemoCoreVirtualSpaces, KeepColumnPosAddsVirtualSpacesPastAShortLine)
{
    TVeskMemoCore core;
    Load(core, "abcdefgh\r\nab");
    core.SetOptions(core.Options() | vmoKeepColumnPos);
    core.SetSelStart(6);
    core.MoveCaret(TVeskMemoCore::TMove::Down, false);
    EXPECT_EQ(core.SelStart(), 12);
    EXPECT_EQ(core.VirtualSpaces(), 4);
    EXPECT_EQ(core.CurrentColumn(), 6);

    // Backspace takes a virtual space first and leaves the text alone.
    core.Backspace(false);
    EXPECT_EQ(core.VirtualSpaces(), 3);
    EXPECT_EQ(core.CurrentColumn(), 5);
    EXPECT_EQ(Text(core), "abcdefgh\r\nab");
    EXPECT_FALSE(core.Modified());

    // Going back up returns to the column the virtual spaces stood for.
    core.MoveCaret(TVeskMemoCore::TMove::Up, false);
    EXPECT_EQ(core.SelStart(), 5);
    EXPECT_EQ(core.VirtualSpaces(), 0);
}

TEST(MemoCoreVirtualSpaces, PutExtraSpacesMakesThemReal)
{
    TVeskMemoCore core;
    Load(core, "abcdefgh\r\nab");
    core.SetOptions(core.Options() | vmoKeepColumnPos | vmoPutExtraSpaces);
    core.SetSelStart(6);
    core.MoveCaret(TVeskMemoCore::TMove::Down, false);
    ASSERT_EQ(core.VirtualSpaces(), 4);
    core.TypeText("x");
    EXPECT_EQ(Text(core), "abcdefgh\r\nab    x");
    EXPECT_EQ(core.VirtualSpaces(), 0);
    EXPECT_EQ(core.SelStart(), core.CharCount());
    EXPECT_EQ(core.CurrentColumn(), 7);
}

TEST(MemoCoreVirtualSpaces, NoneWithoutTheOptions)
{
    TVeskMemoCore core;
    Load(core, "abcdefgh\r\nab");
    core.SetSelStart(6);
    core.MoveCaret(TVeskMemoCore::TMove::Down, false);
    EXPECT_EQ(core.SelStart(), 12);
    EXPECT_EQ(core.VirtualSpaces(), 0);
    EXPECT_EQ(core.CurrentColumn(), 2);

    // Kept column, but no extra spaces: typing goes at the real caret.
    core.SetOptions(core.Options() | vmoKeepColumnPos);
    core.SetSelStart(6);
    core.MoveCaret(TVeskMemoCore::TMove::Down, false);
    ASSERT_EQ(core.VirtualSpaces(), 4);
    core.TypeText("x");
    EXPECT_EQ(Text(core), "abcdefgh\r\nabx");
}

// ---- integrity ---------------------------------------------------------------------

TEST(MemoCoreIntegrity, HoldsAfterManyRandomEdits)
{
    TVeskMemoCore core;
    Load(core, "first line of text\r\nsecond one, somewhat longer than that\r\n\r\nlast");
    core.SetLayoutWidth(96);
    std::mt19937 rng(20240611);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const std::vector<std::string> pieces = {"a", "word ", "\r\n", " ", "\t", "\x02", "\x01", "\x15",
                                             "\u00e9t\u00e9", "\x05", "longerwordthanaline", ", "};
    const TVeskMemoCore::TMove moves[] = {
        TVeskMemoCore::TMove::Left, TVeskMemoCore::TMove::Right, TVeskMemoCore::TMove::WordLeft,
        TVeskMemoCore::TMove::WordRight, TVeskMemoCore::TMove::Up, TVeskMemoCore::TMove::Down,
        TVeskMemoCore::TMove::LineStart, TVeskMemoCore::TMove::LineEnd};

    for (int step = 0; step < 600; ++step) {
        const std::int32_t count = core.CharCount();
        switch (pick(9)) {
        case 0:
        case 1: {
            core.Select(pick(count + 1), pick(count + 1));
            std::string s;
            for (int k = pick(4); k > 0; --k)
                s += pieces[std::size_t(pick(int(pieces.size())))];
            core.ReplaceSelection(s);
            break;
        }
        case 2: core.SetSelStart(pick(count + 1)); core.TypeText(pieces[std::size_t(pick(int(pieces.size())))]); break;
        case 3: core.Select(pick(count + 1), pick(count + 1)); core.Backspace(pick(2) == 0); break;
        case 4: core.SetSelStart(pick(count + 1)); core.DeleteForward(pick(3) == 0); break;
        case 5: core.SetSelStart(pick(count + 1)); core.Enter(); break;
        case 6: core.Select(pick(count + 1), pick(count + 1)); core.ToggleStyle(kCodeBold); break;
        case 7: core.MoveCaret(moves[pick(8)], pick(2) == 0); break;
        case 8: core.SetLayoutWidth(40 + 8 * pick(12)); break;
        }
        ASSERT_NO_THROW(core.CheckIntegrity()) << "after step " << step;
        ASSERT_GE(core.SelStart(), 0);
        ASSERT_LE(core.SelStart(), core.CharCount());
    }
    // Everything laid out at the end must still agree.
    core.FormatSome(0);
    EXPECT_NO_THROW(core.CheckIntegrity());
}

TEST(MemoCoreIntegrity, ReportsCorruptLineRecords)
{
    TVeskMemoCore core;
    Load(core, kWrapped);
    core.SetLayoutWidth(80);
    core.FormatSome(0);
    ASSERT_NO_THROW(core.CheckIntegrity());
    ASSERT_EQ(core.Paragraph(0).LineCount(), 2);

    auto expectError = [&] {
        try {
            core.CheckIntegrity();
            ADD_FAILURE() << "no error reported";
        } catch (const EVeskError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Error", 0), 0u) << e.what();
        }
    };

    // A gap between the two lines of paragraph 0.
    TLineRecord lines[2] = {core.Line(0, 0), core.Line(0, 1)};
    lines[1].start += 1;
    core.SetParagraphLines(0, lines, 2);
    expectError();

    // Lines that stop short of the paragraph's end.
    lines[1].start -= 1;
    lines[1].end -= 2;
    core.SetParagraphLines(0, lines, 2);
    expectError();
}

} // namespace
} // namespace vesk

// Undo and redo: grouping of typing, replays, links, limits, and a random
// history checked against a plain model.
#include "editor/VeskMemo.h"
#include "editor/VeskMemoCore.h"

#include <gtest/gtest.h>

#include <QTest>

#include <random>
#include <string>
#include <vector>

namespace vesk {
namespace {

std::string Text(const TVeskMemoCore& core)
{
    return core.GetTextPart(0, core.CharCount());
}

void Type(TVeskMemoCore& core, const char* text)
{
    for (const char* p = text; *p; ++p)
        core.HandleKey(Qt::Key_unknown, Qt::NoModifier, QString(QChar(*p)));
}

void Key(TVeskMemoCore& core, Qt::Key key, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    core.HandleKey(key, m, {});
}

TEST(Undo, TypingAtOnePlaceIsOneStepAndAnyMoveStartsANewOne)
{
    TVeskMemoCore core;
    core.SetTextBuf("xy");
    core.Select(1, 1);
    Type(core, "abc");
    EXPECT_EQ(Text(core), "xabcy");
    core.Undo();
    EXPECT_EQ(Text(core), "xy");
    EXPECT_FALSE(core.CanUndo());
    ASSERT_TRUE(core.CanRedo());
    core.Redo();
    EXPECT_EQ(Text(core), "xabcy");

    core.SetTextBuf("xy");  // loading clears the list
    EXPECT_FALSE(core.CanUndo());
    core.Select(1, 1);
    Type(core, "ab");
    Key(core, Qt::Key_Left);
    Key(core, Qt::Key_Right);
    Type(core, "c");
    core.Undo();
    EXPECT_EQ(Text(core), "xaby");
    core.Undo();
    EXPECT_EQ(Text(core), "xy");
}

TEST(Undo, EachBackspaceIsItsOwnStep)
{
    TVeskMemoCore core;
    core.SetTextBuf("abcd");
    core.Select(4, 4);
    Key(core, Qt::Key_Backspace);
    Key(core, Qt::Key_Backspace);
    EXPECT_EQ(Text(core), "ab");
    core.Undo();
    EXPECT_EQ(Text(core), "abc");
    core.Undo();
    EXPECT_EQ(Text(core), "abcd");
}

TEST(Undo, ANewEditDiscardsTheRedoSide)
{
    TVeskMemoCore core;
    core.Select(0, 0);
    Type(core, "one");
    Key(core, Qt::Key_Left);
    Type(core, "X");
    core.Undo();
    ASSERT_TRUE(core.CanRedo());
    Type(core, "Y");
    EXPECT_FALSE(core.CanRedo());
    EXPECT_EQ(Text(core), "onYe");
}

TEST(Undo, ADragMoveIsUndoneAndRedoneInOneStep)
{
    TVeskMemoCore core;
    core.SetTextBuf("hello world");
    core.Select(0, 5);
    ASSERT_TRUE(core.DropSelection(11, false));
    EXPECT_EQ(Text(core), " worldhello");
    core.Undo();
    EXPECT_EQ(Text(core), "hello world");
    core.Redo();
    EXPECT_EQ(Text(core), " worldhello");
    core.Undo();
    EXPECT_EQ(Text(core), "hello world");
    // A copy is two separate steps for nothing: one insertion only.
    core.Select(0, 5);
    core.DropSelection(11, true);
    EXPECT_EQ(Text(core), "hello worldhello");
    core.Undo();
    EXPECT_EQ(Text(core), "hello world");
}

TEST(Undo, JoinedEditsAreOneStepBothWays)
{
    TVeskMemoCore core;
    core.SetTextBuf("abc");
    core.Select(1, 1);
    core.ReplaceSelection("x");  // a step of its own, before the mark
    const std::int32_t mark = core.UndoList().Position();
    for (const std::int32_t at : {0, 3, 6}) {
        core.Select(at, at);
        core.ReplaceSelection("[]");
    }
    core.JoinUndoSince(mark);
    ASSERT_EQ(Text(core), "[]a[]x[]bc");
    core.Undo();
    EXPECT_EQ(Text(core), "axbc");
    core.Redo();
    EXPECT_EQ(Text(core), "[]a[]x[]bc");
    core.Undo();
    EXPECT_EQ(Text(core), "axbc");
    core.Undo();
    EXPECT_EQ(Text(core), "abc");
    core.Redo();
    core.Redo();
    EXPECT_EQ(Text(core), "[]a[]x[]bc");
}

TEST(Undo, ReplacedTextComesBackWithBreaksAndClosingCodes)
{
    TVeskMemoCore core;
    core.SetTextBuf("a\x02" "b\r\ncd");
    core.Select(1, 6);
    Type(core, "Z");  // replaces a code 2, so a closing code 2 follows
    EXPECT_EQ(Text(core), "aZ\x02" "d");
    core.Undo();
    EXPECT_EQ(Text(core), "a\x02" "b\r\ncd");
    core.Redo();
    EXPECT_EQ(Text(core), "aZ\x02" "d");
}

TEST(Undo, SpaceLimitDropsRedoRecordsThenTheOldest)
{
    TVeskMemoCore core;
    core.SetUndoMaxSpace(13 * 3 + 6);  // room for three empty records and a little text
    for (int i = 0; i < 5; ++i) {
        core.Select(core.CharCount(), core.CharCount());
        Type(core, "x");
    }
    EXPECT_EQ(core.UndoList().Count(), 3);
    EXPECT_LE(core.UndoList().SpaceUsed(), core.UndoMaxSpace());
    core.Undo();
    core.Undo();
    core.Undo();
    EXPECT_EQ(Text(core), "xx");  // the two oldest steps were dropped
    EXPECT_FALSE(core.CanUndo());
}

TEST(Undo, MaxLevelRefusesTooHighAndTrims)
{
    TVeskMemoCore core;
    EXPECT_EQ(core.UndoMaxLevel(), 256);
    try {
        core.SetUndoMaxLevel(134217728);
        FAIL() << "no error";
    } catch (const EUndoError& e) {
        EXPECT_STREQ(e.what(), "Undo set too high");
    }
    EXPECT_EQ(core.UndoMaxLevel(), 256);
    for (int i = 0; i < 6; ++i) {
        core.Select(core.CharCount(), core.CharCount());
        Type(core, "x");
    }
    core.Undo();
    core.Undo();  // position 4 of 6
    core.SetUndoMaxLevel(3);
    EXPECT_EQ(core.UndoList().Position(), 3);
    EXPECT_EQ(core.UndoList().Count(), 3);
    EXPECT_FALSE(core.CanRedo());
}

// A random history of edits, undos and redos checked against the texts the
// history went through, with a space limit small enough that old records and
// redo records are trimmed: every undo and redo lands on a text the history
// really had, undoing everything gives the oldest text still reachable and
// redoing everything the newest.
TEST(Undo, RandomHistoryMatchesAModel)
{
    std::mt19937 rng(4242);
    TVeskMemoCore core;
    core.SetUndoMaxSpace(400);
    core.SetTextBuf("start text\r\nsecond line");
    core.SetModified(false);
    std::vector<std::string> states{Text(core)};  // texts by undo position
    std::size_t at = 0;
    bool trimmed = false;
    const char* pieces[] = {"a", "bc", "\r\n", "é中", "\x02", " ", "xyz\r\nq"};
    // Trimming drops the oldest steps and, during replays, redo steps: the
    // model follows the list's position and count.
    auto sync = [&]() {
        const auto position = std::size_t(core.UndoList().Position());
        const auto count = std::size_t(core.UndoList().Count());
        ASSERT_LE(position, at);
        states.erase(states.begin(), states.begin() + std::ptrdiff_t(at - position));
        at = position;
        states.resize(std::min(states.size(), at + (count - position) + 1));
    };
    for (int step = 0; step < 3000; ++step) {
        const int op = int(rng() % 10);
        if (op < 2 && core.CanUndo()) {
            core.Undo();
            ASSERT_GT(at, 0u);
            --at;
        } else if (op < 3 && core.CanRedo()) {
            core.Redo();
            ++at;
        } else {
            const std::int32_t n = core.CharCount();
            const std::int32_t a = n ? std::int32_t(rng() % std::uint32_t(n + 1)) : 0;
            const std::int32_t b = std::min(n, a + std::int32_t(rng() % 4));
            core.Select(a, b);
            const char* piece = rng() % 4 == 0 ? "" : pieces[rng() % 7];
            // The undo position says nothing here: a new record may push the
            // oldest out.
            if (!core.ReplaceSelection(piece))
                continue;  // nothing changed (an empty selection and no text)
            states.resize(at + 1);
            states.push_back(Text(core));
            ++at;
        }
        sync();
        ASSERT_EQ(Text(core), states[at]) << "step " << step;
        ASSERT_LE(core.UndoList().SpaceUsed(), core.UndoMaxSpace());
        ASSERT_LE(core.SelStart(), core.CharCount());
        if (op < 3)  // a replay leaves the caret after the text it restored
            ASSERT_EQ(core.SelLength(), 0);
        if (step % 100 == 0)
            ASSERT_NO_THROW(core.CheckIntegrity());
        trimmed = trimmed || at < std::size_t(step) / 4;
    }
    EXPECT_TRUE(trimmed);
    // All the way back and forth again (replays may trim too).
    while (core.CanUndo()) {
        core.Undo();
        --at;
        sync();
        ASSERT_EQ(Text(core), states[at]);
    }
    EXPECT_EQ(at, 0u);
    while (core.CanRedo()) {
        core.Redo();
        ++at;
        sync();
        ASSERT_EQ(Text(core), states[at]);
    }
    EXPECT_EQ(at, states.size() - 1);
    EXPECT_NO_THROW(core.CheckIntegrity());
}

} // namespace
} // namespace vesk

namespace vesk {
namespace {

// The same grouping as the user meets it, through real key events.
TEST(UndoKeys, TypedLettersUndoTogetherAndCtrlShiftZRedoes)
{
    TVeskMemo memo;
    memo.resize(300, 100);
    memo.show();
    memo.setFocus();
    memo.SetTextBuf("xy");
    memo.Select(1, 1);
    QTest::keyClicks(&memo, "abc");
    EXPECT_EQ(Text(memo), "xabcy");
    QTest::keyClick(&memo, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Text(memo), "xy");
    QTest::keyClick(&memo, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Text(memo), "xabcy");

    EXPECT_EQ(memo.SelStart(), 4);
    QTest::keyClick(&memo, Qt::Key_Left);
    EXPECT_EQ(memo.SelStart(), 3);
    QTest::keyClick(&memo, Qt::Key_Right);
    QTest::keyClicks(&memo, "d");
    EXPECT_EQ(Text(memo), "xabcdy");
    QTest::keyClick(&memo, Qt::Key_Backspace);
    QTest::keyClick(&memo, Qt::Key_Backspace);
    EXPECT_EQ(Text(memo), "xaby");
    QTest::keyClick(&memo, Qt::Key_Z, Qt::ControlModifier);  // each Backspace is a step
    EXPECT_EQ(Text(memo), "xabcy");
    QTest::keyClick(&memo, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Text(memo), "xabcdy");
    QTest::keyClick(&memo, Qt::Key_Z, Qt::ControlModifier);  // the "d", typed after a move
    EXPECT_EQ(Text(memo), "xabcy");
}

} // namespace
} // namespace vesk

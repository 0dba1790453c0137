// Find and Replace: searching on, the not-found message, replacing one and all.
#include "app/FindReplace.h"
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "support/TempDir.h"

#include <QLineEdit>
#include <gtest/gtest.h>

namespace vesk {
namespace {

std::string Text(const TVeskMemoCore& core)
{
    return core.GetTextPart(0, core.CharCount());
}

TFindOptions Opt(const char* find, const char* replace = "", bool down = true)
{
    TFindOptions o;
    o.findText = QString::fromUtf8(find);
    o.replaceText = QString::fromUtf8(replace);
    o.down = down;
    return o;
}

TEST(FindReplace, ARunOffTheEndReportsAndStartsAgainFromTheTop)
{
    MsgBoxScript::Scope script;
    TVeskMemoCore core;
    core.SetTextBuf("cat dog cat");
    core.Select(0, 0);
    EXPECT_TRUE(FindNext(core, Opt("cat")));
    EXPECT_EQ(core.SelStart(), 3);
    EXPECT_TRUE(FindNext(core, Opt("cat")));
    EXPECT_EQ(core.SelStart(), 11);
    EXPECT_FALSE(FindNext(core, Opt("cat")));
    ASSERT_EQ(MsgBoxScript::Calls().size(), 1);
    EXPECT_EQ(MsgBoxScript::Calls()[0].text, "Could not find \"cat\".");
    EXPECT_EQ(MsgBoxScript::Calls()[0].caption, "Word Not Found");
    EXPECT_EQ(core.SelStart(), 0);
    EXPECT_TRUE(FindNext(core, Opt("cat")));
    EXPECT_EQ(core.SelStart(), 3);
}

TEST(FindReplace, ReplaceAllReplacesEveryOccurrenceAndEndsWithTheMessage)
{
    MsgBoxScript::Scope script;
    TVeskMemoCore core;
    core.SetTextBuf("cat, cat\r\nthe cat");
    core.Select(0, 0);
    EXPECT_EQ(ReplaceAll(core, Opt("cat", "dog")), 3);
    EXPECT_EQ(Text(core), "dog, dog\r\nthe dog");
    EXPECT_EQ(MsgBoxScript::Calls().back().caption, "Word Not Found");
    EXPECT_EQ(core.SelStart(), 0);
}

TEST(FindReplace, AReplacementThatContainsTheTextEndsAfterOnePassBothWays)
{
    MsgBoxScript::Scope script;
    TVeskMemoCore down;
    down.SetTextBuf("a a\r\na");
    down.Select(0, 0);
    EXPECT_EQ(ReplaceAll(down, Opt("a", "ba")), 3);
    EXPECT_EQ(Text(down), "ba ba\r\nba");

    TVeskMemoCore up;
    up.SetTextBuf("a a\r\na");
    up.Select(up.CharCount(), up.CharCount());
    EXPECT_EQ(ReplaceAll(up, Opt("a", "ba", false)), 3);
    EXPECT_EQ(Text(up), "ba ba\r\nba");
}

TEST(FindReplace, ReplaceAllWorksFromTheCaretInTheChosenDirection)
{
    MsgBoxScript::Scope script;
    TVeskMemoCore core;
    core.SetTextBuf("x x x x");
    core.Select(3, 3);
    EXPECT_EQ(ReplaceAll(core, Opt("x", "y")), 2);
    EXPECT_EQ(Text(core), "x x y y");
}

TEST(FindReplace, ReplaceIgnoresCaseForTheSelectedOccurrence)
{
    MsgBoxScript::Scope script;
    TVeskMemoCore core;
    core.SetTextBuf("Cat cat");
    core.Select(0, 3);
    TFindOptions o = Opt("cat", "dog");
    o.matchCase = true;
    EXPECT_TRUE(ReplaceOne(core, o));  // "Cat" replaced, then "cat" found
    EXPECT_EQ(Text(core), "dog cat");
    EXPECT_EQ(core.SelText(), "cat");
}

TEST(FindReplace, TheDialogsOpenWithTheSelectedWord)
{
    test::ScopedProgramFolder home;
    MsgBoxScript::Scope script;
    THTMLVeskMain window;
    window.CurrentEditor()->SetTextBuf("find this word");
    window.CurrentEditor()->Select(5, 9);
    window.FindClick();
    EXPECT_TRUE(window.FindDialog()->isVisible());
    EXPECT_EQ(window.FindDialog()->Options().findText, "this");
    window.CurrentEditor()->Select(10, 14);
    window.ReplaceClick();
    EXPECT_EQ(window.ReplaceDialog()->Options().findText, "word");
}

} // namespace
} // namespace vesk

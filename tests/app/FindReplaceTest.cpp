// Find and Replace: searching on, the not-found message, replacing one and all.
#include "app/FindReplace.h"
#include "app/FindReplaceEntry.h"
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
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
    window.Action("Find1")->trigger();
    EXPECT_TRUE(window.Entry<TFindReplaceEntry>()->FindDialog()->isVisible());
    EXPECT_EQ(window.Entry<TFindReplaceEntry>()->FindDialog()->Options().findText, "this");
    window.CurrentEditor()->Select(10, 14);
    window.Action("Replace1")->trigger();
    EXPECT_EQ(window.Entry<TFindReplaceEntry>()->ReplaceDialog()->Options().findText, "word");
}

QPushButton* Button(QWidget* dialog, const QString& caption)
{
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->text() == caption)
            return b;
    return nullptr;
}

TEST(FindReplace, TheReplaceDialogDrivenByItsButtons)
{
    test::ScopedProgramFolder home;
    MsgBoxScript::Scope script;
    THTMLVeskMain window;
    TVeskMemoFile* editor = window.CurrentEditor();
    editor->SetTextBuf("a cat, a Cat, a CAT");
    editor->Select(0, 0);
    window.Action("Replace1")->trigger();
    TFindDialog* dialog = window.Entry<TFindReplaceEntry>()->ReplaceDialog();
    ASSERT_TRUE(dialog->isVisible());
    const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
    ASSERT_EQ(edits.size(), 2);
    edits[0]->clear();
    QTest::keyClicks(edits[0], "cat");
    QTest::keyClicks(edits[1], "dog");
    for (QCheckBox* box : dialog->findChildren<QCheckBox*>())
        if (box->text().contains(QLatin1String("case")))
            box->setChecked(true);

    // Find Next, then Replace: the selected match is replaced and the next one found.
    QTest::mouseClick(Button(dialog, "&Find Next"), Qt::LeftButton);
    EXPECT_EQ(editor->SelText(), "cat");
    QTest::mouseClick(Button(dialog, "&Replace"), Qt::LeftButton);
    EXPECT_EQ(Text(*editor), "a dog, a Cat, a CAT");

    // Replace All with Match case replaces only the exact spelling (none left).
    for (QCheckBox* box : dialog->findChildren<QCheckBox*>())
        box->setChecked(false);
    editor->Select(0, 0);
    QTest::mouseClick(Button(dialog, "Replace &All"), Qt::LeftButton);
    EXPECT_EQ(Text(*editor), "a dog, a dog, a dog");
    ASSERT_FALSE(MsgBoxScript::Calls().isEmpty());
    EXPECT_EQ(MsgBoxScript::Calls().back().caption, "Word Not Found");

    // Upwards from the end, the dialog remembering its text when reopened.
    editor->SetTextBuf("a b a");
    editor->Select(5, 5);
    window.Action("Replace1")->trigger();
    for (QRadioButton* r : dialog->findChildren<QRadioButton*>())
        if (r->text() == "&Up")
            r->setChecked(true);
    edits[0]->setText("a");
    edits[1]->setText("ba");
    QTest::mouseClick(Button(dialog, "Replace &All"), Qt::LeftButton);
    EXPECT_EQ(Text(*editor), "ba b ba");
    QTest::mouseClick(Button(dialog, "Cancel"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    window.Action("Replace1")->trigger();
    EXPECT_EQ(dialog->Options().replaceText, "ba");
    EXPECT_FALSE(dialog->Options().down);
}

} // namespace
} // namespace vesk

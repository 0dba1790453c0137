// The code bars: how they fill, and what a double click inserts.
#include "app/CodeBars.h"
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "support/TempDir.h"

#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace vesk {
namespace {

std::vector<CodeItem> Codes(int n)
{
    std::vector<CodeItem> items;
    for (int i = 0; i < n; ++i)
        items.push_back({QStringLiteral("<C%1>").arg(i), kCodeChecked});
    return items;
}

TEST(CodeBars, SevenCodesLeaveAnEmptyRowAndTheEighthStartsRowOne)
{
    const auto seven = CodeBarCells("S/E Codes", Codes(7));
    ASSERT_EQ(seven.size(), 2u);
    EXPECT_EQ(seven[0][0], "S/E Codes");
    EXPECT_EQ(seven[0][1], "<C0>");
    EXPECT_EQ(seven[0][7], "<C6>");
    for (const QString& cell : seven[1])
        EXPECT_TRUE(cell.isEmpty());

    const auto eight = CodeBarCells("S/E Codes", Codes(8));
    ASSERT_EQ(eight.size(), 2u);
    EXPECT_EQ(eight[1][0], "<C7>");
    EXPECT_TRUE(eight[1][1].isEmpty());

    auto mixed = Codes(3);
    mixed[1].check = kCodeUnchecked;  // only checked codes appear
    mixed[2].check = kCodeGreyed;
    const auto shown = CodeBarCells("Single Codes", mixed);
    EXPECT_EQ(shown[0][1], "<C0>");
    EXPECT_TRUE(shown[0][2].isEmpty());
}

TEST(CodeBars, StartEndCodesWrapTheSelectionInEitherDirection)
{
    EXPECT_EQ(EndCodeOf("<B>"), "</B>");
    EXPECT_EQ(EndCodeOf("<FONT SIZE=2>"), "</FONT SIZE=2>");
    for (bool backwards : {false, true}) {
        TVeskMemoCore core;
        core.SetTextBuf("a text b");
        if (backwards)
            core.Select(6, 2);
        else
            core.Select(2, 6);
        InsertStartEndCode(core, "<B>");
        EXPECT_EQ(core.GetTextPart(0, core.CharCount()), "a <B>text</B> b");
        EXPECT_EQ(core.SelStart(), 13);
    }
    TVeskMemoCore empty;
    empty.SetTextBuf("xy");
    empty.Select(1, 1);
    InsertStartEndCode(empty, "<B>");
    EXPECT_EQ(empty.GetTextPart(0, empty.CharCount()), "x<B></B>y");
    EXPECT_EQ(empty.SelStart(), 8);
}

TEST(CodeBars, DoubleClicksOnTheBarsInsertCodesAndTheTitleCellDoesNothing)
{
    test::ScopedProgramFolder home;
    MsgBoxScript::Scope script;
    THTMLVeskMain window;
    window.FillToolBars();
    auto* se = window.findChild<QTableWidget*>("StringGrid1");
    auto* single = window.findChild<QTableWidget*>("StringGrid2");
    ASSERT_TRUE(se && single);
    EXPECT_EQ(se->item(0, 0)->text(), "S/E Codes");
    EXPECT_EQ(se->item(0, 1)->text(), "<A>");  // the designed list
    TVeskMemoFile* editor = window.CurrentEditor();
    editor->SetTextBuf("word");
    editor->Select(0, 4);
    se->cellDoubleClicked(0, 1);
    EXPECT_EQ(editor->GetTextPart(0, editor->CharCount()), "<A>word</A>");
    se->cellDoubleClicked(0, 0);  // the title
    EXPECT_EQ(editor->GetTextPart(0, editor->CharCount()), "<A>word</A>");

    // "<BR>" replaces the selection.
    int row = -1, column = -1;
    for (int r = 0; r < single->rowCount() && row < 0; ++r)
        for (int c = 0; c < 8; ++c)
            if (single->item(r, c) && single->item(r, c)->text() == "<BR>") {
                row = r;
                column = c;
            }
    ASSERT_GE(row, 0);
    editor->Select(3, 7);
    single->cellDoubleClicked(row, column);
    EXPECT_EQ(editor->GetTextPart(0, editor->CharCount()), "<A><BR></A>");
}

TEST(CodeBars, ADoubleClickOnACellWrapsASelectionMadeRightToLeft)
{
    test::ScopedProgramFolder home;
    MsgBoxScript::Scope script;
    THTMLVeskMain window;
    window.Form1Show({});
    window.Action("SECodes1")->trigger();
    window.resize(800, 500);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* se = window.findChild<QTableWidget*>("StringGrid1");
    ASSERT_TRUE(se->isVisible());
    TVeskMemoFile* editor = window.CurrentEditor();
    editor->SetTextBuf("say hello now");
    editor->Select(9, 4);  // "hello", caret at its start
    const QRect cell = se->visualItemRect(se->item(0, 1));
    ASSERT_FALSE(cell.isEmpty()) << se->width() << "x" << se->height();
    QTest::mouseClick(se->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(se->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(editor->GetTextPart(0, editor->CharCount()), "say <A>hello</A> now");
    // The title cell inserts nothing.
    QTest::mouseDClick(se->viewport(), Qt::LeftButton, {}, se->visualItemRect(se->item(0, 0)).center());
    EXPECT_EQ(editor->GetTextPart(0, editor->CharCount()), "say <A>hello</A> now");
    EXPECT_TRUE(editor->hasFocus());
}

} // namespace
} // namespace vesk

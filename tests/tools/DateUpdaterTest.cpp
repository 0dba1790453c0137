// The date updater: which slash runs are offered, and what each answer does.
#include "tools/DateUpdater.h"

#include <gtest/gtest.h>

#include <deque>

namespace vesk {
namespace {

struct UpdaterRun {
    TVeskMemoCore editor;
    std::deque<TDateAnswer> answers;
    QStringList offered;  // the selected text at each prompt
    int noMore = 0;

    explicit UpdaterRun(const std::string& text)
    {
        editor.SetTextBuf(text);
        editor.Select(0, 0);
    }
    void Go(QDate today = QDate(2001, 3, 5))
    {
        TDateUpdaterHooks hooks;
        hooks.askReplace = [this]() {
            offered << QString::fromStdString(editor.SelText());
            if (answers.empty())
                return TDateAnswer::No;
            const TDateAnswer a = answers.front();
            answers.pop_front();
            return a;
        };
        hooks.noMoreDates = [this]() { ++noMore; };
        UpdateDates(editor, today, hooks);
    }
    std::string Text() const { return editor.GetTextPart(0, editor.CharCount()); }
};

TEST(DateUpdater, RecognisedFormsAreOfferedAndOthersSkipped)
{
    UpdaterRun run("Updated 1/15/99, 12/31/1999 and 1/5/99; not 1/5/9, 1999/12/31, 123/1/99, a/b, </B>, 1/2 x.");
    run.Go();
    EXPECT_EQ(run.offered, (QStringList{"1/15/99", "12/31/1999", "1/5/99"}));
    EXPECT_EQ(run.noMore, 1);
    EXPECT_EQ(run.Text(), "Updated 1/15/99, 12/31/1999 and 1/5/99; not 1/5/9, 1999/12/31, 123/1/99, a/b, </B>, 1/2 x.");

    UpdaterRun start("1/15/99 is at the very start");
    start.Go();
    EXPECT_TRUE(start.offered.isEmpty());
    EXPECT_EQ(start.noMore, 1);

    UpdaterRun none("no slash at all");
    none.Go();
    EXPECT_EQ(none.noMore, 1);
}

TEST(DateUpdater, YesReplacesWithTodayAndTheSearchGoesOn)
{
    UpdaterRun run("Last Updated - 12/31/1999<BR>\r\nand 1/5/99.");
    run.answers = {TDateAnswer::Yes, TDateAnswer::Yes};
    run.Go(QDate(2001, 3, 5));
    EXPECT_EQ(run.Text(), "Last Updated - 03/05/2001<BR>\r\nand 03/05/2001.");
    EXPECT_EQ(run.offered, (QStringList{"12/31/1999", "1/5/99"}));  // never a replaced date again
    EXPECT_EQ(run.noMore, 1);
}

TEST(DateUpdater, CancelRestoresCaretAndSelectionWithoutTheMessage)
{
    UpdaterRun run("x 1/15/99 y 2/2/02");
    run.editor.Select(18, 16);  // a selection made right to left
    run.answers = {TDateAnswer::No, TDateAnswer::Cancel};
    run.Go();
    EXPECT_EQ(run.offered, (QStringList{"1/15/99", "2/2/02"}));
    EXPECT_EQ(run.noMore, 0);
    EXPECT_EQ(run.Text(), "x 1/15/99 y 2/2/02");
    EXPECT_EQ(run.editor.SelStart(), 16);
    EXPECT_EQ(run.editor.SelLength(), 2);

    // The same after the run ends normally.
    run.editor.Select(3, 5);
    run.answers.clear();
    run.Go();
    EXPECT_EQ(run.noMore, 1);
    EXPECT_EQ(run.editor.SelStart(), 5);
    EXPECT_EQ(run.editor.SelLength(), -2);
}

TEST(DateUpdater, RunLimitsAroundTheFirstSlash)
{
    // Nine characters after the first slash at most; two before it.
    UpdaterRun longRun("on 1/12/1999999 and 12/1/1234567");
    longRun.Go();
    EXPECT_EQ(longRun.offered, QStringList{"12/1/1234567"});
    UpdaterRun twoDigits(" 10/10/10");
    twoDigits.answers = {TDateAnswer::Yes};
    twoDigits.Go(QDate(2026, 12, 7));
    EXPECT_EQ(twoDigits.Text(), " 12/07/2026");
}

} // namespace
} // namespace vesk

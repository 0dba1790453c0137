// Large texts stay responsive: moves near the end do not lay out everything
// above, and formatting above the view keeps the view on its text.
#include "editor/VeskMemoCore.h"

#include <gtest/gtest.h>

#include <string>

namespace vesk {
namespace {

std::int32_t FormattedParagraphs(const TVeskMemoCore& core)
{
    std::int32_t n = 0;
    for (std::int32_t i = 0; i < core.ParagraphCount(); ++i)
        n += core.Paragraph(i).formatted ? 1 : 0;
    return n;
}

std::string WrappingText(int paragraphs)
{
    std::string text;
    for (int i = 0; i < paragraphs; ++i)
        text += "word word word word word word word word\r\n";  // wraps at 10 characters
    return text;
}

TEST(MemoLargeText, MovesAtTheEndLayOutOnlyWhatTheyReach)
{
    TVeskMemoCore core;
    core.SetLayoutWidth(80);
    core.SetTextBuf(WrappingText(5000));
    core.HandleKey(Qt::Key_End, Qt::ControlModifier, {});
    core.HandleKey(Qt::Key_Up, Qt::NoModifier, {});
    core.HandleKey(Qt::Key_PageUp, Qt::NoModifier, {});
    EXPECT_LT(FormattedParagraphs(core), 100);
    EXPECT_NO_THROW(core.CheckIntegrity());
    // Exact line numbers are there when asked for.
    EXPECT_GT(core.CurrentLine(), 5000);
    EXPECT_GE(FormattedParagraphs(core), core.ParagraphCount() - 1);
}

TEST(MemoLargeText, FormattingAboveTheViewKeepsTheTopLineOnItsText)
{
    TVeskMemoCore core;
    core.SetLayoutWidth(80);
    core.SetTextBuf(WrappingText(2000));
    core.SetTopLine(1000);  // paragraph 1000 while nothing above is laid out
    const std::int32_t topParagraph = core.ParagraphOfLine(core.TopLine());
    const std::int32_t lineInParagraph = core.TopLine() - core.FirstLine(topParagraph);
    while (core.FormatSome(5)) {
    }
    EXPECT_EQ(core.ParagraphOfLine(core.TopLine()), topParagraph);
    EXPECT_EQ(core.TopLine() - core.FirstLine(topParagraph), lineInParagraph);
    EXPECT_NO_THROW(core.CheckIntegrity());
}

} // namespace
} // namespace vesk

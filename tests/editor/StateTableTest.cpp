// Highlighting states kept once in the store's table and referred to from
// marks by a short index: the encoding, interning and reclaiming, and a text
// whose every paragraph has states of its own.
#include "editor/StateTable.h"
#include "editor/VeskMemoCore.h"
#include "editor/VeskNavigator.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <string>

namespace vesk {
namespace {

THighlightState Numbered(std::uint32_t n)
{
    THighlightState s;
    s.flagsStyle = 0xC0;
    s.depth = 0;
    s.background = n;
    return s;
}

TEST(ContextMarks, IndexesTakeOneToFourBytes)
{
    struct Case {
        TStateId id;
        int size;
    };
    const Case cases[] = {{0, 2},        {127, 2},      {128, 3},      {16383, 3},
                          {16384, 4},    {0x1FFFFF, 4}, {0x200000, 5}, {kMaxStateId, 5}};
    for (const Case& c : cases) {
        char mark[kMaxMarkSize + 1] = {};
        EXPECT_EQ(WriteMark(mark, c.id), c.size) << c.id;
        EXPECT_EQ(MarkSizeFor(c.id), c.size) << c.id;
        EXPECT_EQ(mark[0], kMarkByte);
        EXPECT_EQ(MarkSize(mark), c.size) << c.id;
        EXPECT_EQ(MarkState(mark), c.id);
    }
}

TEST(StateTable, EachStateOnceAndUnusedOnesReclaimedSmallestFirst)
{
    TStateTable table;
    EXPECT_EQ(table.Intern(THighlightState{}), kEmptyStateId);
    const TStateId a = table.Intern(Numbered(1));
    const TStateId b = table.Intern(Numbered(2));
    EXPECT_EQ(table.Intern(Numbered(1)), a);
    EXPECT_NE(a, b);
    EXPECT_EQ(table[b].background, 2u);
    for (std::uint32_t n = 3; n < 70000; ++n)
        table.Intern(Numbered(n));
    EXPECT_TRUE(table.SweepDue());
    // Only b and the very last are still referred to.
    const TStateId last = table.Intern(Numbered(69999));
    table.BeginSweep();
    table.Keep(b);
    table.Keep(last);
    table.EndSweep();
    EXPECT_EQ(table.Count(), 3u);
    EXPECT_FALSE(table.SweepDue());
    EXPECT_EQ(table[b].background, 2u);
    EXPECT_EQ(table[last].background, 69999u);
    // Freed indexes come back smallest first, so marks stay short.
    EXPECT_EQ(table.Intern(Numbered(5)), a);
    EXPECT_EQ(table.Intern(Numbered(1)), b + 1);
    EXPECT_EQ(table.Intern(Numbered(2)), b);
}

// Every paragraph starts in a state of its own and holds a mark of another:
// hundreds of thousands of states, more than the table keeps without
// reclaiming, marks up to four bytes long. The text reads, edits and saves
// as if there were none.
TEST(StateTable, ATextWithDifferentStatesInEveryParagraph)
{
    constexpr int kParagraphs = 120000;
    std::string text;
    for (int i = 0; i < kParagraphs; ++i)
        text += "<p>" + std::to_string(i) + (i + 1 < kParagraphs ? "</p>\r\n" : "</p>");
    TVeskMemoCore store;
    store.SetTextBuf(text);
    ASSERT_EQ(store.ParagraphCount(), kParagraphs);
    TVeskNavigator nav(&store, false);
    for (int i = 0; i < kParagraphs; ++i) {
        store.SetParagraphStartState(i, Numbered(std::uint32_t(2 * i + 1)));
        nav.SetOffset(store.ParagraphStart(i) + 3);
        nav.InsertMark(Numbered(std::uint32_t(2 * i + 2)));
    }
    ASSERT_NO_THROW(store.CheckIntegrity());
    EXPECT_EQ(store.GetTextPart(0, store.CharCount()), text);
    for (int i : {0, 1, 127, 8191, 70000, kParagraphs - 1}) {
        EXPECT_EQ(store.ParagraphStartState(i).background, std::uint32_t(2 * i + 1)) << i;
        nav.SetOffset(store.ParagraphStart(i) + 4);
        EXPECT_EQ(nav.State().background, std::uint32_t(2 * i + 2)) << i;
        EXPECT_EQ(store.Paragraph(i).markCount, 1);
    }

    // Most of the text goes, and new states keep coming: those nothing
    // refers to any more are reclaimed, so the table stays near what is live.
    const std::int32_t cut = store.ParagraphStart(100000);
    ASSERT_TRUE(store.ReplaceRange(store.ParagraphStart(10), cut, "<b>x</b>").has_value());
    for (std::uint32_t n = 0; n < 300000; ++n)
        store.SetParagraphStartState(0, Numbered(1000000 + n));
    EXPECT_LT(store.States().Count(), 120000u);
    store.SetParagraphStartState(0, Numbered(1));
    const std::string kept = text.substr(0, std::size_t(store.ParagraphStart(10))) + "<b>x</b>"
        + text.substr(text.find("<p>100000</p>"));
    EXPECT_EQ(store.GetTextPart(0, store.CharCount()), kept);
    ASSERT_NO_THROW(store.CheckIntegrity());
    TVeskNavigator after(&store, false);
    after.SetOffset(store.ParagraphStart(11) + 4);
    EXPECT_EQ(after.State().background, std::uint32_t(2 * 100001 + 2));

    QBuffer saved;
    saved.open(QIODevice::WriteOnly);
    store.SaveToStream(saved);
    EXPECT_EQ(saved.data().toStdString(), kept);
}

} // namespace
} // namespace vesk

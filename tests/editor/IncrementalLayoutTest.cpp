// An edit lays out again only the lines around it, and only paints those:
// the lines it keeps must be exactly what laying the paragraph out afresh
// gives. With no measurer every character is 8 px wide.
#include "editor/KeyLists.h"
#include "editor/TextLayout.h"
#include "editor/VeskMemoCore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace vesk {
namespace {

// Every stored line of every paragraph against a fresh layout of it.
void ExpectSameAsFreshLayout(TVeskMemoCore& core, int step)
{
    ASSERT_NO_THROW(core.CheckIntegrity()) << "step " << step;
    TLayoutOptions options;
    options.width = std::max(core.LayoutWidth(), core.Measurer().LineHeight());
    options.wordWrap = core.WordWrap();
    options.tabStops = core.TabStops();
    for (std::int32_t p = 0; p < core.ParagraphCount(); ++p) {
        core.EnsureFormatted(p);
        const std::vector<TLineRecord> fresh = FormatParagraph(core, p, core.Measurer(), options);
        ASSERT_EQ(core.Paragraph(p).LineCount(), std::int32_t(fresh.size())) << "step " << step << ", paragraph " << p;
        for (std::int32_t k = 0; k < std::int32_t(fresh.size()); ++k) {
            const TLineRecord line = core.Line(p, k);
            const TLineRecord& want = fresh[std::size_t(k)];
            ASSERT_TRUE(line.start == want.start && line.end == want.end && line.chars == want.chars
                        && line.width == want.width && line.style == want.style
                        && std::memcmp(&line.state, &want.state, sizeof line.state) == 0)
                << "step " << step << ", paragraph " << p << ", line " << k << ": " << line.start << "-" << line.end
                << " against " << want.start << "-" << want.end;
        }
    }
}

TEST(IncrementalLayout, LinesAfterEditsInLongParagraphsAreAFreshLayouts)
{
    std::mt19937 rng(31);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const char* pieces[] = {"word ", "<a href=\"x\">", "</a> ", "longerword", " ", "\t", "\x02", "\xC3\xA9",
                            "<", ">", "  ", "\r\n"};
    TVeskMemoCore core;
    auto keys = std::make_shared<TStartStopKeyList>();
    AddHtmlStartStopKeys(*keys);
    core.Highlighting().SetStartStopKeys(keys);
    core.Highlighting().SetApplyKeyWords(false);
    core.SetLayoutWidth(160);  // 20 characters a line
    std::string text;
    for (int i = 0; i < 600; ++i)
        text += pieces[pick(0, i % 200 == 199 ? 11 : 10)];
    core.SetTextBuf(text);
    core.FormatSome(0);
    for (int step = 0; step < 600; ++step) {
        const std::int32_t at = pick(0, core.CharCount());
        core.Select(at, std::min(core.CharCount(), at + pick(0, 3) * pick(0, 1)));
        std::string typed;
        for (int n = pick(0, 2); n > 0; --n)
            typed += pieces[pick(0, step % 25 == 0 ? 11 : 10)];
        if (typed.empty())
            core.ClearSelection();
        else
            core.ReplaceSelection(typed);
        if (step % 10 == 0)
            ExpectSameAsFreshLayout(core, step);
        if (::testing::Test::HasFatalFailure())
            return;
    }
    ExpectSameAsFreshLayout(core, 600);
    EXPECT_GT(core.Paragraph(0).LineCount(), 50);  // long paragraphs were exercised
}

} // namespace
} // namespace vesk

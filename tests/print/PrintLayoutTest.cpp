// Page arithmetic and the preview's margin rules, from tables.
#include "print/PrintLayout.h"

#include <gtest/gtest.h>

#include <limits>

namespace vesk {
namespace {

// A Letter sheet at 1200 pixels per inch.
TPrintDevice Letter(int offsetX = 0, int offsetY = 0)
{
    return {10200, 13200, offsetX, offsetY, 10200 - 2 * offsetX, 13200 - 2 * offsetY, 1200, 1200};
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(PrintLayout, PitchLinesPerPageAndPageCount)
{
    struct Row {
        float spacing;
        int pitch, linesPerPage;  // 9.5 inches of room with the default margins
    } rows[] = {
        {-1.5f, 150, 76},  // one and a half times the height of "A" (100)
        {0.25f, 300, 38},  // a quarter inch, whatever the font
        {0.0f, 1, 11400},  // a pitch of 0 counts as one pixel
        {kNaN, 1, 11400},
        {1e30f, 1 << 30, 1},
        {-1e30f, 1 << 30, 1},
    };
    for (const Row& r : rows) {
        const int pitch = LinePitch(r.spacing, 1200, 100);
        EXPECT_EQ(pitch, r.pitch) << r.spacing;
        EXPECT_EQ(LinesPerPage(Letter(), TPrintMargins{}, pitch), r.linesPerPage) << r.spacing;
    }
    const TPrintMargins beyond{20, 20, 20, 20};
    EXPECT_EQ(LinesPerPage(Letter(), beyond, 150), 1);
    EXPECT_EQ(FormatWidth(Letter(), beyond), 1);

    struct Count {
        int lines, perPage, pages;
    } counts[] = {
        {0, 76, 1}, {75, 76, 1}, {76, 76, 2},  // an exact multiple gets one more page
        {153, 76, 3}, {10, 0, 11}, {2147483647, 1, 2147483647},
    };
    for (const Count& c : counts)
        EXPECT_EQ(PageCount(c.lines, c.perPage), c.pages) << c.lines << " / " << c.perPage;
}

TEST(PrintLayout, HeaderAndFooterLines)
{
    struct Text {
        const char* text;
        int page;
        const char* out;
    } texts[] = {
        {"page.htm - {p}", 2, "page.htm - 3"}, {"No number here", 4, "No number here"}, {"{p}{p}", 0, "1{p}"},
    };
    for (const Text& t : texts)
        EXPECT_EQ(PageLineText(QString::fromUtf8(t.text), t.page), QString::fromUtf8(t.out));

    // Positions on a sheet with an unprintable border of 75 × 60 pixels:
    // measured on the sheet, drawn from the printable area.
    const TPrintDevice d = Letter(75, 60);
    const TPrintMargins m;  // 0.75 left, 0.5 right
    EXPECT_EQ(PageLineX(TPrintAlign::Left, d, m, 1000), 900 - 75);
    EXPECT_EQ(PageLineX(TPrintAlign::Right, d, m, 1000), 10200 - 600 - 1000 - 75);
    EXPECT_EQ(PageLineX(TPrintAlign::Center, d, m, 1000), (300 + 10200 - 1000) / 2 - 75);
    EXPECT_EQ(HeaderY(d, 0.4f), 480 - 60);
    EXPECT_EQ(FooterY(d, 0.4f), 13200 - 480 - 60);
}

TEST(PrintLayout, MarginLinesAreClampedAgainstTheOppositeOne)
{
    // Box 510 × 660 for Letter at scale 0.05: 60 box pixels per inch.
    const double s = 0.05, w = 510, h = 660;
    const TBoxMargins lines = BoxMargins(TPrintMargins{}, Letter(), s);  // 45, 480, 45, 615
    struct Row {
        TMarginEdge edge;
        double to, gap, expected;
    } rows[] = {
        {TMarginEdge::Left, 500, kDragGap, 477},     // past the right line while dragging
        {TMarginEdge::Left, 600, kReleaseGap, 470},  // released past it: 10 short
        {TMarginEdge::Left, -30, kReleaseGap, 0},    // not beyond the box
        {TMarginEdge::Right, 10, kReleaseGap, 55},
        {TMarginEdge::Right, 900, kReleaseGap, 510},
        {TMarginEdge::Top, 700, kReleaseGap, 605},
        {TMarginEdge::Bottom, 0, kReleaseGap, 55},
        {TMarginEdge::Bottom, 300, kDragGap, 300},
    };
    for (const Row& r : rows)
        EXPECT_NEAR(ClampMargin(r.edge, r.to, lines, w, h, r.gap), r.expected, 1e-9)
            << int(r.edge) << " to " << r.to;

    EXPECT_NEAR(MarginInches(TMarginEdge::Left, 90, w, h, Letter(), s), 1.5, 1e-6);
    EXPECT_NEAR(MarginInches(TMarginEdge::Right, 480, w, h, Letter(), s), 0.5, 1e-6);
    EXPECT_NEAR(MarginInches(TMarginEdge::Bottom, 600, w, h, Letter(), s), 1.0, 1e-6);
    EXPECT_EQ(MarginAt(lines, 478, 300, 3), TMarginEdge::Right);
    EXPECT_EQ(MarginAt(lines, 200, 617, 3), TMarginEdge::Bottom);
    EXPECT_EQ(MarginAt(lines, 200, 300, 3), std::nullopt);
}

} // namespace
} // namespace vesk

// Page arithmetic and the preview's margin rules, from tables.
#include "print/PrintLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vesk {
namespace {

// A Letter sheet at 1200 pixels per inch with no unprintable border.
TPrintDevice Letter(int offsetX = 0, int offsetY = 0)
{
    TPrintDevice d;
    d.physicalWidth = 10200;
    d.physicalHeight = 13200;
    d.offsetX = offsetX;
    d.offsetY = offsetY;
    d.printableWidth = 10200 - 2 * offsetX;
    d.printableHeight = 13200 - 2 * offsetY;
    d.ppiX = d.ppiY = 1200;
    return d;
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(PrintLayout, PitchAndLinesPerPage)
{
    struct Row {
        float spacing;
        int heightA;
        int pitch;
        int linesPerPage;  // 9.5 inches of room on Letter with the default margins
    } rows[] = {
        {-1.5f, 100, 150, 76},   // one and a half times the text height
        {0.25f, 100, 300, 38},   // a quarter inch per line, whatever the font
        {-1.0f, 133, 133, 85},
        {0.0f, 100, 1, 11400},   // a pitch of 0 counts as one pixel
        {kNaN, 100, 1, 11400},
        {1e30f, 100, 1 << 30, 1},
        {-1e30f, 100, 1 << 30, 1},
        {kInf, 100, 1 << 30, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.spacing);
        const int pitch = LinePitch(r.spacing, 1200, r.heightA);
        EXPECT_EQ(pitch, r.pitch);
        EXPECT_EQ(LinesPerPage(Letter(), TPrintMargins{}, pitch), r.linesPerPage);
    }
}

TEST(PrintLayout, MarginsBeyondThePageStillGiveALineAndAColumn)
{
    TPrintMargins huge{20, 20, 20, 20};
    EXPECT_EQ(LinesPerPage(Letter(), huge, 150), 1);
    EXPECT_EQ(FormatWidth(Letter(), huge), 1);
    TPrintMargins silly{kNaN, kInf, -kInf, 1e38f};
    EXPECT_GE(LinesPerPage(Letter(), silly, 150), 1);
    EXPECT_GE(FormatWidth(Letter(), silly), 1);
    EXPECT_EQ(FormatWidth(Letter(), TPrintMargins{}), 10200 - 1500);
}

TEST(PrintLayout, PageCount)
{
    struct Row {
        int lines, perPage, pages;
    } rows[] = {
        {0, 76, 1}, {1, 76, 1}, {75, 76, 1},
        {76, 76, 2},  // an exact multiple gets one more page
        {152, 76, 3}, {153, 76, 3}, {10, 0, 11}, {-5, 76, 1},
        {2147483647, 1, 2147483647},  // the one more page would not fit an int
    };
    for (const Row& r : rows)
        EXPECT_EQ(PageCount(r.lines, r.perPage), r.pages) << r.lines << " / " << r.perPage;
}

TEST(PrintLayout, PageNumberField)
{
    struct Row {
        const char* text;
        int page;
        const char* out;
    } rows[] = {
        {"page.htm - {p}", 2, "page.htm - 3"},
        {"No number here", 4, "No number here"},
        {"{p}{p}", 0, "1{p}"},  // only the first field
        {"", 1, ""},
        {"{P} {p", 0, "{P} {p"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(PageLineText(QString::fromUtf8(r.text), r.page), QString::fromUtf8(r.out));
}

TEST(PrintLayout, HeaderAndFooterPositions)
{
    const TPrintMargins m;  // 0.75 left, 0.5 right
    struct Row {
        TPrintAlign align;
        int offsetX;
        int x;
    } rows[] = {
        {TPrintAlign::Left, 0, 900},
        {TPrintAlign::Right, 0, 10200 - 600 - 1000},
        {TPrintAlign::Center, 0, (300 + 10200 - 1000) / 2},
        // Drawing starts at the printable area: the same sheet positions.
        {TPrintAlign::Left, 75, 825},
        {TPrintAlign::Center, 75, (300 + 10200 - 1000) / 2 - 75},
    };
    for (const Row& r : rows)
        EXPECT_EQ(PageLineX(r.align, Letter(r.offsetX, 0), m, 1000), r.x) << int(r.align) << " " << r.offsetX;
    EXPECT_EQ(HeaderY(Letter(), 0.4f), 480);
    EXPECT_EQ(FooterY(Letter(), 0.4f), 13200 - 480);
    EXPECT_EQ(HeaderY(Letter(0, 60), 0.4f), 420);
    EXPECT_EQ(FooterY(Letter(0, 60), 0.4f), 13200 - 480 - 60);
    EXPECT_EQ(PageOriginX(Letter(75, 60), m), 900 - 75);
    EXPECT_EQ(PageOriginY(Letter(75, 60), m), 900 - 60);
}

TEST(PrintLayout, PageBoxFitsTheWindow)
{
    // A tall window: the width decides, the box is centred vertically.
    QRectF box = PageBox(520, 2000, 40, Letter());
    EXPECT_DOUBLE_EQ(box.left(), 5);
    EXPECT_NEAR(box.width(), 510, 1e-9);
    EXPECT_NEAR(box.top() - 40, (2000 - 40 - box.height()) / 2, 1e-9);
    // A wide window: the height decides, 5 pixels below the panel, centred across.
    box = PageBox(3000, 700, 40, Letter());
    EXPECT_DOUBLE_EQ(box.top(), 45);
    EXPECT_NEAR(box.height(), 650, 1e-9);
    EXPECT_NEAR(box.left(), (3000 - box.width()) / 2, 1e-9);
    EXPECT_GT(PreviewScale(0, 0, 40, Letter()), 0);
}

TEST(PrintLayout, MarginLinesAreClampedAgainstTheOppositeOne)
{
    // Box 510 × 660 for Letter at scale 0.05: 60 box pixels per inch.
    const double s = 0.05, w = 510, h = 660;
    const TBoxMargins lines = BoxMargins(TPrintMargins{}, Letter(), s);
    EXPECT_NEAR(lines.left, 45, 1e-9);
    EXPECT_NEAR(lines.right, 480, 1e-9);
    EXPECT_NEAR(lines.top, 45, 1e-9);
    EXPECT_NEAR(lines.bottom, 615, 1e-9);
    struct Row {
        TMarginEdge edge;
        double to, gap, expected;
    } rows[] = {
        {TMarginEdge::Left, 500, kDragGap, 477},     // past the right line while dragging
        {TMarginEdge::Left, 600, kReleaseGap, 470},  // released past it: 10 short
        {TMarginEdge::Left, 100, kReleaseGap, 100},
        {TMarginEdge::Left, -30, kReleaseGap, 0},    // not beyond the box
        {TMarginEdge::Right, 10, kReleaseGap, 55},
        {TMarginEdge::Right, 48, kDragGap, 48},
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
    EXPECT_NEAR(MarginInches(TMarginEdge::Top, 30, w, h, Letter(), s), 0.5, 1e-6);
    EXPECT_NEAR(MarginInches(TMarginEdge::Bottom, 600, w, h, Letter(), s), 1.0, 1e-6);

    EXPECT_EQ(MarginAt(lines, 46, 300, 3), TMarginEdge::Left);
    EXPECT_EQ(MarginAt(lines, 478, 300, 3), TMarginEdge::Right);
    EXPECT_EQ(MarginAt(lines, 200, 44, 3), TMarginEdge::Top);
    EXPECT_EQ(MarginAt(lines, 200, 617, 3), TMarginEdge::Bottom);
    EXPECT_EQ(MarginAt(lines, 200, 300, 3), std::nullopt);
}

} // namespace
} // namespace vesk

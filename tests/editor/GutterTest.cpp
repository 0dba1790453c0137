// The gutter: bookmarks that follow their text, numbers of display lines,
// following the editor's scrolling, and forgetting a destroyed editor.
#include "editor/VeskGutter.h"

#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QImage>
#include <QPaintEvent>
#include <QTest>

#include <algorithm>
#include <memory>
#include <vector>
#include <string>

namespace vesk {
namespace {

struct Page {
    QWidget page;
    TVeskGutter* gutter;
    TVeskMemo* memo;
    Page()
    {
        auto* layout = new QHBoxLayout(&page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        gutter = new TVeskGutter(&page);
        gutter->SetBaseWidth(30);
        memo = new TVeskMemo(&page);
        memo->SetFont(QFont(QStringLiteral("DejaVu Sans Mono"), 10));
        layout->addWidget(gutter);
        layout->addWidget(memo);
        gutter->SetMemo(memo);
        page.resize(330, 200);
        page.show();
    }
};

TEST(Gutter, BookmarksToggleMoveAndRefuseAnOccupiedLine)
{
    Page p;
    p.memo->SetTextBuf("zero\r\none\r\ntwo\r\nthree");
    EXPECT_EQ(p.gutter->BookmarkAt(1), TVeskGutter::kNoBookmark);
    EXPECT_TRUE(p.gutter->ToggleBookmark(1, 3));
    EXPECT_EQ(p.gutter->BookmarkAt(1), 3);
    EXPECT_FALSE(p.gutter->ToggleBookmark(1, 4));  // another number holds the line
    EXPECT_EQ(p.gutter->BookmarkAt(1), 3);
    EXPECT_TRUE(p.gutter->ToggleBookmark(2, 3));  // the bookmark moves
    EXPECT_EQ(p.gutter->BookmarkAt(1), TVeskGutter::kNoBookmark);
    EXPECT_EQ(p.gutter->BookmarkAt(2), 3);
    EXPECT_TRUE(p.gutter->ToggleBookmark(2, 3));  // and goes
    EXPECT_EQ(p.gutter->BookmarkAt(2), TVeskGutter::kNoBookmark);
    p.gutter->ToggleBookmark(0, 0);
    p.gutter->ClearBookmarks();
    EXPECT_EQ(p.gutter->BookmarkAt(0), TVeskGutter::kNoBookmark);
}

TEST(Gutter, ABookmarkStaysWithItsTextWhenLinesAreInsertedAbove)
{
    Page p;
    p.memo->SetTextBuf("a\r\nb\r\nmarked\r\nc");
    ASSERT_TRUE(p.gutter->ToggleBookmark(2, 7));
    p.memo->Select(0, 0);
    p.memo->ReplaceSelection("new\r\nlines\r\n");
    EXPECT_EQ(p.gutter->BookmarkAt(4), 7);
    EXPECT_EQ(p.gutter->BookmarkAt(2), TVeskGutter::kNoBookmark);
    EXPECT_EQ(p.memo->GetTextPart(p.gutter->BookmarkOffset(7), p.gutter->BookmarkOffset(7) + 6), "marked");
}

TEST(Gutter, AWrappedParagraphGetsSeveralNumbers)
{
    Page p;
    p.memo->SetTextBuf(std::string(200, 'w') + "\r\nshort");
    p.memo->FormatSome(0);
    ASSERT_GT(p.memo->LineCount(), 2);
    // The short paragraph's line is numbered after every wrapped line.
    const std::int32_t last = p.memo->LineCount() - 1;
    p.gutter->ToggleBookmark(last, 1);
    EXPECT_EQ(p.gutter->BookmarkAt(last), 1);
    EXPECT_EQ(p.gutter->BookmarkOffset(1), 202);
    p.gutter->ToggleBookmark(1, 2);  // the wrapped paragraph's second line
    EXPECT_EQ(p.gutter->BookmarkOffset(2), p.memo->ParagraphStart(0) + (p.memo->Line(0, 1).start));
}

TEST(Gutter, PaintsNumbersAndImagesAndFollowsScrolling)
{
    Page p;
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "line\r\n";
    p.memo->SetTextBuf(text);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.page));
    p.gutter->ToggleBookmark(0, 5);
    QImage before = p.gutter->grab().toImage();
    // A yellow disc is painted for the bookmark on the first line.
    bool yellow = false;
    for (int y = 0; y < 20 && !yellow; ++y)
        for (int x = 0; x < 30; ++x)
            yellow = yellow || (qRed(before.pixel(x, y)) > 200 && qGreen(before.pixel(x, y)) > 180 && qBlue(before.pixel(x, y)) < 80);
    EXPECT_TRUE(yellow);
    p.memo->SetTopLine(10);
    QImage after = p.gutter->grab().toImage();
    EXPECT_NE(before, after);  // the numbers moved with the editor
}

// Runs what is posted (line-count news, layouts, paints) until nothing is left.
void Settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

TEST(Gutter, WidensToFitTheLargestNumberAndNarrowsBack)
{
    Page p;
    const QFont font(QStringLiteral("DejaVu Sans Mono"), 9);
    p.gutter->setFont(font);
    const int zero = QFontMetrics(font).horizontalAdvance(QLatin1Char('0'));
    ASSERT_GT(5 * zero + 4, 30) << "five digits must not fit the base width for this test to mean anything";
    const struct {
        int lines, width;
    } rows[] = {{9, 30}, {1500, std::max(30, 4 * zero + 4)}, {12000, 5 * zero + 4}, {120, 30}};
    for (const auto& row : rows) {
        std::string text;
        for (int i = 1; i < row.lines; ++i)
            text += "\r\n";
        p.memo->SetTextBuf(text);
        Settle();
        EXPECT_EQ(p.gutter->width(), row.width) << row.lines;
        EXPECT_EQ(p.memo->x(), p.gutter->width()) << row.lines;  // the editor gives way
    }
}

TEST(Gutter, RedrawsWhenTheLineCountChangesWithoutAnEditOrAScroll)
{
    Page p;
    p.memo->SetTextBuf(std::string(200, 'w') + "\r\nshort");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.page));
    Settle();
    const std::int32_t wrapped = p.memo->LineCount();
    ASSERT_GT(wrapped, 2);
    // The line count the editor had each time the gutter was painted.
    struct Probe : QObject {
        TVeskMemo* memo;
        std::vector<std::int32_t> painted;
        explicit Probe(TVeskMemo* m) : memo(m) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint)
                painted.push_back(memo->LineCount());
            return false;
        }
    } probe(p.memo);
    p.gutter->installEventFilter(&probe);
    for (const bool wrap : {false, true}) {
        probe.painted.clear();
        p.memo->SetWordWrap(wrap);
        Settle();
        ASSERT_EQ(p.memo->LineCount(), wrap ? wrapped : 2);
        ASSERT_FALSE(probe.painted.empty()) << wrap;
        EXPECT_EQ(probe.painted.back(), p.memo->LineCount());
    }
}

// What was painted since the log was last cleared.
struct PaintLog : QObject {
    QRegion painted;
    explicit PaintLog(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
};

// A keystroke repaints the line it changed and nothing else; a new line
// repaints from there down, in the editor and in the gutter alike.
TEST(Gutter, AKeystrokeRepaintsOnlyWhatItChanged)
{
    Page p;
    std::string text;
    for (int i = 0; i < 30; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    p.memo->SetTextBuf(text);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.page));
    p.memo->SetSelStart(p.memo->ParagraphStart(5) + 2);
    QTest::qWait(20);
    PaintLog view(p.memo->viewport()), gutter(p.gutter);
    const int h = p.memo->LineHeightPixels();

    p.memo->TypeText("x");
    QCoreApplication::processEvents();
    EXPECT_FALSE(view.painted.isEmpty());
    EXPECT_GE(view.painted.boundingRect().top(), 5 * h);
    EXPECT_LE(view.painted.boundingRect().bottom(), 6 * h);
    EXPECT_TRUE(gutter.painted.isEmpty());

    view.painted = gutter.painted = QRegion();
    p.memo->Enter();
    QCoreApplication::processEvents();
    EXPECT_GE(view.painted.boundingRect().top(), 5 * h);
    EXPECT_GE(view.painted.boundingRect().bottom(), p.memo->viewport()->height() - 1);
    const int gutterTop = p.memo->viewport()->mapTo(&p.page, QPoint()).y() - p.gutter->mapTo(&p.page, QPoint()).y();
    EXPECT_GE(gutter.painted.boundingRect().top(), gutterTop + 5 * h);
    EXPECT_GE(gutter.painted.boundingRect().bottom(), p.gutter->height() - 1);
}

TEST(Gutter, ForgetsADestroyedEditor)
{
    auto gutter = std::make_unique<TVeskGutter>();
    {
        auto memo = std::make_unique<TVeskMemo>();
        memo->SetTextBuf("a\r\nb");
        gutter->SetMemo(memo.get());
        gutter->ToggleBookmark(1, 0);
        EXPECT_TRUE(bool(memo->OnVScroll));
    }
    EXPECT_EQ(gutter->Memo(), nullptr);
    EXPECT_EQ(gutter->BookmarkOffset(0), -1);
    EXPECT_EQ(gutter->BookmarkAt(1), TVeskGutter::kNoBookmark);
    gutter->grab();  // painting without an editor is harmless
}

TEST(Gutter, AnotherEditorFreesTheBookmarksAndTheOldScrollHandler)
{
    TVeskMemo first, second;
    first.SetTextBuf("a\r\nb");
    TVeskGutter gutter;
    gutter.SetMemo(&first);
    gutter.ToggleBookmark(1, 4);
    gutter.SetMemo(&second);
    EXPECT_FALSE(bool(first.OnVScroll));
    EXPECT_TRUE(bool(second.OnVScroll));
    EXPECT_EQ(gutter.BookmarkOffset(4), -1);
}

} // namespace
} // namespace vesk

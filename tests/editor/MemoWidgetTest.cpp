// The editor widget driven as a user drives it: key and input-method events,
// mouse clicks, selections and drags on the viewport, context clicks,
// scrolling, what it paints, background formatting, printing layout, and the
// document editor's file name.
#include "editor/KeyLists.h"
#include "editor/VeskMemo.h"
#include "editor/VeskNavigator.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPainter>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

namespace vesk {
namespace {

// Processes events until `done` holds or about `limitMs` have passed; the
// caller asserts the final state, never the time it took.
template <typename Condition>
bool WaitUntil(Condition done, int limitMs = 30000)
{
    for (int waited = 0; !done() && waited < limitMs; waited += 20)
        QTest::qWait(20);
    return done();
}

std::string Text(TVeskMemo& memo)
{
    return memo.GetTextPart(0, memo.CharCount());
}

QImage Grab(TVeskMemo& memo)
{
    return memo.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool IsYellow(QRgb c)
{
    return qRed(c) == 255 && qGreen(c) == 255 && qBlue(c) == 0;
}

bool IsDark(QRgb c)
{
    return qGray(c) < 128;
}

// Pixels of `rect` (clipped to both images) that differ between a and b.
int DifferentPixels(const QImage& a, const QImage& b, QRect rect)
{
    rect &= a.rect();
    rect &= b.rect();
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return n;
}

class MemoWidgetTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        // The test mouse keeps its button state between tests.
        ASSERT_EQ(QTestPrivate::qtestMouseButtons, Qt::NoButton);
    }

    // A shown, focused editor of 400 × 200 with a monospace font.
    std::unique_ptr<TVeskMemo> MakeMemo(std::string_view text, QSize size = {400, 200})
    {
        auto memo = std::make_unique<TVeskMemo>();
        memo->SetFont(QFont("DejaVu Sans Mono", 10));
        memo->resize(size);
        memo->SetTextBuf(text);
        memo->show();
        memo->activateWindow();
        memo->setFocus();
        EXPECT_TRUE(QTest::qWaitForWindowActive(memo.get()));
        EXPECT_TRUE(WaitUntil([&] { return memo->hasFocus(); }, 2000));
        return memo;
    }

    // A viewport point on the character boundary at `offset`: just right of
    // it and half a line down. The selection is left as it was.
    static QPoint PointAt(TVeskMemo& memo, std::int32_t offset)
    {
        const std::int32_t caret = memo.SelStart();
        const std::int32_t anchor = caret + memo.SelLength();
        memo.Select(offset, offset);
        const QPoint p = memo.CaretPosition() + QPoint(1, memo.LineHeightPixels() / 2);
        memo.Select(anchor, caret);
        return p;
    }
};

// ---- keys -----------------------------------------------------------------------

TEST_F(MemoWidgetTest, TypingAndEditingKeysChangeTextAndCaret)
{
    auto memo = MakeMemo("");
    QTest::keyClicks(memo.get(), "abc");
    EXPECT_EQ(Text(*memo), "abc");
    EXPECT_EQ(memo->SelStart(), 3);

    QTest::keyClick(memo.get(), Qt::Key_Backspace);
    EXPECT_EQ(Text(*memo), "ab");
    EXPECT_EQ(memo->SelStart(), 2);

    QTest::keyClick(memo.get(), Qt::Key_Left);
    QTest::keyClick(memo.get(), Qt::Key_Left);
    EXPECT_EQ(memo->SelStart(), 0);
    QTest::keyClick(memo.get(), Qt::Key_Delete);
    EXPECT_EQ(Text(*memo), "b");
    EXPECT_EQ(memo->SelStart(), 0);

    QTest::keyClick(memo.get(), Qt::Key_Right);
    QTest::keyClick(memo.get(), Qt::Key_Return);
    QTest::keyClicks(memo.get(), "cd");
    EXPECT_EQ(Text(*memo), "b\r\ncd");
    EXPECT_EQ(memo->ParagraphCount(), 2);
    EXPECT_EQ(memo->SelStart(), 5);

    QTest::keyClick(memo.get(), Qt::Key_Up);
    EXPECT_EQ(memo->CurrentParagraph(), 0);
    QTest::keyClick(memo.get(), Qt::Key_Down);
    EXPECT_EQ(memo->CurrentParagraph(), 1);
}

TEST_F(MemoWidgetTest, ShiftArrowsSelectFromTheCaret)
{
    auto memo = MakeMemo("hello world");
    QTest::keyClick(memo.get(), Qt::Key_End);
    EXPECT_EQ(memo->SelStart(), 11);
    QTest::keyClick(memo.get(), Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(memo.get(), Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(memo->SelStart(), 9);
    EXPECT_EQ(memo->SelLength(), 2);
    EXPECT_EQ(memo->SelText(), "ld");

    // A plain arrow collapses the selection again.
    QTest::keyClick(memo.get(), Qt::Key_Home);
    EXPECT_EQ(memo->SelLength(), 0);
    QTest::keyClick(memo.get(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(memo->SelText(), "h");
    EXPECT_EQ(memo->SelLength(), -1);

    // Typing replaces the selection.
    QTest::keyClicks(memo.get(), "J");
    EXPECT_EQ(Text(*memo), "Jello world");
}

TEST_F(MemoWidgetTest, CtrlBWrapsTheSelectionInBoldCodes)
{
    auto memo = MakeMemo("plain bold text");
    memo->Select(6, 10);
    QTest::keyClick(memo.get(), Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(Text(*memo), "plain \x02" "bold\x02 text");
    EXPECT_EQ(memo->SelText(), "\x02" "bold\x02");
}

TEST_F(MemoWidgetTest, TabIsTextWhileWantTabsElseMovesTheFocus)
{
    QWidget parent;
    parent.resize(400, 400);
    auto* first = new TVeskMemo(&parent);
    auto* second = new TVeskMemo(&parent);
    first->setGeometry(0, 0, 400, 200);
    second->setGeometry(0, 200, 400, 200);
    parent.show();
    parent.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
    first->setFocus();
    ASSERT_TRUE(WaitUntil([&] { return first->hasFocus(); }, 2000));

    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_EQ(Text(*first), "\t");
    EXPECT_TRUE(first->hasFocus());

    first->SetWantTabs(false);
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_TRUE(WaitUntil([&] { return second->hasFocus(); }, 2000));
    EXPECT_EQ(Text(*first), "\t");
    EXPECT_EQ(Text(*second), "");
}

TEST_F(MemoWidgetTest, InputMethodCommitStringsAreTyped)
{
    auto memo = MakeMemo("a");
    memo->Select(1, 1);
    for (const char* committed : {"é", "中"}) {
        QInputMethodEvent event;
        event.setCommitString(QString::fromUtf8(committed));
        QApplication::sendEvent(memo.get(), &event);
    }
    EXPECT_EQ(Text(*memo), "aé中");
    EXPECT_EQ(memo->SelStart(), 3);  // characters, not bytes

    // A pre-edit string alone is not text yet; a read-only editor takes none.
    QInputMethodEvent preedit(QStringLiteral("x"), {});
    QApplication::sendEvent(memo.get(), &preedit);
    memo->SetReadOnly(true);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("y"));
    QApplication::sendEvent(memo.get(), &commit);
    EXPECT_EQ(Text(*memo), "aé中");
}

// ---- mouse ----------------------------------------------------------------------

TEST_F(MemoWidgetTest, ClicksPlaceTheCaretAndShiftClickExtends)
{
    auto memo = MakeMemo("hello world\r\nsecond line");
    QWidget* vp = memo->viewport();
    for (std::int32_t offset : {0, 3, 6, 11, 13 + 4}) {
        QTest::mouseClick(vp, Qt::LeftButton, {}, PointAt(*memo, offset));
        EXPECT_EQ(memo->SelStart(), offset);
        EXPECT_EQ(memo->SelLength(), 0);
    }
    // Far right of a line: its end.
    QTest::mouseClick(vp, Qt::LeftButton, {}, QPoint(390, memo->LineHeightPixels() / 2));
    EXPECT_EQ(memo->SelStart(), 11);

    QTest::mouseClick(vp, Qt::LeftButton, {}, PointAt(*memo, 2));
    QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, PointAt(*memo, 8));
    EXPECT_EQ(memo->SelStart(), 8);
    EXPECT_EQ(memo->SelLength(), -6);
    EXPECT_EQ(memo->SelText(), "llo wo");
    // Shift+click again moves the caret end, keeping the anchor.
    QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, PointAt(*memo, 1));
    EXPECT_EQ(memo->SelStart(), 1);
    EXPECT_EQ(memo->SelText(), "e");
}

TEST_F(MemoWidgetTest, PressMoveReleaseSelects)
{
    auto memo = MakeMemo("hello world");
    QWidget* vp = memo->viewport();
    QTest::mousePress(vp, Qt::LeftButton, {}, PointAt(*memo, 1));
    QTest::mouseMove(vp, PointAt(*memo, 4));
    EXPECT_EQ(memo->SelText(), "ell");
    QTest::mouseMove(vp, PointAt(*memo, 7));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, PointAt(*memo, 7));
    EXPECT_EQ(memo->SelText(), "ello w");
    EXPECT_EQ(memo->SelStart(), 7);

    // Backwards: the caret ends at the start.
    QTest::mousePress(vp, Qt::LeftButton, {}, PointAt(*memo, 10));
    QTest::mouseMove(vp, PointAt(*memo, 3));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, PointAt(*memo, 3));
    EXPECT_EQ(memo->SelText(), "lo worl");
    EXPECT_EQ(memo->SelStart(), 3);
    EXPECT_EQ(memo->SelLength(), 7);
    EXPECT_EQ(Text(*memo), "hello world");
}

TEST_F(MemoWidgetTest, DoubleClickSelectsAWord)
{
    auto memo = MakeMemo("hello world, again");
    QWidget* vp = memo->viewport();
    auto doubleClick = [&](std::int32_t offset) {
        const QPoint p = PointAt(*memo, offset);
        QTest::mouseClick(vp, Qt::LeftButton, {}, p);
        QTest::mouseDClick(vp, Qt::LeftButton, {}, p);
        QTest::mouseRelease(vp, Qt::LeftButton, {}, p);
    };
    // The large word selection takes the separators after the word too.
    ASSERT_TRUE(memo->Options() & vmoLargeWordSelect);
    doubleClick(8);
    EXPECT_EQ(memo->SelText(), "world, ");

    memo->SetOptions(memo->Options() & ~vmoLargeWordSelect);
    doubleClick(8);
    EXPECT_EQ(memo->SelText(), "world");
    doubleClick(1);
    EXPECT_EQ(memo->SelText(), "hello");
    doubleClick(16);
    EXPECT_EQ(memo->SelText(), "again");
}

TEST_F(MemoWidgetTest, DraggingTheSelectionMovesOrCopiesIt)
{
    auto memo = MakeMemo("alpha beta gamma");
    QWidget* vp = memo->viewport();
    auto drag = [&](std::int32_t from, std::int32_t to, Qt::KeyboardModifiers modifiers) {
        QTest::mousePress(vp, Qt::LeftButton, {}, PointAt(*memo, from));
        QTest::mouseMove(vp, PointAt(*memo, to));
        QTest::mouseRelease(vp, Qt::LeftButton, modifiers, PointAt(*memo, to));
    };

    memo->Select(6, 11);  // "beta "
    drag(7, 0, {});
    EXPECT_EQ(Text(*memo), "beta alpha gamma");
    EXPECT_EQ(memo->SelText(), "beta ");

    // With Ctrl held the text is copied.
    memo->Select(0, 5);  // "beta "
    drag(2, 11, Qt::ControlModifier);
    EXPECT_EQ(Text(*memo), "beta alpha beta gamma");
    EXPECT_EQ(memo->SelText(), "beta ");
    EXPECT_EQ(memo->SelStart() + memo->SelLength(), 11);
}

TEST_F(MemoWidgetTest, ReleasingInsideTheSelectionOnlyPlacesTheCaret)
{
    auto memo = MakeMemo("alpha beta gamma");
    QWidget* vp = memo->viewport();

    // A click on the selection.
    memo->Select(6, 11);
    QTest::mouseClick(vp, Qt::LeftButton, {}, PointAt(*memo, 8));
    EXPECT_EQ(memo->SelStart(), 8);
    EXPECT_EQ(memo->SelLength(), 0);

    // A drag that ends on the selection itself.
    memo->Select(6, 16);
    QTest::mousePress(vp, Qt::LeftButton, {}, PointAt(*memo, 7));
    QTest::mouseMove(vp, PointAt(*memo, 13));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, PointAt(*memo, 13));
    EXPECT_EQ(Text(*memo), "alpha beta gamma");
    EXPECT_EQ(memo->SelStart(), 13);
    EXPECT_EQ(memo->SelLength(), 0);
}

TEST_F(MemoWidgetTest, ReadOnlyBlocksTheDragMove)
{
    auto memo = MakeMemo("alpha beta gamma");
    QWidget* vp = memo->viewport();
    memo->SetReadOnly(true);
    memo->Select(6, 11);
    QTest::mousePress(vp, Qt::LeftButton, {}, PointAt(*memo, 7));
    QTest::mouseMove(vp, PointAt(*memo, 1));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, PointAt(*memo, 1));
    EXPECT_EQ(Text(*memo), "alpha beta gamma");
    // The press started an ordinary selection instead.
    EXPECT_EQ(memo->SelText(), "lpha b");
}

// ---- context clicks ---------------------------------------------------------------

TEST_F(MemoWidgetTest, ClickOnATagRaisesOnContextWithItsSpan)
{
    auto memo = std::make_unique<TVeskMemo>();
    auto keys = std::make_shared<TStartStopKeyList>();
    AddHtmlStartStopKeys(*keys);
    memo->Highlighting().SetStartStopKeys(keys);
    memo->SetFont(QFont("DejaVu Sans Mono", 10));
    memo->resize(400, 200);
    memo->SetTextBuf("ab <b>bold</b> cd");
    memo->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(memo.get()));

    struct Call {
        TVeskMemoCore* sender;
        int context;
        std::int32_t start, stop;
    };
    std::vector<Call> calls;
    memo->OnContext = [&](TVeskMemoCore* sender, int context, std::int32_t start, std::int32_t stop) {
        calls.push_back({sender, context, start, stop});
    };
    QWidget* vp = memo->viewport();

    QTest::mouseClick(vp, Qt::LeftButton, {}, PointAt(*memo, 4));  // the b of <b>
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].sender, memo.get());
    EXPECT_EQ(calls[0].context, 1);
    EXPECT_EQ(calls[0].start, 3);
    EXPECT_EQ(calls[0].stop, 6);
    EXPECT_EQ(memo->SelStart(), 4);  // the click still places the caret

    QTest::mouseClick(vp, Qt::LeftButton, {}, PointAt(*memo, 11));  // the / of </b>
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].context, 1);
    EXPECT_EQ(calls[1].start, 10);
    EXPECT_EQ(calls[1].stop, 14);

    // Plain text between and outside the tags reports nothing.
    QTest::mouseClick(vp, Qt::LeftButton, {}, PointAt(*memo, 8));
    QTest::mouseClick(vp, Qt::LeftButton, {}, PointAt(*memo, 1));
    EXPECT_EQ(calls.size(), 2u);

    // A drag that ends on a tag is a selection, not a click.
    QTest::mousePress(vp, Qt::LeftButton, {}, PointAt(*memo, 9));
    QTest::mouseMove(vp, PointAt(*memo, 4));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, PointAt(*memo, 4));
    EXPECT_EQ(calls.size(), 2u);
    EXPECT_EQ(memo->SelText(), "b>bol");
}

// ---- scrolling -------------------------------------------------------------------

TEST_F(MemoWidgetTest, CaretMovesScrollTheViewAndReportIt)
{
    std::string text;
    for (int i = 0; i < 500; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    text += "last";
    auto memo = MakeMemo(text);
    int scrolls = 0;
    memo->OnVScroll = [&](TVeskMemoCore*) { ++scrolls; };
    const int visible = memo->viewport()->height() / memo->LineHeightPixels();
    ASSERT_GT(visible, 2);
    ASSERT_EQ(memo->TopLine(), 0);

    memo->GotoLine(400);
    memo->ScrollInView();
    EXPECT_LE(memo->TopLine(), 400);
    EXPECT_LT(400, memo->TopLine() + visible);
    EXPECT_GE(memo->CaretPosition().y(), 0);
    EXPECT_LE(memo->CaretPosition().y() + memo->LineHeightPixels(), memo->viewport()->height());
    EXPECT_EQ(scrolls, 1);

    // Back to the top by key, then a page down twice.
    QTest::keyClick(memo.get(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(memo->TopLine(), 0);
    EXPECT_EQ(scrolls, 2);
    QTest::keyClick(memo.get(), Qt::Key_PageDown);
    QTest::keyClick(memo.get(), Qt::Key_PageDown);
    EXPECT_GT(memo->TopLine(), 0);
    EXPECT_GT(memo->CurrentLine(), visible);
    EXPECT_GE(memo->CurrentLine(), memo->TopLine());
    EXPECT_LT(memo->CurrentLine(), memo->TopLine() + visible);
    EXPECT_GE(scrolls, 3);

    // Moving within the visible lines does not scroll.
    const std::int32_t top = memo->TopLine();
    const int before = scrolls;
    QTest::keyClick(memo.get(), Qt::Key_Up);
    EXPECT_EQ(memo->TopLine(), top);
    EXPECT_EQ(scrolls, before);
}

// ---- painting ---------------------------------------------------------------------

class MemoPaintTest : public MemoWidgetTest {
protected:
    void SetUp() override
    {
        // The editor shares its window with a line edit that keeps the focus.
        window_.resize(400, 240);
        edit_ = new QLineEdit(&window_);
        edit_->setGeometry(0, 0, 400, 30);
        memo_ = new TVeskMemo(&window_);
        memo_->setGeometry(0, 40, 400, 200);
        auto keys = std::make_shared<TStartStopKeyList>();
        AddHtmlStartStopKeys(*keys);
        memo_->Highlighting().SetStartStopKeys(keys);
        memo_->SetFont(QFont("DejaVu Sans Mono", 10));
        memo_->SetTextBuf("plain <b>tag</b> text\r\nsecond line of text");
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
        edit_->setFocus();
        ASSERT_TRUE(WaitUntil([&] { return edit_->hasFocus(); }, 2000));
        ASSERT_FALSE(memo_->hasFocus());
    }

    // The pixel rectangle of characters from … to on their (single) line.
    QRect CharRect(std::int32_t from, std::int32_t to)
    {
        const QPoint a = PointAt(*memo_, from) - QPoint(1, memo_->LineHeightPixels() / 2);
        const QPoint b = PointAt(*memo_, to) - QPoint(1, memo_->LineHeightPixels() / 2);
        return QRect(a, QPoint(b.x() - 1, a.y() + memo_->LineHeightPixels() - 1));
    }

    QWidget window_;
    QLineEdit* edit_ = nullptr;
    TVeskMemo* memo_ = nullptr;
};

TEST_F(MemoPaintTest, TagsGetTheirBackgroundAndPlainTextStaysPlain)
{
    const QImage image = Grab(*memo_);
    const QRect tag = CharRect(6, 9);      // <b>
    const QRect plain = CharRect(0, 5);    // plain
    int yellowInTag = 0, yellowInPlain = 0, darkInPlain = 0;
    for (int y = tag.top(); y <= tag.bottom(); ++y)
        for (int x = tag.left(); x <= tag.right(); ++x)
            yellowInTag += IsYellow(image.pixel(x, y)) ? 1 : 0;
    for (int y = plain.top(); y <= plain.bottom(); ++y)
        for (int x = plain.left(); x <= plain.right(); ++x) {
            yellowInPlain += IsYellow(image.pixel(x, y)) ? 1 : 0;
            darkInPlain += IsDark(image.pixel(x, y)) ? 1 : 0;
        }
    EXPECT_GT(yellowInTag, tag.width() * tag.height() / 4);
    EXPECT_EQ(yellowInPlain, 0);
    EXPECT_GT(darkInPlain, 20);  // the glyphs of "plain"

    // A closing tag takes the first key's colours too; the text between
    // the tags has none.
    const QRect closing = CharRect(12, 16);
    const QRect between = CharRect(9, 12);
    int yellowClosing = 0, yellowBetween = 0;
    for (int y = closing.top(); y <= closing.bottom(); ++y) {
        for (int x = closing.left(); x <= closing.right(); ++x)
            yellowClosing += IsYellow(image.pixel(x, y)) ? 1 : 0;
        for (int x = between.left(); x <= between.right(); ++x)
            yellowBetween += IsYellow(image.pixel(x, y)) ? 1 : 0;
    }
    EXPECT_GT(yellowClosing, closing.width() * closing.height() / 4);
    EXPECT_EQ(yellowBetween, 0);
}

TEST_F(MemoPaintTest, SelectionIsPaintedWhereItIsAndHiddenWithoutFocus)
{
    const QImage plain = Grab(*memo_);
    memo_->Select(1, 5);
    const QRect selected = CharRect(1, 5).adjusted(2, 0, -2, 0);
    const QRect before = CharRect(0, 1).adjusted(0, 0, -2, 0);
    const QRect after = CharRect(5, 12).adjusted(2, 0, 0, 0);
    const QRect otherLine = QRect(0, memo_->LineHeightPixels(), 400, memo_->LineHeightPixels());

    // HideSelection (the default) hides it while the editor lacks focus.
    ASSERT_TRUE(memo_->HideSelection());
    EXPECT_EQ(DifferentPixels(plain, Grab(*memo_), QRect(0, 0, 400, 200)), 0);

    memo_->SetHideSelection(false);
    const QImage shown = Grab(*memo_);
    EXPECT_GT(DifferentPixels(plain, shown, selected), selected.width() * selected.height() / 2);
    EXPECT_EQ(DifferentPixels(plain, shown, before), 0);
    EXPECT_EQ(DifferentPixels(plain, shown, after), 0);
    EXPECT_EQ(DifferentPixels(plain, shown, otherLine), 0);

    // With the focus it shows whatever HideSelection says.
    memo_->SetHideSelection(true);
    memo_->setFocus();
    ASSERT_TRUE(WaitUntil([&] { return memo_->hasFocus(); }, 2000));
    EXPECT_GT(DifferentPixels(plain, Grab(*memo_), selected), selected.width() * selected.height() / 2);
}

// ---- background formatting --------------------------------------------------------

TEST_F(MemoWidgetTest, BackgroundFormattingCompletesWhileTheWidgetResponds)
{
    // Paragraphs that wrap into two lines or more at this width, so lines
    // appear as formatting proceeds.
    std::string text;
    for (int i = 0; i < 20000; ++i) {
        if (i > 0)
            text += "\r\n";
        text += "Paragraph " + std::to_string(i) + " holds words enough to wrap twice";
    }
    // The same text laid out at once, at the same size, gives the full count.
    TVeskMemo reference;
    reference.SetFont(QFont("DejaVu Sans Mono", 10));
    reference.resize(200, 200);
    reference.SetUpdateMode(TVeskUpdateMode::umImmediate);
    reference.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&reference));
    reference.SetTextBuf(text);
    const std::int32_t full = reference.LineCount();
    ASSERT_GT(full, 2 * 20000);

    auto memo = MakeMemo("", {200, 200});
    ASSERT_EQ(memo->UpdateMode(), TVeskUpdateMode::umBackground);
    memo->SetTextBuf(text);
    EXPECT_LT(memo->LineCount(), full);

    // A key is handled at once, with formatting still pending.
    QTest::keyClick(memo.get(), Qt::Key_Right);
    EXPECT_EQ(memo->SelStart(), 1);
    EXPECT_LT(memo->LineCount(), full);

    EXPECT_TRUE(WaitUntil([&] { return memo->LineCount() == full; }));
    EXPECT_EQ(memo->LineCount(), full);
    EXPECT_NO_THROW(memo->CheckIntegrity());
    EXPECT_EQ(memo->SelStart(), 1);
}

// ---- printing layout --------------------------------------------------------------

TEST_F(MemoWidgetTest, FormatForPaintsOntoAnotherDeviceAndScreenLayoutReturns)
{
    std::string text;
    for (int i = 0; i < 6; ++i)
        text += "A paragraph of several words that wraps on a narrow screen.\r\n";
    auto memo = MakeMemo("", {200, 200});
    memo->SetUpdateMode(TVeskUpdateMode::umImmediate);
    memo->SetTextBuf(text + "end");
    memo->SelectAll();  // printing shows no selection
    const std::int32_t screenLines = memo->LineCount();
    ASSERT_GT(screenLines, 7);

    QImage page(1000, 600, QImage::Format_RGB32);
    page.fill(Qt::white);
    memo->FormatFor(&page, 900);
    EXPECT_EQ(memo->LineCount(), 7);  // nothing wraps at the page's width
    {
        QPainter painter(&page);
        memo->PaintTo(0, memo->LineCount() - 1, memo->Measurer().LineHeight(), QPointF(50, 40), painter);
    }
    // Glyphs cover a small part of the lines' block: no selection, no
    // background, and nothing before the origin.
    const QRect block(50, 40, 400, 7 * memo->Measurer().LineHeight());
    int ink = 0, outside = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            if (page.pixel(x, y) == qRgb(255, 255, 255))
                continue;
            ++ink;
            outside += (x < 50 || y < 40) ? 1 : 0;
        }
    EXPECT_GT(ink, 500);
    EXPECT_LT(ink, block.width() * block.height() / 2);
    EXPECT_EQ(outside, 0);

    memo->RestoreScreenLayout();
    EXPECT_EQ(memo->LineCount(), screenLines);
    EXPECT_NO_THROW(memo->CheckIntegrity());
}

// ---- document editor and navigators --------------------------------------------------

TEST_F(MemoWidgetTest, FileNameRoundTripsAndNavigatorsNeedAnEditor)
{
    TVeskMemoFile file;
    EXPECT_TRUE(file.FileName().isEmpty());
    file.SetFileName(QStringLiteral("/tmp/päge.html"));
    EXPECT_EQ(file.FileName(), QStringLiteral("/tmp/päge.html"));

    file.SetTextBuf("abcdef");
    {
        TVeskNavigator nav(static_cast<QObject*>(&file));
        EXPECT_EQ(nav.Editor(), &file);
        nav.SetOffset(3);
        file.Select(0, 0);
        file.TypeText("xy");
        EXPECT_EQ(nav.Offset(), 5);  // it follows edits
    }

    QWidget plain;
    EXPECT_THROW(TVeskNavigator(static_cast<QObject*>(&plain)), EVeskError);
}

} // namespace
} // namespace vesk

namespace vesk {
namespace {

// A widget that has already shown (and highlighted) a document lays out the
// next one with fresh highlighting from its first line on.
TEST(MemoReload, TheFirstLineOfTheNextDocumentIsHighlightedToo)
{
    TVeskMemo memo;
    auto keys = std::make_shared<TStartStopKeyList>();
    AddHtmlStartStopKeys(*keys);
    memo.Highlighting().SetStartStopKeys(keys);
    memo.resize(300, 100);
    memo.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&memo));
    QTest::qWait(20);  // the empty document is painted, so laid out and parsed
    memo.SetTextBuf("<b>\r\n<i>");
    ASSERT_TRUE(memo.Paragraph(0).formatted);
    EXPECT_GT(memo.Paragraph(0).markCount, 0);  // laid out after its marks were made
}

} // namespace
} // namespace vesk

// Text crossing between the editor and other programs: line ends through the
// real clipboard, drops and input methods, and the primary selection.
#include "editor/LineEnds.h"
#include "editor/VeskMemo.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QTest>

#include <memory>
#include <string>

namespace vesk {
namespace {

TEST(LineEnds, EveryLineEndComesInAsABreakAndGoesOutAsLf)
{
    const struct {
        const char* outside;
        const char* inside;  // ToParagraphBreaks(outside)
        const char* back;    // ToLfLineEnds(inside)
    } rows[] = {
        {"a\nb", "a\r\nb", "a\nb"},
        {"a\r\nb", "a\r\nb", "a\nb"},
        {"a\rb", "a\r\nb", "a\nb"},
        {"a\n\rb", "a\r\n\r\nb", "a\n\nb"},  // LF, then a lone CR
        {"a\r\r\nb\n\n", "a\r\n\r\nb\r\n\r\n", "a\n\nb\n\n"},
        {"\n", "\r\n", "\n"},
        {"\xC3\xA9\n\t\x02", "\xC3\xA9\r\n\t\x02", "\xC3\xA9\n\t\x02"},
        {"", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.outside);
        EXPECT_EQ(ToParagraphBreaks(row.outside), row.inside);
        EXPECT_EQ(ToLfLineEnds(row.inside), row.back);
    }
}

class MemoExchange : public ::testing::Test {
protected:
    void SetUp() override
    {
        memo = std::make_unique<TVeskMemo>();
        memo->SetFont(QFont(QStringLiteral("DejaVu Sans Mono"), 10));
        memo->resize(400, 200);
        memo->show();
        memo->activateWindow();
        memo->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(memo.get()));
    }

    void Load(const std::string& text, std::int32_t caret)
    {
        memo->SetTextBuf(text);
        memo->Select(caret, caret);
    }

    std::string Text() const { return memo->GetTextPart(0, memo->CharCount()); }

    // The viewport point of the boundary before character `offset`.
    QPoint PointOf(std::int32_t offset)
    {
        const std::int32_t caret = memo->SelStart();
        memo->Select(offset, offset);
        const QPoint at = memo->CaretPosition() + QPoint(0, memo->LineHeightPixels() / 2);
        memo->Select(caret, caret);
        return at;
    }

    // Drags `text` in from another program and drops it at `at`, as a real
    // drag does (it enters first). True when the editor took it, as a copy.
    bool DropText(const QPoint& at, const QString& text)
    {
        QMimeData data;
        data.setText(text);
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(memo->viewport(), &enter);
        if (!enter.isAccepted())
            return false;
        EXPECT_EQ(enter.dropAction(), Qt::CopyAction);  // the other program keeps its text
        QDropEvent drop(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(memo->viewport(), &drop);
        EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
        return drop.isAccepted();
    }

    std::unique_ptr<TVeskMemo> memo;
};

TEST_F(MemoExchange, LinesFromOtherProgramsStayLinesByEveryRoute)
{
    const struct {
        const char* outside;
        const char* expected;  // inserted between "<" and ">"
    } rows[] = {
        {"line A\nline B", "<line A\r\nline B>"},
        {"line A\r\nline B", "<line A\r\nline B>"},
        {"line A\rline B", "<line A\r\nline B>"},
        {"x\n\ny\n", "<x\r\n\r\ny\r\n>"},
    };
    enum Route { Paste, ShiftInsert, Drop, InputMethod };
    for (const Route route : {Paste, ShiftInsert, Drop, InputMethod}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::to_string(route) + ": " + row.outside);
            Load("<>", 1);
            const QString text = QString::fromUtf8(row.outside);
            switch (route) {
            case Paste:
                QGuiApplication::clipboard()->setText(text);
                QTest::keyClick(memo.get(), Qt::Key_V, Qt::ControlModifier);
                break;
            case ShiftInsert:
                QGuiApplication::clipboard()->setText(text);
                QTest::keyClick(memo.get(), Qt::Key_Insert, Qt::ShiftModifier);
                break;
            case Drop: {
                const QPoint at = PointOf(1);
                memo->Select(0, 0);  // the drop, not the caret, decides the place
                EXPECT_TRUE(DropText(at, text));
                break;
            }
            case InputMethod: {
                QInputMethodEvent commit;
                commit.setCommitString(text);
                QApplication::sendEvent(memo.get(), &commit);
                break;
            }
            }
            EXPECT_EQ(Text(), row.expected);
        }
    }
}

TEST_F(MemoExchange, ADroppedTextIsSelectedAndUndoneInOneStep)
{
    Load("one two", 0);
    EXPECT_TRUE(DropText(PointOf(4), QStringLiteral("A\nB ")));
    EXPECT_EQ(Text(), "one A\r\nB two");
    EXPECT_EQ(memo->SelText(), "A\r\nB ");
    memo->Undo();
    EXPECT_EQ(Text(), "one two");

    memo->SetReadOnly(true);
    EXPECT_FALSE(DropText(PointOf(4), QStringLiteral("A")));
    EXPECT_EQ(Text(), "one two");
}

TEST_F(MemoExchange, CopiedAndCutTextReachesTheClipboardWithLfLineEnds)
{
    Load("one\r\ntwo\r\n\r\nthree", 0);
    memo->Select(1, 8);  // "ne", a break, "two"
    QTest::keyClick(memo.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "ne\ntwo");
    memo->Select(5, 14);  // "two", two breaks, "th"
    QTest::keyClick(memo.get(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "two\n\nth");
    EXPECT_EQ(Text(), "one\r\nree");
    // And back in, the same lines.
    QTest::keyClick(memo.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Text(), "one\r\ntwo\r\n\r\nthree");
}

TEST_F(MemoExchange, SelectingOffersThePrimarySelectionAndAMiddleClickPastesIt)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection())
        GTEST_SKIP() << "the \"" << QGuiApplication::platformName().toStdString()
                     << "\" platform has no primary selection (it exists under X11)";
    Load("one two\r\nthree", 0);
    clipboard->setText(QStringLiteral("old"), QClipboard::Selection);

    // Dragging the mouse over "one" offers it when the button is released.
    const QPoint start = PointOf(0), middle = PointOf(2), end = PointOf(3);
    QTest::mousePress(memo->viewport(), Qt::LeftButton, Qt::NoModifier, start);
    QTest::mouseMove(memo->viewport(), middle);
    QTest::mouseMove(memo->viewport(), end);
    QTest::mouseRelease(memo->viewport(), Qt::LeftButton, Qt::NoModifier, end);
    QCoreApplication::processEvents();
    EXPECT_EQ(clipboard->text(QClipboard::Selection), "one");

    // A keyboard selection over a break goes out with LF.
    memo->Select(4, 4);
    QTest::keyClick(memo.get(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(memo.get(), Qt::Key_End, Qt::ShiftModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(clipboard->text(QClipboard::Selection), "two\nthree");

    // A click that empties the selection keeps the offer; a middle click
    // pastes it where it points, lines as lines.
    QTest::mouseClick(memo->viewport(), Qt::LeftButton, Qt::NoModifier, start);
    QCoreApplication::processEvents();
    EXPECT_EQ(clipboard->text(QClipboard::Selection), "two\nthree");
    QTest::mouseClick(memo->viewport(), Qt::MiddleButton, Qt::NoModifier, end);
    EXPECT_EQ(Text(), "onetwo\r\nthree two\r\nthree");
    EXPECT_EQ(memo->SelStart(), 3 + 10);
}

} // namespace
} // namespace vesk

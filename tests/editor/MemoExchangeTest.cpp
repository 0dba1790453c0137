// Text crossing between the editor and other programs: line ends through the
// real clipboard, drops and input methods, and the primary selection.
#include "editor/VeskMemo.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QTest>

namespace vesk {
namespace {

class MemoExchange : public ::testing::Test {
protected:
    void SetUp() override
    {
        memo.SetFont(QFont(QStringLiteral("DejaVu Sans Mono"), 10));
        memo.resize(400, 200);
        memo.show();
        memo.setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&memo));
    }
    std::string Text() const { return memo.GetTextPart(0, memo.CharCount()); }
    // The viewport point of the boundary before character `offset`.
    QPoint PointOf(std::int32_t offset)
    {
        memo.Select(offset, offset);
        return memo.CaretPosition() + QPoint(0, memo.LineHeightPixels() / 2);
    }
    // Drags text in from another program and drops it, as a real drag does
    // (it enters first). True when the editor took it, as a copy.
    bool DropText(const QPoint& at, const QString& text)
    {
        QMimeData data;
        data.setText(text);
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(memo.viewport(), &enter);
        QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        if (enter.isAccepted())
            QApplication::sendEvent(memo.viewport(), &drop);
        return enter.isAccepted() && drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
    }
    TVeskMemo memo;
};

TEST_F(MemoExchange, LinesFromOtherProgramsStayLinesByEveryRoute)
{
    const char* inputs[] = {"A\nB", "A\r\nB", "A\rB\n"};
    const char* expected[] = {"<A\r\nB>", "<A\r\nB>", "<A\r\nB\r\n>"};
    for (const char* route : {"paste", "drop", "input method"}) {
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(std::string(route) + ": " + inputs[i]);
            memo.SetTextBuf("<>");
            const QPoint at = PointOf(1);
            const QString text = QString::fromUtf8(inputs[i]);
            if (route == std::string("paste")) {
                QGuiApplication::clipboard()->setText(text);
                QTest::keyClick(&memo, Qt::Key_V, Qt::ControlModifier);
            } else if (route == std::string("drop")) {
                memo.Select(0, 0);  // the drop, not the caret, decides the place
                EXPECT_TRUE(DropText(at, text));
                const std::string inserted = expected[i];
                EXPECT_EQ(memo.SelText(), inserted.substr(1, inserted.size() - 2));  // selected, as dropped
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(text);
                QApplication::sendEvent(&memo, &commit);
            }
            EXPECT_EQ(Text(), expected[i]);
        }
    }
    memo.SetReadOnly(true);
    EXPECT_FALSE(DropText(PointOf(1), QStringLiteral("x")));
}

TEST_F(MemoExchange, CopiedAndCutTextGoesOutWithLf)
{
    memo.SetTextBuf("one\r\ntwo\r\n\r\nthree");
    memo.Select(1, 8);
    QTest::keyClick(&memo, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "ne\ntwo");
    memo.Select(5, 14);
    QTest::keyClick(&memo, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "two\n\nth");
    QTest::keyClick(&memo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Text(), "one\r\ntwo\r\n\r\nthree");
}

TEST_F(MemoExchange, SelectingOffersThePrimarySelectionAndAMiddleClickPastesIt)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection())
        GTEST_SKIP() << "the \"" << QGuiApplication::platformName().toStdString()
                     << "\" platform has no primary selection (X11 has one)";
    memo.SetTextBuf("one two\r\nthree");
    const QPoint start = PointOf(0), end = PointOf(3);
    QTest::mousePress(memo.viewport(), Qt::LeftButton, Qt::NoModifier, start);
    QTest::mouseMove(memo.viewport(), end);
    QTest::mouseRelease(memo.viewport(), Qt::LeftButton, Qt::NoModifier, end);
    EXPECT_EQ(clipboard->text(QClipboard::Selection), "one");
    memo.Select(4, 14);  // "two", a break, "three"
    QCoreApplication::processEvents();
    EXPECT_EQ(clipboard->text(QClipboard::Selection), "two\nthree");
    // A click that empties the selection keeps the offer.
    QTest::mouseClick(memo.viewport(), Qt::LeftButton, Qt::NoModifier, start);
    QTest::mouseClick(memo.viewport(), Qt::MiddleButton, Qt::NoModifier, end);
    EXPECT_EQ(Text(), "onetwo\r\nthree two\r\nthree");
}

} // namespace
} // namespace vesk

// The keyboard table row by row, through real key events on a shown editor.
#include "editor/VeskMemo.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <memory>
#include <string>

namespace vesk {
namespace {

struct Row {
    const char* name;
    const char* text;       // the text before the key ("|" marks the caret)
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* expected;   // the text after the key, "|" at the caret
};

// Puts `marked` (with "|" at the caret) into the editor.
void Load(TVeskMemo& memo, const std::string& marked)
{
    const auto caret = marked.find('|');
    std::string text = marked;
    text.erase(caret, 1);
    memo.SetTextBuf(text);
    memo.SetModified(false);
    // Offsets count characters; the rows use ASCII and breaks only.
    memo.Select(std::int32_t(caret), std::int32_t(caret));
}

std::string Marked(TVeskMemo& memo)
{
    std::string text = memo.GetTextPart(0, memo.CharCount());
    text.insert(std::size_t(memo.SelStart()), "|");
    return text;
}

class KeyTable : public ::testing::TestWithParam<Row> {
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
    std::unique_ptr<TVeskMemo> memo;
};

TEST_P(KeyTable, KeyDoesWhatItsRowSays)
{
    const Row& row = GetParam();
    Load(*memo, row.text);
    QTest::keyClick(memo.get(), row.key, row.modifiers);
    EXPECT_EQ(Marked(*memo), row.expected) << row.name;
}

const Qt::KeyboardModifiers kNone = Qt::NoModifier;
const Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
const Qt::KeyboardModifiers kShift = Qt::ShiftModifier;

INSTANTIATE_TEST_SUITE_P(
    Rows, KeyTable,
    ::testing::Values(
        Row{"Right", "ab|c", Qt::Key_Right, kNone, "abc|"},
        Row{"RightOverBreak", "ab|\r\ncd", Qt::Key_Right, kNone, "ab\r\n|cd"},
        Row{"RightOverCodes", "a|\x02\x01" "b", Qt::Key_Right, kNone, "a\x02\x01|b"},
        Row{"Left", "ab|c", Qt::Key_Left, kNone, "a|bc"},
        Row{"LeftOverBreak", "ab\r\n|cd", Qt::Key_Left, kNone, "ab|\r\ncd"},
        Row{"CtrlRight", "|one two,three", Qt::Key_Right, kCtrl, "one |two,three"},
        Row{"CtrlRightComma", "one |two,three", Qt::Key_Right, kCtrl, "one two,|three"},
        Row{"CtrlLeft", "one two|", Qt::Key_Left, kCtrl, "one |two"},
        Row{"Up", "abc\r\nde|f", Qt::Key_Up, kNone, "ab|c\r\ndef"},
        Row{"Down", "a|bc\r\ndef", Qt::Key_Down, kNone, "abc\r\nd|ef"},
        Row{"Home", "abc|def", Qt::Key_Home, kNone, "|abcdef"},
        Row{"End", "ab|cdef", Qt::Key_End, kNone, "abcdef|"},
        Row{"CtrlHome", "ab\r\ncd|ef", Qt::Key_Home, kCtrl, "|ab\r\ncdef"},
        Row{"CtrlEnd", "a|b\r\ncdef", Qt::Key_End, kCtrl, "ab\r\ncdef|"},
        Row{"Backspace", "ab|c", Qt::Key_Backspace, kNone, "a|c"},
        Row{"BackspaceJoins", "ab\r\n|cd", Qt::Key_Backspace, kNone, "ab|cd"},
        Row{"CtrlBackspace", "one two|", Qt::Key_Backspace, kCtrl, "one |"},
        Row{"Delete", "a|bc", Qt::Key_Delete, kNone, "a|c"},
        Row{"DeleteBreak", "ab|\r\ncd", Qt::Key_Delete, kNone, "ab|cd"},
        Row{"ShiftDeleteWithoutSelection", "ab|c", Qt::Key_Delete, kShift, "a|c"},
        Row{"Enter", "ab|cd", Qt::Key_Return, kNone, "ab\r\n|cd"},
        Row{"Tab", "a|b", Qt::Key_Tab, kNone, "a\t|b"},
        Row{"CtrlT", "a|b", Qt::Key_T, kCtrl, "a\t|b"},
        Row{"CtrlP", "a|b", Qt::Key_P, kCtrl, "a\r\n\x10\r\n|b"},
        Row{"CtrlB", "a|b", Qt::Key_B, kCtrl, "a\x02|\x02" "b"},
        Row{"CtrlI", "a|b", Qt::Key_I, kCtrl, "a\x01|\x01" "b"},
        Row{"CtrlU", "a|b", Qt::Key_U, kCtrl, "a\x15|\x15" "b"},
        Row{"CtrlH", "a|b", Qt::Key_H, kCtrl, "a\x03|\x03" "b"},
        Row{"CtrlF", "a|b", Qt::Key_F, kCtrl, "a\x04|\x04" "b"},
        Row{"Letter", "a|b", Qt::Key_X, kNone, "ax|b"}),
    [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

TEST_F(KeyTable, ShiftExtendsAndTheSignFollowsTheCaret)
{
    Load(*memo, "0123|456789");
    memo->Select(5, 5);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(memo.get(), Qt::Key_Right, kShift);
    EXPECT_EQ(memo->SelStart(), 8);
    EXPECT_EQ(memo->SelLength(), -3);
    QTest::keyClick(memo.get(), Qt::Key_Home, kShift);
    EXPECT_EQ(memo->SelStart(), 0);
    EXPECT_EQ(memo->SelLength(), 5);
}

TEST_F(KeyTable, InsertTogglesOverwriteWhichReplacesButNeverABreak)
{
    Load(*memo, "a|b\r\nc");
    QTest::keyClick(memo.get(), Qt::Key_Insert);
    ASSERT_TRUE(memo->Overwrite());
    QTest::keyClicks(memo.get(), "XYZ");
    EXPECT_EQ(Marked(*memo), "aXYZ|\r\nc");
}

TEST_F(KeyTable, StyleKeysSwitchedOffInsertNothingWhileOtherHotKeysWork)
{
    memo->SetEnableStyleKeys(false);
    Load(*memo, "a|b");
    for (const Qt::Key key : {Qt::Key_B, Qt::Key_I, Qt::Key_U, Qt::Key_H, Qt::Key_F, Qt::Key_T})
        QTest::keyClick(memo.get(), key, kCtrl);
    EXPECT_EQ(Marked(*memo), "a\t|b");
}

TEST_F(KeyTable, ReadOnlyIgnoresEditKeysButMoves)
{
    Load(*memo, "a|b");
    memo->SetReadOnly(true);
    QTest::keyClick(memo.get(), Qt::Key_X);
    QTest::keyClick(memo.get(), Qt::Key_Backspace);
    QTest::keyClick(memo.get(), Qt::Key_Right);
    EXPECT_EQ(Marked(*memo), "ab|");
}

} // namespace
} // namespace vesk

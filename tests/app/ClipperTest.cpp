// The clipper: its file, its list rules, and its bar and keys driven the way
// a user drives them.
#include "app/Clipper.h"
#include "app/ClipperBar.h"
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "controls/TransparentButton.h"
#include "support/TempDir.h"

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

namespace vesk {
namespace {

using test::ReadFileBytes;

struct Fixture {
    test::ScopedProgramFolder home;
    MsgBoxScript::Scope script;
    std::unique_ptr<THTMLVeskMain> window = std::make_unique<THTMLVeskMain>();

    TVeskMemoFile& Editor() { return *window->CurrentEditor(); }
    TClipperBar& Bar() { return *window->Clipper(); }
    std::string Text() { return Editor().GetTextPart(0, Editor().CharCount()); }
    // Copies each text into the clipper through the Copy button.
    void CopyIn(const QStringList& texts)
    {
        for (const QString& t : texts) {
            Editor().SetTextBuf(t.toStdString());
            Editor().SelectAll();
            QTest::mouseClick(Bar().CopyButton(), Qt::LeftButton, {}, QPoint(10, 10));
        }
    }
    void Restart()
    {
        window.reset();
        window = std::make_unique<THTMLVeskMain>();
        window->Form1Show({});
    }
};

TEST(ClipperFile, ItemsAreTheirLinesEachFollowedByTheSeparator)
{
    const QByteArray bytes = ClipperFileBytes({QStringLiteral("one\r\ntwo"), QStringLiteral("three")});
    EXPECT_EQ(bytes, "one\ntwo\n%$#@%!\nthree\n%$#@%!\n");  // five lines

    test::TempDir dir;
    const QString path = dir.file("clipper.txt");
    test::WriteFileBytes(path, bytes);
    EXPECT_EQ(ReadClipperFile(path), (QStringList{"one\r\ntwo", "three"}));

    // CR LF files, an unclosed last item, and a separator line inside an item.
    test::WriteFileBytes(path, "a\r\n%$#@%!\r\nb\r\n%$#@%!\r\nc\r\nd");
    EXPECT_EQ(ReadClipperFile(path), (QStringList{"a", "b", "c\r\nd"}));
    // An empty line is a line of its item; an item may be empty.
    test::WriteFileBytes(path, "\n%$#@%!\nx\n\ny\n%$#@%!\n");
    EXPECT_EQ(ReadClipperFile(path), (QStringList{"", "x\r\n\r\ny"}));
    // Bytes that are not UTF-8 are read as Windows-1252, not lost.
    test::WriteFileBytes(path, "caf\xE9 \x80\n%$#@%!\n");
    EXPECT_EQ(ReadClipperFile(path), QStringList{QString::fromUtf8("café €")});

    EXPECT_TRUE(ReadClipperFile(dir.file("missing.txt")).isEmpty());
    // An empty list leaves the file as it was.
    WriteClipperFile(path, {});
    EXPECT_EQ(ReadFileBytes(path), QByteArray("caf\xE9 \x80\n%$#@%!\n"));
}

TEST(ClipperList, DeletingKeepsAValidSelection)
{
    TClipperList list;
    EXPECT_EQ(list.Selected(), -1);
    EXPECT_EQ(list.Label(), "");
    for (const char* t : {"a", "b", "c"})
        list.Add(QString::fromLatin1(t));
    EXPECT_EQ(list.Selected(), 2);
    EXPECT_EQ(list.Label(), "<F3>");
    list.DeleteSelected();  // the last of three: the new last is selected
    EXPECT_EQ(list.Selected(), 1);
    EXPECT_EQ(list.SelectedText(), "b");
    list.Select(0);
    list.DeleteSelected();  // the first: index 0 stays, the next moves into it
    EXPECT_EQ(list.Selected(), 0);
    EXPECT_EQ(list.SelectedText(), "b");
    list.Select(5);
    EXPECT_EQ(list.Selected(), 0);
    list.DeleteSelected();
    EXPECT_EQ(list.Selected(), -1);
    list.DeleteSelected();  // nothing to delete
    EXPECT_EQ(list.Count(), 0);
}

TEST(Clipper, TheThirteenthItemIsRefusedAndCutThenKeepsTheText)
{
    Fixture f;
    QStringList twelve;
    for (int i = 1; i <= 12; ++i)
        twelve << QStringLiteral("item %1").arg(i);
    f.CopyIn(twelve);
    ASSERT_EQ(f.Bar().List().Count(), 12);
    EXPECT_TRUE(MsgBoxScript::Calls().isEmpty());
    EXPECT_EQ(f.Bar().KeyLabel()->text(), "<F12>");

    f.Editor().SetTextBuf("thirteen");
    f.Editor().SelectAll();
    QTest::mouseClick(f.Bar().CutButton(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(f.Bar().List().Count(), 12);
    EXPECT_EQ(f.Text(), "thirteen");
    ASSERT_EQ(MsgBoxScript::Calls().size(), 1);
    const MsgBoxCall call = MsgBoxScript::Calls().front();
    EXPECT_EQ(call.caption, "Clipper Full");
    EXPECT_EQ(call.text, "The Clipper is full.\r\rBefore adding another item, you must delete one.");
    EXPECT_EQ(call.buttons, kMbOk);
    EXPECT_EQ(call.sound, 32);
}

TEST(Clipper, CutTakesTheSelectionOutAndTheButtonsFollowTheState)
{
    Fixture f;
    f.window->RichEditUpdate();
    EXPECT_FALSE(f.Bar().CutButton()->isEnabled());
    EXPECT_FALSE(f.Bar().CopyButton()->isEnabled());
    EXPECT_FALSE(f.Bar().PasteButton()->isEnabled());
    EXPECT_FALSE(f.Bar().DeleteButton()->isEnabled());
    EXPECT_EQ(f.Bar().Items()->placeholderText(), "HTML Vesk Clipper - Cut, Copy, and Paste 12 items here");

    f.Editor().SetTextBuf("keep <b>bold</b> text");
    f.Editor().Select(5, 16);
    EXPECT_TRUE(f.Bar().CutButton()->isEnabled());
    EXPECT_TRUE(f.window->Action("PopClipCopy")->isEnabled());
    f.window->Action("PopClipCut")->trigger();
    EXPECT_EQ(f.Text(), "keep  text");
    EXPECT_EQ(f.Bar().List().Items(), QStringList{"<b>bold</b>"});
    EXPECT_FALSE(f.Bar().CutButton()->isEnabled());
    EXPECT_FALSE(f.Bar().CopyButton()->isEnabled());
    EXPECT_TRUE(f.Bar().PasteButton()->isEnabled());
    EXPECT_TRUE(f.Bar().DeleteButton()->isEnabled());
    EXPECT_TRUE(f.window->Action("PopClipPaste")->isEnabled());
    EXPECT_EQ(f.Bar().KeyLabel()->text(), "<F1>");

    // Paste puts it back at the caret; the delete button empties the list.
    f.Editor().Select(5, 5);
    QTest::mouseClick(f.Bar().PasteButton(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(f.Text(), "keep <b>bold</b> text");
    QTest::mouseClick(f.Bar().DeleteButton(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(f.Bar().List().Count(), 0);
    EXPECT_EQ(f.Bar().KeyLabel()->text(), "");
    EXPECT_FALSE(f.Bar().PasteButton()->isEnabled());
    EXPECT_FALSE(f.Bar().DeleteButton()->isEnabled());
}

TEST(Clipper, FunctionKeysSelectAndInsertOnceWhicheverTabHasTheFocus)
{
    Fixture f;
    f.CopyIn({"one", "two", "three", "four"});
    f.window->CreateTab1Click();
    TVeskMemoFile& editor = f.Editor();
    editor.SetTextBuf("ab");
    f.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.window.get()));

    QTest::keyClick(&editor, Qt::Key_F5);  // no fifth item: nothing happens
    EXPECT_EQ(f.Bar().KeyLabel()->text(), "<F4>");
    EXPECT_EQ(f.Text(), "ab");
    QTest::keyClick(&editor, Qt::Key_F2);
    EXPECT_EQ(f.Bar().KeyLabel()->text(), "<F2>");
    EXPECT_EQ(f.Bar().Items()->currentIndex(), 1);
    EXPECT_EQ(f.Text(), "ab");

    editor.Select(1, 2);
    QTest::keyClick(&editor, Qt::Key_F3, Qt::ControlModifier);
    EXPECT_EQ(f.Text(), "athree");
    EXPECT_EQ(f.Bar().KeyLabel()->text(), "<F3>");

    // Keys pressed on the bar itself work the same.
    editor.Select(0, 0);
    QTest::keyClick(f.Bar().Items(), Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(f.Text(), "oneathree");
}

TEST(Clipper, ChoosingInTheListSelectsTheItemForPaste)
{
    Fixture f;
    f.CopyIn({"alpha", "beta\r\ngamma", "delta"});
    QComboBox* list = f.Bar().Items();
    EXPECT_EQ(list->itemText(1), QString::fromUtf8("beta\u00B6 gamma"));  // one line per item
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);  // choosing by keyboard, as with the mouse
    EXPECT_EQ(f.Bar().List().Selected(), 0);
    EXPECT_EQ(f.Bar().KeyLabel()->text(), "<F1>");
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(f.Bar().KeyLabel()->text(), "<F2>");
    f.Editor().SetTextBuf("");
    f.window->Action("ClipperPaste")->trigger();
    EXPECT_EQ(f.Text(), "beta\r\ngamma");
}

TEST(Clipper, TheLabelMenuShowsTheKeysThatHaveItemsAndPressesThem)
{
    Fixture f;
    f.Bar().OnPopup3();
    QMenu* menu = f.Bar().LabelMenu();
    auto visible = [menu]() {
        QStringList shown;
        for (QAction* a : menu->actions())
            if (a->isVisible())
                shown << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return shown;
    };
    EXPECT_TRUE(visible().isEmpty());

    f.CopyIn({"x", "yy"});
    f.Bar().OnPopup3();
    EXPECT_EQ(visible(), (QStringList{"Display <F1>\tF1", "Display <F2>\tF2", "-", "Paste <F1>\tCtrl+F1",
                                      "Paste <F2>\tCtrl+F2"}));
    f.Editor().SetTextBuf("");
    menu->findChild<QAction*>(QStringLiteral("Display1"))->trigger();
    EXPECT_EQ(f.Bar().KeyLabel()->text(), "<F1>");
    menu->findChild<QAction*>(QStringLiteral("PasteKey2"))->trigger();
    EXPECT_EQ(f.Text(), "yy");
    EXPECT_EQ(f.Bar().KeyLabel()->text(), "<F2>");
}

TEST(Clipper, AMultiLineItemSurvivesARestart)
{
    Fixture f;
    f.Editor().SetTextBuf("first line\r\nsecond line");
    f.Editor().SelectAll();
    f.window->Action("ClipperCopy")->trigger();
    f.Editor().SetTextBuf("");  // an empty document closes without questions
    ASSERT_TRUE(f.window->CloseAllowed());
    f.Restart();
    ASSERT_EQ(f.Bar().List().Items(), QStringList{"first line\r\nsecond line"});
    EXPECT_EQ(f.Bar().KeyLabel()->text(), "<F1>");
    f.window->Action("ClipperPaste")->trigger();
    EXPECT_EQ(f.Editor().ParagraphCount(), 2);
    EXPECT_EQ(f.Text(), "first line\r\nsecond line");

    // Closing with an empty clipper keeps the file, so the items come back.
    f.Bar().TransparentButton1Click();
    f.Editor().SetTextBuf("");
    ASSERT_TRUE(f.window->CloseAllowed());
    f.Restart();
    EXPECT_EQ(f.Bar().List().Count(), 1);
}

} // namespace
} // namespace vesk

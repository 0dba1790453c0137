// Line markers: "<!>" in the text, numbered in the gutter, placed and removed
// by clicks on the gutter and reached from the gutter's menu.
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "support/TempDir.h"

#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

namespace vesk {
namespace {

struct Fixture {
    test::ScopedProgramFolder home;
    MsgBoxScript::Scope script;
    THTMLVeskMain window;

    Fixture()
    {
        window.resize(700, 500);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    TVeskMemoFile& Editor() { return *window.CurrentEditor(); }
    TVeskGutter& Gutter() { return *window.CurrentGutter(); }
    std::string Text() { return Editor().GetTextPart(0, Editor().CharCount()); }
    void SetText(const std::string& text)
    {
        Editor().SetTextBuf(text);
        Editor().Select(0, 0);
    }
    // A left click on the gutter beside display line `line`, at the middle
    // of the line's height.
    void ClickGutter(std::int32_t line)
    {
        const std::int32_t caret = Editor().SelStart();
        const std::int32_t length = Editor().SelLength();
        Editor().GotoLine(line);
        const QPoint top = Editor().CaretPosition();
        Editor().Select(caret + length, caret);
        const QPoint global = Editor().viewport()->mapToGlobal(QPoint(0, top.y() + 6));
        QTest::mouseClick(&Gutter(), Qt::LeftButton, {}, QPoint(10, Gutter().mapFromGlobal(global).y()));
    }
    // The captions of the visible gutter menu items.
    QStringList Menu()
    {
        QStringList shown;
        for (QAction* a : window.GutterMenu()->actions())
            if (a->isVisible())
                shown << a->text();
        return shown;
    }
};

TEST(LineMarkers, AGutterClickInsertsAMarkerAtTheLineStartAndRenumbers)
{
    Fixture f;
    f.SetText("zero\r\none<!>\r\ntwo\r\nthree");
    EXPECT_EQ(f.Gutter().BookmarkAt(1), 1);
    f.ClickGutter(0);
    EXPECT_EQ(f.Text(), "<!>zero\r\none<!>\r\ntwo\r\nthree");
    EXPECT_EQ(f.Gutter().BookmarkAt(0), 1);
    EXPECT_EQ(f.Gutter().BookmarkAt(1), 2);  // the marker below is renumbered
    EXPECT_EQ(f.window.MarkerCount(), 2);
    EXPECT_EQ(f.Menu(), (QStringList{"Go to Line Marker &1", "Go to Line Marker &2"}));
    EXPECT_EQ(f.window.MarkerOffset(0), 3);   // just after each "<!>"
    EXPECT_EQ(f.window.MarkerOffset(1), 15);

    // A click beside a marked line takes its marker out, even mid-line.
    f.ClickGutter(1);
    EXPECT_EQ(f.Text(), "<!>zero\r\none\r\ntwo\r\nthree");
    EXPECT_EQ(f.Gutter().BookmarkAt(1), TVeskGutter::kNoBookmark);
    EXPECT_EQ(f.window.MarkerCount(), 1);
}

TEST(LineMarkers, ALineStartingWithANarrowCharacterGetsItsMarkerFirst)
{
    Fixture f;
    f.SetText("wide\r\nil\r\n.x");
    f.ClickGutter(1);
    f.ClickGutter(2);
    EXPECT_EQ(f.Text(), "wide\r\n<!>il\r\n<!>.x");
}

TEST(LineMarkers, AMarkerTypedByHandAppearsAndUndoTakesAPlacedOneAway)
{
    Fixture f;
    f.SetText("alpha\r\nbeta");
    f.Editor().Select(11, 11);
    f.Editor().setFocus();
    QTest::keyClicks(&f.Editor(), "<!>");
    EXPECT_EQ(f.Text(), "alpha\r\nbeta<!>");
    EXPECT_EQ(f.Gutter().BookmarkAt(1), 1);
    // Typing stays one undo step although the markers were rebuilt after each key.
    f.Editor().Undo();
    EXPECT_EQ(f.Text(), "alpha\r\nbeta");
    EXPECT_EQ(f.window.MarkerCount(), 0);

    f.ClickGutter(0);
    EXPECT_EQ(f.Gutter().BookmarkAt(0), 1);
    f.Editor().Undo();
    EXPECT_EQ(f.Text(), "alpha\r\nbeta");
    EXPECT_EQ(f.Gutter().BookmarkAt(0), TVeskGutter::kNoBookmark);
    EXPECT_EQ(f.Menu(), QStringList{"No Line Markers"});
}

TEST(LineMarkers, TheMenuGoesToMarkersAndDoesNothingWithoutThem)
{
    Fixture f;
    f.SetText("no markers here");
    f.Editor().Select(2, 5);
    EXPECT_EQ(f.Menu(), QStringList{"No Line Markers"});
    f.window.GutterMenu()->actions().front()->trigger();
    EXPECT_EQ(f.Editor().SelStart(), 5);
    EXPECT_EQ(f.Editor().SelLength(), -3);

    // Two markers on one display line: both listed, the gutter shows the first.
    f.SetText("a<!>b<!>c\r\nd\r\n<!>e");
    EXPECT_EQ(f.Menu(), (QStringList{"Go to Line Marker &1", "Go to Line Marker &2", "Go to Line Marker &3"}));
    EXPECT_EQ(f.Gutter().BookmarkAt(0), 1);
    EXPECT_EQ(f.Gutter().BookmarkAt(2), 3);
    f.window.GutterMenu()->actions()[1]->trigger();
    EXPECT_EQ(f.Editor().SelStart(), 8);
    // A selection length in force is re-applied from the marker.
    f.Editor().Select(0, 2);
    f.window.GotoTag(3);
    EXPECT_EQ(f.Editor().SelStart(), 17);
    EXPECT_EQ(f.Editor().SelLength(), -2);
}

TEST(LineMarkers, TheTenthIsRefusedAndOnlyNineAreNumbered)
{
    Fixture f;
    std::string text;
    for (int i = 0; i < 10; ++i)
        text += "<!>line " + std::to_string(i) + "\r\n";
    text += "free";
    f.SetText(text);
    EXPECT_EQ(f.window.MarkerCount(), 9);
    EXPECT_EQ(f.Menu().size(), 9);
    EXPECT_EQ(f.Gutter().BookmarkAt(9), TVeskGutter::kNoBookmark);  // the tenth is ignored

    f.ClickGutter(10);
    EXPECT_EQ(f.Text(), text);
    ASSERT_EQ(MsgBoxScript::Calls().size(), 1);
    const MsgBoxCall call = MsgBoxScript::Calls().front();
    EXPECT_EQ(call.caption, "Too Many Line Markers");
    EXPECT_EQ(call.text,
              "You have too many line markers.\r\rYou must delete a line marker before you can add another one.");
    EXPECT_EQ(call.sound, 16);

    // Removing one frees a number for the marker that was tenth.
    f.ClickGutter(0);
    EXPECT_EQ(f.window.MarkerCount(), 9);
    EXPECT_EQ(f.Gutter().BookmarkAt(9), 9);
}

TEST(LineMarkers, TabsHaveTheirOwnMarkers)
{
    Fixture f;
    f.SetText("<!>one\r\n<!>two");
    f.window.CreateTab1Click();
    f.SetText("plain");
    EXPECT_EQ(f.Menu(), QStringList{"No Line Markers"});
    f.window.findChild<QTabWidget*>()->setCurrentIndex(0);
    EXPECT_EQ(f.Menu(), (QStringList{"Go to Line Marker &1", "Go to Line Marker &2"}));
    EXPECT_EQ(f.Gutter().BookmarkAt(1), 2);
}

TEST(LineMarkers, InAWrappedParagraphTheMarkerGoesToTheClickedDisplayLine)
{
    Fixture f;
    std::string words;
    for (int i = 0; i < 60; ++i)
        words += "word" + std::to_string(i) + " ";
    f.SetText(words);
    ASSERT_GT(f.Editor().LineCount(), 2);
    f.Editor().GotoLine(1);
    const std::int32_t lineStart = f.Editor().SelStart();
    ASSERT_GT(lineStart, 0);
    f.Editor().Select(0, 0);
    f.ClickGutter(1);
    EXPECT_EQ(f.Editor().GetTextPart(lineStart, lineStart + 3), "<!>");
    EXPECT_EQ(f.window.MarkerCount(), 1);
    EXPECT_EQ(f.Gutter().BookmarkAt(1), 1);
}

} // namespace
} // namespace vesk

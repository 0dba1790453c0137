// The main window: tabs found by name, titles, command enabling, the save
// prompt answered through the message box script, file commands, closing.
#include "app/ColorProducerEntry.h"
#include "app/DocumentFiles.h"
#include "app/FileCommands.h"
#include "app/FindReplace.h"
#include "app/FindReplaceEntry.h"
#include "app/ValidatorEntry.h"
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "controls/ShadoButton.h"
#include "tools/ColorProducer.h"
#include "validator/ValidatorForm.h"
#include "platform/Autostart.h"
#include "platform/Registry.h"
#include "settings/FileLists.h"
#include "settings/SettingsSections.h"
#include "settings/WindowPlacement.h"
#include "support/FakeXdg.h"
#include "support/TempDir.h"

#include <QAction>
#include <QFileInfo>
#include <QDir>
#include <QMenu>
#include <QListWidget>
#include <QMenuBar>
#include <QTabWidget>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace vesk {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

struct Fixture {
    test::ScopedProgramFolder home;
    MsgBoxScript::Scope script;
    THTMLVeskMain window;
};

TEST(MainWindow, TabsAreFoundByNameAndShareOneKeyList)
{
    Fixture f;
    EXPECT_EQ(f.window.objectName(), "HTMLVeskMain");
    ASSERT_EQ(f.window.TabCount(), 1);
    EXPECT_EQ(f.window.CurrentEditor(), f.window.Editor(0));
    EXPECT_EQ(f.window.Editor(0)->objectName(), "RE0");
    EXPECT_EQ(f.window.Gutter(0)->objectName(), "PG0");
    EXPECT_EQ(f.window.windowTitle(), "HTML Vesk - Untitled");
    f.window.CreateTab1Click();
    ASSERT_EQ(f.window.TabCount(), 2);
    EXPECT_EQ(f.window.CurrentEditor(), f.window.Editor(1));
    EXPECT_EQ(f.window.Editor(1)->Highlighting().StartStopKeys(), f.window.Editor(0)->Highlighting().StartStopKeys());
    // Tags are coloured in every tab, from the first line on.
    f.window.Editor(1)->SetTextBuf("<html>\r\n<b>x</b>");
    EXPECT_TRUE(f.window.Editor(1)->Highlighting().StateAt(0).InContext());
    EXPECT_TRUE(f.window.Editor(1)->Highlighting().StateAt(8).InContext());
}

TEST(MainWindow, CommandsFollowTheDocumentAndTheSelection)
{
    Fixture f;
    TVeskMemoFile* editor = f.window.CurrentEditor();
    f.window.RichEditUpdate();
    EXPECT_FALSE(f.window.Action("Save1")->isEnabled());
    EXPECT_FALSE(f.window.Action("Cut1")->isEnabled());
    editor->SetTextBuf("hello");
    editor->SelectAll();
    EXPECT_TRUE(f.window.Action("Save1")->isEnabled());
    EXPECT_TRUE(f.window.Action("SaveBtn")->isEnabled());
    EXPECT_TRUE(f.window.Action("Cut1")->isEnabled());
    EXPECT_TRUE(f.window.Action("ExportText1")->isEnabled());
    editor->Select(5, 5);
    EXPECT_FALSE(f.window.Action("Copy1")->isEnabled());
    EXPECT_FALSE(f.window.Action("Undo1")->isEnabled());
    editor->TypeText("!");
    EXPECT_TRUE(f.window.Action("Undo1")->isEnabled());
}

TEST(MainWindow, DeleteAtAParagraphEndJoinsTheNextLine)
{
    Fixture f;
    TVeskMemoFile* editor = f.window.CurrentEditor();
    editor->SetTextBuf("ab\r\ncd");
    editor->Select(2, 2);
    f.window.Action("Delete1")->trigger();
    EXPECT_EQ(editor->GetTextPart(0, editor->CharCount()), "abcd");
    f.window.Action("Delete1")->trigger();
    EXPECT_EQ(editor->GetTextPart(0, editor->CharCount()), "abd");
}

TEST(MainWindow, WordWrapIsSwitchedPerEditor)
{
    Fixture f;
    f.window.Action("WordWrap1")->trigger();
    EXPECT_FALSE(f.window.Editor(0)->WordWrap());
    EXPECT_FALSE(f.window.Action("WordWrap1")->isChecked());
    f.window.CreateTab1Click();
    EXPECT_TRUE(f.window.Editor(1)->WordWrap());
    f.window.Action("WordWrap1")->trigger();
    EXPECT_FALSE(f.window.Editor(1)->WordWrap());
    EXPECT_FALSE(f.window.Editor(0)->WordWrap());
}

TEST(MainWindow, StyleKeysPutNoInvisibleBytesIntoAPage)
{
    Fixture f;
    f.window.CreateTab1Click();
    for (TVeskMemoFile* editor : {f.window.Editor(0), f.window.Editor(1)}) {
        editor->SetTextBuf("<p>word</p>");
        editor->Select(3, 7);
        for (const Qt::Key key : {Qt::Key_B, Qt::Key_U, Qt::Key_T})  // Ctrl+T still types a tab
            QTest::keyClick(editor, key, Qt::ControlModifier);
        EXPECT_EQ(editor->GetTextPart(0, editor->CharCount()), "<p>\t</p>");
    }
}

TEST(MainWindow, SavePromptAsksInOrderAndCancelStops)
{
    Fixture f;
    TVeskMemoFile* editor = f.window.CurrentEditor();
    EXPECT_TRUE(f.window.SavePrompt(editor));  // empty: no question at all
    EXPECT_TRUE(MsgBoxScript::Calls().isEmpty());

    editor->SetTextBuf("text");  // modified by the load
    int updated = 0;
    f.window.SavePromptSteps().Step(kStepUpdateDates)->action = [&](TVeskMemoFile&) { return ++updated > 0; };
    f.window.AddSaveStep({kStepCheckSpelling, &AutoCloseOptions::spell, {}, [](const QString&) { return QStringLiteral("spell?"); },
                          QStringLiteral("Check Spelling?"), kSoundInformation, [](TVeskMemoFile&) { return true; }});
    f.window.SavePromptSteps().Step(kStepValidate)->action = [](TVeskMemoFile&) { return true; };
    MsgBoxScript::Push(kMrYes);     // update dates
    MsgBoxScript::Push(kMrNo);      // spelling
    MsgBoxScript::Push(kMrCancel);  // validation: stop here
    EXPECT_FALSE(f.window.SavePrompt(editor));
    EXPECT_EQ(updated, 1);
    auto calls = MsgBoxScript::Calls();
    ASSERT_EQ(calls.size(), 3);
    EXPECT_EQ(calls[0].caption, "Update Dates?");
    EXPECT_EQ(calls[0].text, "Do you want to update the dates of Untitled?");
    EXPECT_EQ(calls[1].caption, "Check Spelling?");
    EXPECT_EQ(calls[2].caption, "Validate Code?");
}

TEST(MainWindow, StepsWhoseToolIsNotThereAreNotAsked)
{
    Fixture f;
    TVeskMemoFile* editor = f.window.CurrentEditor();
    editor->SetTextBuf("text");
    // As if the date updater, the spell checker and the validator were not part of the program.
    f.window.SavePromptSteps().Remove(kStepUpdateDates);
    f.window.SavePromptSteps().Remove(kStepCheckSpelling);
    f.window.SavePromptSteps().Remove(kStepValidate);
    f.window.SavePromptSteps().Remove(kStepAddToUploadBin);
    f.window.SavePromptSteps().Remove(kStepUpload);
    MsgBoxScript::Push(kMrNo);  // the only question: save changes
    EXPECT_TRUE(f.window.SavePrompt(editor));
    ASSERT_EQ(MsgBoxScript::Calls().size(), 1);
    EXPECT_EQ(MsgBoxScript::Calls()[0].caption, "Save Changes?");
    EXPECT_EQ(MsgBoxScript::Calls()[0].sound, kSoundWarning);
}

TEST(MainWindow, SaveChangesSavesWithABackupAndUntitledGoesThroughSaveAs)
{
    Fixture f;
    AutoCloseOptions options;
    options.updater = options.spell = options.validator = options.addToUploadBin = options.runUploader = false;
    WriteAutoClose(options);
    test::TempDir dir;
    const QString path = dir.file("page.htm");
    ASSERT_TRUE(WriteFileBytes(path, "old"));
    TVeskMemoFile* editor = f.window.CurrentEditor();
    f.window.AddFile(path);
    editor = f.window.CurrentEditor();
    ASSERT_EQ(editor->FileName(), path);
    EXPECT_EQ(f.window.windowTitle(), "HTML Vesk - " + path);
    editor->Select(3, 3);
    editor->TypeText(" new");
    MsgBoxScript::Push(kMrYes);
    EXPECT_TRUE(f.window.SavePrompt(editor));
    EXPECT_EQ(MsgBoxScript::Calls().back().text, "page.htm has changed\r\rSave changes?");
    EXPECT_EQ(ReadFileBytes(path), "old new");
    EXPECT_EQ(ReadFileBytes(dir.file("page.BAK")), "old");
    EXPECT_FALSE(editor->Modified());
    EXPECT_EQ(ReadRecentFiles()[0], path);

    // An untitled document whose Save As dialog is cancelled stays modified.
    f.window.CreateTab1Click();
    TVeskMemoFile* untitled = f.window.CurrentEditor();
    untitled->TypeText("draft");
    f.window.Files().saveFileDialog = [](const QString&) { return QString(); };
    f.window.Action("Save1")->trigger();
    EXPECT_TRUE(untitled->Modified());
    f.window.Files().saveFileDialog = [&](const QString&) { return dir.file("draft.htm"); };
    f.window.Action("Save1")->trigger();
    EXPECT_FALSE(untitled->Modified());
    EXPECT_EQ(ReadFileBytes(dir.file("draft.htm")), "draft");
    EXPECT_EQ(f.window.windowTitle(), "HTML Vesk - " + dir.file("draft.htm"));
}

TEST(MainWindow, ClosingCancelledKeepsTheWindowAndTheSettingsUnwritten)
{
    Fixture f;
    f.window.CurrentEditor()->SetTextBuf("unsaved");
    MsgBoxScript::Push(kMrCancel);
    EXPECT_FALSE(f.window.CloseAllowed());
    EXPECT_FALSE(QFileInfo::exists(f.home.file("orla.ini")));
    for (int i = 0; i < 6; ++i)
        MsgBoxScript::Push(kMrNo);
    EXPECT_TRUE(f.window.CloseAllowed());
    EXPECT_TRUE(QFileInfo::exists(f.home.file("orla.ini")));
    EXPECT_TRUE(ReadPlacement().has_value());
}

TEST(MainWindow, ReopenPlaceholdersRunThePromptAndOpenNothing)
{
    Fixture f;
    f.window.Files().FillMenu();
    const QList<QAction*> items = f.window.ReopenMenu()->actions();
    ASSERT_FALSE(items.isEmpty());
    EXPECT_EQ(items.front()->text(), "No Recent Files");
    EXPECT_EQ(items.back()->text(), "Specify Files in Settings");
    f.window.CurrentEditor()->SetTextBuf("x");
    MsgBoxScript::Push(kMrNo);
    items.front()->trigger();
    EXPECT_FALSE(MsgBoxScript::Calls().isEmpty());
    EXPECT_EQ(f.window.CurrentEditor()->GetTextPart(0, 1), "x");
}

TEST(MainWindow, ASecondStartsFileOpensInANewTab)
{
    Fixture f;
    test::TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.file("handed.htm"), "<p>hi"));
    EXPECT_EQ(f.window.CopyDataReceived(27, dir.file("handed.htm")), 1);
    EXPECT_EQ(f.window.TabCount(), 2);
    EXPECT_EQ(f.window.CurrentEditor()->FileName(), dir.file("handed.htm"));
    EXPECT_EQ(f.window.CopyDataReceived(27, dir.file("missing.htm")), 1);
    EXPECT_EQ(f.window.TabCount(), 2);  // a missing file is ignored
    EXPECT_EQ(f.window.CopyDataReceived(5, dir.file("handed.htm")), 1);
    EXPECT_EQ(f.window.TabCount(), 2);
}

} // namespace
} // namespace vesk

namespace vesk {
namespace {

TEST(MainWindow, TheFirstTabColoursItsFirstLineAfterAStartWithAFile)
{
    Fixture f;
    test::TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.file("a.htm"), "<html>\r\n<head>"));
    f.window.show();
    f.window.Form1Show({dir.file("a.htm")});
    TVeskMemoFile* editor = f.window.Editor(0);
    EXPECT_TRUE(editor->Highlighting().StateAt(0).InContext());
    const TParRecord& par = editor->Paragraph(0);
    EXPECT_EQ(editor->Line(0, 0).start, 0);
    EXPECT_GT(par.markCount, 0);
    // And the painted first line shows the tag colour.
    QTest::qWait(50);
    const QImage image = editor->viewport()->grab().toImage();
    int yellow = 0;
    for (int y = 0; y < editor->LineHeightPixels() && y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            yellow += qRed(c) > 240 && qGreen(c) > 240 && qBlue(c) < 40;
        }
    EXPECT_GT(yellow, 20);
}

} // namespace
} // namespace vesk

namespace vesk {
namespace {

TEST(MainWindow, SessionEndSavesWhatTheUserKeepsAndRegistersTheDocumentsForTheNextLogon)
{
    test::FakeXdg xdg;  // the autostart entry goes to a private folder
    Fixture f;
    test::TempDir dir;
    const QString named = dir.file("named page.htm");
    ASSERT_TRUE(WriteFileBytes(named, "old"));
    f.window.AddFile(named);
    f.window.CurrentEditor()->TypeText("new ");
    f.window.CreateTab1Click();
    f.window.CurrentEditor()->TypeText("draft");
    f.window.Files().saveFileDialog = [&](const QString&) { return dir.file("draft.htm"); };
    MsgBoxScript::Push(kMrYes);  // the named page
    MsgBoxScript::Push(kMrYes);  // the untitled one goes through Save As
    const QString command = f.window.SessionEnding();
    ASSERT_EQ(MsgBoxScript::Calls().size(), 2);
    EXPECT_EQ(MsgBoxScript::Calls()[0].text, "named page.htm has changed\r\rSave changes?");
    EXPECT_EQ(MsgBoxScript::Calls()[0].buttons, kMbYesNo);
    EXPECT_EQ(ReadFileBytes(named), "new old");
    EXPECT_EQ(ReadFileBytes(dir.file("draft.htm")), "draft");
    EXPECT_TRUE(command.endsWith(" \"" + named + "\" \"" + dir.file("draft.htm") + "\""));
    EXPECT_TRUE(ReadFileBytes(SessionAutostartPath()).contains("\nExec=" + command.toUtf8() + "\n"));
    EXPECT_TRUE(ReadPlacement().has_value());
}

} // namespace
} // namespace vesk

namespace vesk {
namespace {

TEST(MainWindow, OpenThroughTheDialogNamesTheTabAndTheWindowAndListsTheFile)
{
    Fixture f;
    test::TempDir dir;
    const QString path = dir.file("opened.htm");
    ASSERT_TRUE(WriteFileBytes(path, "<p>one\r\ntwo"));
    f.window.Files().openFileDialog = [&](const QString&) { return path; };
    f.window.Action("Open1")->trigger();  // an empty document: the prompt asks nothing
    EXPECT_EQ(f.window.CurrentEditor()->FileName(), path);
    EXPECT_FALSE(f.window.CurrentEditor()->Modified());
    EXPECT_EQ(f.window.windowTitle(), "HTML Vesk - " + path);
    EXPECT_EQ(f.window.findChild<QTabWidget*>("PageControl1")->tabText(0), "opened.htm");
    EXPECT_EQ(ReadRecentFiles()[0], path);
    EXPECT_EQ(f.window.ReopenMenu()->actions().front()->text(), path);

    // A file that cannot be read leaves the document as it was (with the
    // closing functions off, the prompt asks nothing first).
    WriteAutoClose(AutoCloseOptions{false, false, false, false, false, false, false});
    f.window.Files().openFileDialog = [&](const QString&) { return dir.file("missing.htm"); };
    f.window.CurrentEditor()->SetModified(false);
    f.window.Action("Open1")->trigger();
    EXPECT_EQ(f.window.CurrentEditor()->FileName(), path);
    ASSERT_FALSE(MsgBoxScript::Calls().isEmpty());
    EXPECT_TRUE(MsgBoxScript::Calls().back().text.startsWith("Cannot open file"));
}

TEST(MainWindow, ExportWritesExactlyTheSelectionAndImportInsertsAFile)
{
    Fixture f;
    test::TempDir dir;
    TVeskMemoFile* editor = f.window.CurrentEditor();
    editor->SetTextBuf("first line\r\nsecond line\r\nthird");
    editor->Select(6, 18);  // "line\r\nsecond"
    f.window.Files().saveFileDialog = [&](const QString&) { return dir.file("part.txt"); };
    f.window.Action("ExportText1")->trigger();
    EXPECT_EQ(ReadFileBytes(dir.file("part.txt")), "line\r\nsecond");

    ASSERT_TRUE(WriteFileBytes(dir.file("in.txt"), "A\nB"));
    f.window.Files().openFileDialog = [&](const QString&) { return dir.file("in.txt"); };
    editor->Select(0, 0);
    f.window.Action("ImportFile1")->trigger();
    EXPECT_EQ(editor->GetTextPart(0, 6), "A\r\nBfi");  // line breaks as when opening
}

TEST(MainWindow, ClosingWritesTheFileMenusAsShown)
{
    Fixture f;
    ASSERT_TRUE(f.home.Write("orla.ini", "[RecentFiles]\n0=/a.htm\n1=/b.htm\n"));
    f.window.Files().FillMenu();
    ASSERT_TRUE(f.window.CloseAllowed());  // empty document: no questions
    EXPECT_EQ(ReadRecentFiles()[0], "/a.htm");
    EXPECT_EQ(ReadRecentFiles()[1], "/b.htm");
    EXPECT_TRUE(ReadRecentFiles()[2].isEmpty());
}

} // namespace
} // namespace vesk

namespace vesk {
namespace {

TEST(MainWindow, ThreeArgumentsGiveThreeTabsAndABadFirstOneIsReported)
{
    Fixture f;
    test::TempDir dir;
    for (const char* name : {"one.htm", "two.htm", "three.htm"})
        ASSERT_TRUE(WriteFileBytes(dir.file(name), name));
    f.window.Form1Show({dir.file("one.htm"), dir.file("two.htm"), dir.file("three.htm")});
    ASSERT_EQ(f.window.TabCount(), 3);
    EXPECT_EQ(f.window.Editor(0)->FileName(), dir.file("one.htm"));
    EXPECT_EQ(f.window.Editor(2)->FileName(), dir.file("three.htm"));
    const FileSlots recent = ReadRecentFiles();
    EXPECT_EQ(recent[0], dir.file("three.htm"));
    EXPECT_EQ(recent[2], dir.file("one.htm"));

    Fixture g;
    g.window.Form1Show({dir.file("missing.htm")});
    EXPECT_EQ(g.window.TabCount(), 1);
    EXPECT_TRUE(g.window.Editor(0)->FileName().isEmpty());
    ASSERT_EQ(MsgBoxScript::Calls().size(), 1);
    EXPECT_TRUE(MsgBoxScript::Calls()[0].text.startsWith("Cannot open file"));
}

TEST(MainWindow, ASecondStartWithoutArgumentsOnlyRaisesTheWindow)
{
    Fixture f;
    EXPECT_EQ(f.window.CopyDataReceived(27, QString()), 1);
    EXPECT_EQ(f.window.TabCount(), 1);
}

TEST(MainWindow, ABackupThatCannotBeMadeIsReportedAfterTheSave)
{
    Fixture f;
    test::TempDir dir;
    const QString path = dir.file("page.htm");
    ASSERT_TRUE(WriteFileBytes(path, "old"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("page.BAK"));
    ASSERT_TRUE(WriteFileBytes(dir.file("page.BAK/keep"), "x"));
    f.window.AddFile(path);
    f.window.CurrentEditor()->TypeText("new ");
    f.window.Action("Save1")->trigger();
    EXPECT_EQ(ReadFileBytes(path), "new old");
    EXPECT_FALSE(f.window.CurrentEditor()->Modified());
    ASSERT_FALSE(MsgBoxScript::Calls().isEmpty());
    EXPECT_EQ(MsgBoxScript::Calls().back().caption, "Backup Failed");
}

} // namespace
} // namespace vesk

namespace vesk {
namespace {

TEST(MainWindow, AReopenItemOpensItsFile)
{
    Fixture f;
    test::TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.file("again.htm"), "<p>again"));
    AddRecent(dir.file("again.htm"));
    f.window.Files().FillMenu();
    QAction* item = f.window.ReopenMenu()->actions().front();
    ASSERT_EQ(item->text(), dir.file("again.htm"));
    item->trigger();
    EXPECT_EQ(f.window.CurrentEditor()->FileName(), dir.file("again.htm"));
    EXPECT_EQ(f.window.CurrentEditor()->GetTextPart(0, 8), "<p>again");
}

} // namespace
} // namespace vesk

namespace vesk {
namespace {

TEST(MainWindow, ToolBarButtonsAreShadowButtonsThatFollowTheirCommands)
{
    Fixture f;
    auto* bar = f.window.Bar(kToolBarName);
    const QList<TShadoButton*> buttons = bar->findChildren<TShadoButton*>();
    ASSERT_EQ(buttons.size(), 23);
    for (TShadoButton* b : buttons) {
        EXPECT_EQ(b->size(), QSize(24, 24)) << b->objectName().toStdString();
        EXPECT_FALSE(b->Glyph().isNull());
        EXPECT_EQ(b->ShadowSpacing(), 1);
        EXPECT_FALSE(b->Hint().isEmpty());
    }
    auto* find = bar->findChild<TShadoButton*>(QStringLiteral("FindBtn"));
    ASSERT_TRUE(find);
    EXPECT_EQ(find->Hint(), "Find Word");
    f.window.RichEditUpdate();
    EXPECT_FALSE(find->isEnabled());  // nothing to search in
    QTest::mouseClick(find, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_FALSE(f.window.Entry<TFindReplaceEntry>()->FindDialog()->isVisible());

    f.window.CurrentEditor()->SetTextBuf("some text");
    EXPECT_TRUE(find->isEnabled());
    QTest::mouseClick(find, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_TRUE(f.window.Entry<TFindReplaceEntry>()->FindDialog()->isVisible());
}

} // namespace
} // namespace vesk

namespace vesk {
namespace {

TEST(MainWindow, TheUpdaterAsksThroughTheMessageBoxAndRestoresTheCaret)
{
    Fixture f;
    f.window.today = [] { return QDate(2001, 3, 5); };
    TVeskMemoFile* editor = f.window.CurrentEditor();
    editor->SetTextBuf("Updated 12/31/1999 and 1/5/99.");
    editor->Select(1, 3);
    MsgBoxScript::Push(kMrYes);
    MsgBoxScript::Push(kMrNo);
    MsgBoxScript::Push(kMrOk);
    f.window.Action("Updater1")->trigger();
    EXPECT_EQ(editor->GetTextPart(0, editor->CharCount()), "Updated 03/05/2001 and 1/5/99.");
    const auto calls = MsgBoxScript::Calls();
    ASSERT_EQ(calls.size(), 3);
    EXPECT_EQ(calls[0].caption, "Replace Highlighted Date?");
    EXPECT_EQ(calls[0].text, "The highlighted date was found.\r\rDo you want to replace it with today's date?\r\r"
                             "Press No to find next date, Cancel to quit.");
    EXPECT_EQ(calls[0].buttons, kMbYesNoCancel);
    EXPECT_EQ(calls[0].sound, 64);
    EXPECT_EQ(calls[2].caption, "Date Not Found");
    EXPECT_EQ(calls[2].text, "No more dates found.");
    EXPECT_EQ(calls[2].sound, 16);
    EXPECT_EQ(editor->SelStart(), 3);
    EXPECT_EQ(editor->SelLength(), -2);

    // The save prompt's "Update Dates" runs the same walk; Cancel at its
    // first date leaves everything as it was.
    MsgBoxScript::Reset();
    MsgBoxScript::Push(kMrYes);     // update the dates?
    MsgBoxScript::Push(kMrCancel);  // the first date: stop
    MsgBoxScript::Push(kMrCancel);  // the next question of the prompt
    EXPECT_FALSE(f.window.SavePrompt(editor));
    EXPECT_EQ(MsgBoxScript::Calls()[1].caption, "Replace Highlighted Date?");
    EXPECT_EQ(editor->GetTextPart(0, editor->CharCount()), "Updated 03/05/2001 and 1/5/99.");
}

} // namespace
} // namespace vesk

namespace vesk {
namespace {

TEST(MainWindow, TheColourProducerOpensOnTheCurrentDocumentAndRemembersItsColour)
{
    Fixture f;
    TVeskMemoFile* editor = f.window.CurrentEditor();
    editor->SetTextBuf("<font color=\"#00FF00\">x</font>");
    editor->Select(13, 20);
    // The window is modal: act in it once it is up, then press Insert.
    QTimer::singleShot(0, &f.window, [&f]() {
        TForm3* form = f.window.findChild<TForm3*>();
        ASSERT_TRUE(form && form->isVisible());
        form->ChangeColor(MakeColor(0x12, 0x34, 0x56));
        QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
    });
    f.window.Action("ColorBtn")->trigger();
    EXPECT_EQ(editor->GetTextPart(0, editor->CharCount()), "<font color=\"#123456\">x</font>");
    EXPECT_EQ(f.window.Entry<TColorProducerEntry>()->Window()->TextColor(), MakeColor(0x12, 0x34, 0x56));
}

} // namespace
} // namespace vesk

namespace vesk {
namespace {

TEST(MainWindow, QuickCodesMenusInsertIntoTheCurrentDocument)
{
    Fixture f;
    TVeskMemoFile* editor = f.window.CurrentEditor();
    editor->SetTextBuf("see here");
    editor->Select(8, 4);
    auto find = [](QMenu* menu, const QString& caption) -> QAction* {
        for (QAction* a : menu->actions())
            if (a->text() == caption)
                return a;
        return nullptr;
    };
    QMenu* quick = nullptr;
    for (QAction* top : f.window.menuBar()->actions())
        if (top->text() == "&Quick Codes")
            quick = top->menu();
    ASSERT_TRUE(quick);
    find(quick, "Link - NAME")->trigger();
    EXPECT_EQ(editor->GetTextPart(0, editor->CharCount()), "see <A NAME=\"Jump Name\">here</A>");

    // The editor's pop-up offers the same, the lists in their submenu.
    QMenu* popupQuick = nullptr;
    for (QMenu* m : f.window.findChildren<QMenu*>())
        if (m->title() == "&Quick Codes" && m != quick)
            popupQuick = m;
    ASSERT_TRUE(popupQuick);
    editor->SetTextBuf("");
    find(find(popupQuick, "Lists")->menu(), "Dictionary")->trigger();
    EXPECT_EQ(editor->GetTextPart(0, editor->CharCount()), "<DL><DT><DD>\r\n<DT><DD>\r\n</DL>");
    EXPECT_FALSE(find(popupQuick, "Change Settings"));  // only the main menu has it
}

} // namespace
} // namespace vesk

namespace vesk {
namespace {

TEST(MainWindow, TheValidatorCommandListsErrorsAndATabChangeClosesItsWindow)
{
    Fixture f;
    // The shipped rules, as a user's program folder has them.
    QFile::remove(f.home.file("4strict.ini"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VESK_SOURCE_DATA_DIR "/4strict.ini"), f.home.file("4strict.ini")));
    f.window.resize(800, 500);  // wide enough that no line wraps
    f.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.window));
    TVeskMemoFile* editor = f.window.CurrentEditor();
    editor->SetTextBuf("<p>one\r\n<blink>two</blink>");
    f.window.Action("ValidBtn")->trigger();
    TForm8* form = f.window.Entry<TValidatorEntry>()->Window();
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "HTML Vesk Validator");
    ASSERT_GE(form->ListBox1->count(), 1);
    EXPECT_TRUE(form->ListBox1->item(0)->text().startsWith("2: Error 1 - Unknown Tag :BLINK."))
        << form->ListBox1->item(0)->text().toStdString();
    // The first error's line is selected.
    EXPECT_EQ(editor->SelText(), "<blink>two</blink>");

    f.window.CreateTab1Click();
    f.window.findChild<QTabWidget*>()->setCurrentIndex(0);
    EXPECT_FALSE(form->isVisible());
}

} // namespace
} // namespace vesk

// Ways a document could be lost through the window: closing questions whose
// save did not happen, and edits too large to undo.
#include "app/FileCommands.h"
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "settings/SettingsSections.h"
#include "support/TempDir.h"

#include <QAction>
#include <QTest>
#include <gtest/gtest.h>

namespace vesk {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

struct Fixture {
    Fixture()
    {
        // Only the question that matters here: "Save changes?".
        AutoCloseOptions options;
        options.updater = options.spell = options.validator = options.addToUploadBin = options.runUploader = false;
        WriteAutoClose(options);
    }
    test::ScopedProgramFolder home;
    MsgBoxScript::Scope script;
    THTMLVeskMain window;
};

TEST(LostDocuments, YesToSaveThenCancellingSaveAsKeepsTheUntitledDocument)
{
    Fixture f;
    test::TempDir dir;
    const QString other = dir.file("other.htm");
    ASSERT_TRUE(WriteFileBytes(other, "<p>other"));
    f.window.show();
    TVeskMemoFile* editor = f.window.CurrentEditor();
    editor->setFocus();
    QTest::keyClicks(editor, "typed work");
    f.window.Files().saveFileDialog = [](const QString&) { return QString(); };  // the user cancels Save As
    f.window.Files().openFileDialog = [&](const QString&) { return other; };

    // Closing the window: Yes, then Save As cancelled: the window stays.
    MsgBoxScript::Push(kMrYes);
    EXPECT_FALSE(f.window.close());
    EXPECT_TRUE(f.window.isVisible());
    // Opening another file over it: the same answers leave the document.
    MsgBoxScript::Push(kMrYes);
    f.window.Action("Open1")->trigger();
    EXPECT_EQ(editor->GetTextPart(0, editor->CharCount()), "typed work");
    EXPECT_TRUE(editor->FileName().isEmpty());
    EXPECT_TRUE(editor->Modified());
    // A save that fails (an unwritable place) keeps it too.
    f.window.Files().saveFileDialog = [&](const QString&) { return dir.file("no/such/folder/page.htm"); };
    MsgBoxScript::Push(kMrYes);
    MsgBoxScript::Push(kMrOk);  // the error message
    EXPECT_FALSE(f.window.close());
    EXPECT_TRUE(editor->Modified());
    EXPECT_EQ(MsgBoxScript::Pending(), 0);
}

TEST(LostDocuments, SelectAllAndOneKeyOnAPageOfNormalSizeCanBeUndone)
{
    Fixture f;
    std::string page;
    while (page.size() < 200 * 1024)
        page += "<P>A paragraph of a page of ordinary size, with <B>markup</B> in it.</P>\r\n";
    f.window.show();
    TVeskMemoFile* editor = f.window.CurrentEditor();
    editor->SetTextBuf(page.c_str());
    editor->setFocus();
    f.window.Action("SelectAll1")->trigger();
    QTest::keyClick(editor, Qt::Key_X);
    EXPECT_EQ(editor->CharCount(), 1);
    ASSERT_TRUE(f.window.Action("Undo1")->isEnabled());
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor->GetTextPart(0, editor->CharCount()), page);
}

} // namespace
} // namespace vesk

// What a new user meets in the first hour: the first window, the bars, the
// keys between tabs, the marks of unsaved work, the encoding a document is
// saved in, and the validator's results leaving with their document.
#include "app/ClipperBar.h"
#include "app/FileCommands.h"
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "app/ValidatorEntry.h"
#include "settings/SettingsSections.h"
#include "support/TempDir.h"
#include "validator/ValidatorForm.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

#include <string>

namespace vesk {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

struct Fixture {
    Fixture()
    {
        AutoCloseOptions options;
        options.updater = options.spell = options.validator = options.addToUploadBin = options.runUploader = false;
        WriteAutoClose(options);
        window.show();
        window.activateWindow();  // menu keys need the active window
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    test::ScopedProgramFolder home;
    MsgBoxScript::Scope script;
    THTMLVeskMain window;
};

TEST(FirstHour, TheFirstWindowFitsItsToolBarAndHiddenBarsLeaveNoStrip)
{
    Fixture f;
    const QRect available = f.window.screen()->availableGeometry();
    QWidget* toolBar = f.window.Bar(kToolBarName);
    EXPECT_TRUE(available.contains(f.window.geometry()));
    EXPECT_GE(f.window.width(), std::min(available.width(), toolBar->sizeHint().width()));
    EXPECT_GE(f.window.height(), std::min(available.height(), 480));
    // With every bar but the tool bar hidden, the tabs start right under it.
    auto* pages = f.window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    EXPECT_LE(pages->mapTo(&f.window, QPoint(0, 0)).y() - toolBar->geometry().bottom(), 2);

    // The clipper bar, shown from the menu at any size, shows all its controls.
    f.window.Action("Clipper1")->trigger();
    TClipperBar* clipper = f.window.Clipper();
    for (QSize size : {QSize(500, 300), QSize(1000, 600), f.window.size()}) {
        f.window.resize(size);
        QTest::qWait(10);
        ASSERT_TRUE(clipper->isVisible());
        EXPECT_EQ(clipper->width(), pages->width());
        for (QWidget* control : {static_cast<QWidget*>(clipper->Items()), static_cast<QWidget*>(clipper->KeyLabel())}) {
            EXPECT_TRUE(control->isVisible());
            EXPECT_TRUE(clipper->rect().contains(control->geometry())) << size.width();
        }
        EXPECT_GT(clipper->Items()->width(), 0);
    }
}

TEST(FirstHour, KeysMoveBetweenTabsAndRedoAndTitlesMarkUnsavedWork)
{
    Fixture f;
    f.window.CreateTab1Click();
    f.window.CreateTab1Click();
    auto* pages = f.window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    struct Step {
        QKeyCombination keys;
        int tab;
    } steps[] = {
        {Qt::CTRL | Qt::Key_Tab, 0},      {Qt::CTRL | Qt::Key_Tab, 1},      {Qt::CTRL | Qt::Key_PageDown, 2},
        {Qt::CTRL | Qt::Key_PageUp, 1},   {Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, 0},
        {Qt::CTRL | Qt::Key_PageUp, 2},
    };
    for (const Step& s : steps) {
        QTest::keyClick(f.window.CurrentEditor(), s.keys.key(), s.keys.keyboardModifiers());
        EXPECT_EQ(pages->currentIndex(), s.tab);
        EXPECT_EQ(f.window.CurrentEditor(), f.window.Editor(s.tab));
    }
    TVeskMemoFile* editor = f.window.CurrentEditor();
    EXPECT_EQ(editor->CharCount(), 0) << "no key typed into the text";

    QTest::keyClicks(editor, "ab");
    EXPECT_EQ(f.window.windowTitle(), "HTML Vesk - *Untitled");
    EXPECT_EQ(pages->tabText(2), "*Untitled");
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Y, Qt::ControlModifier);  // Redo's second key
    EXPECT_EQ(editor->GetTextPart(0, editor->CharCount()), "ab");

    test::TempDir dir;
    f.window.Files().saveFileDialog = [&](const QString&) { return dir.file("ab.htm"); };
    QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(f.window.windowTitle(), "HTML Vesk - " + dir.file("ab.htm"));
    EXPECT_EQ(pages->tabText(2), "ab.htm");
    EXPECT_EQ(pages->tabText(1), "Untitled");
}

TEST(FirstHour, ADocumentThatOutgrowsItsEncodingSaysSoOnceAndShowsIt)
{
    Fixture f;
    test::TempDir dir;
    const QString path = dir.file("cafe.htm");
    ASSERT_TRUE(WriteFileBytes(path, "caf\xE9"));  // not UTF-8: Windows-1252
    f.window.AddFile(path);
    TVeskMemoFile* editor = f.window.CurrentEditor();
    EXPECT_EQ(f.window.EncodingLabel()->text(), "Windows-1252");
    editor->Select(4, 4);
    editor->TypeText("\xC5\x91");  // "ő", which Windows-1252 lacks
    QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadFileBytes(path), "caf\xC3\xA9\xC5\x91");
    ASSERT_EQ(MsgBoxScript::Calls().size(), 1);
    EXPECT_EQ(MsgBoxScript::Calls()[0].caption, "Encoding Changed");
    EXPECT_EQ(MsgBoxScript::Calls()[0].text,
              "cafe.htm now holds characters that Windows-1252 cannot represent, so it was saved as UTF-8.");
    EXPECT_EQ(f.window.EncodingLabel()->text(), "UTF-8");
    editor->TypeText("!");
    QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(MsgBoxScript::Calls().size(), 1) << "said once";

    // Every encoding a document can be read in has a name in the status bar.
    const struct {
        std::string bytes;
        const char* label;
    } boms[] = {{std::string("\xFF\xFEx\0", 4), "UTF-16 LE"},
                {std::string("\xFE\xFF\0x", 4), "UTF-16 BE"},
                {std::string("\xFF\xFE\0\0x\0\0\0", 8), "UTF-32 LE"},
                {std::string("\0\0\xFE\xFF\0\0\0x", 8), "UTF-32 BE"},
                {"\xEF\xBB\xBFx", "UTF-8 with BOM"}};
    for (const auto& bom : boms) {
        const QString file = dir.file(QString::fromLatin1(bom.label).replace(' ', '_') + ".htm");
        ASSERT_TRUE(WriteFileBytes(file, QByteArray::fromStdString(bom.bytes)));
        f.window.AddFile(file);
        EXPECT_EQ(f.window.EncodingLabel()->text(), bom.label);
    }
}

TEST(FirstHour, TheValidatorsResultsCloseWhenATabIsCreated)
{
    Fixture f;
    f.window.CurrentEditor()->SetTextBuf("<blink>x</blink>");
    f.window.Action("Validator1")->trigger();
    TForm8* results = f.window.Entry<TValidatorEntry>()->Window();
    ASSERT_TRUE(results->isVisible());
    f.window.Action("CreateTab1")->trigger();
    EXPECT_FALSE(results->isVisible());
    // Back on the first page: validated again, then a second start's file arrives.
    QTest::keyClick(f.window.CurrentEditor(), Qt::Key_Tab, Qt::ControlModifier);
    f.window.Action("Validator1")->trigger();
    ASSERT_TRUE(results->isVisible());
    test::TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.file("second.htm"), "<p>x"));
    f.window.CopyDataReceived(27, dir.file("second.htm"));  // a second start's file
    EXPECT_FALSE(results->isVisible());
}

} // namespace
} // namespace vesk

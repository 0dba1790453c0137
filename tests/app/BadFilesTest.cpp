// Bad files, failing disks and hostile settings, through the main window
// where a window is involved: no document is lost, nothing hangs, nothing
// overflows.
#include "app/DocumentFiles.h"
#include "app/FileCommands.h"
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "app/UnreadableSettings.h"
#include "editor/VeskMemoStore.h"
#include "settings/SettingsSections.h"
#include "settings/WindowPlacement.h"
#include "support/TempDir.h"
#include "tools/QuickCodes.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStringEncoder>
#include <QTabWidget>
#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

struct Fixture {
    test::ScopedProgramFolder home;
    MsgBoxScript::Scope script;
    THTMLVeskMain window;
};

QString Text(TVeskMemoFile* editor)
{
    return QString::fromStdString(editor->GetTextPart(0, editor->CharCount()));
}

// No automatic closing function: the save prompt asks nothing.
void NoQuestionsWhenLettingGo()
{
    AutoCloseOptions none;
    none.backup = true;
    none.updater = none.validator = none.spell = none.saveChanges = none.addToUploadBin = none.runUploader = false;
    WriteAutoClose(none);
}

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// ---- lost documents ---------------------------------------------------------

TEST(LostDocuments, NulBytesAreShownOnceAndSavedBackUnchanged)
{
    Fixture f;
    test::TempDir dir;
    // 65 bytes with a NUL in the middle, and two more on the third line.
    constexpr char kPage[] = "<HTML><HEAD><TITLE>t</TITLE></HEAD>\r\n<P>a\0b errors!\r\n<P>\0\0</HTML>";
    const QByteArray page(kPage, sizeof kPage - 1);
    ASSERT_EQ(page.size(), 65);
    const QString path = dir.file("nul.htm");
    ASSERT_TRUE(WriteFileBytes(path, page));
    f.window.AddFile(path);
    TVeskMemoFile* editor = f.window.CurrentEditor();
    ASSERT_EQ(editor->FileName(), path);
    EXPECT_EQ(editor->CharCount(), 65);  // the whole file, one ␀ per NUL
    EXPECT_EQ(Text(editor).count(QChar(0x2400)), 3);
    ASSERT_EQ(MsgBoxScript::Calls().size(), 1);
    EXPECT_EQ(MsgBoxScript::Calls()[0].caption, "NUL Bytes");
    EXPECT_TRUE(MsgBoxScript::Calls()[0].text.startsWith("nul.htm holds 3 NUL bytes (on lines 2 and 3)"))
        << MsgBoxScript::Calls()[0].text.toStdString();

    f.window.Action("Save1")->trigger();
    EXPECT_EQ(ReadFileBytes(path), page);
    editor->Select(0, 0);
    editor->TypeText("x");
    f.window.Action("Save1")->trigger();
    EXPECT_EQ(ReadFileBytes(path), "x" + page);
    EXPECT_EQ(MsgBoxScript::Calls().size(), 1);  // told once, when it was opened
}

TEST(LostDocuments, BackupsNeverTakeTheDocumentsPlaceAndLieBesideTheRealFile)
{
    Fixture f;
    test::TempDir dir;
    for (const char* sub : {"a", "b", "real"})
        ASSERT_TRUE(QDir(dir.path()).mkdir(sub));
    // A document called "….BAK", and one reached through two links.
    ASSERT_TRUE(WriteFileBytes(dir.file("page.BAK"), "old"));
    ASSERT_TRUE(WriteFileBytes(dir.file("real/page.htm"), "old"));
    ASSERT_TRUE(QFile::link("../real/page.htm", dir.file("b/second.htm")));
    ASSERT_TRUE(QFile::link(dir.file("b/second.htm"), dir.file("a/first.htm")));
    for (const char* name : {"page.BAK", "a/first.htm"}) {
        f.window.AddFile(dir.file(name));
        f.window.CurrentEditor()->TypeText("new ");
        f.window.Action("Save1")->trigger();
        f.window.CurrentEditor()->TypeText("newer ");
        f.window.Action("Save1")->trigger();  // the second backup replaces the first
    }
    EXPECT_EQ(ReadFileBytes(dir.file("page.BAK")), "new newer old");
    EXPECT_EQ(ReadFileBytes(dir.file("page.BAK.BAK")), "new old");
    EXPECT_EQ(ReadFileBytes(dir.file("real/page.htm")), "new newer old");
    EXPECT_EQ(ReadFileBytes(dir.file("real/page.BAK")), "new old");
    EXPECT_EQ(FilesIn(dir.path()), (QStringList{"page.BAK", "page.BAK.BAK"}));
    EXPECT_EQ(FilesIn(dir.file("a")) + FilesIn(dir.file("b")), (QStringList{"first.htm", "second.htm"}));
    EXPECT_TRUE(QFileInfo(dir.file("a/first.htm")).isSymLink() && QFileInfo(dir.file("b/second.htm")).isSymLink());
}

// In the child of RunWithSmallDisk: gtest cannot be used there, so each
// check says what went wrong on standard error.
bool Check(bool ok, const char* what)
{
    if (!ok)
        std::fprintf(stderr, "full disk: %s\n", what);
    return ok;
}

TEST(LostDocuments, AFullDiskLeavesEveryFileAsItWasAndSaysSo)
{
    test::TempDir disk;
    const test::ChildResult result = test::RunWithSmallDisk(disk.path(), 256 * 1024, [&]() {
        const QString page = disk.file("page.htm"), link = disk.file("same page.htm");
        const QString plain = disk.file("plain.htm"), backup = disk.file("page.BAK");
        const QByteArray old(24 * 1024, 'o');
        if (!WriteFileBytes(page, old) || !WriteFileBytes(plain, "plain") || !WriteFileBytes(backup, "older") ||
            ::link(QFile::encodeName(page).constData(), QFile::encodeName(link).constData()) != 0)
            return Check(false, "setting up");
        // Fill what is left of the disk.
        {
            QFile filler(disk.file("filler"));
            if (!filler.open(QIODevice::WriteOnly))
                return Check(false, "filler");
            const QByteArray block(4096, 'f');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
        }
        const QStringList before = FilesIn(disk.path());
        TVeskMemoStore doc;
        doc.SetTextBuf(std::string(48 * 1024, 'n'));
        bool ok = true;
        // The hard-linked file is written over in place, with or without a
        // backup; the other one through a temporary file.
        for (const auto& [path, withBackup] : {std::pair{page, true}, {page, false}, {plain, true}}) {
            try {
                SaveDocumentFile(doc, path, withBackup);
                ok &= Check(false, "a save onto a full disk succeeded");
            } catch (const EDocumentWriteError& e) {
                const QString message = QString::fromUtf8(e.what());
                ok &= Check(message.contains(QLatin1String("The disk is full")) && message.contains(path),
                            e.what());
            }
            ok &= Check(ReadFileBytes(page) == old && ReadFileBytes(link) == old, "the page changed");
            ok &= Check(ReadFileBytes(plain) == "plain", "the plain file changed");
            ok &= Check(ReadFileBytes(backup) == "older", "the old backup changed");
            ok &= Check(FilesIn(disk.path()) == before, "files appeared or went");
        }
        // With room again, the page is saved under both its names.
        ok &= Check(QFile::remove(disk.file("filler")), "removing the filler");
        SaveDocumentFile(doc, page, true);
        const QByteArray saved(48 * 1024, 'n');
        ok &= Check(ReadFileBytes(page) == saved && ReadFileBytes(link) == saved, "the page was not saved");
        ok &= Check(ReadFileBytes(backup) == old, "the backup is not the old page");
        return ok;
    });
    if (result == test::ChildResult::CannotSwitchUser)
        GTEST_SKIP() << "no small file system can be mounted here";
    EXPECT_EQ(result, test::ChildResult::Passed);
}

TEST(LostDocuments, AnUnreadableSettingsFileIsNeverReplacedWithoutAsking)
{
    test::ScopedProgramFolder home;
    MsgBoxScript::Scope script;
    // Settings saved as UTF-16 by some other editor: not text for us.
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringConverter::Flag::WriteBom);
    const QByteArray settings = utf16(QStringLiteral("[View]\r\nClipper=1\r\n[RecentFiles]\r\n0=/old/page.htm\r\n"));
    ASSERT_TRUE(home.Write("orla.ini", settings));
    test::TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.file("a.htm"), ""));  // empty: closing asks nothing about it
    {
        THTMLVeskMain window;
        MsgBoxScript::Push(kMrNo);
        window.AddFile(dir.file("a.htm"));  // the recent-files list would be written
        EXPECT_TRUE(window.CloseAllowed());  // and the window settings
        ASSERT_EQ(MsgBoxScript::Calls().size(), 1);
        EXPECT_EQ(MsgBoxScript::Calls()[0].caption, kUnreadableSettingsCaption);
        EXPECT_EQ(MsgBoxScript::Calls()[0].text, UnreadableSettingsQuestion(home.file("orla.ini")));
        EXPECT_EQ(ReadFileBytes(home.file("orla.ini")), settings);
    }
    {
        THTMLVeskMain window;  // a new session asks again
        MsgBoxScript::Push(kMrYes);
        EXPECT_TRUE(window.CloseAllowed());
        EXPECT_EQ(MsgBoxScript::Calls().size(), 2);
        EXPECT_TRUE(ReadPlacement().has_value());  // replaced by this session's settings
    }
}

// ---- hangs and runaway reads ------------------------------------------------

TEST(Hangs, WhatIsNotARegularFileIsRefusedWhereverADocumentIsOpened)
{
    test::TempDir dir;
    const QString fifo = dir.file("pipe.htm");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString huge = dir.file("huge.htm");  // 3 GB, sparse: nothing to write
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(3) << 30));
    }
    const QString keep = dir.file("keep.htm");
    ASSERT_TRUE(WriteFileBytes(keep, "keep"));

    using Way = std::function<void(THTMLVeskMain&, const QString&)>;
    const std::pair<const char*, Way> ways[] = {
        {"second start", [](THTMLVeskMain& w, const QString& p) { w.CopyDataReceived(27, p); }},
        {"Reopen", [](THTMLVeskMain& w, const QString& p) { w.Files().OpenClick(*w.CurrentEditor(), p); }},
        {"Open", [](THTMLVeskMain& w, const QString& p) {
             w.Files().openFileDialog = [p](const QString&) { return p; };
             w.Action("Open1")->trigger();
         }},
        {"Import Text", [](THTMLVeskMain& w, const QString& p) {
             w.Files().openFileDialog = [p](const QString&) { return p; };
             w.Action("ImportFile1")->trigger();
         }},
        {"command line", [](THTMLVeskMain& w, const QString& p) { w.Form1Show({p}); }},
    };
    for (const QString& path : {fifo, dir.path(), QStringLiteral("/dev/zero"), QStringLiteral("/dev/urandom"), huge}) {
        for (const auto& [name, way] : ways) {
            SCOPED_TRACE(path.toStdString() + " through " + name);
            Fixture f;
            NoQuestionsWhenLettingGo();
            if (std::string_view(name) != "command line")
                f.window.AddFile(keep);
            way(f.window, path);
            ASSERT_EQ(MsgBoxScript::Calls().size(), 1);
            EXPECT_TRUE(MsgBoxScript::Calls()[0].text.contains(path)) << MsgBoxScript::Calls()[0].text.toStdString();
            TVeskMemoFile* editor = f.window.CurrentEditor();
            EXPECT_EQ(f.window.TabCount(), std::string_view(name) == "command line" ? 1 : 2);
            if (std::string_view(name) != "command line") {
                EXPECT_EQ(editor->FileName(), keep);
                EXPECT_EQ(Text(editor), "keep");
            }
        }
    }
}

TEST(Hangs, AFileThatCannotBeReadToItsEndLeavesNoNamedEmptyDocument)
{
    Fixture f;
    NoQuestionsWhenLettingGo();
    test::TempDir dir;
    const QString keep = dir.file("keep.htm");
    ASSERT_TRUE(WriteFileBytes(keep, "precious"));
    f.window.AddFile(keep);
    // A regular file whose first read fails with an I/O error.
    f.window.Files().OpenClick(*f.window.CurrentEditor(), QStringLiteral("/proc/self/mem"));
    ASSERT_EQ(MsgBoxScript::Calls().size(), 1);
    EXPECT_TRUE(MsgBoxScript::Calls()[0].text.startsWith("Cannot read file /proc/self/mem"));
    TVeskMemoFile* editor = f.window.CurrentEditor();
    EXPECT_EQ(editor->FileName(), QString());
    EXPECT_FALSE(editor->Modified());
    EXPECT_EQ(f.window.windowTitle(), "HTML Vesk - Untitled");
    f.window.Files().saveFileDialog = [](const QString&) { return QString(); };
    f.window.Action("Save1")->trigger();  // untitled: Save As, cancelled
    EXPECT_EQ(ReadFileBytes(keep), "precious");
}

// ---- crashes and runaway memory ---------------------------------------------

TEST(Crashes, ExtremeWindowPlacementsAreHeldToTheScreen)
{
    const char* stored[] = {
        "44,0,1,-1,-1,-1,-1,-2147483648,-2147483648,2147483647,2147483647",
        "44,0,1,-1,-1,-1,-1,0,0,2000000000,2000000000",
        "44,0,1,-2147483648,2147483647,-1,-1,2147483647,2147483647,-2147483648,-2147483648",
        "44,0,3,-1,-1,-1,-1,-32000,-32000,-31000,-31500",
    };
    for (const char* value : stored) {
        SCOPED_TRACE(value);
        test::ScopedProgramFolder home;
        MsgBoxScript::Scope script;
        ASSERT_TRUE(home.Write("orla.ini", QByteArray("[Position]\nSettings=") + value + "\n"));
        THTMLVeskMain window;
        window.Form1Show({});
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_TRUE(area.contains(window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry()));
        ASSERT_TRUE(window.CloseAllowed());
        const std::optional<WindowPlacement> written = ReadPlacement();
        ASSERT_TRUE(written);
        EXPECT_TRUE(area.contains(QRect(QPoint(written->left, written->top),
                                        QPoint(written->right - 1, written->bottom - 1))))
            << FormatPlacement(*written).toStdString();
    }
}

TEST(Crashes, AQuickCodeListOfMillionsIsHeldToAThousandAndSaysSo)
{
    Fixture f;
    ASSERT_TRUE(f.home.Write("quickcod.ini", "[Page15]\nnum=20000000\n"));
    TVeskMemoFile* editor = f.window.CurrentEditor();
    editor->SetTextBuf("x");
    editor->SelectAll();
    f.window.Action("Bullets1")->trigger();
    EXPECT_EQ(Text(editor).count(QStringLiteral("<LI>x\r\n")), kQuickCodeMaxItems);
    ASSERT_EQ(MsgBoxScript::Calls().size(), 1);
    EXPECT_EQ(MsgBoxScript::Calls()[0].caption, kQuickCodeNoticeCaption);
    EXPECT_TRUE(MsgBoxScript::Calls()[0].text.contains("20000000"));
}

} // namespace
} // namespace vesk

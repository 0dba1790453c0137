// Browsers and picture viewers: what the started program receives, which
// program is chosen, and what the user is told when a start fails. A small
// recorder program stands in for every browser and viewer.
#include "app/BrowserEntry.h"
#include "app/ExternalPrograms.h"
#include "app/FileCommands.h"
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "platform/Launcher.h"
#include "settings/ProgramCommands.h"
#include "settings/SettingsSections.h"
#include "support/FakeXdg.h"
#include "support/TempDir.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

// Readable failure messages for paths and argument lists.
static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace vesk {
namespace {

const QString kRecorder = QStringLiteral(VESK_RECORDER_PATH);

struct Fixture {
    Fixture()
    {
        qputenv("VESK_RECORD_DIR", records.path().toUtf8());
        AutoCloseOptions quiet;
        quiet.updater = quiet.validator = quiet.spell = quiet.saveChanges = false;
        quiet.addToUploadBin = quiet.runUploader = false;
        WriteAutoClose(quiet);
        entry = window.Entry<TBrowserEntry>();
        entry->pictureDialog = [this](const QString& folder) {
            dialogFolders << folder;
            return dialogAnswer;
        };
    }
    ~Fixture() { qunsetenv("VESK_RECORD_DIR"); }

    void SetCommands(const QString& browser1, const QString& browser2 = {}, const QString& gif = {},
                     const QString& jpg = {})
    {
        ProgramCommands c;
        c.browsers = {browser1, browser2, {}, {}};
        c.gifViewer = gif;
        c.jpgViewer = jpg;
        WriteProgramCommands(c);
    }
    // A named, saved document in `folder` of the site folder.
    TVeskMemoFile& Document(const QString& relativePath)
    {
        const QString path = site.file(relativePath);
        QDir().mkpath(QFileInfo(path).absolutePath());
        test::WriteFileBytes(path, "<P>page");
        window.Files().LoadInto(*window.CurrentEditor(), path);
        return *window.CurrentEditor();
    }
    // The argument lists of the first `count` runs of the recorder.
    QList<QStringList> Runs(int count) const
    {
        QList<QStringList> runs;
        QDeadlineTimer deadline(20000);
        QStringList files;
        while (!deadline.hasExpired()) {
            files = QDir(records.path()).entryList({QStringLiteral("*.args")}, QDir::Files);
            if (files.size() >= count)
                break;
            QThread::msleep(10);
        }
        for (const QString& f : files) {
            QStringList args;
            for (const QByteArray& a : test::ReadFileBytes(records.file(f)).split('\0'))
                args << QString::fromUtf8(a);
            args.removeLast();  // after the last NUL
            runs << args;
        }
        return runs;
    }

    test::ScopedProgramFolder home;
    test::FakeXdg xdg;
    test::TempDir records;
    test::TempDir site;
    MsgBoxScript::Scope script;
    THTMLVeskMain window;
    TBrowserEntry* entry = nullptr;
    QStringList dialogFolders;
    QString dialogAnswer;
};

TEST(Browsers, TheDocumentGoesIntoPercentOneOrAfterTheCommandAsOneArgument)
{
    const struct {
        QString command;
        QString document;
        QStringList expected;  // "DOC" stands for the document's path
    } cases[] = {
        {kRecorder + " -new %1", "x/p.htm", {"-new", "DOC"}},
        {kRecorder, "x/p.htm", {"DOC"}},
        {kRecorder + " --url=%1 --tail", "x/p.htm", {"--url=DOC", "--tail"}},
        {"'" + kRecorder + "' \"two words\"", "x/p.htm", {"two words", "DOC"}},
        // Blanks, quotes, command substitution, ";" and a leading "-" stay
        // inside the one argument; nothing is run by a shell.
        {kRecorder, "a b/-$(touch pwned); 'q\" `x`.htm", {"DOC"}},
        {kRecorder + " %1", "-rf.htm", {"DOC"}},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.SetCommands(c.command);
        TVeskMemoFile& doc = f.Document(c.document);
        EXPECT_EQ(f.entry->BrowserClick(doc, 1), kLaunchOk) << c.command.toStdString();
        const QList<QStringList> runs = f.Runs(1);
        ASSERT_EQ(runs.size(), 1) << c.command.toStdString();
        QStringList expected = c.expected;
        expected.replaceInStrings(QStringLiteral("DOC"), f.site.file(c.document));
        EXPECT_EQ(runs.front(), expected) << c.command.toStdString();
        EXPECT_TRUE(MsgBoxScript::Calls().isEmpty());
        EXPECT_FALSE(QFileInfo::exists(QStringLiteral("pwned")));
    }
}

TEST(Browsers, FailedStartsAreReportedUnderExecuteError)
{
    test::TempDir bin;
    test::WriteFileBytes(bin.file("not-executable"), "#!/bin/sh\n");
    QFile::setPermissions(bin.file("not-executable"), QFile::ReadOwner | QFile::WriteOwner);
    const struct {
        QString command;
        const char* message;
    } cases[] = {
        {bin.file("missing-browser") + " %1", "The specified file was not found."},
        {"htmlvesk-no-such-browser-anywhere", "The specified file was not found."},
        {bin.file("no-folder/browser"), "The specified path was not found."},
        {bin.file("not-executable"), "Windows 95 only: The operating system denied access to the specified file."},
        {kRecorder + " \"unbalanced %1", "The specified file was not found."},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.SetCommands(c.command);
        TVeskMemoFile& doc = f.Document("p.htm");
        const std::optional<int> result = f.entry->BrowserClick(doc, 1);
        ASSERT_TRUE(result.has_value());
        EXPECT_LE(*result, 32);
        EXPECT_EQ(MsgBoxScript::Calls(), (QList<MsgBoxCall>{{"Execute Error", c.message, kMbOk, kSoundError}}))
            << c.command.toStdString();
    }
}

TEST(Browsers, AnUnsetBrowserOrACancelledPromptStartsNothing)
{
    Fixture f;
    f.SetCommands(kRecorder);
    TVeskMemoFile& doc = f.Document("p.htm");
    EXPECT_EQ(f.entry->BrowserClick(doc, 2), std::nullopt);
    EXPECT_EQ(MsgBoxScript::Calls(),
              (QList<MsgBoxCall>{{"Browser Not Setup", "A Browser is not set up for that option.  See Preferences.",
                                  kMbOk, kSoundError}}));

    MsgBoxScript::Reset();
    AutoCloseOptions ask = ReadAutoClose();
    ask.updater = true;
    WriteAutoClose(ask);
    MsgBoxScript::Push(kMrCancel);
    EXPECT_EQ(f.entry->BrowserClick(doc, 1), std::nullopt);
    ASSERT_EQ(MsgBoxScript::Calls().size(), 1);
    EXPECT_EQ(MsgBoxScript::Calls().front().caption, "Update Dates?");
}

TEST(Browsers, AnUntitledDocumentStartsTheBrowserWithoutAnEmptyArgument)
{
    Fixture f;
    f.SetCommands(kRecorder + " --new-tab %1 --x");
    f.window.CurrentEditor()->SetTextBuf("<P>never saved");
    EXPECT_EQ(f.entry->BrowserClick(*f.window.CurrentEditor(), 1), kLaunchOk);
    EXPECT_EQ(f.Runs(1), (QList<QStringList>{{"--new-tab", "--x"}}));
}

TEST(Pictures, TheSelectionNamesAPictureBesideTheDocument)
{
    Fixture f;
    f.SetCommands(kRecorder + " browser", {}, kRecorder + " gif", kRecorder + " jpg");
    TVeskMemoFile& doc = f.Document("site/index.htm");
    QDir().mkpath(f.site.file("site/images"));
    test::WriteFileBytes(f.site.file("site/images/a.gif"), "GIF89a");
    doc.SetTextBuf("<IMG SRC=\"images/a.gif\"> images/gone.gif");
    doc.Select(10, 22);
    EXPECT_EQ(f.entry->PictureBtnClick(doc), kLaunchOk);
    EXPECT_TRUE(f.dialogFolders.isEmpty());
    EXPECT_EQ(f.Runs(1), (QList<QStringList>{{"gif", f.site.file("site/images/a.gif")}}));

    // A name that does not exist asks for the picture; Cancel starts nothing.
    doc.Select(25, 40);
    EXPECT_EQ(f.entry->PictureBtnClick(doc), std::nullopt);
    EXPECT_EQ(f.dialogFolders, QStringList{f.site.file("site")});
    // Without a selection the dialog is asked too.
    doc.Select(0, 0);
    f.dialogAnswer = f.site.file("site/b.jpg");
    test::WriteFileBytes(f.dialogAnswer, "JFIF");
    EXPECT_EQ(f.entry->PictureBtnClick(doc), kLaunchOk);
    EXPECT_EQ(f.dialogFolders.size(), 2);
    EXPECT_EQ(f.Runs(2).size(), 2);
}

TEST(Pictures, TheProgramFollowsTheExtensionExactly)
{
    ProgramCommands c;
    c.browsers = {"web", "", "", ""};
    c.gifViewer = "gifview";
    c.jpgViewer = "jpgview";
    c.bmpViewer = "  ";
    const struct {
        const char* picture;
        const char* program;  // "" = the desktop's default application
    } cases[] = {
        {"/s/a.gif", "gifview"}, {"/s/a.jpg", "jpgview"}, {"/s/a.htm", "web"}, {"/s/a.html", "web"},
        {"/s/a.GIF", ""},        {"/s/a.Jpg", ""},        {"/s/a.jpeg", ""},   {"/s/a.bmp", ""},
        {"/s/gif", ""},          {"/s.gif/a", ""},        {"/s/a.gif.png", ""},
    };
    for (const auto& k : cases)
        EXPECT_EQ(PictureProgram(k.picture, c), k.program) << k.picture;
}

TEST(Pictures, CapitalsGoToTheDesktopsDefaultApplication)
{
    Fixture f;
    f.SetCommands(kRecorder + " browser", {}, kRecorder + " gif");
    test::FakeXdg::WriteDesktop(f.xdg.dataHomeApps(), "viewer.desktop", (kRecorder + " desktop %f").toUtf8(),
                                "MimeType=image/gif;\n");
    TVeskMemoFile& doc = f.Document("index.htm");
    test::WriteFileBytes(f.site.file("A.GIF"), "GIF89a");
    test::WriteFileBytes(f.site.file("b.png"), "\x89PNG\r\n\x1a\n");
    doc.SetTextBuf("A.GIF b.png");
    doc.Select(0, 5);
    EXPECT_EQ(f.entry->PictureBtnClick(doc), kLaunchOk);
    EXPECT_EQ(f.Runs(1), (QList<QStringList>{{"desktop", f.site.file("A.GIF")}}));
    // No application for the type: the matching message.
    doc.Select(6, 11);
    EXPECT_EQ(f.entry->PictureBtnClick(doc), kLaunchNoAssociation);
    EXPECT_EQ(MsgBoxScript::Calls(),
              (QList<MsgBoxCall>{{"Execute Error", "There is no application associated with the given filename extension.",
                                  kMbOk, kSoundError}}));
}

TEST(Pictures, ASelectionWithoutADocumentFolderIsMadeAbsolute)
{
    const QString cwd = QDir::currentPath();
    const struct {
        const char* document;
        const char* selection;
        QString expected;
    } cases[] = {
        {"/site/index.htm", "images/a.gif", "/site/images/a.gif"},
        {"/site/index.htm", "-a.gif", "/site/-a.gif"},
        {"", "-a.gif", cwd + "/-a.gif"},
        {"", "/abs/a.gif", "/abs/a.gif"},
        {"/site/index.htm", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PictureCandidate(c.document, c.selection), c.expected) << c.selection;
}

TEST(ExternalPrograms, ThePlaceholderLeavesACommandWithoutADocument)
{
    const struct {
        const char* command;
        const char* expected;
    } cases[] = {
        {"b -new %1", "b -new"}, {"b --url=%1 x", "b --url= x"}, {"b", "b"},
        {"'my b' %1 %1", "\"my b\" %1"}, {"b \"%1", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WithoutDocumentPlaceholder(c.command), c.expected) << c.command;
}

} // namespace
} // namespace vesk

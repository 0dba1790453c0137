// The JavaScript folder in the main window: a script run in browser 1 from
// the temporary folder, inserted into the document as one undoable step, a
// script that cannot be read, and the temporary folder gone with the window.
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "app/ScriptFolderEntry.h"
#include "editor/VeskMemo.h"
#include "settings/ProgramCommands.h"
#include "support/FakeXdg.h"
#include "support/TempDir.h"
#include "tools/ScriptFolder.h"
#include "tools/ScriptFolderForm.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace vesk {
namespace {

const QString kRecorder = QStringLiteral(VESK_RECORDER_PATH);
const QByteArray kClock = "<span id=\"c\"></span>\r\n<script>tick();</script>\r\n";

struct Fixture {
    Fixture()
    {
        qputenv("VESK_RECORD_DIR", records.path().toUtf8());
        window = std::make_unique<THTMLVeskMain>();
        entry = window->Entry<TScriptFolderEntry>();
        EnsureCategoryFolders(ScriptFolder());
        test::WriteFileBytes(ScriptFolder() + "Time/clock.js", kClock);
    }
    ~Fixture() { qunsetenv("VESK_RECORD_DIR"); }

    void SetBrowser(const QString& command)
    {
        ProgramCommands c;
        c.browsers = {command, {}, {}, {}};
        WriteProgramCommands(c);
    }
    // Opens the window on the current document and runs `whileOpen` inside it.
    void Open(const std::function<void(TForm7&)>& whileOpen)
    {
        TForm7* form = entry->Window();
        QTimer::singleShot(0, form, [form, whileOpen]() {
            whileOpen(*form);
            form->reject();
        });
        entry->ScriptBtnClick(*window->CurrentEditor());
    }
    // The argument list of the recorder's first run.
    QStringList FirstRun() const
    {
        QDeadlineTimer deadline(20000);
        QStringList files;
        while (!deadline.hasExpired()) {
            files = QDir(records.path()).entryList({QStringLiteral("*.args")}, QDir::Files);
            if (!files.isEmpty())
                break;
            QThread::msleep(10);
        }
        QStringList args;
        if (files.isEmpty())
            return args;
        for (const QByteArray& a : test::ReadFileBytes(records.file(files.first())).split('\0'))
            args << QString::fromUtf8(a);
        args.removeLast();  // after the last NUL
        return args;
    }
    std::string Text() const
    {
        TVeskMemoFile& e = *window->CurrentEditor();
        return e.GetTextPart(0, e.CharCount());
    }

    test::ScopedProgramFolder home;
    test::FakeXdg xdg;
    test::TempDir records;
    MsgBoxScript::Scope script;
    std::unique_ptr<THTMLVeskMain> window;
    TScriptFolderEntry* entry = nullptr;
};

TEST(ScriptFolderEntry, RunShowsTheCopyInBrowserOneWithOrWithoutPercentOne)
{
    const struct {
        QString command;
        QStringList expected;  // "DOC" stands for the copy's path
    } cases[] = {
        {kRecorder + " -new %1", {"-new", "DOC"}},
        {kRecorder, {"DOC"}},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.SetBrowser(c.command);
        f.Open([](TForm7& form) {
            ASSERT_TRUE(form.Select("Time", "clock.js"));
            form.Button30Click();
        });
        const QString copy = ScriptFolder() + "~temp/clock.htm";
        QStringList expected = c.expected;
        expected.replaceInStrings("DOC", copy);
        EXPECT_EQ(f.FirstRun(), expected) << c.command.toStdString();
        EXPECT_EQ(test::ReadFileBytes(copy), kClock);
        // The copies live until the program ends.
        f.window.reset();
        EXPECT_FALSE(QFileInfo::exists(ScriptFolder() + "~temp"));
        EXPECT_TRUE(QFileInfo::exists(ScriptFolder() + "Time/clock.js"));
    }
}

TEST(ScriptFolderEntry, EveryCategoryStartsWithAShippedScript)
{
    Fixture f;
    for (const char* category : kScriptCategories) {
        const QStringList scripts = ListScripts(ScriptFolder(), QString::fromLatin1(category));
        EXPECT_FALSE(scripts.isEmpty()) << category;
        for (const QString& name : scripts)
            EXPECT_TRUE(test::ReadFileBytes(ScriptFolder() + category + "/" + name).contains("<script"))
                << category << "/" << name.toStdString();
    }
}

TEST(ScriptFolderEntry, InsertReplacesTheSelectionAsOneStepAndAnUnreadableScriptChangesNothing)
{
    Fixture f;
    TVeskMemoFile& doc = *f.window->CurrentEditor();
    doc.SetTextBuf("<P>old</P>");
    doc.Select(3, 6);  // "old"
    f.Open([](TForm7& form) {
        ASSERT_TRUE(form.Select("Time", "clock.js"));
        form.Button31Click();
    });
    EXPECT_EQ(f.Text(), "<P><span id=\"c\"></span>\r\n<script>tick();</script>\r\n</P>");
    doc.Undo();
    EXPECT_EQ(f.Text(), "<P>old</P>");

    // A script replaced by a folder after the tree was built: one clear
    // message, nothing inserted.
    ASSERT_TRUE(test::WriteFileBytes(ScriptFolder() + "Time/odd.js", "x"));
    f.Open([](TForm7& form) {
        ASSERT_TRUE(form.Select("Time", "odd.js"));
        ASSERT_TRUE(QFile::remove(ScriptFolder() + "Time/odd.js"));
        ASSERT_TRUE(QDir().mkdir(ScriptFolder() + "Time/odd.js"));
        form.Button31Click();
    });
    EXPECT_EQ(f.Text(), "<P>old</P>");
    const QList<MsgBoxCall> told = MsgBoxScript::Calls();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].text.contains("odd.js")) << told[0].text.toStdString();
}

} // namespace
} // namespace vesk

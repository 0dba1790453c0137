// What happens while a command waits for the user: a file handed over by a
// second start of the real program, and an exception that escapes a command.
#include "app/DocumentFiles.h"
#include "app/FileCommands.h"
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "platform/SingleInstance.h"
#include "settings/SettingsSections.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace vesk {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

constexpr int kWaitMs = 20000;

// The window listens on the single-instance channel as the running program
// does; SecondStart runs the real program, which hands its file over.
class HandOver : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(::chmod(runtime.path().toUtf8().constData(), 0700), 0);
        oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        oldDisplay = qgetenv("DISPLAY");
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        qputenv("DISPLAY", ":vesk-handover");
        instance = std::make_unique<SingleInstance>();
        ASSERT_EQ(instance->Acquire(), SingleInstance::Role::Primary);
        window = std::make_unique<THTMLVeskMain>();
        instance->SetCopyDataHandler([this](SingleInstance*, int identifier, const QString& text) {
            return window->CopyDataReceived(identifier, text);
        });
        AutoCloseOptions options;  // only "Save Changes?" is asked
        options.updater = options.spell = options.validator = options.addToUploadBin = options.runUploader = false;
        WriteAutoClose(options);
        window->show();
        window->activateWindow();  // menu keys need the active window
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override
    {
        window.reset();
        instance.reset();
        qputenv("XDG_RUNTIME_DIR", oldRuntime);
        qputenv("DISPLAY", oldDisplay);
    }
    // Starts the program on `path` and keeps the events going (the window
    // answers the hand-over) until it has ended.
    void SecondStart(const QString& path)
    {
        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        second.setProcessEnvironment(env);
        second.start(QStringLiteral(VESK_APP_PATH), {path});
        ASSERT_TRUE(second.waitForStarted(kWaitMs));
        for (int waited = 0; waited < kWaitMs && second.state() != QProcess::NotRunning; waited += 20)
            QTest::qWait(20);
        ASSERT_EQ(second.state(), QProcess::NotRunning);
        EXPECT_EQ(second.exitCode(), 0);
    }

    test::TempDir runtime, dir;
    test::ScopedProgramFolder home;
    MsgBoxScript::Scope script;
    QByteArray oldRuntime, oldDisplay;
    std::unique_ptr<SingleInstance> instance;
    std::unique_ptr<THTMLVeskMain> window;
};

TEST_F(HandOver, AFileHandedOverDuringAQuestionWaitsAndTheQuestionActsOnItsOwnDocument)
{
    const QString page = dir.file("page.htm"), other = dir.file("other.htm");
    ASSERT_TRUE(WriteFileBytes(page, "old page"));
    ASSERT_TRUE(WriteFileBytes(other, "other"));
    window->AddFile(page);
    TVeskMemoFile* editor = window->CurrentEditor();
    QTest::keyClicks(editor, "edited ");
    // File > New asks "Save changes?"; the other file arrives while it is open.
    MsgBoxScript::PushWhileOpen(kMrYes, [&]() {
        SecondStart(other);
        EXPECT_EQ(window->TabCount(), 2) << "no tab may open under the question";
    });
    QTest::keyClick(editor, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(ReadFileBytes(page), "edited old page");
    EXPECT_EQ(ReadFileBytes(dir.file("page.BAK")), "old page");
    EXPECT_FALSE(QFileInfo::exists(dir.file("other.BAK")));
    EXPECT_EQ(editor->CharCount(), 0);  // New went ahead on its own document
    // Once the question is answered, the handed-over file opens in a tab of its own.
    for (int waited = 0; waited < kWaitMs && window->TabCount() < 3; waited += 20)
        QTest::qWait(20);
    ASSERT_EQ(window->TabCount(), 3);
    EXPECT_EQ(window->Editor(2)->FileName(), other);
}

TEST_F(HandOver, AFileHandedOverWhileSaveAsIsOpenIsNotWhatGetsSaved)
{
    const QString other = dir.file("other.htm"), chosen = dir.file("chosen.htm");
    ASSERT_TRUE(WriteFileBytes(other, "other"));
    TVeskMemoFile* editor = window->CurrentEditor();
    QTest::keyClicks(editor, "draft");
    window->Files().saveFileDialog = [&](const QString&) {
        SecondStart(other);
        return chosen;
    };
    QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadFileBytes(chosen), "draft");
    EXPECT_EQ(editor->FileName(), chosen);
    for (int waited = 0; waited < kWaitMs && window->TabCount() < 2; waited += 20)
        QTest::qWait(20);
    ASSERT_EQ(window->TabCount(), 2);
    EXPECT_EQ(window->Editor(1)->FileName(), other);
    EXPECT_EQ(ReadFileBytes(other), "other");
}

TEST(CommandErrors, AnExceptionThatEscapesACommandEndsThatCommandOnly)
{
    test::ScopedProgramFolder home;
    MsgBoxScript::Scope script;
    THTMLVeskMain window;
    window.show();
    window.activateWindow();  // menu keys need the active window
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    TVeskMemoFile* editor = window.CurrentEditor();
    QTest::keyClicks(editor, "typed");
    window.SetCommand("Find1", [](TVeskMemoFile&) { throw std::runtime_error("Disk full"); });
    QTest::keyClick(editor, Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(MsgBoxScript::Calls().size(), 1);
    EXPECT_EQ(MsgBoxScript::Calls()[0].text, "Disk full");
    EXPECT_EQ(MsgBoxScript::Calls()[0].sound, kSoundError);
    QTest::keyClicks(editor, " on");  // the program goes on
    EXPECT_EQ(editor->GetTextPart(0, editor->CharCount()), "typed on");
}

TEST(CommandErrors, AnUnwritableSettingsFileNeitherStopsOpeningNorKeepsDocumentsFromBeingSaved)
{
    test::ScopedProgramFolder home;
    MsgBoxScript::Scope script;
    ASSERT_TRUE(QDir(home.path()).mkdir("orla.ini"));  // cannot be read, nor written
    test::TempDir dir;
    const QString page = dir.file("page.htm");
    ASSERT_TRUE(WriteFileBytes(page, "<p>page"));
    THTMLVeskMain window;
    window.show();
    window.activateWindow();  // menu keys need the active window
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    TVeskMemoFile* first = window.CurrentEditor();
    QTest::keyClicks(first, "typed");
    window.CreateTab1Click();
    TVeskMemoFile* second = window.CurrentEditor();
    window.Files().openFileDialog = [&](const QString&) { return page; };
    MsgBoxScript::Push(kMrYes);  // replace the settings file that cannot be read? Yes (it still cannot be written)
    QTest::keyClick(second, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(MsgBoxScript::Calls().size(), 2);
    EXPECT_EQ(MsgBoxScript::Calls()[0].caption, "Settings File");
    EXPECT_TRUE(MsgBoxScript::Calls()[1].text.startsWith("Unable to write to"));
    EXPECT_EQ(second->GetTextPart(0, second->CharCount()), "<p>page");
    EXPECT_EQ(second->FileName(), page);
    EXPECT_EQ(first->GetTextPart(0, first->CharCount()), "typed");

    // Closing: the switches read as their defaults (every question asked);
    // the untitled document is saved; the settings are reported, not written.
    window.Files().saveFileDialog = [&](const QString&) { return dir.file("typed.htm"); };
    for (int answer : {kMrNo, kMrNo, kMrNo, kMrYes, kMrOk, kMrNo, kMrNo,  // dates, spelling, validate, save (Yes), the recent files, upload bin, uploader
                       kMrNo, kMrNo, kMrNo, kMrNo, kMrNo,                 // the opened page: dates, spelling, validate, upload bin, uploader
                       kMrOk})                                     // the settings
        MsgBoxScript::Push(answer);
    EXPECT_TRUE(window.CloseAllowed());
    EXPECT_EQ(ReadFileBytes(dir.file("typed.htm")), "typed");
    EXPECT_EQ(MsgBoxScript::Pending(), 0);
    EXPECT_TRUE(MsgBoxScript::Calls().back().text.startsWith("The settings could not be saved."));
}

} // namespace
} // namespace vesk

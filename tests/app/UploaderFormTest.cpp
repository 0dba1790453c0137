// The uploader window against a real pyftpdlib started here: connect, list, send, the bin, the rules, an FTP Error.
#include "FtpServers.h"

#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "app/PreferencesEntry.h"
#include "app/PreferencesForm.h"
#include "app/UploaderEntry.h"
#include "app/UploaderForm.h"
#include "controls/Animated.h"
#include "settings/FileLists.h"
#include "support/PrivateDisplay.h"
#include "support/TempDir.h"
#include "upload/LocalFileListView.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDrag>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;
using vesk::test::ScopedProgramFolder;

namespace {

QStringList Captions(const QListWidget& list)
{
    QStringList out;
    for (int row = 0; row < list.count(); ++row)
        out << list.item(row)->text();
    return out;
}

bool Enabled(const TForm4& form, const char* name)
{
    const QWidget* w = form.findChild<QWidget*>(QString::fromLatin1(name));
    return w && w->isEnabled();
}

void Select(QListWidget& list, const QString& caption)
{
    list.clearSelection();
    const QList<QListWidgetItem*> found = list.findItems(caption, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << caption.toStdString();
    found[0]->setSelected(true);
}

// Drags the entry `caption` of `from` onto the middle of `to` with mouse
// events, as a user does, then lets `form` take the drop it queued. The
// list's own drag starts on the move past the drag distance and runs its own
// loop until the release, so the move onto `to` and the release are queued
// before that move and happen inside the loop. A drag that never ends is
// cancelled with Escape, so the test fails instead of hanging. True when the
// release came while `from` was dragging.
bool DragEntry(TForm4& form, QListWidget& from, const QString& caption, QListWidget& to,
               Qt::KeyboardModifiers keys = {})
{
    const QList<QListWidgetItem*> found = from.findItems(caption, Qt::MatchExactly);
    if (found.size() != 1)
        return false;
    const QPoint start = from.visualItemRect(found[0]).center();
    const QPoint end = to.viewport()->rect().center();
    bool releasedWhileDragging = false;
    QTimer release, guard;
    release.setSingleShot(true);
    QObject::connect(&release, &QTimer::timeout, [&] {
        releasedWhileDragging = from.findChild<QDrag*>() != nullptr;
        QTest::mouseMove(to.viewport(), end);
        QTest::mouseRelease(to.viewport(), Qt::LeftButton, keys, end);
    });
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(from.viewport(), &escape);
    });

    QTest::mousePress(from.viewport(), Qt::LeftButton, {}, start);
    QTest::mouseMove(from.viewport(), start + QPoint(1, 0));  // the list now waits for the drag distance
    release.start(0);
    guard.start(10000);
    QTest::mouseMove(from.viewport(), start + QPoint(QApplication::startDragDistance() + 2, 0));
    if (release.isActive())  // no drag started: let go of the button anyway
        QTest::mouseRelease(from.viewport(), Qt::LeftButton, {}, start);
    QCoreApplication::sendPostedEvents(&form, QEvent::MetaCall);
    return releasedWhileDragging;
}

} // namespace

TEST(UploaderFormTest, ConnectsListsSendsAndFollowsTheRules)
{
    auto server = StartPyftpdlib();
    if (!server->process->Started())
        GTEST_SKIP() << server->process->Failure().toStdString() << " (Debian package python3-pyftpdlib)";
    TempDir home, local;
    WriteFileBytes(local.file("index.htm"), "<p>index</p>\n");
    WriteFileBytes(local.file("about.htm"), "<p>about</p>\n");
    const SettingsFile settings(home.fileStd("orla.ini"));
    WriteSite(0, FtpSite{"Test", "127.0.0.1:" + QString::number(server->port), server->user, server->password,
                         "pub", false}, settings);
    WriteSelectedSite(0, settings);
    WriteAdvancedFtp({10, 1, true, true}, settings);
    WriteUploadFiles({local.file("about.htm")}, settings);

    MsgBoxScript::Scope scope;
    TForm4 form(nullptr, settings);
    form.show();
    EXPECT_EQ(form.windowTitle(), "HTML Vesk FTP Uploader");
    EXPECT_TRUE(Enabled(form, "ConnectBtn"));
    for (const char* name : {"RemoteUp", "RemoteRefresh", "Download", "Upload", "UploadBinBtn"})
        EXPECT_FALSE(Enabled(form, name)) << name;

    EXPECT_FALSE(form.Animation()->isVisible());
    MsgBoxScript::Push(kMrOk);
    form.ConnectClick();
    EXPECT_FALSE(form.Animation()->isVisible());  // idle again
    EXPECT_FALSE(form.Animation()->Play());
    ASSERT_TRUE(form.Connected()) << (MsgBoxScript::Calls().isEmpty() ? "" : MsgBoxScript::Calls().back().text.toStdString());
    EXPECT_EQ(MsgBoxScript::Calls().size(), 1);
    // The site asks for TLS if available; this server has none, and the status says so.
    EXPECT_EQ(form.StatusText(), "Ready - not encrypted: the server does not offer TLS");
    for (const char* name : {"RemoteUp", "RemoteRefresh", "Upload", "UploadBinBtn"})
        EXPECT_TRUE(Enabled(form, name)) << name;
    EXPECT_FALSE(Enabled(form, "Download"));

    ASSERT_TRUE(form.LocalList()->SetDirectory(local.path()));
    Select(*form.LocalList(), "index.htm");
    form.UploadSelected();
    EXPECT_EQ(ReadFileBytes(server->root->file("pub/index.htm")), "<p>index</p>\n");
    EXPECT_EQ(Captions(*form.RemoteList()), QStringList{"index.htm"});
    EXPECT_EQ(form.findChild<QProgressBar*>("ProgressBar")->value(), 0);  // the listing after it does not move it
    Select(*form.RemoteList(), "index.htm");
    EXPECT_TRUE(Enabled(form, "Download"));
    EXPECT_TRUE(Enabled(form, "RemoteRename"));

    // The bin goes up; Yes empties it and its button follows.
    MsgBoxScript::Push(kMrYes);
    form.UploadBinClick();
    EXPECT_EQ(Captions(*form.RemoteList()), QStringList({"about.htm", "index.htm"}));
    EXPECT_EQ(MsgBoxScript::Calls().back().caption, "Empty Upload Bin?");
    EXPECT_TRUE(ReadUploadFiles(settings).isEmpty());
    EXPECT_FALSE(Enabled(form, "UploadBinBtn"));

    // The proposal skips the taken name; the folder comes first.
    MsgBoxScript::Push(kMrOk);
    form.RemoteNewDir();
    EXPECT_EQ(MsgBoxScript::Calls().back().text, "NewDir");
    EXPECT_EQ(Captions(*form.RemoteList()), QStringList({"NewDir", "about.htm", "index.htm"}));
    EXPECT_TRUE(QFileInfo(server->root->file("pub/NewDir")).isDir());

    // Drops: only from the other list; local onto remote uploads, remote onto local downloads.
    EXPECT_FALSE(form.AcceptsDrop(form.RemoteList(), form.RemoteList()));
    EXPECT_FALSE(form.AcceptsDrop(form.RemoteList(), nullptr));
    EXPECT_TRUE(form.AcceptsDrop(form.RemoteList(), form.LocalList()));
    EXPECT_TRUE(form.AcceptsDrop(form.LocalList(), form.RemoteList()));
    Select(*form.LocalList(), "about.htm");
    ASSERT_TRUE(form.Drop(form.RemoteList(), form.LocalList()));
    EXPECT_EQ(ReadFileBytes(server->root->file("pub/about.htm")), "<p>about</p>\n");
    TempDir fetched;
    ASSERT_TRUE(form.LocalList()->SetDirectory(fetched.path()));
    Select(*form.RemoteList(), "about.htm");
    // Asked while busy: the animation plays meanwhile.
    WriteFileBytes(fetched.file("about.htm"), "old and longer than the new one");
    form.LocalList()->Refresh();
    bool playing = false;
    MsgBoxScript::PushWhileOpen(kMrYes, [&] { playing = form.Animation()->isVisible() && form.Animation()->Play(); });
    ASSERT_TRUE(form.Drop(form.LocalList(), form.RemoteList()));
    EXPECT_EQ(MsgBoxScript::Calls().back().caption, "Overwrite File?");
    EXPECT_TRUE(playing);
    // A page comes in ASCII mode, which the server sends with CR LF line ends.
    EXPECT_EQ(ReadFileBytes(fetched.file("about.htm")).replace("\r\n", "\n"), "<p>about</p>\n");
    // No continues a download that stopped part-way from where it stopped
    // (a binary file: servers refuse to resume in ASCII mode).
    WriteFileBytes(server->root->file("pub/logo.gif"), "GIF89a and the rest");
    form.RemoteRefresh();
    WriteFileBytes(fetched.file("logo.gif"), "GIF89a");
    form.LocalList()->Refresh();
    Select(*form.RemoteList(), "logo.gif");
    MsgBoxScript::Push(kMrNo);
    ASSERT_TRUE(form.Drop(form.LocalList(), form.RemoteList()));
    EXPECT_EQ(MsgBoxScript::Calls().back().caption, "Overwrite File?");
    EXPECT_EQ(ReadFileBytes(fetched.file("logo.gif")), "GIF89a and the rest");
    QFile::remove(server->root->file("pub/logo.gif"));
    form.RemoteRefresh();
    ASSERT_TRUE(form.LocalList()->SetDirectory(local.path()));

    // Renames end when the edit does; a taken name is refused and restored.
    Select(*form.RemoteList(), "index.htm");
    form.RemoteList()->selectedItems().front()->setText("home.htm");
    EXPECT_TRUE(QFile::exists(server->root->file("pub/home.htm")));
    EXPECT_FALSE(QFile::exists(server->root->file("pub/index.htm")));
    form.RemoteList()->selectedItems().front()->setText("about.htm");
    EXPECT_EQ(MsgBoxScript::Calls().back().caption, "Error Renaming File");
    EXPECT_EQ(form.RemoteList()->selectedItems().front()->text(), "home.htm");
    EXPECT_TRUE(QFile::exists(server->root->file("pub/home.htm")));
    Select(*form.LocalList(), "index.htm");
    form.LocalList()->selectedItems().front()->setText("start.htm");
    EXPECT_TRUE(QFile::exists(local.file("start.htm")));
    EXPECT_EQ(Captions(*form.LocalList()), QStringList({"about.htm", "start.htm"}));

    // An entry gone behind the window's back: one FTP Error, the session ends.
    QFile::remove(server->root->file("pub/about.htm"));
    Select(*form.RemoteList(), "about.htm");
    form.RemoteDelete();
    EXPECT_EQ(MsgBoxScript::Calls().back().caption, "FTP Error");
    EXPECT_TRUE(MsgBoxScript::Calls().back().text.endsWith("\r\rYou will need to Reconnect."));
    EXPECT_FALSE(form.Connected());
    EXPECT_FALSE(Enabled(form, "Download"));
    EXPECT_FALSE(Enabled(form, "RemoteRefresh"));
    EXPECT_TRUE(Enabled(form, "ConnectBtn"));
    form.close();
}

// The lists' own drags, started and ended by the mouse, carry a file each way.
TEST(UploaderFormTest, DragsAFileEachWayBetweenTheListsWithTheMouse)
{
    // Offscreen Qt has no drag at all (QDrag::exec returns at once, and no
    // drop can come from it), so the test runs again on X, on a display of its own.
    if (QGuiApplication::platformName() != "xcb") {
        PrivateDisplay display;
        if (!display.Started())
            GTEST_SKIP() << display.Failure().toStdString() << " (Debian package xvfb)";
        const PrivateDisplay::Run run = display.RunCurrentTest();
        if (run.outcome == PrivateDisplay::Run::Skipped)
            GTEST_SKIP() << run.output.toStdString();
        EXPECT_EQ(run.outcome, PrivateDisplay::Run::Passed) << run.output.toStdString();
        return;
    }
    auto server = StartPyftpdlib();
    if (!server->process->Started())
        GTEST_SKIP() << server->process->Failure().toStdString() << " (Debian package python3-pyftpdlib)";
    TempDir home, local, fetched;
    WriteFileBytes(local.file("page.htm"), "<p>page</p>\n");
    WriteFileBytes(server->root->file("pub/logo.gif"), "GIF89a and the rest");
    const SettingsFile settings(home.fileStd("orla.ini"));
    WriteSite(0, FtpSite{"Test", "127.0.0.1:" + QString::number(server->port), server->user, server->password,
                         "pub", false}, settings);
    WriteSelectedSite(0, settings);
    MsgBoxScript::Scope scope;
    TForm4 form(nullptr, settings);
    form.show();
    MsgBoxScript::Push(kMrOk);
    form.ConnectClick();
    ASSERT_TRUE(form.Connected());
    const qsizetype messages = MsgBoxScript::Calls().size();

    ASSERT_TRUE(form.LocalList()->SetDirectory(local.path()));
    ASSERT_TRUE(DragEntry(form, *form.LocalList(), "page.htm", *form.RemoteList()));
    EXPECT_EQ(ReadFileBytes(server->root->file("pub/page.htm")), "<p>page</p>\n");
    EXPECT_EQ(Captions(*form.RemoteList()), QStringList({"logo.gif", "page.htm"}));

    ASSERT_TRUE(form.LocalList()->SetDirectory(fetched.path()));
    // Shift asks for a move: the lists only ever copy, so the entry stays.
    ASSERT_TRUE(DragEntry(form, *form.RemoteList(), "logo.gif", *form.LocalList(), Qt::ShiftModifier));
    EXPECT_EQ(ReadFileBytes(fetched.file("logo.gif")), "GIF89a and the rest");
    EXPECT_EQ(Captions(*form.RemoteList()), QStringList({"logo.gif", "page.htm"}));
    EXPECT_EQ(Captions(*form.LocalList()), QStringList{"logo.gif"});
    EXPECT_EQ(MsgBoxScript::Calls().size(), messages);  // no error on the way
    form.close();
}

// Local Delete moves a file to the desktop's trash, so a slip of the mouse
// loses nothing; a folder that is not empty stays.
TEST(UploaderFormTest, LocalDeleteMovesFilesToTheTrashAndKeepsFoldersThatAreNotEmpty)
{
    TempDir home, local, data;
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    WriteFileBytes(local.file("page.htm"), "<p>kept</p>");
    QDir(local.path()).mkpath("full");
    WriteFileBytes(local.file("full/inside.htm"), "x");
    const SettingsFile settings(home.fileStd("orla.ini"));
    MsgBoxScript::Scope scope;
    TForm4 form(nullptr, settings);
    ASSERT_TRUE(form.LocalList()->SetDirectory(local.path()));

    Select(*form.LocalList(), "page.htm");
    form.LocalDelete();
    EXPECT_FALSE(QFile::exists(local.file("page.htm")));
    EXPECT_EQ(ReadFileBytes(data.file("Trash/files/page.htm")), "<p>kept</p>");

    MsgBoxScript::Push(kMrOk);
    Select(*form.LocalList(), "full");
    form.LocalDelete();
    EXPECT_EQ(MsgBoxScript::Calls().back().caption, "Directory Could Not Be Removed Error");
    EXPECT_TRUE(QFile::exists(local.file("full/inside.htm")));
    if (oldData.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", oldData);
}

TEST(UploaderFormTest, TheMainWindowOpensItAndThePreferencesKeepItsSitesInStep)
{
    ScopedProgramFolder home;
    MsgBoxScript::Scope scope;
    THTMLVeskMain window;
    TForm4& form = *window.Entry<TUploaderEntry>()->Window();
    TForm2& prefs = *window.Entry<TPreferencesEntry>()->Window();
    auto* chooser = form.findChild<QComboBox*>("SiteBox");
    ASSERT_NE(chooser, nullptr);

    window.Action("Uploader1")->trigger();
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.isModal());
    EXPECT_FALSE(Enabled(form, "ConnectBtn"));  // no site yet
    form.close();

    prefs.NewSiteClick();
    prefs.NewSiteClick();
    EXPECT_EQ(chooser->count(), 2);
    EXPECT_EQ(chooser->currentIndex(), 1);
    EXPECT_TRUE(Enabled(form, "ConnectBtn"));
    chooser->setCurrentIndex(0);
    EXPECT_EQ(prefs.SelectedSite(), 0);

    // Emptying the bin after sending it saves every preference the dialog holds.
    prefs.SelectSite(0);
    prefs.SiteNameEdit->setText("Renamed in the dialog");  // held by the dialog, not yet written
    ASSERT_NE(ReadSite(0).siteLabel, "Renamed in the dialog");
    prefs.BinList->addItem("/nonexistent/page.htm");
    ASSERT_EQ(form.findChild<QPushButton*>("UploadBinBtn")->isEnabled(), false);  // not connected
    form.Session().Abort();
    MsgBoxScript::Push(kMrYes);
    form.UploadBinClick();
    EXPECT_EQ(MsgBoxScript::Calls().back().caption, "Empty Upload Bin?");
    EXPECT_EQ(prefs.BinList->count(), 0);
    EXPECT_EQ(prefs.BinCount->text(), "No Files Entered");
    EXPECT_EQ(ReadSite(0).siteLabel, "Renamed in the dialog");
    EXPECT_TRUE(ReadUploadFiles().isEmpty());

    // The save prompt's last step opens it.
    TVeskMemoFile* editor = window.CurrentEditor();
    editor->SetTextBuf("text");
    for (int answer : {kMrNo, kMrNo, kMrNo, kMrNo, kMrNo})  // dates, spelling, validate, save, upload bin
        MsgBoxScript::Push(answer);
    MsgBoxScript::Push(kMrYes);
    EXPECT_TRUE(window.SavePrompt(editor));
    EXPECT_EQ(MsgBoxScript::Calls().back().caption, "Run Uploader?");
    EXPECT_EQ(MsgBoxScript::Calls().back().text, "Do you want to upload files now?");
    EXPECT_TRUE(form.isVisible());
    form.close();
}

namespace {

// Answers the real message boxes as they appear, pressing the named buttons
// in order, and keeps the caption and text of each.
class RealBoxAnswers {
public:
    explicit RealBoxAnswers(QStringList buttons) : buttons_(std::move(buttons))
    {
        QObject::connect(&poll_, &QTimer::timeout, [this] { Answer(); });
        poll_.start(5);
    }
    QStringList captions, texts;

private:
    void Answer()
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<TForm9*>(w);
            if (!box || !box->isVisible())
                continue;
            captions << box->windowTitle();
            QStringList words;
            for (QLabel* label : box->findChildren<QLabel*>())
                words << label->text();
            texts << words.join(u'\n');
            const QString wanted = buttons_.isEmpty() ? QString("Cancel") : buttons_.takeFirst();
            for (QPushButton* button : box->findChildren<QPushButton*>())
                if (button->text() == wanted)
                    return button->click();
            box->done(-1);  // no such button: the test fails on what it recorded
        }
    }
    QStringList buttons_;
    QTimer poll_;
};

} // namespace

// A certificate that does not verify is shown in the program's question;
// No leaves the site as it was, Yes keeps the fingerprint with the site and
// connects, and another certificate later is met with a warning.
TEST(UploaderFormTest, TrustsACertificateThroughTheQuestionAndWarnsWhenItChanges)
{
    auto server = StartVsftpdTls({TestCert::SelfSigned});
    if (!server->process)
        GTEST_SKIP() << server->unavailable.toStdString();
    TempDir home;
    const SettingsFile settings(home.fileStd("orla.ini"));
    const QString host = "127.0.0.1:" + QString::number(server->port);
    WriteSite(0, FtpSite{"Secure", host, server->user, server->password, "pub", false, kEncryptionRequired}, settings);
    WriteSelectedSite(0, settings);
    WriteAdvancedFtp({10, 1, true, true}, settings);
    WriteFileBytes(server->root->file("pub/index.htm"), "<p>secure</p>");
    TForm4 form(nullptr, settings);
    form.show();
    {
        RealBoxAnswers answers({"OK", "&No"});
        form.ConnectClick();
        EXPECT_FALSE(form.Connected());
        ASSERT_EQ(answers.captions, QStringList({"Please Connect Now", "Untrusted Certificate"}));
        const QString question = answers.texts[1];
        EXPECT_TRUE(question.contains("Problem: self-signed certificate")) << question.toStdString();
        EXPECT_TRUE(question.contains(Certificates().selfSigned.sha256.left(2).toUpper() + ":")) << question.toStdString();
        EXPECT_TRUE(question.endsWith("Do you want to trust this certificate for this site?"));
        EXPECT_TRUE(ReadSite(0, FtpSite(), settings).certSha256.isEmpty());
    }
    {
        RealBoxAnswers answers({"OK", "&Yes"});
        form.ConnectClick();
        EXPECT_TRUE(form.Connected());
        EXPECT_EQ(answers.captions, QStringList({"Please Connect Now", "Untrusted Certificate"}));
        EXPECT_EQ(ReadSite(0, FtpSite(), settings).certSha256, Certificates().selfSigned.sha256);
        EXPECT_EQ(Captions(*form.RemoteList()), QStringList{"index.htm"});
        form.Session().Abort();
    }
    auto other = StartVsftpdTls({TestCert::Expired});
    ASSERT_TRUE(other->process);
    WriteSite(0, FtpSite{"Secure", "127.0.0.1:" + QString::number(other->port), other->user, other->password, "pub",
                         false, kEncryptionRequired}, settings);
    WriteSiteCertSha256(0, Certificates().selfSigned.sha256, settings);
    RealBoxAnswers answers({"OK", "&No"});
    form.ConnectClick();
    EXPECT_FALSE(form.Connected());
    EXPECT_EQ(answers.captions, QStringList({"Please Connect Now", "Certificate Changed"}));
    EXPECT_TRUE(answers.texts.value(1).contains("WARNING")) << answers.texts.value(1).toStdString();
    EXPECT_EQ(ReadSite(0, FtpSite(), settings).certSha256, Certificates().selfSigned.sha256);
    form.close();
}

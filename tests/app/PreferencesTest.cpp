// The preferences dialog driven through its widgets: the bottom buttons, code lists, programs, preferred
// files, FTP sites, the upload bin, the advanced FTP settings and the desktop switches.
#include "app/AdvancedFtpEntry.h"
#include "app/AdvancedFtpForm.h"
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "app/PreferencesEntry.h"
#include "app/PreferencesForm.h"
#include "platform/ProfileFile.h"
#include "settings/FileLists.h"
#include "settings/FtpSites.h"
#include "settings/ProgramCommands.h"
#include "support/FakeXdg.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QKeySequence>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace vesk {
namespace {

struct Fixture {
    test::ScopedProgramFolder home;
    test::FakeXdg xdg;  // the desktop switches never reach the machine's own files
    MsgBoxScript::Scope script;
    THTMLVeskMain window;
    TForm2& form = *window.Entry<TPreferencesEntry>()->Window();

    // The file as another program would leave it, then the dialog opened on it.
    void Reopen()
    {
        ClearProfileCache();
        form.ReadSettings();
    }
    QStringList Items(const QListWidget* list) const
    {
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        return items;
    }
    QStringList BarCodes(const char* grid) const
    {
        QStringList codes;
        const auto* bar = window.findChild<QTableWidget*>(QString::fromLatin1(grid));
        for (int r = 0; r < bar->rowCount(); ++r)
            for (int c = 0; c < bar->columnCount(); ++c)
                if (bar->item(r, c))
                    codes << bar->item(r, c)->text();
        return codes;
    }
    int FileMode() const
    {
        struct stat st{};
        ::stat(QFile::encodeName(home.file("orla.ini")).constData(), &st);
        return int(st.st_mode & 0777);
    }
};

TEST(Preferences, TheCommandsOpenItOnTheirPageShowingWhatTheFileHoldsNow)
{
    Fixture f;
    const std::pair<const char*, int> commands[] = {{"Preferences1", TForm2::pgPreferences},
                                                    {"ChangeSettings1", TForm2::pgQuickCodes}};
    for (const auto& [command, page] : commands) {
        SCOPED_TRACE(command);
        f.form.SetPageIndex(TForm2::pgValidator);
        ProgramCommands stored;
        stored.browsers[2] = QString::fromLatin1(command);  // written behind the dialog's back
        WriteProgramCommands(stored);
        int shownPage = -1;
        QString shownCommand;
        QTimer::singleShot(0, &f.form, [&]() {
            shownPage = f.form.PageIndex();
            shownCommand = f.form.BrowserEdits[2]->text();
            f.form.CancelBtn->click();
        });
        f.window.Action(command)->trigger();
        EXPECT_EQ(shownPage, page);
        EXPECT_EQ(shownCommand, command);
        EXPECT_FALSE(f.form.isVisible());
    }
}

TEST(Preferences, ApplyIsEnabledByExactlyTheEditsThatCount)
{
    Fixture f;
    struct Case {
        const char* name;
        std::function<void()> edit;
        bool enables;
    };
    const Case cases[] = {
        {"browser field typed", [&]() { QTest::keyClick(f.form.BrowserEdits[1], Qt::Key_X); }, true},
        {"htm switch", [&]() { f.form.HtmCheck->click(); }, true},
        {"backup (fourth closing function)", [&]() { f.form.AutoChecks[3]->click(); }, true},
        {"validate (last closing function)", [&]() { f.form.AutoChecks[6]->click(); }, false},
        {"upload new files", [&]() { f.form.AutoChecks[5]->click(); }, false},
        {"anonymous", [&]() { f.form.AnonymousCheck->click(); }, true},
        {"a code checked", [&]() { f.form.CodeLists[0]->item(0)->setCheckState(Qt::Unchecked); }, false},
        {"viewer Default", [&]() { f.form.ViewerDefaultBtns[0]->click(); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f.Reopen();
        ASSERT_FALSE(f.form.ApplyBtn->isEnabled());
        c.edit();
        EXPECT_EQ(f.form.ApplyBtn->isEnabled(), c.enables);
    }
    // Apply saves what was not counted as a change too, and disables itself.
    f.Reopen();
    f.form.AutoChecks[6]->click();
    f.form.AutoChecks[0]->click();
    f.form.ApplyBtn->click();
    EXPECT_FALSE(f.form.ApplyBtn->isEnabled());
    const AutoCloseOptions saved = ReadAutoClose();
    EXPECT_FALSE(saved.validator);
    EXPECT_FALSE(saved.updater);
}

TEST(Preferences, HelpShowsTheTopicOfThePageShown)
{
    Fixture f;
    int shown = -1;
    f.form.OnHelp = [&](int topic) { shown = topic; };
    const std::pair<int, int> pages[] = {{0, 32}, {3, 35}, {7, 39}, {8, 40}, {9, 42}};
    for (const auto& [page, topic] : pages) {
        f.form.SetPageIndex(page);
        f.form.HelpBtn->click();
        EXPECT_EQ(shown, topic) << "page " << page;
    }
}

TEST(Preferences, EveryAcceleratorShownOnAPageActsOnOneControlOnly)
{
    Fixture f;
    for (int page = 0; page < TForm2::kPageCount; ++page) {
        SCOPED_TRACE(page);
        f.form.SetPageIndex(page);
        QList<QWidget*> controls = f.form.PageControl->currentWidget()->findChildren<QWidget*>();
        controls << f.form.OKBtn << f.form.CancelBtn << f.form.ApplyBtn << f.form.HelpBtn;
        QStringList seen;
        for (QWidget* w : controls) {
            QString text;
            if (auto* label = qobject_cast<QLabel*>(w); label && label->buddy())
                text = label->text();
            else if (auto* button = qobject_cast<QAbstractButton*>(w))
                text = button->text();
            const QKeySequence key = QKeySequence::mnemonic(text);
            if (key.isEmpty())
                continue;
            EXPECT_FALSE(seen.contains(key.toString())) << text.toStdString();
            seen << key.toString();
        }
    }
    // A letter given up on one page comes back on another.
    f.form.SetPageIndex(TForm2::pgUploaderSetup);
    EXPECT_EQ(f.form.ApplyBtn->text(), "Apply");  // "&Anonymous" has the A here
    EXPECT_EQ(f.form.StartUploaderBtn->text(), "Start Uploader");  // "&Site Name:" has the S
    f.form.SetPageIndex(TForm2::pgPreferences);
    EXPECT_EQ(f.form.ApplyBtn->text(), "&Apply");
}

TEST(Preferences, CancelAfterRemovingACodeRestoresItOnThePageAndTheBar)
{
    Fixture f;
    f.window.FillToolBars();
    f.Reopen();
    QListWidget* list = f.form.CodeLists[0];
    const QString first = list->item(0)->text();
    const QString second = list->item(1)->text();
    ASSERT_TRUE(f.BarCodes("StringGrid2").contains(first));

    // OK after a removal takes the code off the bar…
    list->setCurrentRow(0);
    f.form.CodeRemoveBtns[0]->click();
    f.form.OKBtn->click();
    EXPECT_FALSE(f.BarCodes("StringGrid2").contains(first));

    // …Cancel after one keeps it on both.
    f.Reopen();
    ASSERT_EQ(list->item(0)->text(), second);
    list->setCurrentRow(0);
    f.form.CodeRemoveBtns[0]->click();
    EXPECT_FALSE(f.Items(list).contains(second));
    f.form.CancelBtn->click();
    EXPECT_TRUE(f.Items(list).contains(second));
    EXPECT_TRUE(f.BarCodes("StringGrid2").contains(second));
}

TEST(Preferences, AddedCodesGoToTheirSortedPlaceUncheckedAndCancelledAddsNothing)
{
    Fixture f;
    WriteCodeList(kSECodesSection, {{"<B>", kCodeChecked}, {"<I>", kCodeChecked}});
    f.Reopen();
    f.form.InputQuery = [](const QString& title, const QString& prompt) -> std::optional<QString> {
        EXPECT_EQ(title, "Add S/E Codes Item");
        EXPECT_EQ(prompt, "Enter the code to add to S/E Codes.");
        return QStringLiteral("<font color=red>");
    };
    f.form.CodeAddBtns[1]->click();
    EXPECT_EQ(f.Items(f.form.CodeLists[1]), (QStringList{"<B>", "<font color=red>", "<I>"}));
    EXPECT_EQ(f.form.CodeLists[1]->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(f.form.CodeCounts[1]->text(), "2 Checked Items");
    f.form.InputQuery = [](const QString&, const QString&) { return std::optional<QString>(); };
    f.form.CodeAddBtns[1]->click();
    EXPECT_EQ(f.form.CodeLists[1]->count(), 3);
}

TEST(Preferences, AnEmptiedBrowserOrViewerFieldKeepsTheStoredCommand)
{
    Fixture f;
    ProgramCommands stored;
    stored.browsers[1] = QStringLiteral("chromium %1");
    stored.jpgViewer = QStringLiteral("eog");
    WriteProgramCommands(stored);
    f.Reopen();
    for (QLineEdit* field : {f.form.BrowserEdits[1], f.form.ViewerEdits[1]}) {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
    }
    f.form.OKBtn->click();
    f.Reopen();
    EXPECT_EQ(f.form.BrowserEdits[1]->text(), "chromium %1");
    EXPECT_EQ(f.form.ViewerEdits[1]->text(), "eog");
}

TEST(Preferences, TheTenthPreferredFileIsRefusedByBothButtons)
{
    Fixture f;
    QStringList nine;
    for (int i = 0; i < 9; ++i)
        nine << f.home.file(QStringLiteral("p%1.htm").arg(i));
    WritePreferredFiles(nine);
    f.Reopen();
    int dialogs = 0;
    f.form.OpenFileDialog = [&](const QString&) { ++dialogs; return f.home.file("tenth.htm"); };
    for (QPushButton* button : {f.form.PreferredAddBtn, f.form.PreferredCurrentBtn}) {
        MsgBoxScript::Reset();
        button->click();
        ASSERT_EQ(MsgBoxScript::Calls().size(), 1);
        EXPECT_EQ(MsgBoxScript::Calls()[0],
                  (MsgBoxCall{"Too Many Files", "There are already 9 files. Please remove one and try again.",
                              kMbOk, kSoundError}));
        EXPECT_EQ(f.form.PreferredList->count(), 9);
    }
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(f.form.PreferredCount->text(), "9 Preferred Files Entered");
}

TEST(Preferences, AddCurrentPageOnAnUntitledDocumentAnsweredNoAddsNothing)
{
    Fixture f;
    int saves = 0;
    f.form.SaveAs = [&](TVeskMemoFile&) { return ++saves > 0; };
    for (QPushButton* button : {f.form.PreferredCurrentBtn, f.form.BinCurrentBtn}) {
        f.Reopen();
        MsgBoxScript::Reset();
        MsgBoxScript::Push(kMrNo);
        button->click();
        ASSERT_EQ(MsgBoxScript::Calls().size(), 1);
        EXPECT_EQ(MsgBoxScript::Calls()[0].text, "The current page has not been saved.\r\rSave Now?");
        EXPECT_EQ(f.form.PreferredList->count() + f.form.BinList->count(), 0);
        EXPECT_FALSE(f.form.ApplyBtn->isEnabled());
    }
    // Yes but the save dialog cancelled: still nothing.
    MsgBoxScript::Push(kMrYes);
    f.form.BinCurrentBtn->click();
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(f.form.BinList->count(), 0);
    EXPECT_EQ(f.form.BinCount->text(), "No Files Entered");
}

TEST(Preferences, SitesRemovedFromTheEndAndTheMiddleMoveLaterSitesDown)
{
    Fixture f;
    const auto site = [](const char* label, bool anonymous) {
        return FtpSite{label, QStringLiteral("%1.example.org").arg(label), "me", "", "www", anonymous};
    };
    WriteSites({site("a", false), site("b", false), site("c", true), site("d", false)});
    f.Reopen();
    f.form.SiteList->setCurrentRow(1);  // a click on "b"
    f.form.RemoveSiteBtn->click();
    std::vector<FtpSite> sites = ReadSites();
    ASSERT_EQ(sites.size(), 3u);
    EXPECT_EQ(sites[1], site("c", true));  // the Anonymous flag moved with it
    EXPECT_EQ(sites[2], site("d", false));
    EXPECT_EQ(f.Items(f.form.SiteList), (QStringList{"a", "c", "d"}));
    EXPECT_EQ(f.form.SelectedSite(), 1);
    EXPECT_EQ(f.form.HostEdit->text(), "c.example.org");

    f.form.SiteList->setCurrentRow(2);
    f.form.RemoveSiteBtn->click();
    EXPECT_EQ(ReadSites().size(), 2u);
    EXPECT_EQ(f.form.SelectedSite(), 1);  // the new last one
    EXPECT_TRUE(f.form.ApplyBtn->isEnabled());
    // Only the last section went: nothing of "d" is left behind.
    EXPECT_EQ(GetPrivateProfileString("Site2", "SiteLabel", "gone", f.home.file("orla.ini").toStdString()), "gone");
}

TEST(Preferences, AnEmptySiteLabelEndsTheListAndNewWritesAtOnceEvenIfCancelled)
{
    Fixture f;
    WriteSites({{"a", "a.org", "", "", "", true}});
    WriteSite(2, {"c", "c.org", "", "", "", true});  // behind an empty Site1
    f.Reopen();
    EXPECT_EQ(f.Items(f.form.SiteList), QStringList{"a"});

    f.form.NewSiteBtn->click();
    EXPECT_EQ(f.form.SiteNameEdit->text(), "New Site");
    EXPECT_FALSE(f.form.AnonymousCheck->isChecked());
    EXPECT_TRUE(f.form.LoginEdit->isEnabled());
    EXPECT_FALSE(f.form.RemoveSiteBtn->isEnabled());
    f.form.CancelBtn->click();
    const std::vector<FtpSite> sites = ReadSites();
    ASSERT_EQ(sites.size(), 3u);  // the new Site1 joins "c" up again
    EXPECT_EQ(sites[1].siteLabel, "New Site");
    EXPECT_EQ(f.Items(f.form.SiteList), (QStringList{"a", "New Site", "c"}));
}

TEST(Preferences, SaveNeedsNameAndHostAndKeepsPasswordsPrivate)
{
    Fixture f;
    ASSERT_TRUE(f.home.Write("orla.ini", "[Browsers]\n"));
    ::chmod(QFile::encodeName(f.home.file("orla.ini")).constData(), 0644);
    f.Reopen();
    f.form.NewSiteBtn->click();
    f.form.SaveSiteBtn->click();  // no host yet
    ASSERT_EQ(MsgBoxScript::Calls().size(), 1);
    EXPECT_EQ(MsgBoxScript::Calls()[0],
              (MsgBoxCall{"Required Fields Empty", "Site Name and Host Address must be filled in before continuing.",
                          kMbOk, kSoundError}));
    EXPECT_EQ(f.form.PasswordEdit->echoMode(), QLineEdit::Password);
    QTest::keyClicks(f.form.HostEdit, "ftp.example.org");
    QTest::keyClicks(f.form.PasswordEdit, "s3cret");
    f.form.SaveSiteBtn->click();
    EXPECT_EQ(ReadSite(0).password, "s3cret");
    EXPECT_EQ(f.FileMode(), 0600);
    // Fields cleared, Anonymous checked, nothing selected.
    EXPECT_EQ(f.form.SelectedSite(), -1);
    EXPECT_TRUE(f.form.HostEdit->text().isEmpty());
    EXPECT_TRUE(f.form.AnonymousCheck->isChecked());
    EXPECT_FALSE(f.form.SaveSiteBtn->isEnabled());
}

TEST(Preferences, TheEncryptionChoiceIsSavedWithTheSiteBySaveAndByOk)
{
    Fixture f;
    WriteSites({{"a", "a.org", "me", "", "", false}, {"b", "b.org", "me", "", "", false}});
    f.Reopen();
    EXPECT_EQ(f.form.EncryptionCombo->count(), 3);
    f.form.SiteList->setCurrentRow(0);
    EXPECT_EQ(f.form.EncryptionCombo->currentText(), "Use explicit TLS if available");
    f.form.EncryptionCombo->setFocus();
    QTest::keyClick(f.form.EncryptionCombo, Qt::Key_Down);  // the keyboard alone
    EXPECT_EQ(f.form.EncryptionCombo->currentText(), "Require explicit TLS");
    EXPECT_TRUE(f.form.ApplyBtn->isEnabled());
    f.form.SaveSiteBtn->click();
    EXPECT_EQ(ReadSite(0).encryption, kEncryptionRequired);
    EXPECT_EQ(ReadSite(1).encryption, kEncryptionIfAvailable);

    f.Reopen();
    f.form.SiteList->setCurrentRow(1);
    EXPECT_EQ(f.form.EncryptionCombo->currentIndex(), kEncryptionIfAvailable);
    f.form.SiteList->setCurrentRow(0);
    EXPECT_EQ(f.form.EncryptionCombo->currentIndex(), kEncryptionRequired);
    QTest::keyClick(f.form.EncryptionCombo, Qt::Key_Down);
    f.form.OKBtn->click();
    EXPECT_EQ(ReadSite(0).encryption, kEncryptionPlain);
}

// The uploader writes a site's trusted fingerprint while the dialog may be
// open; the dialog never edits it, but drops it with the host it was for.
TEST(Preferences, ATrustedFingerprintOutlivesSavesAndRemovalsButNotAHostChange)
{
    Fixture f;
    const auto site = [](const char* label) { return FtpSite{label, QString(label) + ".org", "me", "", "", false}; };
    WriteSites({site("a"), site("b"), site("c")});
    WriteSiteCertSha256(2, "cc");
    f.Reopen();
    f.form.SiteList->setCurrentRow(1);
    WriteSiteCertSha256(1, "AA:BB");  // trusted in the uploader meanwhile
    EXPECT_EQ(f.form.SiteFields().certSha256, "AA:BB");
    QTest::keyClicks(f.form.DirectoryEdit, "www");
    f.form.ApplyBtn->click();
    EXPECT_EQ(ReadSite(1).remoteDirectory, "www");
    EXPECT_EQ(ReadSite(1).certSha256, "AA:BB");

    f.form.SiteList->setCurrentRow(0);
    f.form.RemoveSiteBtn->click();
    EXPECT_EQ(ReadSite(0).certSha256, "AA:BB");
    EXPECT_EQ(ReadSite(1).certSha256, "cc");

    f.form.SiteList->setCurrentRow(0);
    f.form.HostEdit->clear();
    QTest::keyClicks(f.form.HostEdit, "elsewhere.org");
    EXPECT_EQ(f.form.SiteFields().certSha256, "");  // the uploader must not take it for the new host
    f.form.SaveSiteBtn->click();
    EXPECT_EQ(ReadSite(0).hostName, "elsewhere.org");
    EXPECT_EQ(ReadSite(0).certSha256, "");
    EXPECT_EQ(ReadSite(1).certSha256, "cc");
}

TEST(Preferences, TheUploadBinTakesAllCapitalNamesInLowerCaseWhereTheDiskAgrees)
{
    Fixture f;
    test::TempDir dir;
    // The same file under both names, as a case-insensitive volume shows it.
    test::WriteFileBytes(dir.file("INDEX.HTM"), "x");
    ASSERT_EQ(::link(QFile::encodeName(dir.file("INDEX.HTM")).constData(),
                     QFile::encodeName(dir.file("index.htm")).constData()), 0);
    test::WriteFileBytes(dir.file("PHOTO.JPG"), "x");  // only this name exists
    test::WriteFileBytes(dir.file("Mixed.HTM"), "x");
    QString chosen;
    f.form.OpenFileDialog = [&](const QString&) { return chosen; };
    for (const char* name : {"INDEX.HTM", "PHOTO.JPG", "Mixed.HTM"}) {
        chosen = dir.file(QString::fromLatin1(name));
        f.form.BinAddBtn->click();
    }
    EXPECT_EQ(f.form.UploadBin(),
              (QStringList{dir.file("index.htm"), dir.file("PHOTO.JPG"), dir.file("Mixed.HTM")}));
    EXPECT_EQ(f.form.BinCount->text(), "3 Files Entered");
    f.form.BinList->setCurrentRow(0);
    f.form.BinRemoveBtn->click();
    f.form.BinList->setCurrentRow(0);
    f.form.BinRemoveBtn->click();
    EXPECT_EQ(f.form.BinCount->text(), "1 File Entered");
    EXPECT_FALSE(f.form.BinRemoveBtn->isEnabled());
}

TEST(Preferences, TheSavePromptAddsAPageToTheBinOnceAndSavesIt)
{
    Fixture f;
    const QString page = f.home.file("page.htm");
    test::WriteFileBytes(page, "<p>x</p>");
    TVeskMemoFile* editor = f.window.CurrentEditor();
    editor->SetFileName(page);
    editor->SetTextBuf("<p>y</p>");
    WriteAutoClose({false, false, false, false, false, true, false});  // only "Add File to Upload List"
    f.Reopen();
    MsgBoxScript::Push(kMrYes);
    EXPECT_TRUE(f.window.SavePrompt(editor));
    ASSERT_EQ(MsgBoxScript::Calls().size(), 1);
    EXPECT_EQ(MsgBoxScript::Calls()[0],
              (MsgBoxCall{"Add to Upload Bin?", "Do you want add page.htm to the Upload Bin?", kMbYesNoCancel,
                          kSoundInformation}));
    ClearProfileCache();
    EXPECT_EQ(ReadUploadFiles(), QStringList{page});
    // Already in the bin: not offered again.
    MsgBoxScript::Reset();
    EXPECT_TRUE(f.window.SavePrompt(editor));
    EXPECT_TRUE(MsgBoxScript::Calls().isEmpty());
}

TEST(Preferences, AdvancedFtpSettingsOkCancelAndDefault)
{
    Fixture f;
    TForm10& adv = *f.window.Entry<TAdvancedFtpEntry>()->Window();
    EXPECT_EQ(adv.TimeoutEdit->minimum(), 1);
    EXPECT_EQ(adv.TimeoutEdit->maximum(), 32766);
    adv.TimeoutEdit->setValue(30);
    adv.ShareModeBox->setCurrentIndex(4);
    adv.PassiveCheck->setChecked(true);
    adv.CancelBtn->click();
    adv.ReadSettings();  // what the next opening shows
    EXPECT_EQ(adv.Settings(), AdvancedFtpSettings());

    adv.TimeoutEdit->setValue(30);
    adv.ShareModeBox->setCurrentIndex(4);
    adv.PassiveCheck->setChecked(true);
    adv.OKBtn->click();
    EXPECT_EQ(ReadAdvancedFtp(), (AdvancedFtpSettings{30, 4, true, true}));
    adv.DefaultBtn->click();
    EXPECT_EQ(adv.Settings(), AdvancedFtpSettings());
    EXPECT_EQ(GetPrivateProfileString("AdvancedFTP", "Timeout", "none", f.home.file("orla.ini").toStdString()), "none");

    // Hand-edited values out of range show what can be shown.
    WritePrivateProfileString("AdvancedFTP", "Timeout", "99999999", f.home.file("orla.ini").toStdString());
    WritePrivateProfileString("AdvancedFTP", "ShareMode", "-3", f.home.file("orla.ini").toStdString());
    adv.ReadSettings();
    EXPECT_EQ(adv.TimeoutEdit->value(), 32766);
    EXPECT_EQ(adv.ShareModeBox->currentIndex(), 1);
}

TEST(Preferences, ASettingsFileFullOfNonsenseOpensAndShowsWhatItCan)
{
    Fixture f;
    std::string text = "[SiteList]\nSelectedSite=99999\n[OpenPreferredMenu]\n0=/a.htm\n1=\n2=/c.htm\n"
                       "[Browsers]\nBrowser2=" + std::string(1 << 20, 'b') + "\n";
    for (int i = 0; i < 10000; ++i)
        text += "[Site" + std::to_string(i) + "]\nSiteLabel=s" + std::to_string(i) + "\n";
    ASSERT_TRUE(f.home.Write("orla.ini", QByteArray::fromStdString(text)));
    f.Reopen();
    EXPECT_EQ(f.form.SiteList->count(), 10000);
    EXPECT_EQ(f.form.SelectedSite(), -1);
    EXPECT_FALSE(f.form.RemoveSiteBtn->isEnabled());
    EXPECT_EQ(f.Items(f.form.PreferredList), QStringList{"/a.htm"});
    EXPECT_FALSE(f.form.BrowserEdits[1]->text().isEmpty());
    f.form.SiteList->setCurrentRow(9999);
    EXPECT_EQ(f.form.SiteNameEdit->text(), "s9999");
    EXPECT_EQ(f.form.LoginEdit->text(), "anonymous");  // the defaults of a picked site
}

// The desktop's own tool reads what the switch wrote.
TEST(Preferences, XdgMimeSeesTheHtmAssociationComeAndGo)
{
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        GTEST_SKIP() << "xdg-mime (xdg-utils) is not installed";
    Fixture f;
    test::FakeXdg::WriteDesktop(f.xdg.dataHomeApps(), "firefox.desktop", "firefox %u", "MimeType=text/html;\n");
    test::FakeXdg::Write(f.xdg.configHome() + "/mimeapps.list", "[Default Applications]\ntext/html=firefox.desktop\n");
    const auto query = [&]() {
        QProcess p;
        p.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
        EXPECT_TRUE(p.waitForFinished(30000));
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    };
    ASSERT_EQ(query(), "firefox.desktop");
    f.Reopen();
    f.form.HtmCheck->click();
    f.form.OKBtn->click();
    EXPECT_EQ(query(), "htmlvesk.desktop");
    f.Reopen();
    EXPECT_TRUE(f.form.HtmCheck->isChecked());
    f.form.HtmCheck->click();
    f.form.OKBtn->click();
    EXPECT_EQ(query(), "firefox.desktop");
}

} // namespace
} // namespace vesk

// The configuration dialog: dictionaries added, removed and ordered; options; leaving with or without saving.
#include "SpellTestUtil.h"

#include "platform/ProfileFile.h"
#include "spell/ConfigDialog.h"
#include "spell/SpellMessageBox.h"
#include "spell/StandardDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace vesk {
namespace {

QStringList Rows(QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text() + (list->item(i)->checkState() == Qt::Checked ? "+" : "-");
    return out;
}

// An engine whose configuration names no dictionary, and a second dictionary to add.
struct Empty : test::SpellBench {
    Empty() : SpellBench({"the", "cat"})
    {
        test::WriteDictionary(dir.file("other.dct"), {"dog"});
        WritePrivateProfileString("spellchk", "ID", "yes", dir.fileStd("SPELLCHK.CFG"));
        engine.OpenDictionaries();
    }
    StandardDialogScript::Scope dialogs;
};

TEST(ConfigDialog, TheFirstMainDictionaryIsPutInUseAndLeavingAfterAChangeAsks)
{
    Empty bench;
    TConfigDialog d(bench.engine, nullptr);
    d.show();
    EXPECT_EQ(d.windowTitle(), "Spell Check Configuration");
    TDictSheet& sheet = *d.DictSheet();
    StandardDialogScript::PushFile(bench.dir.file("english.dct"));
    StandardDialogScript::PushFile(bench.dir.file("other.dct"));
    StandardDialogScript::PushFile(bench.dir.file("SPELLCHK.CFG"));  // not a dictionary
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(sheet.Button("MainAdd"), Qt::LeftButton);
    EXPECT_EQ(Rows(sheet.Mains()), (QStringList{"Test+", "Test-"}));
    EXPECT_EQ(StandardDialogScript::Calls()[0].title, "Open Main Dictionary");
    EXPECT_EQ(StandardDialogScript::Calls()[0].text, "Dictionary Files (*.dct)");
    ASSERT_EQ(StandardDialogScript::Texts().size(), 1);
    EXPECT_TRUE(StandardDialogScript::Texts()[0].contains(bench.dir.file("SPELLCHK.CFG")));
    EXPECT_TRUE(d.Changed());

    // A listed dictionary whose file has gone is not put in use: the user is told why.
    ASSERT_TRUE(QFile::remove(bench.dir.file("other.dct")));
    sheet.Mains()->item(1)->setCheckState(Qt::Checked);
    EXPECT_EQ(Rows(sheet.Mains()), (QStringList{"Test+", "Test-"}));
    EXPECT_FALSE(d.Configuration().mains[1].inUse);
    ASSERT_EQ(StandardDialogScript::Texts().size(), 2);
    EXPECT_TRUE(StandardDialogScript::Texts()[1].startsWith("This dictionary file could not be\nlocated."));
    EXPECT_TRUE(StandardDialogScript::Texts()[1].endsWith(bench.dir.file("other.dct")));

    // The second moves to the top; removing the top selects the one now there.
    QTest::mouseClick(sheet.Button("MainUp"), Qt::LeftButton);
    EXPECT_EQ(d.Configuration().mains[0].path, bench.dir.file("other.dct"));
    QTest::mouseClick(sheet.Button("MainRemove"), Qt::LeftButton);
    EXPECT_EQ(Rows(sheet.Mains()), QStringList{"Test+"});
    EXPECT_EQ(sheet.Mains()->currentRow(), 0);

    // Cancel asks; No keeps the dialog, Yes leaves without saving.
    StandardDialogScript::ClearCalls();
    StandardDialogScript::PushButton(QMessageBox::No);
    QTest::mouseClick(d.CancelButton(), Qt::LeftButton);
    EXPECT_TRUE(d.isVisible());
    StandardDialogScript::PushButton(QMessageBox::Yes);
    d.close();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(StandardDialogScript::Texts(),
              (QStringList{"Exit without saving configuration?", "Exit without saving configuration?"}));
    EXPECT_EQ(GetPrivateProfileString("spellchk", "U_MU_DCT_ListCount", "", bench.dir.fileStd("SPELLCHK.CFG")), "");
}

TEST(ConfigDialog, OkSavesAndTheOptionsPageShowsTheVisibleOptions)
{
    Empty bench;
    TConfigDialog d(bench.engine, nullptr);
    d.show();
    // Only the engine's visible options, in their groups; empty groups are left out.
    TSpellOptionsSheet& options = *d.OptionsSheet();
    for (TSpellOption shown : {soUpcase, soNumbers, soHTML, soInternet, soRecheck})
        EXPECT_TRUE(options.Box(shown)) << shown;
    for (TSpellOption hidden : {soQuoted, soAutoSuggest, soPrimaryOnly, soRepeated, soDualCaps, soUser1})
        EXPECT_FALSE(options.Box(hidden)) << hidden;
    EXPECT_FALSE(options.findChild<QGroupBox*>(QStringLiteral("SuggestionsGroup")));
    EXPECT_EQ(options.Box(soNumbers)->text(), "Words Containing &Numbers");
    EXPECT_FALSE(d.Changed());
    options.Box(soNumbers)->click();
    EXPECT_TRUE(d.Changed());

    // A new user dictionary is listed (lower case, no folder), in use and selected.
    TDictSheet& sheet = *d.DictSheet();
    StandardDialogScript::PushFile(bench.dir.file("Mine.udt"));
    QTest::mouseClick(sheet.Button("UserNew"), Qt::LeftButton);
    EXPECT_EQ(StandardDialogScript::Calls().back().title, "New User Dictionary");
    EXPECT_EQ(Rows(sheet.Users()), QStringList{"mine.udt+"});
    EXPECT_EQ(sheet.Users()->currentRow(), 0);
    sheet.AddWordsTo()->setCurrentIndex(0);
    StandardDialogScript::PushFile(bench.dir.file("english.dct"));
    QTest::mouseClick(sheet.Button("MainAdd"), Qt::LeftButton);

    QTest::mouseClick(d.OkButton(), Qt::LeftButton);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(StandardDialogScript::Texts().isEmpty());
    const std::string cfg = bench.dir.fileStd("SPELLCHK.CFG");
    EXPECT_EQ(GetPrivateProfileString("spellchk", "U_MU_DCT_0", "", cfg), "Tenglish.dct");
    EXPECT_EQ(GetPrivateProfileString("spellchk", "U_DCT_0", "", cfg), "TMine.udt");
    EXPECT_EQ(GetPrivateProfileString("spellchk", "UserIndex", "", cfg), "0");
    EXPECT_EQ(GetPrivateProfileString("spellchk", "soNumbers", "", cfg), "yes");
    EXPECT_TRUE(bench.engine.OpenDictionaries());
    EXPECT_EQ(bench.engine.MainDictionaries().size(), 1u);
}

TEST(ConfigDialog, ACheckWithoutAMainDictionaryOffersTheDialogAndThenChecks)
{
    Empty bench;
    UseStandardMessageBoxes(bench.engine, nullptr);
    bench.engine.OnConfigure = [](TSpellChecker& e) { return RunConfigDialog(e, nullptr); };
    // Yes to the question; then, in the dialog, add english.dct and press OK.
    StandardDialogScript::PushButton(QMessageBox::Yes, [&] {
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<TConfigDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(d);
            StandardDialogScript::PushFile(bench.dir.file("english.dct"));
            QTest::mouseClick(d->DictSheet()->Button("MainAdd"), Qt::LeftButton);
            QTest::mouseClick(d->OkButton(), Qt::LeftButton);
        });
    });
    EXPECT_EQ(bench.Run("the cat zork"), std::vector<test::TStopSeen>{{"zork"}});
    EXPECT_EQ(StandardDialogScript::Texts().front(),
              "A main dictionary has yet to be\nset for this configuration.\n\nEdit configuration?");
}

} // namespace
} // namespace vesk

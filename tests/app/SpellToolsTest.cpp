// The spell checker and the thesaurus in the main window, driven through their real windows.
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "app/SpellEntry.h"
#include "app/ThesaurusEntry.h"
#include "platform/ProfileFile.h"
#include "settings/SettingsSections.h"
#include "spell/SpellDialog.h"
#include "spell/StandardDialogs.h"
#include "spell/ThesaurusDialog.h"
#include "support/TempDir.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace vesk {
namespace {

struct Fixture {
    Fixture()
    {
        AutoCloseOptions options;
        options.updater = options.validator = options.saveChanges = options.addToUploadBin = options.runUploader = false;
        WriteAutoClose(options);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        Spell().SetBackgroundSuggestions(false);
    }
    TSpellChecker& Spell() { return window.Entry<TSpellEntry>()->Engine(); }
    TVeskMemoFile& Editor() { return *window.CurrentEditor(); }
    std::string Text() { return Editor().GetTextPart(0, Editor().CharCount()); }
    // The stopped word's rectangle on the screen.
    QRect WordOnScreen()
    {
        return Editor().SelectionRect().translated(Editor().viewport()->mapToGlobal(QPoint(0, 0)));
    }
    test::ScopedProgramFolder home;
    MsgBoxScript::Scope msgBoxes;
    StandardDialogScript::Scope dialogs;
    THTMLVeskMain window;
};

void Click(QWidget* w)
{
    ASSERT_TRUE(w && w->isEnabled()) << (w ? w->objectName().toStdString() : "null");
    QTest::mouseClick(w, Qt::LeftButton);
}

void ClickItem(QListWidget* list, const QString& text)
{
    const auto found = list->findItems(text, Qt::MatchExactly);
    ASSERT_FALSE(found.isEmpty()) << text.toStdString();
    list->scrollToItem(found.front());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.front()).center());
}

TEST(SpellDialog, AFullCheckOfAPageDrivenByItsButtons)
{
    Fixture f;
    f.Spell().SetWaitForCompletion(false);  // the test clicks while the check waits
    f.Editor().SetTextBuf("<p>teh cat and teh dog.</p>\r\n<p>A dgo saw zork and zork.</p>\r\n"
                          "<p>We like qwerk. Then hte cat met blorf at home.</p>");
    f.window.Action("SpellBtn")->trigger();
    TSpellDialog* d = CurrentSpellDialog();
    ASSERT_TRUE(d && d->isVisible());
    auto at = [&](const char* word) {
        EXPECT_EQ(d->NotFound()->text().toStdString(), word);
        EXPECT_EQ(f.Editor().SelText(), word);
        EXPECT_EQ(d->ErrorLabel()->text(), "Not Found:");
        EXPECT_TRUE(d->ErrorLabel()->isEnabled());
        EXPECT_FALSE(d->frameGeometry().intersects(f.WordOnScreen())) << word;
        EXPECT_FALSE(f.Editor().HideSelection());
    };

    at("teh");
    // Nothing to change to yet; Suggest is for when suggestions are not automatic.
    for (int off : {saChange, saChangeAll, saAutoCorrect, saSuggest, saUndoLast})
        EXPECT_FALSE(d->Button(off)->isEnabled()) << off;
    for (int on : {saIgnore, saIgnoreAll, saAdd, saStart, saOptions, saCancel})
        EXPECT_TRUE(d->Button(on)->isEnabled()) << on;
    QTest::keyClicks(d->WordEdit(), "the");
    EXPECT_TRUE(d->Button(saChange)->isEnabled());
    Click(d->Button(saChangeAll));  // the second "teh" goes without a stop

    at("dgo");
    EXPECT_TRUE(d->Button(saUndoLast)->isEnabled());
    ClickItem(d->SuggestBox(), "dog");
    EXPECT_EQ(d->WordEdit()->text(), "dog");
    Click(d->Button(saChange));

    at("zork");
    Click(d->Button(saIgnoreAll));  // the second "zork" passes

    at("qwerk");
    Click(d->Button(saAdd));

    at("hte");
    Click(d->Button(saUndoLast));  // back to "qwerk", no longer added
    at("qwerk");
    Click(d->Button(saAdd));

    at("hte");
    QTest::keyClicks(d->WordEdit(), "the");
    Click(d->Button(saAutoCorrect));

    at("blorf");
    Click(d->Button(saCancel));
    EXPECT_FALSE(f.Spell().Checking());
    EXPECT_TRUE(StandardDialogScript::Texts().isEmpty()) << "no end message after Cancel";
    EXPECT_TRUE(f.Editor().HideSelection());
    EXPECT_EQ(f.Text(), "<p>the cat and the dog.</p>\r\n<p>A dog saw zork and zork.</p>\r\n"
                        "<p>We like qwerk. Then the cat met blorf at home.</p>");
    const std::string udt = f.home.file("default.udt").toStdString();
    EXPECT_EQ(GetPrivateProfileString("Added", "IGN_ListCount", "", udt), "1");
    EXPECT_EQ(GetPrivateProfileString("Added", "IGN_0", "", udt), "qwerk");
    EXPECT_EQ(GetPrivateProfileString("Auto Correct", "AC_0", "", udt), "hte@@@the");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(CurrentSpellDialog(), nullptr);
}

TEST(SpellDialog, StandsAboveTheWordNearTheBottomOfTheScreenAndSaysWhenItLooksFurther)
{
    Fixture f;
    f.Spell().SetWaitForCompletion(false);
    f.Spell().SetBackgroundSuggestions(true);
    QStringList captions;
    f.Spell().OnProcessMessages = [&] {
        if (TSpellDialog* d = CurrentSpellDialog())
            captions << d->windowTitle();
    };
    const QRect screen = f.window.screen()->availableGeometry();
    f.window.setGeometry(screen.left() + 20, screen.bottom() - 300, std::min(700, screen.width() - 40), 260);
    QTest::qWait(20);
    f.Editor().SetTextBuf("<p>one</p>\r\n<p>two</p>\r\n<p>thre</p>\r\n<p>four fiv</p>");
    // Where the second stop's word stands (the text fits the view, so it
    // stays there during the check).
    f.Editor().Select(f.Editor().CharCount() - 7, f.Editor().CharCount() - 4);
    ASSERT_EQ(f.Editor().SelText(), "fiv");
    const QRect second = f.WordOnScreen();
    f.Editor().Select(0, 0);

    f.window.Action("SpellChecker1")->trigger();
    TSpellDialog* d = CurrentSpellDialog();
    ASSERT_TRUE(d && d->isVisible());
    EXPECT_EQ(d->NotFound()->text(), "thre");
    EXPECT_FALSE(d->frameGeometry().intersects(f.WordOnScreen()));
    EXPECT_TRUE(screen.contains(d->frameGeometry()));
    // Background suggestions ran with the caption saying so, and ended.
    EXPECT_TRUE(captions.contains(QStringLiteral("Spell Check ...")));
    EXPECT_EQ(d->windowTitle(), "Spell Check");
    EXPECT_FALSE(d->SuggestBox()->findItems(QStringLiteral("three"), Qt::MatchExactly).isEmpty());

    // The user drags the dialog over the next word; at that stop it moves
    // above the word, as there is no room below it on the screen.
    d->move(second.topLeft() - QPoint(40, 40));
    ASSERT_TRUE(d->frameGeometry().intersects(second));
    Click(d->Button(saIgnore));
    ASSERT_EQ(d->NotFound()->text(), "fiv");
    ASSERT_EQ(f.WordOnScreen(), second);
    EXPECT_EQ(d->frameGeometry().bottom(), second.top() - 3);
    EXPECT_EQ(d->frameGeometry().left(), second.left());
    EXPECT_TRUE(screen.contains(d->frameGeometry()));
    Click(d->Button(saCancel));
}

TEST(SpellDialog, TheSavePromptAsksToCheckSpellingAndChecks)
{
    Fixture f;
    f.Editor().SetTextBuf("<p>A cat and a dog.</p>");
    MsgBoxScript::Push(kMrYes);
    f.window.Action("New1")->trigger();
    ASSERT_EQ(MsgBoxScript::Calls().size(), 1);
    EXPECT_EQ(MsgBoxScript::Calls()[0].caption, "Check Spelling?");
    EXPECT_EQ(MsgBoxScript::Calls()[0].text, "Do you want to check the spelling of Untitled?");
    EXPECT_EQ(MsgBoxScript::Calls()[0].sound, kSoundInformation);
    EXPECT_EQ(StandardDialogScript::Texts().join('|').toStdString(), "Spell Check Complete\n\nWords Checked: 5");
    EXPECT_TRUE(f.Text().empty()) << "the prompt went on to the new document";
}

// Runs the Thesaurus command on the selection; `act` runs once the dialog is
// open. False when no dialog opened.
bool RunThesaurus(Fixture& f, const std::function<void(TThesaurusDialog&)>& act)
{
    TThesaurus& thesaurus = f.window.Entry<TThesaurusEntry>()->Thesaurus();
    bool acted = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!thesaurus.Dialog())
            return;
        acted = true;
        act(*thesaurus.Dialog());
        if (thesaurus.Dialog() && thesaurus.Dialog()->isVisible())
            thesaurus.Dialog()->reject();  // a failed expectation must not leave it open
    });
    timer.start(0);
    f.window.Action("ThesBtn")->trigger();
    return acted;
}

TEST(Thesaurus, HappyReplacedWithGladInsertsGladAndCancelLeavesTheWord)
{
    Fixture f;
    f.Editor().SetTextBuf("Happy day");
    f.Editor().Select(0, 5);
    QRect firstBounds;
    EXPECT_TRUE(RunThesaurus(f, [&](TThesaurusDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Thesaurus Lookup:");
        EXPECT_TRUE(d.windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_EQ(d.WordBox()->text(), "happy");
        ASSERT_GT(d.Meanings()->count(), 1);
        for (int k = 0; k < 4; ++k)
            EXPECT_FALSE(d.Pages()->isTabVisible(k)) << "nothing shown yet";
        // The meaning that lists "glad": adjectives only, so the other pages hide.
        int row = -1;
        for (int r = 0; r < d.Meanings()->count() && row < 0; ++r) {
            EXPECT_TRUE(d.Meanings()->item(r)->text().endsWith(QStringLiteral("  (Adj.)")))
                << d.Meanings()->item(r)->text().toStdString();
            d.ShowMeaning(r);
            if (!d.List(tkAdjective)->findItems(QStringLiteral("glad"), Qt::MatchExactly).isEmpty())
                row = r;
        }
        ASSERT_GE(row, 0);
        ClickItem(d.Meanings(), d.Meanings()->item(row)->text());
        EXPECT_TRUE(d.Pages()->isTabVisible(tkAdjective - 1));
        EXPECT_FALSE(d.Pages()->isTabVisible(tkAdverb - 1));
        EXPECT_FALSE(d.Pages()->isTabVisible(tkNoun - 1));
        EXPECT_EQ(d.Pages()->currentIndex(), tkAdjective - 1);
        EXPECT_EQ(d.TopicBox()->currentText(), d.Meanings()->item(row)->text().section(QStringLiteral("  ("), 0, 0));
        ClickItem(d.List(tkAdjective), QStringLiteral("glad"));
        EXPECT_EQ(d.WordBox()->text(), "glad");
        EXPECT_GT(d.Meanings()->count(), 0);
        EXPECT_NE(d.Meanings()->item(0)->text(), "Not Found.");
        d.move(d.pos() + QPoint(7, 5));
        firstBounds = d.geometry();
        Click(d.ReplaceButton());
    }));
    EXPECT_EQ(f.Text(), "Glad day");

    f.Editor().Select(0, 4);
    EXPECT_TRUE(RunThesaurus(f, [&](TThesaurusDialog& d) {
        EXPECT_EQ(d.geometry(), firstBounds) << "placed where it was left";
        EXPECT_GE(d.TopicBox()->count(), 2) << "the topics of the first run";
        d.WordBox()->setText(QStringLiteral("qzxv"));
        Click(d.LookupButton());
        ASSERT_EQ(d.Meanings()->count(), 1);
        EXPECT_EQ(d.Meanings()->item(0)->text(), "Not Found.");
        Click(d.CancelButton());
    }));
    EXPECT_EQ(f.Text(), "Glad day");
}

TEST(Thesaurus, ASecondStartOnlyBringsTheDialogForward)
{
    Fixture f;
    f.Editor().SetTextBuf("big house");
    f.Editor().Select(0, 3);
    EXPECT_TRUE(RunThesaurus(f, [&](TThesaurusDialog& d) {
        f.Editor().Select(4, 9);
        f.window.Action("Thesaurus1")->trigger();  // returns at once
        EXPECT_EQ(f.window.Entry<TThesaurusEntry>()->Thesaurus().Dialog(), &d);
        EXPECT_EQ(f.window.findChildren<TThesaurusDialog*>().size(), 1);
        EXPECT_EQ(d.WordBox()->text(), "big");
        Click(d.CancelButton());
    }));
    EXPECT_EQ(f.Text(), "big house");
    EXPECT_TRUE(StandardDialogScript::Texts().isEmpty());
}

TEST(Thesaurus, AMissingFileIsAskedForAndThenRefused)
{
    Fixture f;
    ASSERT_TRUE(QFile::remove(f.home.file("THESAUR.THR")));
    f.Editor().SetTextBuf("run");
    f.Editor().SelectAll();
    StandardDialogScript::PushButton(QMessageBox::No);
    EXPECT_FALSE(RunThesaurus(f, [](TThesaurusDialog&) {}));
    EXPECT_EQ(StandardDialogScript::Texts(),
              (QStringList{"The thesaurus file could not be located.\nWould you like to try locating the file yourself?",
                           "Unable to load thesaurus file."}));
    // A damaged file chosen by the user is refused the same way.
    test::TempDir dir;
    ASSERT_TRUE(test::WriteFileBytes(dir.file("broken.thr"), QByteArray(200, '\x7f')));
    StandardDialogScript::ClearCalls();
    StandardDialogScript::PushButton(QMessageBox::Yes);
    StandardDialogScript::PushFile(dir.file("broken.thr"));
    EXPECT_FALSE(RunThesaurus(f, [](TThesaurusDialog&) {}));
    EXPECT_EQ(StandardDialogScript::Texts().last(), "Unable to load thesaurus file.");
    EXPECT_EQ(f.Text(), "run");
}

} // namespace
} // namespace vesk

// The about and tour window's pages and buttons, its link, and the Help
// commands and buttons of the program reaching their help pages.
#include "app/AboutEntry.h"
#include "app/AboutForm.h"
#include "app/ColorProducerEntry.h"
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "app/ValidatorEntry.h"
#include "platform/HelpTopics.h"
#include "platform/HelpWindow.h"
#include "support/FakeXdg.h"
#include "support/TempDir.h"
#include "tools/ColorProducer.h"
#include "validator/ValidatorForm.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QTimer>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

namespace vesk {
namespace {

struct TPageState {
    int page;
    const char* title;
    const char* next;
    bool backVisible;
    bool backEnabled;
};

void ExpectState(const TForm6& form, const TPageState& s)
{
    EXPECT_EQ(form.Page(), s.page);
    EXPECT_EQ(form.PageTitle(form.Page()), s.title);
    EXPECT_EQ(form.NextBtn->text(), s.next) << "page " << s.page;
    EXPECT_EQ(form.BackBtn->isVisible(), s.backVisible) << "page " << s.page;
    EXPECT_EQ(form.Bevel1->isVisible(), s.backVisible) << "page " << s.page;
    EXPECT_EQ(form.BackBtn->isEnabled(), s.backEnabled) << "page " << s.page;
}

TEST(AboutWindow, TheTourStepsThroughEveryPageAndFinishes)
{
    TForm6 form;
    EXPECT_EQ(form.windowTitle(), "About HTML Vesk");
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
    form.Start(TForm6::kFirstTourPage);
    form.show();
    const TPageState forward[] = {
        {1, "Welcome", "&Next >>", true, false},   {2, "Basics", "&Next >>", true, true},
        {3, "Tools", "&Next >>", true, true},      {4, "Codes", "&Next >>", true, true},
        {5, "Uploader", "&Next >>", true, true},   {6, "Automatic", "&Next >>", true, true},
        {7, "Products", "&Finish", true, true},
    };
    for (const TPageState& s : forward) {
        ExpectState(form, s);
        if (s.page != TForm6::kLastPage)
            QTest::mouseClick(form.NextBtn, Qt::LeftButton);
    }
    // Back from the last page restores Next, and stops at page 1.
    for (int i = 7; i > 1; --i)
        QTest::mouseClick(form.BackBtn, Qt::LeftButton);
    ExpectState(form, forward[0]);
    form.BackClick();
    ExpectState(form, forward[0]);
    for (int i = 1; i < 7; ++i)
        form.NextClick();
    ExpectState(form, forward[6]);
    EXPECT_TRUE(form.isVisible());
    QTest::mouseClick(form.NextBtn, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());

    // Texts of their own on every page.
    const QString welcome = form.Notebook1->widget(1)->findChildren<QLabel*>().last()->text();
    EXPECT_TRUE(welcome.contains("HTML Vesk is an editor and set of special tools for HTML Programmers."));
}

TEST(AboutWindow, TheLinkOpensTheAddressWithTheDesktopsHandler)
{
    test::ScopedProgramFolder home;
    test::FakeXdg xdg;
    test::TempDir records;
    MsgBoxScript::Scope script;
    TForm6 form;
    // No handler: the "Execute Error" table tells it, and the cursor is back.
    form.LinkClick();
    EXPECT_EQ(MsgBoxScript::Calls(),
              (QList<MsgBoxCall>{{"Execute Error", "There is no application associated with the given filename extension.",
                                  kMbOk, kSoundError}}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    qputenv("VESK_RECORD_DIR", records.path().toUtf8());
    test::FakeXdg::WriteDesktop(xdg.dataHomeApps(), "web.desktop", QByteArray(VESK_RECORDER_PATH) + " %u",
                                "MimeType=x-scheme-handler/https;\n");
    form.LinkClick();
    QDeadlineTimer deadline(20000);
    QStringList runs;
    while (runs.isEmpty() && !deadline.hasExpired()) {
        QThread::msleep(10);
        runs = QDir(records.path()).entryList({"*.args"}, QDir::Files);
    }
    qunsetenv("VESK_RECORD_DIR");
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(test::ReadFileBytes(records.file(runs.front())), QByteArray(kProjectWebAddress) + '\0');
}

TEST(HelpCommands, HelpContentsAndEveryHelpButtonOpenTheirPage)
{
    test::ScopedProgramFolder home;
    MsgBoxScript::Scope script;
    THTMLVeskMain window;
    window.Action("HelpContents1")->trigger();
    ASSERT_NE(ProgramHelpWindow(), nullptr);
    EXPECT_EQ(ProgramHelpWindow()->PagePath(), HelpPagePath(kHelpContents));

    TForm8* validator = window.Entry<TValidatorEntry>()->Window();
    QTest::mouseClick(validator->Button1, Qt::LeftButton);
    EXPECT_EQ(ProgramHelpWindow()->PagePath(), HelpPagePath(kHelpValidator));

    TForm3 colors;
    QTest::mouseClick(colors.findChild<QPushButton*>("Button3"), Qt::LeftButton);
    EXPECT_EQ(ProgramHelpWindow()->PagePath(), HelpPagePath(kHelpColorProducer));
    ProgramHelpWindow()->hide();
}

TEST(HelpCommands, TheHelpMenuReachesTheAboutWindow)
{
    test::ScopedProgramFolder home;
    MsgBoxScript::Scope script;
    THTMLVeskMain window;
    TForm6* form = window.Entry<TAboutEntry>()->Window();
    ASSERT_NE(form, nullptr);
    // Close the modal window as soon as it is up, and look at what it showed.
    int page = -1;
    QString next;
    QTimer::singleShot(0, form, [&]() {
        page = form->Page();
        next = form->NextBtn->text();
        form->accept();
    });
    window.Action("StartupScreen1")->trigger();
    EXPECT_EQ(page, TForm6::kFirstTourPage);
    EXPECT_EQ(next, "&Next >>");
    // About: page 0 with its version, Back and the bevel hidden, OK closes.
    QStringList texts;
    QTimer::singleShot(0, form, [&]() {
        ExpectState(*form, {TForm6::kAboutPage, "About", "&OK", false, false});
        for (const QLabel* l : form->Notebook1->widget(0)->findChildren<QLabel*>())
            texts << l->text();
        QTest::mouseClick(form->NextBtn, Qt::LeftButton);
    });
    window.Action("About1")->trigger();
    EXPECT_TRUE(texts.contains("version 1.11 - 04/03/2000"));
    EXPECT_TRUE(form->LinkLabel->text().contains(kProjectWebAddress));
    EXPECT_FALSE(form->isVisible());
}

} // namespace
} // namespace vesk

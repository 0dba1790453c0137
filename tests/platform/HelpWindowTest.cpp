// The help pages and the help window: every topic has its page, a missing
// page says so, links, history, find, and the size kept between runs.
#include "platform/HelpTopics.h"
#include "platform/HelpWindow.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"
#include "support/TempDir.h"

#include <QAction>
#include <QDialog>
#include <QTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <gtest/gtest.h>

#include <set>

namespace vesk {
namespace {

TEST(HelpTopics, EveryTopicNumberHasItsOwnShippedPageWithItsTitle)
{
    test::ScopedProgramFolder home;
    std::set<int> numbers;
    std::set<std::string> pages;
    for (const THelpTopic& t : HelpTopics()) {
        numbers.insert(t.topic);
        pages.insert(t.page);
        const QString path = HelpPagePath(t.topic);
        ASSERT_TRUE(QFileInfo(path).isFile()) << path.toStdString();
        THelpWindow window;
        window.ShowTopic(t.topic);
        EXPECT_EQ(window.PagePath(), path);
        EXPECT_EQ(window.Browser()->documentTitle(), t.title) << t.page;
    }
    // The contents and every number from 30 to 45, each on a page of its own.
    std::set<int> expected{kHelpContents};
    for (int n = 30; n <= 45; ++n)
        expected.insert(n);
    EXPECT_EQ(numbers, expected);
    EXPECT_EQ(pages.size(), numbers.size());
    EXPECT_EQ(HelpPagePath(29), "");
}

TEST(HelpWindow, AMissingPageOrUnknownTopicShowsHelpTopicNotFound)
{
    test::ScopedProgramFolder home;
    ASSERT_TRUE(QFile::remove(HelpPagePath(kHelpValidator)));
    const struct {
        int topic;
        QString says;
    } cases[] = {
        {kHelpValidator, "The page for topic 45 is missing: " + HelpPagePath(kHelpValidator)},
        {99, "There is no help page for topic 99."},
    };
    for (const auto& c : cases) {
        THelpWindow window;
        window.ShowTopic(c.topic);
        EXPECT_EQ(window.PagePath(), "");
        EXPECT_EQ(window.windowTitle(), "HTML Vesk Help - Help topic not found");
        EXPECT_TRUE(window.Browser()->toPlainText().contains(c.says)) << window.Browser()->toPlainText().toStdString();
        // Its link leads back to the contents.
        window.OpenLink(QUrl::fromLocalFile(HelpPagePath(kHelpContents)));
        EXPECT_EQ(window.PagePath(), HelpPagePath(kHelpContents));
    }
}

TEST(HelpWindow, LinksBackForwardAndFind)
{
    test::ScopedProgramFolder home;
    THelpWindow window;
    window.ShowTopic(kHelpContents);
    EXPECT_FALSE(window.BackAction()->isEnabled());
    window.OpenLink(QUrl(QStringLiteral("validator.html")));
    EXPECT_EQ(window.PagePath(), HelpPagePath(kHelpValidator));
    EXPECT_EQ(window.windowTitle(), "HTML Vesk Help - The HTML Validator");
    ASSERT_TRUE(window.BackAction()->isEnabled());
    window.BackAction()->trigger();
    EXPECT_EQ(window.PagePath(), HelpPagePath(kHelpContents));
    ASSERT_TRUE(window.ForwardAction()->isEnabled());
    window.ForwardAction()->trigger();
    EXPECT_EQ(window.PagePath(), HelpPagePath(kHelpValidator));

    // Find wraps round and says when the page lacks the text.
    EXPECT_TRUE(window.Find(QStringLiteral("Double-click")));
    EXPECT_TRUE(window.Find(QStringLiteral("Double-click")));
    EXPECT_EQ(window.Browser()->textCursor().selectedText(), "Double-click");
    EXPECT_FALSE(window.Find(QStringLiteral("no such words here")));

    window.OpenLink(QUrl(QStringLiteral("gone.html")));
    EXPECT_EQ(window.PagePath(), "");
    EXPECT_TRUE(window.Browser()->toPlainText().contains("The page this link leads to is missing"));
}

TEST(HelpWindow, ItsSizeIsKeptForTheNextRun)
{
    test::ScopedProgramFolder home;
    {
        THelpWindow window;
        window.show();
        window.resize(500, 420);
        window.hide();
    }
    EXPECT_EQ(GetPrivateProfileInt("Help", "Width", 0, ProgramFileStd("orla.ini")), 500);
    THelpWindow next;
    EXPECT_EQ(next.size(), QSize(500, 420));
}

TEST(HelpWindow, ShowHelpTopicKeepsOneWindowForTheProgram)
{
    test::ScopedProgramFolder home;
    ShowHelpTopic(kHelpColorProducer);
    THelpWindow* window = ProgramHelpWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->PagePath(), HelpPagePath(kHelpColorProducer));
    ShowHelpContents();
    EXPECT_EQ(ProgramHelpWindow(), window);
    EXPECT_EQ(window->PagePath(), HelpPagePath(kHelpContents));
    EXPECT_EQ(window->windowModality(), Qt::NonModal);

    // Asked for from a modal dialog, the window is usable above it.
    QDialog dialog;
    Qt::WindowModality fromDialog = Qt::NonModal;
    QTimer::singleShot(0, &dialog, [&]() {
        ShowHelpTopic(kHelpValidator);
        fromDialog = window->windowModality();
        window->hide();
        dialog.reject();
    });
    dialog.exec();
    EXPECT_EQ(fromDialog, Qt::ApplicationModal);
    EXPECT_EQ(window->PagePath(), HelpPagePath(kHelpValidator));
    ShowHelpContents();
    EXPECT_EQ(window->windowModality(), Qt::NonModal);
    window->hide();
}

} // namespace
} // namespace vesk

// The quick code wizard in the main window: each quick code set up through
// its wizard pages, inserted with the wizard's Insert into the current
// document, and the page that results checked by the real program's
// validator.
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "app/PreferencesEntry.h"
#include "app/PreferencesForm.h"
#include "app/WizardEntry.h"
#include "editor/VeskMemo.h"
#include "support/TempDir.h"
#include "tools/QuickCodeWizardForm.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <functional>

namespace vesk {
namespace {

struct Fixture {
    // Opens the wizard on `page`, runs `whileOpen` in it and returns how it closed.
    int Open(int page, const std::function<void(TForm5&)>& whileOpen)
    {
        TForm5* form = entry->Window();
        QTimer::singleShot(0, form, [form, whileOpen]() {
            whileOpen(*form);
            if (form->isVisible())
                form->reject();
        });
        return entry->OpenWizard(page);
    }
    TVeskMemoFile& Doc() { return *window.CurrentEditor(); }

    test::ScopedProgramFolder home;
    MsgBoxScript::Scope script;
    THTMLVeskMain window;
    TWizardEntry* entry = window.Entry<TWizardEntry>();
};

void Check(TForm5& f, int page, const char* key, bool on)
{
    if (auto* box = qobject_cast<QCheckBox*>(f.Control(page, key)))
        box->setChecked(on);
    else if (auto* radio = qobject_cast<QRadioButton*>(f.Control(page, key)))
        radio->setChecked(on);
    else
        ADD_FAILURE() << "no check box " << key << " on page " << page;
}

void Type(TForm5& f, int page, const char* key, const QString& text)
{
    auto* edit = qobject_cast<QLineEdit*>(f.Control(page, key));
    ASSERT_NE(edit, nullptr) << key;
    edit->setText(text);
}

void Next(TForm5& f) { f.NextButton()->click(); }

TEST(WizardEntry, EveryQuickCodeSetUpThroughItsPagesInsertsMarkupThatValidates)
{
    Fixture fx;
    // Each case: where the wizard opens, what the user sets before walking
    // the group to its end, the text around the insertion point, the text
    // selected there, and what Insert must put in.
    const struct {
        int page;
        std::function<void(TForm5&)> set;
        const char* before;
        const char* selected;
        const char* after;
        const char* inserted;
    } cases[] = {
        {6,
         [](TForm5& f) {
             Type(f, 6, "picture", "logo.png");
             Type(f, 6, "alttext", "Our logo");
             Check(f, 6, "width", true);
             qobject_cast<QSpinBox*>(f.Control(6, "widthnum"))->setValue(120);
             Next(f);
             Check(f, 7, "align", false);
             Next(f);
             Check(f, 8, "hspace", false);
         },
         "<P>", "", "</P>", "<IMG SRC=\"logo.png\" ALT=\"Our logo\" WIDTH=120>"},
        {9,
         [](TForm5& f) {
             Check(f, 9, "link", true);
             Type(f, 9, "linktext", "page.htm");
             Check(f, 9, "jump", true);
             Type(f, 9, "jumptext", "top");
         },
         "<P>", "here", "</P>", "<A HREF=\"page.htm#top\" TITLE=\"Link Title\">here</A>"},
        {10, [](TForm5& f) { Type(f, 10, "nametext", "top"); }, "<P>", "there", "</P>",
         "<A NAME=\"top\">there</A>"},
        {11,
         [](TForm5& f) {
             Check(f, 11, "width", false);
             Check(f, 11, "align", false);
         },
         // The line ends in a BR, which only a block that takes text holds.
         "<DIV>", "", "</DIV>", "<HR><BR>"},
        {12,
         [](TForm5& f) {
             Check(f, 12, "dateline", false);
             Type(f, 12, "emailtext", "me@example.org");
             Type(f, 12, "linktext", "write to me");
             Next(f);
             Type(f, 13, "copytext", " 2026 by Me");
         },
         "", "", "",
         "<ADDRESS>\r\n<A HREF=\"mailto:me@example.org\">write to me</A><BR>\r\n&copy 2026 by Me<BR>\r\n</ADDRESS>"},
        {15, [](TForm5& f) { qobject_cast<QSpinBox*>(f.Control(15, "num"))->setValue(2); }, "", "item", "",
         "<UL><LI>item\r\n<LI>item\r\n</UL>"},
        {16,
         [](TForm5& f) {
             Check(f, 16, "type", false);
             qobject_cast<QSpinBox*>(f.Control(16, "num"))->setValue(1);
         },
         "", "step", "", "<OL><LI>step\r\n</OL>"},
        {17, [](TForm5&) {}, "", "term", "", "<DL><DT>term<DD>\r\n<DT>term<DD>\r\n</DL>"},
    };
    std::string body;
    for (const auto& c : cases) {
        EXPECT_EQ(fx.Open(c.page,
                          [&](TForm5& f) {
                              c.set(f);
                              // Walk on to the end of the group: Finish writes the last page.
                              while (f.isVisible())
                                  Next(f);
                          }),
                  QDialog::Accepted);
        // Reopened, the wizard's Insert builds from what was stored.
        TVeskMemoFile& doc = fx.Doc();
        doc.SetTextBuf(std::string(c.before) + c.selected + c.after);
        doc.Select(int(std::strlen(c.before)), int(std::strlen(c.before) + std::strlen(c.selected)));
        fx.Open(c.page, [](TForm5& f) { f.findChild<QPushButton*>("Button10")->click(); });
        const std::string expected = std::string(c.before) + c.inserted + c.after;
        EXPECT_EQ(doc.GetTextPart(0, doc.CharCount()), expected) << "page " << c.page;
        body += expected + "\r\n";
    }

    // The Web Site Shell around all of it, as HTML 4.0 Strict.
    fx.Open(0, [](TForm5& f) {
        Check(f, 0, "HTML4", true);
        Type(f, 0, "Title", "Quick codes");
        while (f.isVisible())
            Next(f);
    });
    TVeskMemoFile& doc = fx.Doc();
    doc.SetTextBuf(body);
    fx.Open(0, [](TForm5& f) { f.findChild<QPushButton*>("Button10")->click(); });
    const std::string page = doc.GetTextPart(0, doc.CharCount());
    EXPECT_EQ(page.rfind("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\"", 0), 0u) << page;
    EXPECT_NE(page.find("<TITLE>Quick codes</TITLE>"), std::string::npos);

    const QString file = fx.home.file("quick.htm");
    ASSERT_TRUE(test::WriteFileBytes(file, QByteArray::fromStdString(page)));
    QProcess validator;
    validator.start(QStringLiteral(VESK_APP_PATH), {QStringLiteral("--validate"), file});
    ASSERT_TRUE(validator.waitForFinished(60000));
    EXPECT_EQ(validator.readAllStandardOutput().toStdString(), file.toStdString() + "\nNo Errors Found\n") << page;
    EXPECT_EQ(validator.exitCode(), 0);
}

TEST(WizardEntry, OpensOnTheGroupOfTheGivenPageAndCancelKeepsThatPageUnwritten)
{
    Fixture fx;
    int shown = -1;
    QString next;
    EXPECT_EQ(fx.Open(12,
                      [&](TForm5& f) {
                          shown = f.CurrentPage();
                          next = f.NextButton()->text();
                          Type(f, 12, "emailtext", "lost@example.org");
                      }),
              QDialog::Rejected);
    EXPECT_EQ(shown, 12);
    EXPECT_EQ(next, "&Next >>");
    EXPECT_FALSE(QFile::exists(fx.home.file("quickcod.ini")));
}

// The preferences' Quick Codes page opens the wizard over itself, on the
// page of the quick code chosen in its tree.
TEST(WizardEntry, ThePreferencesQuickCodesPageOpensItOnTheChosenCodesPage)
{
    Fixture fx;
    TForm2* prefs = fx.window.Entry<TPreferencesEntry>()->Window();
    const struct {
        const char* node;
        int page;
    } rows[] = {{"Copyright", 12}, {"Numbered", 16}, {"Font", 14}};
    for (const auto& row : rows) {
        const QList<QTreeWidgetItem*> found =
            prefs->QuickTree->findItems(QString::fromLatin1(row.node), Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1) << row.node;
        prefs->QuickTree->setCurrentItem(found.front());
        int shown = -1;
        QWidget* over = nullptr;
        TForm5* form = fx.entry->Window();
        QTimer::singleShot(0, form, [&]() {
            shown = form->CurrentPage();
            over = form->parentWidget();
            form->reject();
        });
        prefs->OpenWizardBtn->click();
        EXPECT_EQ(shown, row.page) << row.node;
        EXPECT_EQ(over, prefs) << row.node;
    }
}

} // namespace
} // namespace vesk

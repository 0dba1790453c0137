// The wizard's window driven through its buttons: navigation and captions,
// pages written when left, Insert from the stored file, Default then Cancel,
// check boxes enabling their boxes, chosen files and the colour producer.
#include "tools/ColorProducer.h"
#include "tools/QuickCodeWizardForm.h"

#include "editor/VeskMemoCore.h"
#include "platform/ProfileFile.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace vesk {
namespace {

struct Wizard {
    Wizard()
    {
        form.SetSettingsPath(path);
        form.OnHelp = nullptr;
    }
    // Opens the wizard on `page` and runs `whileOpen` inside its modal loop.
    int Run(int page, const std::function<void()>& whileOpen)
    {
        form.Open(page);
        QTimer::singleShot(0, &form, [this, whileOpen]() {
            whileOpen();
            if (form.isVisible())
                form.reject();
        });
        return form.exec();
    }
    template <class T>
    T* Get(int page, const char* key) const
    {
        T* control = qobject_cast<T*>(form.Control(page, key));
        EXPECT_NE(control, nullptr) << page << " " << key;
        return control;
    }
    std::string Stored(const char* section, const char* key) const
    {
        return GetPrivateProfileString(section, key, "<missing>", path.toStdString());
    }

    test::TempDir dir;
    QString path = dir.file("quickcod.ini");
    TForm5 form;
};

TEST(WizardForm, BackAndNextWalkOneGroupWithItsCaptions)
{
    Wizard w;
    const struct {
        int open;
        int nexts;
        int backs;
        int page;
        const char* next;
        bool back;
    } cases[] = {
        {0, 0, 0, 0, "&Next >>", false},
        {0, 4, 0, 4, "&Next >>", true},
        {0, 5, 0, 5, "&Finish", true},
        {0, 5, 1, 4, "&Next >>", true},
        {6, 2, 0, 8, "&Finish", true},
        {12, 0, 0, 12, "&Next >>", false},
        {12, 1, 0, 13, "&Finish >>", true},
        {14, 0, 0, 14, "&Finish", false},  // one page: Next finishes at once
        {10, 0, 0, 10, "&Finish", false},
    };
    for (const auto& c : cases) {
        int page = -1;
        QString next;
        bool back = false;
        w.Run(c.open, [&]() {
            for (int i = 0; i < c.nexts; ++i)
                QTest::mouseClick(w.form.NextButton(), Qt::LeftButton);
            for (int i = 0; i < c.backs; ++i)
                QTest::mouseClick(w.form.BackButton(), Qt::LeftButton);
            page = w.form.CurrentPage();
            next = w.form.NextButton()->text();
            back = w.form.BackButton()->isEnabled();
        });
        EXPECT_EQ(page, c.page) << "opened on " << c.open;
        EXPECT_EQ(next, c.next) << "opened on " << c.open;
        EXPECT_EQ(back, c.back) << "opened on " << c.open;
    }
}

TEST(WizardForm, LineSizeIsStoredByFinishAndShownAgain)
{
    Wizard w;
    const int result = w.Run(11, [&]() {
        w.Get<QCheckBox>(11, "size")->setChecked(true);
        w.Get<QSpinBox>(11, "sizenum")->setValue(5);
        QTest::mouseClick(w.form.NextButton(), Qt::LeftButton);  // "&Finish"
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(w.Stored("Page11", "sizenum"), "5");
    EXPECT_EQ(w.Stored("Page11", "size"), "1");
    int shown = 0;
    w.Run(11, [&]() { shown = w.Get<QSpinBox>(11, "sizenum")->value(); });
    EXPECT_EQ(shown, 5);

    // Cancel leaves the page on screen unwritten; pages left before stay written.
    w.Run(0, [&]() {
        w.Get<QLineEdit>(0, "Title")->setText("Kept");
        QTest::mouseClick(w.form.NextButton(), Qt::LeftButton);
        w.Get<QLineEdit>(1, "authortext")->setText("Lost");
    });
    EXPECT_EQ(w.Stored("Page0", "Title"), "Kept");
    EXPECT_EQ(w.Stored("Page1", "authortext"), "<missing>");
}

TEST(WizardForm, InsertBuildsFromTheStoredValue)
{
    Wizard w;
    ASSERT_TRUE(test::WriteFileBytes(w.path, "[Page11]\nwidth=0\nalign=0\nsize=1\nsizenum=5\n"));
    TVeskMemoCore editor;
    w.form.OnInsert = [&](int code) { InsertQuickCode(editor, code, w.path); };
    w.Run(11, [&]() {
        w.Get<QSpinBox>(11, "sizenum")->setValue(9);
        QTest::mouseClick(w.form.findChild<QPushButton*>("Button10"), Qt::LeftButton);
    });
    EXPECT_EQ(editor.GetTextPart(0, editor.CharCount()), "<HR SIZE=\"5\"><BR>");
}

TEST(WizardForm, DefaultThenCancelLeavesThePageErased)
{
    Wizard w;
    ASSERT_TRUE(test::WriteFileBytes(w.path, "[Page2]\nstylesheet=1\nstylesheettext=\"mine.css\"\n[Page3]\ntoc=1\n"));
    QString shown;
    w.Run(0, [&]() {
        QTest::mouseClick(w.form.NextButton(), Qt::LeftButton);
        QTest::mouseClick(w.form.NextButton(), Qt::LeftButton);
        EXPECT_EQ(w.Get<QLineEdit>(2, "stylesheettext")->text(), "mine.css");
        QTest::mouseClick(w.form.findChild<QPushButton*>("Button11"), Qt::LeftButton);
        shown = w.Get<QLineEdit>(2, "stylesheettext")->text();
    });
    EXPECT_EQ(shown, "style.css");
    EXPECT_FALSE(ProfileSectionExists("Page2", w.path.toStdString()));
    EXPECT_TRUE(ProfileSectionExists("Page3", w.path.toStdString()));
    // The builder's own defaults apply to the erased page: no stylesheet line.
    const auto built = BuildQuickCode(qcWebSiteShell, w.path, {});
    ASSERT_EQ(built.size(), 2u);
    EXPECT_FALSE(built[0].text.contains("stylesheet"));
    EXPECT_TRUE(built[0].text.contains("<LINK REL=\"toc\" HREF=\"tableofcontents.htm\">"));
}

TEST(WizardForm, CheckBoxesEnableWhatTheyGovern)
{
    Wizard w;
    const struct {
        int page;
        const char* check;
        const char* governed;
    } cases[] = {
        {1, "author", "authortext"}, {5, "bodycolors", "alink"}, {6, "width", "widthnum"},
        {7, "align", "middle"},      {14, "color", "colortext"}, {16, "start", "startnum"},
        {12, "emailline", "emailtext"},
    };
    w.Run(0, [&]() {
        for (const auto& c : cases) {
            QCheckBox* check = w.Get<QCheckBox>(c.page, c.check);
            QWidget* governed = w.form.Control(c.page, c.governed);
            for (bool on : {true, false, true}) {
                check->setChecked(on);
                EXPECT_EQ(governed->isEnabled(), on) << c.check;
            }
        }
        QCheckBox* color = w.Get<QCheckBox>(14, "color");
        color->setChecked(false);
        EXPECT_FALSE(w.form.findChild<QPushButton*>("Button12")->isEnabled());
    });
}

TEST(WizardForm, ChosenPictureAndProducedColoursFillTheirBoxes)
{
    Wizard w;
    w.form.programFolder = [&]() { return w.dir.path(); };
    QString answer = w.dir.file("pics/logo.gif");
    w.form.chooseFile = [&]() { return answer; };
    TVeskMemoCore document;
    document.SetTextBuf("<body bgcolor=\"#111111\" text=\"#222222\" link=\"#333333\" vlink=\"#444444\" "
                        "alink=\"#555555\"><p>x #ABCDEF");
    document.Select(document.CharCount() - 7, document.CharCount());
    w.form.SetEditor(&document);
    w.Run(6, [&]() {
        QTest::mouseClick(w.form.findChild<QPushButton*>("Page6_picture_file"), Qt::LeftButton);
        EXPECT_EQ(w.Get<QLineEdit>(6, "picture")->text(), "pics/logo.gif");
        answer = "/somewhere/else/logo.gif";
        w.form.Button8Click(6, "picture");
        EXPECT_EQ(w.Get<QLineEdit>(6, "picture")->text(), "logo.gif");
        answer.clear();  // cancelled: the box keeps its text
        w.form.Button8Click(6, "picture");
        EXPECT_EQ(w.Get<QLineEdit>(6, "picture")->text(), "logo.gif");

        // The colour producer's Insert fills the boxes instead of the document.
        TForm3* producer = w.form.ColorProducer();
        QTimer::singleShot(0, producer, [producer]() { producer->Button1Click(); });
        w.form.Button4Click();
        const char* expected[][2] = {{"bkground", "111111"}, {"text", "222222"}, {"link", "333333"},
                                     {"vlink", "444444"},    {"alink", "555555"}};
        for (const auto& [key, colour] : expected)
            EXPECT_EQ(w.Get<QLineEdit>(5, key)->text(), colour) << key;
        QTimer::singleShot(0, producer, [producer]() { producer->Button1Click(); });
        w.form.Button12Click();
        EXPECT_EQ(w.Get<QLineEdit>(14, "colortext")->text(), "ABCDEF");
    });
    EXPECT_EQ(document.GetTextPart(0, 25), "<body bgcolor=\"#111111\" t");  // untouched
}

} // namespace
} // namespace vesk

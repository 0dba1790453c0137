// TForm8 over a real editor: the window, a run's status and progress, the
// jump to an error's line, closing during a run, and a run that survives
// edits and a destroyed editor.
#include "ValidatorTestUtil.h"
#include "editor/KeyLists.h"
#include "editor/VeskMemo.h"
#include "validator/ValidatorForm.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace vesk {
namespace {

const char* const kRules = "[StartTag]\n0=,P,TABLE,B,\n[OptEndTag]\n0=,P,\n[P]\nchars=1\nelem=,B,\n[TABLE]\nchars=1\n"
                           "[B]\nchars=1\n";

class ValidatorForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_.resize(500, 400);
        auto* layout = new QVBoxLayout(&window_);
        editor_ = new TVeskMemoFile(&window_);
        other_ = new TVeskMemoFile(&window_);
        layout->addWidget(editor_);
        layout->addWidget(other_);
        editor_->SetWordWrap(false);
        other_->SetWordWrap(false);
        editor_->SetFileName(QStringLiteral("/pages/index.htm"));
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
        form_ = std::make_unique<TForm8>(&window_, rules_.Path());
        form_->SetSettingsFile(Settings());
    }
    SettingsFile Settings() const { return SettingsFile(settingsDir_.fileStd(QStringLiteral("orla.ini"))); }
    void TearDown() override { form_.reset(); }

    QStringList Entries() const
    {
        QStringList out;
        for (int i = 0; i < form_->ListBox1->count(); ++i)
            out << form_->ListBox1->item(i)->text();
        return out;
    }

    test::RulesFile rules_{kRules};
    test::TempDir settingsDir_;
    QWidget window_;
    TVeskMemoFile* editor_ = nullptr;
    TVeskMemoFile* other_ = nullptr;
    std::unique_ptr<TForm8> form_;
};

TEST_F(ValidatorForm, WindowLayoutAndHelp)
{
    EXPECT_EQ(form_->windowTitle(), "HTML Vesk Validator");
    EXPECT_TRUE(form_->windowFlags() & Qt::Tool);  // kept above the main window
    EXPECT_EQ(form_->Button1->text(), "&Help");
    EXPECT_EQ(form_->Button1->size(), QSize(49, 17));
    EXPECT_EQ(form_->Panel1->height(), 25);
    EXPECT_GE(form_->Label1->width(), 241);
    EXPECT_EQ(form_->ProgressBar1->height(), 21);
    int topic = 0;
    form_->OnHelp = [&](int t) { topic = t; };
    QTest::mouseClick(form_->Button1, Qt::LeftButton);
    EXPECT_EQ(topic, 45);
}

TEST(ValidatorWindowPlace, BesideTheMainWindowWithinTheScreen)
{
    const QRect screen(0, 0, 1000, 700);
    const QSize size(300, 200);
    const struct {
        QRect main;
        QPoint expected;
    } cases[] = {
        {QRect(100, 50, 400, 300), QPoint(504, 50)},   // room on the right
        {QRect(600, 50, 300, 300), QPoint(296, 50)},   // only on the left
        {QRect(0, 0, 1000, 700), QPoint(700, 0)},      // maximised: over its right edge
        {QRect(150, 600, 700, 300), QPoint(550, 500)}, // low on the screen: moved up
        {QRect(-200, 100, 1400, 300), QPoint(700, 100)},  // wider than the screen
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceBeside(c.main, size, screen), QRect(c.expected, size)) << c.main.x() << "," << c.main.y();
}

TEST_F(ValidatorForm, ItOpensBesideTheMainWindowAndKeepsTheSizeItWasGiven)
{
    window_.setGeometry(10, 10, 250, 300);
    editor_->SetTextBuf("<BLINK>");
    ASSERT_TRUE(form_->Validate(editor_));
    const QRect available = window_.screen()->availableGeometry();
    EXPECT_GT(form_->frameGeometry().left(), window_.frameGeometry().right());
    EXPECT_TRUE(available.contains(form_->frameGeometry())) << form_->frameGeometry().x();
    EXPECT_EQ(form_->size(), TForm8::kDefaultSize);

    form_->resize(430, 330);
    form_->close();
    EXPECT_EQ(Settings().ReadInt("Validator", "WindowWidth", 0), 430);
    EXPECT_EQ(Settings().ReadInt("Validator", "WindowHeight", 0), 330);

    TForm8 again(&window_, rules_.Path());
    again.SetSettingsFile(Settings());
    again.Validate(editor_);
    EXPECT_EQ(again.size(), QSize(430, 330));
    again.close();
}

TEST_F(ValidatorForm, LongMessagesWrapAtTheWindowsWidthInsteadOfBeingCut)
{
    editor_->SetTextBuf("<P><TABLE>");
    form_->Validate(editor_);
    form_->resize(TForm8::kMinimumSize);
    QApplication::processEvents();
    QListWidget* list = form_->ListBox1;
    ASSERT_EQ(list->count(), 1);
    const QString text = list->item(0)->text();
    const QRect shown = list->visualItemRect(list->item(0));
    const QRect needed = list->fontMetrics().boundingRect(QRect(0, 0, shown.width(), 10000), Qt::TextWordWrap, text);
    EXPECT_LE(shown.right(), list->viewport()->width());
    EXPECT_GE(shown.height(), needed.height());
    EXPECT_GT(needed.height(), list->fontMetrics().height());  // it does take several lines
}

TEST_F(ValidatorForm, ARunWithErrorsSelectsTheFirstErrorLineAndFocusesTheEditor)
{
    editor_->SetTextBuf("<P>one\r\n<TABLE><BLINK>\r\ntwo");
    ASSERT_TRUE(form_->Validate(editor_));
    EXPECT_TRUE(form_->isVisible());
    EXPECT_EQ(Entries(), (QStringList{"2: Error 1 - Unknown Tag :BLINK.",
                                      "2: Error 16 - Begin tag, <TABLE> found, but required end tag, </TABLE> not found."}));
    EXPECT_EQ(editor_->SelStart(), 8);
    EXPECT_EQ(editor_->SelLength(), 14);
    EXPECT_EQ(window_.focusWidget(), editor_);
    EXPECT_EQ(form_->Label1->text(), "Validating Finished");
    EXPECT_EQ(form_->ProgressBar1->value(), 0);
    EXPECT_EQ(form_->ProgressBar1->maximum(), editor_->CharCount());
}

TEST_F(ValidatorForm, StatusAndProgressDuringARun)
{
    editor_->SetTextBuf("<P>" + std::string(30000, 'x') + "<B>y</B>");
    form_->Engine().SetEventInterval(0);
    QString status;
    int progress = -1;
    QTimer::singleShot(0, form_.get(), [&] {
        status = form_->Label1->text();
        progress = form_->ProgressBar1->value();
    });
    form_->Validate(editor_);
    EXPECT_EQ(status, "Validating /pages/index.htm");
    EXPECT_GE(progress, 0);
    EXPECT_EQ(Entries(), QStringList{"No Errors Found"});
}

TEST_F(ValidatorForm, AColouredEditorIsCheckedAsItsTextWouldBe)
{
    // The editor's paragraphs hold highlighting marks; the validator reads
    // them paragraph by paragraph, looking ahead for "</HEAD" in later ones.
    const std::string shipped = std::string(VESK_SOURCE_DATA_DIR) + "/4strict.ini";
    const std::string page = "<HTML><HEAD><TITLE>t</TITLE>\r\n<P>x\r\n</HEAD>\r\n<BODY>\r\n"
                             "<TABLE><CAPTION>c</CAPTION></TABLE>\r\n<UL>\r\n</UL>\r\n"
                             "<P><A href=\"a\"><A href=\"b\">x</A></A>\r\n</BODY></HTML>";
    auto keys = std::make_shared<TStartStopKeyList>();
    AddHtmlStartStopKeys(*keys);
    editor_->Highlighting().SetStartStopKeys(keys);
    editor_->SetTextBuf(page);
    editor_->Highlighting().EnsureParsedAll();
    ASSERT_GT(editor_->Paragraph(0).markCount, 0);

    TForm8 form(&window_, shipped);
    form.SetSettingsFile(Settings());
    form.Validate(editor_);
    QStringList entries;
    for (int i = 0; i < form.ListBox1->count(); ++i)
        entries << form.ListBox1->item(i)->text();
    EXPECT_EQ(entries, test::Validate(shipped, page));
    EXPECT_EQ(entries.size(), 5) << entries.join(QLatin1Char('|')).toStdString();
    form.close();
}

TEST_F(ValidatorForm, DoubleClicksJumpOnTheCurrentEditorByLineNumberOnly)
{
    editor_->SetTextBuf("<P>\r\n<BLINK>\r\n<FOO>\r\n");
    form_->Validate(editor_);
    ASSERT_EQ(Entries(), (QStringList{"2: Error 1 - Unknown Tag :BLINK.", "3: Error 1 - Unknown Tag :FOO."}));

    // A real double click on the second entry.
    QListWidget* list = form_->ListBox1;
    const QRect r = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(editor_->SelStart(), 14);
    EXPECT_EQ(editor_->SelLength(), 5);

    // After an edit the entry selects whatever line now has its number.
    editor_->SetSelStart(0);
    editor_->SetSelLength(0);
    editor_->SetSelText("<!-- new first line -->\r\n");
    list->setCurrentRow(0);
    form_->ListBox1DblClick();
    EXPECT_EQ(editor_->SelStart(), 25);
    EXPECT_EQ(editor_->SelLength(), 3);

    // The jump acts on the editor that is current at the double click.
    other_->SetTextBuf("first\r\nsecond line\r\n");
    form_->CurrentEditor = [this] { return other_; };
    form_->ListBox1DblClick();
    EXPECT_EQ(other_->SelStart(), 7);
    EXPECT_EQ(other_->SelLength(), 11);
}

TEST_F(ValidatorForm, NoErrorsFoundAndEmptyListsChangeNothing)
{
    editor_->SetTextBuf("<P>fine\r\n<P>still fine");
    editor_->SetSelStart(5);
    form_->Validate(editor_);
    ASSERT_EQ(Entries(), QStringList{"No Errors Found"});
    EXPECT_EQ(editor_->SelStart(), 5);
    form_->ListBox1->setCurrentRow(0);
    form_->ListBox1DblClick();
    form_->ShowValidateError(editor_, 0);
    EXPECT_EQ(editor_->SelStart(), 5);
    EXPECT_EQ(editor_->SelLength(), 0);

    form_->ListBox1->clear();
    form_->ListBox1DblClick();
    form_->ShowValidateError(editor_, 3);
    form_->ShowValidateError(nullptr, 0);
    EXPECT_EQ(editor_->SelStart(), 5);
}

TEST_F(ValidatorForm, ClosingTheWindowStopsTheRunAndASecondRequestIsIgnored)
{
    editor_->SetTextBuf("<TABLE>\r\n<BLINK>\r\n<FOO>");
    form_->Engine().SetEventInterval(0);
    bool second = true;
    QTimer::singleShot(0, form_.get(), [&] {
        second = form_->Validate(other_);
        form_->close();
    });
    ASSERT_TRUE(form_->Validate(editor_));
    EXPECT_FALSE(second);
    EXPECT_FALSE(form_->isVisible());
    // Only the end of the document ran after the stop.
    EXPECT_EQ(Entries(),
              QStringList{"1: Error 16 - Begin tag, <TABLE> found, but required end tag, </TABLE> not found."});
    EXPECT_EQ(editor_->SelStart(), 6);  // the caret still followed the error
    EXPECT_FALSE(form_->Running());
    EXPECT_TRUE(form_->Validate(editor_));  // and a new run starts again
}

TEST_F(ValidatorForm, EditsAndADestroyedEditorDuringARunAreSafe)
{
    // The first edit stops the run: the rest of the text is no longer what
    // was read. Nothing more is reported, the caret is left to the user.
    editor_->SetTextBuf("<TABLE>a<P>b<P>c<P>d\r\n<BLINK>");
    form_->Engine().SetEventInterval(0);
    QTimer::singleShot(0, form_.get(), [&] {
        editor_->SelectAll();
        editor_->ClearSelection();
    });
    ASSERT_TRUE(form_->Validate(editor_));
    EXPECT_TRUE(Entries().isEmpty());
    EXPECT_EQ(form_->Label1->text(), QString::fromLatin1(kStoppedByEdit));
    EXPECT_EQ(editor_->CharCount(), 0);
    EXPECT_EQ(editor_->SelStart(), 0);

    auto* doomed = new TVeskMemoFile(&window_);
    doomed->SetTextBuf("<TABLE>x y z<BLINK>");
    QTimer::singleShot(0, form_.get(), [&] { delete doomed; });
    ASSERT_TRUE(form_->Validate(doomed));
    EXPECT_TRUE(Entries().isEmpty());
    EXPECT_EQ(form_->Label1->text(), QString::fromLatin1(kStoppedByEdit));

    // An edit before the run is simply part of the text.
    editor_->SetTextBuf("<TABLE>\r\n<BLINK>");
    ASSERT_TRUE(form_->Validate(editor_));
    EXPECT_EQ(Entries(), (QStringList{"2: Error 1 - Unknown Tag :BLINK.",
                                      "1: Error 16 - Begin tag, <TABLE> found, but required end tag, </TABLE> not found."}));
}

} // namespace
} // namespace vesk

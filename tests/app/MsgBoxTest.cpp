// The message box: button sets and their answers, scripted answers, the fixed
// layout, and the real window driven with keys and clicks.
#include "app/MsgBox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace vesk {
namespace {

using G = MsgBoxGeometry;

constexpr int kSets[] = {kMbOk, kMbInput, kMbOkCancel, kMbYesNo, kMbRetryCancel,
                         kMbRetryIgnoreCancel, kMbYesNoCancel};

QStringList Captions(const TForm9& form)
{
    QStringList captions;
    for (int i = 1;; ++i) {
        auto* b = form.findChild<QPushButton*>(QStringLiteral("Button%1").arg(i));
        if (!b)
            return captions;
        captions << b->text();
    }
}

QPushButton* ButtonCaptioned(const TForm9& form, const QString& caption)
{
    for (QPushButton* b : form.findChildren<QPushButton*>())
        if (b->text() == caption)
            return b;
    return nullptr;
}

TForm9* ShownBox()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* form = qobject_cast<TForm9*>(w); form && form->isVisible())
            return form;
    return nullptr;
}

// Runs `answer` on the box MsgBox is about to show, from inside its event
// loop. A box the answer leaves open is closed, so a broken test fails
// instead of waiting forever.
void AnswerNextBox(std::function<void(TForm9&)> answer)
{
    QTimer::singleShot(0, [answer = std::move(answer)]() {
        TForm9* form = ShownBox();
        if (!form) {
            ADD_FAILURE() << "no message box is showing";
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
            return;
        }
        answer(*form);
        if (form->isVisible()) {
            ADD_FAILURE() << "the answer left the box open";
            form->done(-1);
        }
    });
}

void PressKey(TForm9& form, Qt::Key key)
{
    QWidget* target = form.focusWidget() ? form.focusWidget() : &form;
    QTest::keyClick(target, key);
}

// ---------------------------------------------------------------- button sets

TEST(MsgBoxSets, ButtonsLeftToRightWithTheirResults)
{
    struct Case {
        int buttons;
        QStringList captions;
        QList<int> results;
    };
    const Case cases[] = {
        {kMbOk, {"OK"}, {kMrOk}},
        {kMbInput, {"OK", "Cancel"}, {kMrOk, kMrCancel}},
        {kMbOkCancel, {"OK", "Cancel"}, {kMrOk, kMrCancel}},
        {kMbYesNo, {"&Yes", "&No"}, {kMrYes, kMrNo}},
        {kMbRetryCancel, {"&Retry", "Cancel"}, {kMrRetry, kMrCancel}},
        {kMbRetryIgnoreCancel, {"&Retry", "&Ignore", "Cancel"}, {kMrRetry, kMrIgnore, kMrCancel}},
        {kMbYesNoCancel, {"&Yes", "&No", "Cancel"}, {kMrYes, kMrNo, kMrCancel}},
        // Unknown sets show OK only.
        {2, {"OK"}, {kMrOk}},
        {6, {"OK"}, {kMrOk}},
        {9, {"OK"}, {kMrOk}},
        // Only the last digit counts.
        {13, {"OK", "Cancel"}, {kMrOk, kMrCancel}},
        {38, {"&Yes", "&No", "Cancel"}, {kMrYes, kMrNo, kMrCancel}},
        {20, {"OK"}, {kMrOk}},
    };
    EXPECT_EQ(kMrOk, 1);
    EXPECT_EQ(kMrCancel, 2);
    EXPECT_EQ(kMrRetry, 4);
    EXPECT_EQ(kMrIgnore, 5);
    EXPECT_EQ(kMrYes, 6);
    EXPECT_EQ(kMrNo, 7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.buttons);
        EXPECT_EQ(MsgBoxButtonResults(c.buttons), c.results);
        // Each button of the real window answers its result.
        TForm9 form;
        for (int i = 0; i < c.results.size(); ++i) {
            form.Prepare(QStringLiteral("Message"), QStringLiteral("Caption"), c.buttons);
            ASSERT_EQ(Captions(form), c.captions);
            form.open();
            auto* button = form.findChild<QPushButton*>(QStringLiteral("Button%1").arg(i + 1));
            ASSERT_NE(button, nullptr);
            QTest::mouseClick(button, Qt::LeftButton);
            EXPECT_EQ(form.result(), c.results[i]);
            EXPECT_FALSE(form.isVisible());
        }
    }
}

TEST(MsgBoxSets, EscapeAndEnterOnTheRealWindow)
{
    struct Case {
        int buttons;
        int escape;
        int enter;
        Qt::Key letter;  // an underlined letter typed without Alt, and what it answers (0: none)
        int byLetter;
    };
    const Case cases[] = {
        {kMbOk, kMrOk, kMrOk, Qt::Key_Y, 0},
        {kMbInput, kMrCancel, kMrOk, Qt::Key_N, 0},  // letters go to the edit line
        {kMbOkCancel, kMrCancel, kMrOk, Qt::Key_R, 0},
        {kMbYesNo, kMrNo, kMrYes, Qt::Key_N, kMrNo},
        {kMbRetryCancel, kMrCancel, kMrRetry, Qt::Key_R, kMrRetry},
        {kMbRetryIgnoreCancel, kMrCancel, kMrRetry, Qt::Key_I, kMrIgnore},
        {kMbYesNoCancel, kMrCancel, kMrYes, Qt::Key_Y, kMrYes},
        {14, kMrNo, kMrYes, Qt::Key_N, kMrNo},
        {9, kMrOk, kMrOk, Qt::Key_N, 0},
        // The second button as the default: Enter gives the safe answer.
        {kMbYesNo + kMbDefaultSecond, kMrNo, kMrNo, Qt::Key_Y, kMrYes},
        {kMbOk + kMbDefaultSecond, kMrOk, kMrOk, Qt::Key_Y, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.buttons);
        EXPECT_EQ(MsgBoxEscapeResult(c.buttons), c.escape);
        TForm9 form;
        form.Prepare(QStringLiteral("Message"), QStringLiteral("Caption"), c.buttons);
        form.open();
        PressKey(form, Qt::Key_Escape);
        EXPECT_EQ(form.result(), c.escape);
        EXPECT_FALSE(form.isVisible());

        form.Prepare(QStringLiteral("Message"), QStringLiteral("Caption"), c.buttons);
        form.open();
        PressKey(form, Qt::Key_Return);
        EXPECT_EQ(form.result(), c.enter);
        EXPECT_FALSE(form.isVisible());

        // The title bar's close button answers like Escape.
        form.Prepare(QStringLiteral("Message"), QStringLiteral("Caption"), c.buttons);
        form.open();
        form.close();
        EXPECT_EQ(form.result(), c.escape);

        form.Prepare(QStringLiteral("Message"), QStringLiteral("Caption"), c.buttons);
        form.open();
        PressKey(form, c.letter);
        EXPECT_EQ(form.result(), c.byLetter);
        EXPECT_EQ(form.isVisible(), c.byLetter == 0);
        form.close();
        // A box without minimise and maximise buttons.
        EXPECT_FALSE(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        EXPECT_TRUE(form.windowFlags() & Qt::CustomizeWindowHint);
    }
}

TEST(MsgBoxSets, CarriageReturnsBreakLines)
{
    EXPECT_EQ(MsgBoxDisplayText(QStringLiteral("a\r\rb")), QStringLiteral("a\n\nb"));
    EXPECT_EQ(MsgBoxDisplayText(QStringLiteral("a\r\nb\nc")), QStringLiteral("a\nb\nc"));
    EXPECT_EQ(MsgBoxDisplayText(QStringLiteral("a\r\n\r\nb")), QStringLiteral("a\n\nb"));
}

// ----------------------------------------------------------- scripted answers

TEST(MsgBoxScriptTest, ReturnsScriptedAnswersAndRecordsEveryCall)
{
    EXPECT_FALSE(MsgBoxScript::Active());
    {
        MsgBoxScript::Scope scope;
        EXPECT_TRUE(MsgBoxScript::Active());
        MsgBoxScript::Push(kMrNo);
        MsgBoxScript::Push(kMrRetry);
        MsgBoxScript::Push(kMrIgnore);
        EXPECT_EQ(MsgBox(QStringLiteral("Save changes?"), QStringLiteral("HTML Vesk"),
                         kMbYesNoCancel, kSoundQuestion),
                  kMrNo);
        EXPECT_EQ(MsgBox(QStringLiteral("Cannot connect"), QStringLiteral("FTP"), 15, kSoundError),
                  kMrRetry);
        EXPECT_EQ(MsgBoxScript::Pending(), 1);
        EXPECT_EQ(MsgBox(QStringLiteral("Disk full"), QStringLiteral("Save"),
                         kMbRetryIgnoreCancel, kSoundWarning),
                  kMrIgnore);
        EXPECT_EQ(MsgBoxScript::Pending(), 0);

        const QList<MsgBoxCall> expected = {
            {QStringLiteral("HTML Vesk"), QStringLiteral("Save changes?"), kMbYesNoCancel, 32},
            {QStringLiteral("FTP"), QStringLiteral("Cannot connect"), 15, 16},
            {QStringLiteral("Save"), QStringLiteral("Disk full"), kMbRetryIgnoreCancel, 48},
        };
        EXPECT_EQ(MsgBoxScript::Calls(), expected);

        // A nested scope keeps the outer one's record and queue.
        MsgBoxScript::Push(kMrYes);
        {
            MsgBoxScript::Scope inner;
            EXPECT_EQ(MsgBoxScript::Pending(), 1);
            EXPECT_EQ(MsgBox(QStringLiteral("Replace?"), QStringLiteral("Find"), kMbYesNo,
                             kSoundNone),
                      kMrYes);
        }
        EXPECT_TRUE(MsgBoxScript::Active());
        EXPECT_EQ(MsgBoxScript::Calls().size(), 4);

        MsgBoxScript::Push(kMrOk);
        MsgBoxScript::Reset();
        EXPECT_TRUE(MsgBoxScript::Calls().isEmpty());
        EXPECT_EQ(MsgBoxScript::Pending(), 0);
        MsgBoxScript::Push(kMrOk);
    }
    // The outermost scope leaves nothing behind for the next test.
    EXPECT_FALSE(MsgBoxScript::Active());
    EXPECT_TRUE(MsgBoxScript::Calls().isEmpty());
    EXPECT_EQ(MsgBoxScript::Pending(), 0);
}

TEST(MsgBoxScriptTest, EmptyQueueAnswersTheCancellingButton)
{
    MsgBoxScript::Scope scope;
    const std::pair<int, int> cases[] = {
        {kMbOk, kMrOk},          {kMbInput, kMrCancel},      {kMbOkCancel, kMrCancel},
        {kMbYesNo, kMrNo},       {kMbRetryCancel, kMrCancel}, {kMbRetryIgnoreCancel, kMrCancel},
        {kMbYesNoCancel, kMrCancel}, {2, kMrOk}, {24, kMrNo}, {-1, kMrOk},
    };
    for (const auto& [buttons, expected] : cases) {
        SCOPED_TRACE(buttons);
        EXPECT_EQ(MsgBox(QStringLiteral("?"), QStringLiteral("Unanswered"), buttons, kSoundNone),
                  expected);
    }
    EXPECT_EQ(MsgBoxScript::Calls().size(), int(std::size(cases)));
}

TEST(MsgBoxScriptTest, InputModeReturnsTheScriptedText)
{
    MsgBoxScript::Scope scope;
    QString input = QStringLiteral("untouched");

    MsgBoxScript::Push(kMrOk, QStringLiteral("index.html"));
    EXPECT_EQ(MsgBox(QStringLiteral("page.html"), QStringLiteral("File name"), kMbInput, kSoundNone,
                     &input),
              kMrOk);
    EXPECT_EQ(input, QStringLiteral("index.html"));

    // OK without a scripted text accepts the text as offered.
    MsgBoxScript::Push(kMrOk);
    EXPECT_EQ(MsgBox(QStringLiteral("page.html"), QStringLiteral("File name"), 11, kSoundNone,
                     &input),
              kMrOk);
    EXPECT_EQ(input, QStringLiteral("page.html"));

    // Cancel, the default answer and other sets leave the text alone.
    input = QStringLiteral("kept");
    MsgBoxScript::Push(kMrCancel, QStringLiteral("typed"));
    EXPECT_EQ(MsgBox(QStringLiteral("x"), QStringLiteral("File name"), kMbInput, kSoundNone, &input),
              kMrCancel);
    EXPECT_EQ(MsgBox(QStringLiteral("x"), QStringLiteral("File name"), kMbInput, kSoundNone, &input),
              kMrCancel);
    MsgBoxScript::Push(kMrOk, QStringLiteral("typed"));
    EXPECT_EQ(MsgBox(QStringLiteral("x"), QStringLiteral("Note"), kMbOkCancel, kSoundNone, &input),
              kMrOk);
    EXPECT_EQ(input, QStringLiteral("kept"));

    // The record keeps the offered text, not the answer.
    EXPECT_EQ(MsgBoxScript::Calls().first().text, QStringLiteral("page.html"));
}

// --------------------------------------------------------------------- layout

int NoWrap(int)
{
    ADD_FAILURE() << "a label that fits was wrapped";
    return 0;
}

TEST(MsgBoxLayout, ShortTextTakesItsOwnWidthAndTheMinimumHeight)
{
    // 111/5 + 111 + 150 = 283, wider than the button panel.
    G g = LayoutMsgBox(QSize(150, 16), NoWrap, 2, false, 21);
    EXPECT_EQ(g.client, QSize(111 / 5 + 111 + 150, 95 + 35));
    EXPECT_FALSE(g.wrapLabel);
    EXPECT_EQ(g.label.size(), QSize(150, 16));
    // Centred vertically above the strip, right of the picture panel.
    EXPECT_EQ(g.label.top(), (95 - 16) / 2);
    EXPECT_GE(g.label.left(), g.picturePanel.right() + 1);
    EXPECT_LE(g.label.right(), g.client.width() - 1);
    EXPECT_TRUE(g.edit.isEmpty());

    // Narrower than the button panel: widened to it.
    g = LayoutMsgBox(QSize(40, 16), NoWrap, 1, false, 21);
    EXPECT_EQ(g.client, QSize(235, 130));
    g = LayoutMsgBox(QSize(102, 16), NoWrap, 1, false, 21);
    EXPECT_EQ(g.client.width(), 235);
    g = LayoutMsgBox(QSize(103, 16), NoWrap, 1, false, 21);
    EXPECT_EQ(g.client.width(), 236);

    // Exactly the widest a label may be: not wrapped.
    g = LayoutMsgBox(QSize(332, 16), NoWrap, 1, false, 21);
    EXPECT_EQ(g.client.width(), 22 + 111 + 332);

    // The fixed parts.
    EXPECT_EQ(g.picturePanel, QRect(0, 0, 111, 95));
    EXPECT_EQ(g.pictureFrame.size(), QSize(97, 86));
    EXPECT_TRUE(g.picturePanel.contains(g.pictureFrame));
    EXPECT_EQ(g.strip, QRect(0, 95, g.client.width(), 35));
    EXPECT_EQ(g.buttonPanel, QRect(g.client.width() - 235, 95, 235, 35));
}

TEST(MsgBoxLayout, LongTextWrapsAtTheButtonPanelAndPictureWidth)
{
    int askedWidth = 0;
    const auto wrapped = [&askedWidth](int width) {
        askedWidth = width;
        return 48;
    };
    G g = LayoutMsgBox(QSize(600, 16), wrapped, 2, false, 21);
    EXPECT_EQ(askedWidth, 235 + 97);
    EXPECT_TRUE(g.wrapLabel);
    EXPECT_EQ(g.label.size(), QSize(332, 48));
    EXPECT_EQ(g.client, QSize(111 / 5 + 111 + 332, 130));
    EXPECT_EQ(g.label.top(), (95 - 48) / 2);

    // Wrapping that makes the label taller than the picture panel.
    g = LayoutMsgBox(QSize(2000, 16), [](int) { return 120; }, 1, false, 21);
    EXPECT_EQ(g.client, QSize(465, 120 + 130 / 2));
}

TEST(MsgBoxLayout, TallLabelSetsTheHeight)
{
    // Exactly as tall as the picture panel: the minimum height still holds.
    G g = LayoutMsgBox(QSize(200, 95), NoWrap, 3, false, 21);
    EXPECT_EQ(g.client.height(), 130);

    g = LayoutMsgBox(QSize(200, 160), NoWrap, 3, false, 21);
    EXPECT_EQ(g.client, QSize(22 + 111 + 200, 160 + (95 + 35) / 2));
    // Centred in the space above the strip, which stays at the bottom.
    EXPECT_EQ(g.label.top(), 15);
    EXPECT_EQ(g.label.bottom() + 1, g.strip.top() - 15);
    EXPECT_EQ(g.strip.bottom() + 1, g.client.height());
    for (const QRect& b : g.buttons)
        EXPECT_TRUE(g.buttonPanel.contains(b));
}

TEST(MsgBoxLayout, InputModeIsWideAndShowsTheEditLine)
{
    // The label's size plays no part in input mode.
    G g = LayoutMsgBox(QSize(900, 300), NoWrap, 2, true, 21);
    EXPECT_EQ(g.client, QSize(235 + 2 * 97, 130));
    EXPECT_TRUE(g.label.isEmpty());
    EXPECT_FALSE(g.wrapLabel);
    EXPECT_EQ(g.edit.height(), 21);
    EXPECT_GE(g.edit.left(), g.picturePanel.right() + 1);
    EXPECT_LE(g.edit.right(), g.client.width() - 1);
    EXPECT_GT(g.edit.width(), 200);
    EXPECT_LE(g.edit.bottom(), g.strip.top() - 1);
    EXPECT_EQ(g.buttonPanel.left(), 429 - 235);
}

TEST(MsgBoxLayout, ButtonsCentredAtFractionsOfThePanel)
{
    const QList<QList<int>> centres = {
        {235 / 2},
        {235 / 3, 235 * 2 / 3},
        {235 / 6, 235 * 3 / 6, 235 * 5 / 6},
    };
    for (int n = 1; n <= 3; ++n) {
        SCOPED_TRACE(n);
        G g = LayoutMsgBox(QSize(600, 16), [](int) { return 32; }, n, false, 21);
        ASSERT_EQ(g.buttons.size(), n);
        for (int i = 0; i < n; ++i) {
            const QRect& b = g.buttons[i];
            EXPECT_EQ(b.size(), QSize(75, 25));
            EXPECT_EQ(b.center().x() - g.buttonPanel.left(), centres[n - 1][i]);
            EXPECT_TRUE(g.buttonPanel.contains(b));
            EXPECT_EQ(b.top() - g.strip.top(), (35 - 25) / 2);
        }
    }
}

// -------------------------------------------------------------- the window

TEST(MsgBoxWindow, ShowsTextTitleAndGeometryCentredOnScreen)
{
    TForm9 form;
    EXPECT_EQ(form.objectName(), QStringLiteral("Form9"));
    form.Prepare(QStringLiteral("First paragraph.\r\rSecond paragraph."), QStringLiteral("Notice"),
                 kMbOkCancel);
    auto* label = form.findChild<QLabel*>(QStringLiteral("Label"));
    ASSERT_NE(label, nullptr);
    // A blank line between the paragraphs: two line breaks, three lines tall.
    EXPECT_EQ(label->text().count(QLatin1Char('\n')), 2);
    EXPECT_EQ(label->text(), QStringLiteral("First paragraph.\n\nSecond paragraph."));
    EXPECT_GE(label->height(), 3 * QFontMetrics(label->font()).lineSpacing() - 2);
    EXPECT_EQ(label->geometry(), form.Geometry().label);

    form.open();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Notice"));
    EXPECT_EQ(form.size(), form.Geometry().client);
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_TRUE(form.isModal());

    const QPoint screenCentre = form.screen()->availableGeometry().center();
    EXPECT_LE((form.frameGeometry().center() - screenCentre).manhattanLength(), 2);
    // Centred again every time it is shown.
    form.done(kMrOk);
    form.move(screenCentre.x() / 4, 3);
    form.Prepare(QStringLiteral("Again"), QStringLiteral("Notice"), kMbOk);
    form.open();
    EXPECT_LE((form.frameGeometry().center() - screenCentre).manhattanLength(), 2);
    form.done(kMrOk);
}

TEST(MsgBoxWindow, LongTextIsWrappedInTheWindow)
{
    TForm9 form;
    QString text;
    for (int i = 0; i < 40; ++i)
        text += QStringLiteral("word%1 ").arg(i);
    form.Prepare(text, QStringLiteral("Long"), kMbOk);
    auto* label = form.findChild<QLabel*>(QStringLiteral("Label"));
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->wordWrap());
    EXPECT_EQ(label->width(), 332);
    EXPECT_GT(label->height(), 2 * QFontMetrics(label->font()).lineSpacing());
    EXPECT_EQ(form.Geometry().client.width(), 111 / 5 + 111 + 332);

    // Markup in a message is shown as it is written.
    form.Prepare(QStringLiteral("<b>bold</b>"), QStringLiteral("Tags"), kMbOk);
    EXPECT_NEAR(label->width(),
                QFontMetrics(label->font()).horizontalAdvance(QStringLiteral("<b>bold</b>")), 2);
}

TEST(MsgBoxWindow, ClickingNoOnAShownBoxAnswersNo)
{
    QString caption;
    AnswerNextBox([&caption](TForm9& form) {
        caption = form.windowTitle();
        EXPECT_EQ(Captions(form), (QStringList{"&Yes", "&No", "Cancel"}));
        QPushButton* no = ButtonCaptioned(form, QStringLiteral("&No"));
        ASSERT_NE(no, nullptr);
        QTest::mouseClick(no, Qt::LeftButton);
    });
    EXPECT_EQ(MsgBox(QStringLiteral("Save changes to page.html?"), QStringLiteral("HTML Vesk"),
                     kMbYesNoCancel, kSoundQuestion),
              kMrNo);
    EXPECT_EQ(caption, QStringLiteral("HTML Vesk"));
    EXPECT_EQ(ShownBox(), nullptr);
}

TEST(MsgBoxWindow, EscapeOnAShownOkCancelBoxAnswersCancel)
{
    AnswerNextBox([](TForm9& form) { PressKey(form, Qt::Key_Escape); });
    EXPECT_EQ(MsgBox(QStringLiteral("Delete the file?"), QStringLiteral("Delete"), kMbOkCancel,
                     kSoundWarning),
              kMrCancel);
}

TEST(MsgBoxWindow, TypingInTheInputLineChangesTheReturnedText)
{
    QString offered;
    AnswerNextBox([&offered](TForm9& form) {
        auto* edit = form.findChild<QLineEdit*>(QStringLiteral("Edit"));
        ASSERT_NE(edit, nullptr);
        EXPECT_TRUE(edit->isVisible());
        EXPECT_EQ(form.focusWidget(), edit);
        EXPECT_EQ(form.width(), 429);
        offered = edit->text();
        // The offered text is selected, so typing replaces it.
        QTest::keyClicks(edit, QStringLiteral("index.html"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    QString input;
    EXPECT_EQ(MsgBox(QStringLiteral("page.html"), QStringLiteral("Save as"), kMbInput, kSoundNone,
                     &input),
              kMrOk);
    EXPECT_EQ(offered, QStringLiteral("page.html"));
    EXPECT_EQ(input, QStringLiteral("index.html"));

    // Cancelled, the typed text is not handed back.
    AnswerNextBox([](TForm9& form) {
        auto* edit = form.findChild<QLineEdit*>(QStringLiteral("Edit"));
        ASSERT_NE(edit, nullptr);
        QTest::keyClicks(edit, QStringLiteral("other.html"));
        QPushButton* cancel = ButtonCaptioned(form, QStringLiteral("Cancel"));
        ASSERT_NE(cancel, nullptr);
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    EXPECT_EQ(MsgBox(QStringLiteral("page.html"), QStringLiteral("Save as"), kMbInput, kSoundNone,
                     &input),
              kMrCancel);
    EXPECT_EQ(input, QStringLiteral("index.html"));
}

} // namespace
} // namespace vesk

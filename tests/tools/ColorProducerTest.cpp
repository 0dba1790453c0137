// The colour producer: colour forms, reading and writing the BODY tag, and
// the window driven through its controls.
#include "controls/SlideBar.h"
#include "tools/ColorCodes.h"
#include "tools/ColorProducer.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace vesk {
namespace {

std::string Text(const TVeskMemoCore& e)
{
    return e.GetTextPart(0, e.CharCount());
}

TEST(ColorCodes, ConversionsBetweenTheTwoForms)
{
    EXPECT_EQ(GetHTTPColor("112233"), "332211");
    EXPECT_EQ(GetHTTPColor(GetHTTPColor("A1B2C3")), "A1B2C3");
    EXPECT_EQ(GetHTTPColor("12345"), "12345");
    const TColorValue red = MakeColor(0xFF, 0, 0);
    EXPECT_EQ(red, 0x0000FF);
    EXPECT_EQ(ColorToBBGGRR(red), "0000FF");
    EXPECT_EQ(ColorToHtml(red), "FF0000");
    EXPECT_EQ(ColorFromHtml("ff0000"), red);
    EXPECT_EQ(ColorFromHtml("FF00G0"), std::nullopt);
    EXPECT_EQ(ColorFromHtml("FF000"), std::nullopt);

    EXPECT_EQ(ColorFromSelection("00FF00"), MakeColor(0, 0xFF, 0));
    EXPECT_EQ(ColorFromSelection("color=#0000FF;"), MakeColor(0, 0, 0xFF));
    EXPECT_EQ(ColorFromSelection("#12"), std::nullopt);
    EXPECT_EQ(ColorFromSelection("nothing"), std::nullopt);
}

TEST(ColorCodes, PageColoursComeFromTheFirstBodyTag)
{
    const TPageColors defaults = DefaultPageColors();
    EXPECT_EQ(ColorToHtml(defaults[pcBackground]), "FFFFFF");
    EXPECT_EQ(ColorToHtml(defaults[pcLink]), "0000FF");
    EXPECT_EQ(ColorToHtml(defaults[pcActive]), "800080");
    EXPECT_EQ(ReadBodyColors("<p>no body</p>"), defaults);

    const TPageColors read =
        ReadBodyColors("<html><Body bgcolor=\"#ff0000\" link=#00FF00 vlink=\"#12\" text=\"000080\">x</body>");
    EXPECT_EQ(ColorToHtml(read[pcBackground]), "FF0000");
    EXPECT_EQ(ColorToHtml(read[pcLink]), "00FF00");
    EXPECT_EQ(read[pcVisited], defaults[pcVisited]);  // not six digits: the default
    EXPECT_EQ(read[pcText], defaults[pcText]);  // no "#" after TEXT=
    EXPECT_EQ(read[pcActive], defaults[pcActive]);
}

TEST(ColorCodes, InsertingTheBodyColours)
{
    TPageColors colors = DefaultPageColors();
    colors[pcBackground] = MakeColor(0xFF, 0, 0);

    // A bare <body> gets the attributes in the reverse of the writing order.
    TVeskMemoCore bare;
    bare.SetTextBuf("<html><body>text</body>");
    bare.Select(14, 12);
    InsertBodyColors(bare, colors);
    EXPECT_EQ(Text(bare), "<html><body ALINK=\"#800080\" VLINK=\"#800080\" LINK=\"#0000FF\" TEXT=\"#000000\" "
                          "BGCOLOR=\"#FF0000\">text</body>");
    EXPECT_EQ(bare.SelStart(), 12);  // caret and selection as they were
    EXPECT_EQ(bare.SelLength(), 2);
    bare.Undo();  // one step
    EXPECT_EQ(Text(bare), "<html><body>text</body>");

    // Present attributes are rewritten in place, whatever their case.
    TVeskMemoCore present;
    present.SetTextBuf("<body bgcolor=\"#00ff00\" class=x text=\"#123456\">");
    InsertBodyColors(present, colors);
    EXPECT_EQ(Text(present), "<body ALINK=\"#800080\" VLINK=\"#800080\" LINK=\"#0000FF\" BGCOLOR=\"#FF0000\" "
                             "class=x TEXT=\"#000000\">");

    TVeskMemoCore head;
    head.SetTextBuf("<head></HEAD>\r\nrest");
    InsertBodyColors(head, colors);
    EXPECT_EQ(Text(head), "<head></HEAD><BODY BGCOLOR=\"#FF0000\" TEXT=\"#000000\" LINK=\"#0000FF\" "
                          "VLINK=\"#800080\" ALINK=\"#800080\">\r\nrest");
    TVeskMemoCore none;
    none.SetTextBuf("just text");
    InsertBodyColors(none, colors);
    EXPECT_EQ(Text(none).substr(0, 17), "<BODY BGCOLOR=\"#F");
    EXPECT_EQ(Text(none).substr(Text(none).size() - 11), "\">just text");
}

TEST(ColorCodes, TextColourReplacesOnlyTheDigitsAfterTheHash)
{
    TVeskMemoCore editor;
    editor.SetTextBuf("p { color=#00FF00; }");
    editor.Select(4, 18);
    InsertTextColor(editor, MakeColor(0x12, 0x34, 0x56));
    EXPECT_EQ(Text(editor), "p { color=#123456; }");
    editor.Select(0, 1);
    InsertTextColor(editor, MakeColor(0xAB, 0, 0));
    EXPECT_EQ(Text(editor), "AB0000 { color=#123456; }");
}

// Radio buttons take clicks on their circle and caption only.
void ClickRadio(QRadioButton* radio)
{
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
}

struct Window {
    TVeskMemoCore editor;
    TForm3 form;
    Window(const std::string& text, std::int32_t anchor, std::int32_t caret, int mode = TForm3::omMainWindow)
    {
        editor.SetTextBuf(text);
        editor.Select(anchor, caret);
        form.SetEditor(&editor);
        form.SetOpeningMode(mode);
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    QLineEdit* Edit(const char* name) { return form.findChild<QLineEdit*>(QString::fromLatin1(name)); }
    TSlideBar* Bar(const char* name) { return form.findChild<TSlideBar*>(QString::fromLatin1(name)); }
    template <typename T>
    T* Find(const char* name) { return form.findChild<T*>(QString::fromLatin1(name)); }
};

TEST(ColorProducer, ASelectedColourOpensInTextModeAndGoesBackUnchanged)
{
    Window w("color FF0000 here", 6, 12);
    EXPECT_TRUE(w.form.TextMode());
    EXPECT_EQ(w.Edit("Edit3")->text(), "FF");  // red
    EXPECT_EQ(w.Edit("Edit2")->text(), "00");
    EXPECT_EQ(w.Edit("Edit1")->text(), "00");
    EXPECT_EQ(w.Bar("ScrollBar3")->Position(), 255);
    EXPECT_FALSE(w.Find<QRadioButton>("RadioButton3")->isEnabled());
    EXPECT_EQ(w.editor.SelStart(), 12);  // opening leaves caret and selection alone
    EXPECT_EQ(w.editor.SelLength(), -6);
    QTest::mouseClick(w.Find<QPushButton>("Button1"), Qt::LeftButton);
    EXPECT_EQ(Text(w.editor), "color FF0000 here");
    EXPECT_EQ(w.form.result(), QDialog::Accepted);
}

TEST(ColorProducer, TheTextColourIsRememberedUnlessTheSelectionOffersOne)
{
    TVeskMemoCore editor;
    editor.SetTextBuf("plain words, then 0000FF");
    editor.Select(0, 5);
    TForm3 form;
    form.SetEditor(&editor);
    form.show();
    QTest::mouseClick(form.findChild<QFrame*>(QStringLiteral("Panel11")), Qt::LeftButton);  // red
    form.hide();
    form.show();  // opened again on a selection without a colour: red is kept
    EXPECT_EQ(form.findChild<QLineEdit*>(QStringLiteral("Edit3"))->text(), "FF");
    EXPECT_EQ(form.TextColor(), MakeColor(0xFF, 0, 0));
    form.hide();
    editor.Select(18, 24);
    form.show();  // a selection that is a colour replaces it
    EXPECT_EQ(form.TextColor(), MakeColor(0, 0, 0xFF));
    EXPECT_EQ(form.findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(), "FF");
}

TEST(ColorProducer, BoxesBarsAndSwatchesStayInStep)
{
    Window w("", 0, 0);
    QLineEdit* green = w.Edit("Edit2");
    green->selectAll();
    QTest::keyClicks(green, "G");
    EXPECT_EQ(green->text(), "00");  // not a hexadecimal digit
    green->selectAll();
    QTest::keyClicks(green, "7f");
    EXPECT_EQ(w.Bar("ScrollBar2")->Position(), 0x7F);
    EXPECT_EQ(w.form.TextColor(), MakeColor(0, 0x7F, 0));

    // Each bar is labelled with its colour's letter, just left of it.
    const std::pair<const char*, const char*> letters[] = {{"R", "ScrollBar3"}, {"G", "ScrollBar2"}, {"B", "ScrollBar1"}};
    for (const auto& [letter, bar] : letters) {
        auto* label = w.form.findChild<QLabel*>(QStringLiteral("BarLabel") + letter);
        ASSERT_TRUE(label) << letter;
        EXPECT_EQ(label->text(), letter);
        EXPECT_LE(label->geometry().right(), w.Bar(bar)->geometry().left());
        EXPECT_GE(label->geometry().left(), w.Bar(bar)->geometry().left() - 20);
    }

    // A bar moved by keys writes its box.
    w.Bar("ScrollBar3")->setFocus();
    QTest::keyClick(w.Bar("ScrollBar3"), Qt::Key_Home);
    EXPECT_EQ(w.Edit("Edit3")->text(), "FF");
    EXPECT_EQ(w.form.TextColor(), MakeColor(0xFF, 0x7F, 0));

    // A swatch shows its colour everywhere.
    QTest::mouseClick(w.Find<QFrame>("Panel4"), Qt::LeftButton);  // green 008000
    EXPECT_EQ(w.Edit("Edit3")->text(), "00");
    EXPECT_EQ(w.Edit("Edit2")->text(), "80");
    EXPECT_EQ(w.Bar("ScrollBar2")->Position(), 0x80);
    EXPECT_EQ(w.Find<QLabel>("Label1")->palette().color(QPalette::WindowText), QColor(0, 0x80, 0));

    // One digit in a box counts as that digit, not shifted into the next part.
    green->setText("F");
    EXPECT_EQ(w.form.TextColor(), MakeColor(0, 0xF, 0));
}

TEST(ColorProducer, HoldingAStepButtonRepeatsOneUnitAtATimeUntilReleased)
{
    Window w("", 0, 0);
    TSlideBar* blue = w.Bar("ScrollBar1");
    std::vector<int> seen;
    auto* up = w.Find<QPushButton>("BitBtn4");  // above the blue bar
    QObject::connect(w.Edit("Edit1"), &QLineEdit::textChanged,
                     [&](const QString& t) { seen.push_back(t.toInt(nullptr, 16)); });
    QTest::mousePress(up, Qt::LeftButton);
    EXPECT_EQ(blue->Position(), 1);
    QTest::qWaitFor([&]() { return blue->Position() >= 4; }, 5000);
    QTest::mouseRelease(up, Qt::LeftButton);
    const int stopped = blue->Position();
    ASSERT_GE(stopped, 4);
    for (std::size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], int(i) + 1);  // one unit at a time
    QTest::qWait(150);
    EXPECT_EQ(blue->Position(), stopped);  // released: no more steps

    QTest::mousePress(w.Find<QPushButton>("BitBtn1"), Qt::LeftButton);
    QTest::mouseRelease(w.Find<QPushButton>("BitBtn1"), Qt::LeftButton);
    EXPECT_EQ(blue->Position(), stopped - 1);
}

TEST(ColorProducer, PageSettingsReadAndWriteTheBodyTag)
{
    Window w("<body bgcolor=\"#FF0000\">x</body>", 0, 0);
    ClickRadio(w.Find<QRadioButton>("RadioButton2"));
    EXPECT_FALSE(w.form.TextMode());
    EXPECT_TRUE(w.Find<QRadioButton>("RadioButton3")->isEnabled());
    EXPECT_EQ(w.form.PageTarget(), pcBackground);
    EXPECT_EQ(w.Edit("Edit3")->text(), "FF");
    EXPECT_EQ(w.Find<QFrame>("Panel1")->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_TRUE(w.Find<QLabel>("Label4")->isVisibleTo(&w.form));
    EXPECT_FALSE(w.Find<QLabel>("Label1")->isVisibleTo(&w.form));

    // The link colour: its radio button loads it, a swatch changes it.
    ClickRadio(w.Find<QRadioButton>("RadioButton5"));
    EXPECT_EQ(w.Edit("Edit1")->text(), "FF");  // blue 0000FF
    QTest::mouseClick(w.Find<QFrame>("Panel12"), Qt::LeftButton);  // lime
    EXPECT_EQ(ColorToHtml(w.form.PageColors()[pcLink]), "00FF00");
    EXPECT_EQ(w.Find<QLabel>("Label4")->palette().color(QPalette::WindowText), QColor(0, 255, 0));

    QTest::mouseClick(w.Find<QPushButton>("Button1"), Qt::LeftButton);
    EXPECT_EQ(Text(w.editor), "<body ALINK=\"#800080\" VLINK=\"#800080\" LINK=\"#00FF00\" TEXT=\"#000000\" "
                              "BGCOLOR=\"#FF0000\">x</body>");
}

TEST(ColorProducer, TheWizardModesFillItsBoxesInsteadOfTheDocument)
{
    Window font("#00FF00", 0, 7, TForm3::omWizardFont);
    EXPECT_FALSE(font.Find<QRadioButton>("RadioButton2")->isEnabled());
    QString received;
    font.form.OnFontColor = [&](const QString& c) { received = c; };
    QTest::mouseClick(font.Find<QPushButton>("Button1"), Qt::LeftButton);
    EXPECT_EQ(received, "00FF00");
    EXPECT_EQ(Text(font.editor), "#00FF00");

    Window body("<body text=\"#112233\">", 0, 0, TForm3::omWizardBody);
    EXPECT_FALSE(body.form.TextMode());
    EXPECT_FALSE(body.Find<QRadioButton>("RadioButton1")->isEnabled());
    TPageColors colors{};
    body.form.OnBodyColors = [&](const TPageColors& c) { colors = c; };
    QTest::mouseClick(body.Find<QPushButton>("Button1"), Qt::LeftButton);
    EXPECT_EQ(ColorToHtml(colors[pcText]), "112233");
    EXPECT_EQ(ColorToHtml(colors[pcBackground]), "FFFFFF");
    EXPECT_EQ(Text(body.editor), "<body text=\"#112233\">");
}

} // namespace
} // namespace vesk

// Tests of the quick-code builder: defaults, every template, choice and alignment groups, and insertion into an editor.
#include "tools/QuickCodes.h"

#include "editor/VeskMemoCore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QFile>
#include <QString>

#include <set>
#include <string>

namespace vesk {
namespace {

const QDate kToday(2024, 3, 7);  // single-digit month and day: both must be padded
const QString CRLF = QStringLiteral("\r\n");

class QuickCodes : public ::testing::Test {
protected:
    QString path() const { return dir_.file("quickcod.ini"); }

    void Write(const char* ini) const { ASSERT_TRUE(test::WriteFileBytes(path(), ini)); }

    // The one text a code other than the Web Site Shell builds.
    QString Build(int code, const QString& sel = {}) const
    {
        const auto insertions = BuildQuickCode(code, path(), sel, kToday);
        EXPECT_EQ(insertions.size(), 1u);
        if (insertions.size() != 1)
            return QStringLiteral("<nothing built>");
        EXPECT_EQ(insertions[0].where, TQuickCodeInsertion::ReplaceSelection);
        return insertions[0].text;
    }

    QString ShellHead() const
    {
        const auto insertions = BuildQuickCode(qcWebSiteShell, path(), QStringLiteral("ignored"), kToday);
        EXPECT_EQ(insertions.size(), 2u);
        if (insertions.size() != 2)
            return {};
        EXPECT_EQ(insertions[0].where, TQuickCodeInsertion::AtStart);
        EXPECT_EQ(insertions[1].where, TQuickCodeInsertion::AtEnd);
        EXPECT_EQ(insertions[1].text, "</BODY></HTML>" + CRLF);
        return insertions[0].text;
    }

    test::TempDir dir_;
};

const QString kFramesetType =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Frameset//EN\"" + CRLF +
    "\"http://www.w3.org/TR/REC-html40/frameset.dtd\">" + CRLF;

TEST_F(QuickCodes, WithoutSettingsFileEveryCodeUsesItsDefaults)
{
    // The three HTML 4.0 keys default to yes and the last one wins: Frameset.
    EXPECT_EQ(ShellHead(), kFramesetType + "<HTML><HEAD><TITLE>The Page's Title</TITLE>" + CRLF +
                               "<META NAME=\"generator\" CONTENT=\"HTML Vesk\">" + CRLF +
                               "<META NAME=\"author\" CONTENT=\"Your Name\">" + CRLF +
                               "<META NAME=\"keywords\" CONTENT=\"keyword, keyword, keyword\">" + CRLF +
                               "<META NAME=\"description\" CONTENT=\"Description\">" + CRLF +
                               "</HEAD><BODY>" + CRLF);
    // Page7 "right" defaults to yes but "align" to no: no ALIGN.
    EXPECT_EQ(Build(qcPicture), "<IMG SRC=\"picture.gif\" ALT=\"This is a Picture\">");
    EXPECT_EQ(Build(qcLinkHref, "here"),
              "<A HREF=\"http://www.example.com/\" TITLE=\"Link Title\">here</A>");
    EXPECT_EQ(Build(qcLinkName, "here"), "<A NAME=\"Jump Name\">here</A>");
    // "align" defaults to yes with no alignment chosen: nothing is added.
    EXPECT_EQ(Build(qcLine), "<HR WIDTH=\"90%\"><BR>");
    // The default "Last Updated - " keeps its closing blank.
    EXPECT_EQ(Build(qcCopyright),
              "<ADDRESS>" + CRLF + "Last Updated - 03/07/2024<BR>" + CRLF +
                  "<A HREF=\"mailto:yourname@example.com\">yourname@example.com</A><BR>" + CRLF +
                  "&copyCopyright 1999 by Your Name - All Rights Reserved<BR>" + CRLF + "</ADDRESS>");
    // "size" defaults to yes with no size chosen: a bare SIZE=.
    EXPECT_EQ(Build(qcFont, "x"), "<FONT SIZE= FACE=\"Arial\">x</FONT>");
    EXPECT_EQ(Build(qcBullets, "x"), "<UL><LI>x" + CRLF + "<LI>x" + CRLF + "</UL>");
    EXPECT_EQ(Build(qcNumbered, "x"), "<OL><LI>x" + CRLF + "<LI>x" + CRLF + "</OL>");
    EXPECT_EQ(Build(qcDictionary, "x"), "<DL><DT>x<DD>" + CRLF + "<DT>x<DD>" + CRLF + "</DL>");
    EXPECT_EQ(Build(qcMenu, "x"), "<MENU><LI>x" + CRLF + "<LI>x" + CRLF + "</MENU>");
}

TEST_F(QuickCodes, WebSiteShellWithEverySettingOn)
{
    Write("[Page0]\nHTML4=1\nHTML4T=0\nHTML4F=0\nTitle=\"  My Page  \"\ngenerator=0\n"
          "[Page1]\nauthor=1\nauthortext=\"Ann\"\nkeywords=0\ndescription=1\ndescriptiontext=\"About\"\n"
          "[Page2]\nmade=1\nstylesheet=1\nstylesheettext=\"s.css\"\nhome=1\n"
          "[Page3]\ntoc=1\nindex=1\nglossary=1\ncopyright=1\n"
          "[Page4]\nup=1\nnext=1\nprevious=1\nhelp=1\nhelptext=\"h.htm\"\n"
          "[Page5]\nbkgrdimage=1\nbkgrdimagetext=\"bg.gif\"\nbodycolors=1\nbkground=\"000080\"\n"
          "text=\"#FFFF00\"\n");
    EXPECT_EQ(ShellHead(),
              "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\"" + CRLF +
                  "\"http://www.w3.org/TR/REC-html40/strict.dtd\">" + CRLF +
                  "<HTML><HEAD><TITLE>  My Page  </TITLE>" + CRLF +
                  "<META NAME=\"author\" CONTENT=\"Ann\">" + CRLF +
                  "<META NAME=\"description\" CONTENT=\"About\">" + CRLF +
                  "<LINK REV=\"made\" HREF=\"yourname@example.com\">" + CRLF +
                  "<LINK REL=\"stylesheet\" HREF=\"s.css\">" + CRLF +
                  "<LINK REL=\"home\" HREF=\"homepage.htm\">" + CRLF +
                  "<LINK REL=\"toc\" HREF=\"tableofcontents.htm\">" + CRLF +
                  "<LINK REL=\"index\" HREF=\"index.htm\">" + CRLF +
                  "<LINK REL=\"glossary\" HREF=\"glossary.htm\">" + CRLF +
                  "<LINK REL=\"copyright\" HREF=\"copyright.htm\">" + CRLF +
                  "<LINK REL=\"up\" HREF=\"up.htm\">" + CRLF +
                  "<LINK REL=\"next\" HREF=\"next.htm\">" + CRLF +
                  "<LINK REL=\"previous\" HREF=\"previous.htm\">" + CRLF +
                  "<LINK REL=\"help\" HREF=\"h.htm\">" + CRLF +
                  // A colour typed with its "#" does not get a second one.
                  "</HEAD><BODY BACKGROUND=\"bg.gif\" BGCOLOR=\"#000080\" TEXT=\"#FFFF00\" "
                  "LINK=\"#FF0000\" ALINK=\"#800080\" VLINK=\"#800080\">" + CRLF);
}

TEST_F(QuickCodes, DocumentTypeIsTheLastVersionThatReadsYes)
{
    const QString strictType = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\"" + CRLF +
                               "\"http://www.w3.org/TR/REC-html40/strict.dtd\">" + CRLF;
    const QString looseType = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\"" +
                              CRLF + "\"http://www.w3.org/TR/REC-html40/loose.dtd\">" + CRLF;
    const QString html32 = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">" + CRLF;
    const QString html20 = "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 2.0//EN\">" + CRLF;
    const struct {
        const char* ini;
        QString type;
    } cases[] = {
        {"[Page0]\nHTML4F=0\n", looseType},
        {"[Page0]\nHTML4T=0\nHTML4F=0\n", strictType},
        {"[Page0]\nHTML3=1\n", html32},           // after all three 4.0 defaults
        {"[Page0]\nHTML3=1\nHTML2=7\n", html20},  // any non-zero is yes
        {"[Page0]\nHTML4=0\nHTML4T=0\nHTML4F=0\n", QString()},
        {"[page0]\nhtml4f=0\nHTML4t=0\nhtml4=1\n", strictType},  // names ignore case
    };
    for (const auto& c : cases) {
        Write(c.ini);
        const QString head = ShellHead();
        EXPECT_TRUE(head.startsWith(c.type + "<HTML><HEAD><TITLE>")) << c.ini << "\n" << head.toStdString();
    }
}

TEST_F(QuickCodes, PictureWithEveryAttribute)
{
    Write("[Page6]\npicture=\"img/a b.png\"\nalt=0\nwidth=1\nwidthnum=120\nheight=1\nheightnum=80\n"
          "[Page7]\nalign=1\nright=1\nleft=0\ntop=1\nmiddle=0\nbottom=1\n"
          "[Page8]\nvspace=1\nvspacenum=3\nhspace=1\nhspacenum=4\nborder=1\n");
    // Every alignment that reads yes is written, in the fixed order.
    EXPECT_EQ(Build(qcPicture),
              "<IMG SRC=\"img/a b.png\" WIDTH=120 HEIGHT=80 ALIGN=right ALIGN=top ALIGN=bottom "
              "VSPACE=3 HSPACE=4 BORDER=0>");
    // Without "align" no choice is written, however many read yes.
    Write("[Page7]\nalign=0\nright=1\nleft=1\ntop=1\nmiddle=1\nbottom=1\n");
    EXPECT_EQ(Build(qcPicture), "<IMG SRC=\"picture.gif\" ALT=\"This is a Picture\">");
    Write("[Page7]\nalign=1\nright=0\nmiddle=1\nleft=1\n");
    EXPECT_EQ(Build(qcPicture),
              "<IMG SRC=\"picture.gif\" ALT=\"This is a Picture\" ALIGN=left ALIGN=middle>");
}

TEST_F(QuickCodes, LinkHrefJoinsAddressAndJump)
{
    // Link off, jump on: only the anchor, with "#" put in front.
    Write("[Page9]\nlink=0\njump=1\njumptext=top\n");
    EXPECT_EQ(Build(qcLinkHref, "here"), "<A HREF=\"#top\" TITLE=\"Link Title\">here</A>");
    // A jump that already has its "#" keeps just the one.
    Write("[Page9]\nlink=1\nlinktext=\"page.htm\"\njump=1\njumptext=\"#sec\"\ntitle=0\n");
    EXPECT_EQ(Build(qcLinkHref, "here"), "<A HREF=\"page.htm#sec\">here</A>");
    Write("[Page9]\nlink=1\nlinktext=\"page.htm\"\njump=1\njumptext=\"sec\"\ntitle=1\ntitletext=\" T \"\n");
    EXPECT_EQ(Build(qcLinkHref), "<A HREF=\"page.htm#sec\" TITLE=\" T \"></A>");
    Write("[Page9]\nlink=0\njump=0\ntitle=0\n");
    EXPECT_EQ(Build(qcLinkHref, "a" + CRLF + "b"), "<A HREF=\"\">a" + CRLF + "b</A>");
    Write("[Page10]\nnametext=\"sec 2\"\n");
    EXPECT_EQ(Build(qcLinkName), "<A NAME=\"sec 2\"></A>");
}

TEST_F(QuickCodes, LineWithEveryAttribute)
{
    Write("[Page11]\nwidth=1\nwidthtext=\"300\"\nalign=1\nleft=1\ncenter=0\nright=1\nsize=1\nsizenum=5\n"
          "noshade=1\n");
    EXPECT_EQ(Build(qcLine), "<HR WIDTH=\"300\" ALIGN=left ALIGN=right SIZE=\"5\" NOSHADE><BR>");
    Write("[Page11]\nwidth=0\nalign=0\ncenter=1\n");
    EXPECT_EQ(Build(qcLine), "<HR><BR>");
    Write("[Page11]\nwidth=0\ncenter=1\nsize=1\n");
    EXPECT_EQ(Build(qcLine), "<HR ALIGN=center SIZE=\"2\"><BR>");
}

TEST_F(QuickCodes, CopyrightLines)
{
    Write("[Page12]\ndateline=1\nbeforedatetext=\"Updated: \"\nafterdatetext=\" (UTC)\"\n"
          "emailline=1\nbeforeemailtext=\"Mail \"\nemailtext=\"me@x.org\"\nlinktext=\"me\"\n"
          "afteremailtext=\" now\"\n"
          "[Page13]\ncopyline=1\ncopysymbol=0\ncopytext=\"(c) Me\"\nmiscline=1\nmisctext=\"Hi\"\n");
    EXPECT_EQ(Build(qcCopyright),
              "<ADDRESS>" + CRLF + "Updated: 03/07/2024 (UTC)<BR>" + CRLF +
                  "Mail <A HREF=\"mailto:me@x.org\">me</A> now<BR>" + CRLF + "(c) Me<BR>" + CRLF +
                  "Hi<BR>" + CRLF + "</ADDRESS>");
    Write("[Page12]\ndateline=0\nemailline=0\n[Page13]\ncopyline=0\ncopysymbol=1\n");
    EXPECT_EQ(Build(qcCopyright), "<ADDRESS>" + CRLF + "</ADDRESS>");
    // The symbol is "&copy" without a semicolon, straight before the text.
    Write("[Page12]\ndateline=1\nbeforedatetext=\"\"\nemailline=0\n[Page13]\ncopytext=\"Me\"\n");
    const QString late = BuildQuickCode(qcCopyright, path(), {}, QDate(1999, 12, 31))[0].text;
    EXPECT_EQ(late, "<ADDRESS>" + CRLF + "12/31/1999<BR>" + CRLF + "&copyMe<BR>" + CRLF + "</ADDRESS>");
}

TEST_F(QuickCodes, FontSizeColourAndFace)
{
    // Sizes are one choice: the last that reads yes wins, quoted.
    Write("[Page14]\nsize=1\n2=1\n5=1\n3=1\ncolor=1\ncolortext=\"#FF0000\"\nface=0\n");
    EXPECT_EQ(Build(qcFont, "t"), "<FONT SIZE=\"5\" COLOR=\"#FF0000\">t</FONT>");
    Write("[Page14]\nsize=1\n3=1\ncolor=1\ncolortext=FF0000\nface=1\nfacetext=\"Times, serif\"\n");
    EXPECT_EQ(Build(qcFont, "t"), "<FONT SIZE=\"3\" COLOR=\"#FF0000\" FACE=\"Times, serif\">t</FONT>");
    // None chosen: " SIZE=" directly followed by the next attribute or ">".
    Write("[Page14]\nsize=1\ncolor=1\n");
    EXPECT_EQ(Build(qcFont, "t"), "<FONT SIZE= COLOR=\"#FFFFFF\" FACE=\"Arial\">t</FONT>");
    Write("[Page14]\nsize=1\nface=0\n");
    EXPECT_EQ(Build(qcFont, "t"), "<FONT SIZE=>t</FONT>");
}

TEST_F(QuickCodes, BulletsRepeatTheSelection)
{
    Write("[Page15]\nnum=3\n");
    EXPECT_EQ(Build(qcBullets, "x"), "<UL><LI>x" + CRLF + "<LI>x" + CRLF + "<LI>x" + CRLF + "</UL>");
    // The whole selection, line breaks included, goes into every item.
    Write("[Page15]\nnum=2\ntype=1\ndisc=1\nsquare=1\ncircle=0\ncompact=1\n");
    EXPECT_EQ(Build(qcBullets, "a" + CRLF + "b"),
              "<UL TYPE=\"square\" COMPACT><LI>a" + CRLF + "b" + CRLF + "<LI>a" + CRLF + "b" + CRLF +
                  "</UL>");
    Write("[Page15]\nnum=1\ntype=1\n");
    EXPECT_EQ(Build(qcBullets), "<UL TYPE=\"disc\"><LI>" + CRLF + "</UL>");
    Write("[Page15]\nnum=1\ntype=1\ndisc=0\n");
    EXPECT_EQ(Build(qcBullets), "<UL TYPE=\"\"><LI>" + CRLF + "</UL>");
}

TEST_F(QuickCodes, NumberedTypesDifferInMoreThanCase)
{
    // The wizard writes all five; each alone gives its own TYPE, so upper
    // and lower case choices never share an entry.
    const struct {
        const char* ini;
        const char* type;
    } cases[] = {
        {"UpperRoman=1\nUpperAlpha=0\nArabic=0\nLowerAlpha=0\nLowerRoman=0\n", "I"},
        {"UpperRoman=0\nUpperAlpha=1\nArabic=0\nLowerAlpha=0\nLowerRoman=0\n", "A"},
        {"UpperRoman=0\nUpperAlpha=0\nArabic=1\nLowerAlpha=0\nLowerRoman=0\n", "1"},
        {"UpperRoman=0\nUpperAlpha=0\nArabic=0\nLowerAlpha=1\nLowerRoman=0\n", "a"},
        {"UpperRoman=0\nUpperAlpha=0\nArabic=0\nLowerAlpha=0\nLowerRoman=1\n", "i"},
        {"UpperRoman=1\n", "1"},                     // Arabic defaults to yes and comes later
        {"UpperAlpha=1\nArabic=0\nlowerroman=1\n", "i"},  // last yes wins
        {"Arabic=0\n", ""},
    };
    for (const auto& c : cases) {
        Write((std::string("[Page16]\ntype=1\nnum=1\n") + c.ini).c_str());
        EXPECT_EQ(Build(qcNumbered, "n"),
                  QStringLiteral("<OL TYPE=\"%1\"><LI>n").arg(QLatin1String(c.type)) + CRLF + "</OL>")
            << c.ini;
    }
    Write("[Page16]\ntype=0\nstart=1\nstartnum=4\ncompact=1\nnum=1\n");
    EXPECT_EQ(Build(qcNumbered, "n"), "<OL START=4 COMPACT><LI>n" + CRLF + "</OL>");
}

TEST_F(QuickCodes, DictionaryAndMenuLists)
{
    Write("[Page17]\ncompact=1\nnum=3\n[Page18]\ncompact=1\nnum=1\n");
    EXPECT_EQ(Build(qcDictionary, "d"),
              "<DL COMPACT><DT>d<DD>" + CRLF + "<DT>d<DD>" + CRLF + "<DT>d<DD>" + CRLF + "</DL>");
    EXPECT_EQ(Build(qcMenu, "m"), "<MENU COMPACT><LI>m" + CRLF + "</MENU>");
}

TEST_F(QuickCodes, ZeroOrNegativeNumGivesTheTagsOnly)
{
    Write("[Page15]\nnum=0\n[Page16]\nnum=-3\n[Page17]\nnum=0\n[Page18]\nnum=-1\n");
    EXPECT_EQ(Build(qcBullets, "x"), "<UL></UL>");
    EXPECT_EQ(Build(qcNumbered, "x"), "<OL></OL>");
    EXPECT_EQ(Build(qcDictionary, "x"), "<DL></DL>");
    EXPECT_EQ(Build(qcMenu, "x"), "<MENU></MENU>");
}

TEST_F(QuickCodes, HugeNumIsHeldToTheWizardsBoundAndSaysSo)
{
    Write("[Page15]\nnum=2147483647\n[Page16]\nnum=1001\n[Page17]\nnum=1000\n[Page18]\nnum=99999999999\n");
    const struct {
        int code;
        bool held;  // a notice is given
    } rows[] = {{qcBullets, true}, {qcNumbered, true}, {qcDictionary, false}, {qcMenu, true}};
    for (const auto& row : rows) {
        QString notice;
        const auto built = BuildQuickCode(row.code, path(), QStringLiteral("x"), kToday, &notice);
        ASSERT_EQ(built.size(), 1u) << row.code;
        EXPECT_EQ(built[0].text.count(QStringLiteral("x")), kQuickCodeMaxItems) << row.code;
        EXPECT_EQ(!notice.isEmpty(), row.held) << row.code;
    }
    QString notice;
    BuildQuickCode(qcBullets, path(), QStringLiteral("x"), kToday, &notice);
    EXPECT_TRUE(notice.contains(QStringLiteral("2147483647"))) << notice.toStdString();
    // Within the bound, a selection so long that the list would be enormous
    // still builds nothing.
    EXPECT_TRUE(BuildQuickCode(qcBullets, path(), QString(200000, u'x'), kToday).empty());
}

TEST_F(QuickCodes, ValuesAreReadThroughTheProfileRules)
{
    // Quotes keep blanks; an unquoted value is trimmed; names ignore case;
    // a number that is not a number reads as its default; any non-zero
    // yes/no is yes and a yes/no that is not a number reads as its default.
    Write("[PAGE6]\nPICTURE=  a.gif  \nAlt=-1\nalttext=\"  spaced  \"\nwidth=2\nwidthnum=abc\n"
          "height=yes\nheightnum=7\n"
          "[Page8]\nborder=1\nbordernum=\"\"\n");
    EXPECT_EQ(Build(qcPicture), "<IMG SRC=\"a.gif\" ALT=\"  spaced  \" WIDTH=50 BORDER=0>");
    Write("[Page6]\nwidth=1\nwidthnum=\n[Page8]\nvspace=1\nvspacenum=12px\n");
    EXPECT_EQ(Build(qcPicture), "<IMG SRC=\"picture.gif\" ALT=\"This is a Picture\" WIDTH=50 VSPACE=12>");
}

TEST_F(QuickCodes, SettingsAreReadAfreshForEveryBuild)
{
    Write("[Page10]\nnametext=first\n");
    EXPECT_EQ(Build(qcLinkName), "<A NAME=\"first\"></A>");
    Write("[Page10]\nnametext=the second one\n");
    EXPECT_EQ(Build(qcLinkName), "<A NAME=\"the second one\"></A>");
    ASSERT_TRUE(QFile::remove(path()));
    EXPECT_EQ(Build(qcLinkName), "<A NAME=\"Jump Name\"></A>");
}

TEST_F(QuickCodes, UnknownCodesBuildNothing)
{
    EXPECT_TRUE(BuildQuickCode(-1, path(), {}, kToday).empty());
    EXPECT_TRUE(BuildQuickCode(kQuickCodeCount, path(), {}, kToday).empty());
}

TEST(QuickCodeTables, MenuAndKeyTablesAgreeWithTheCodes)
{
    for (int code = 0; code < kQuickCodeCount; ++code)
        EXPECT_EQ(int(kQuickCodeMenuItems[code].code), code);

    // No two keys of a section may meet in a reader that ignores case.
    std::set<std::string> seen;
    for (const TQuickCodeKey& key : QuickCodeKeys()) {
        const std::string folded =
            QString::fromLatin1(key.section).toLower().toStdString() + "/" +
            QString::fromLatin1(key.key).toLower().toStdString();
        EXPECT_TRUE(seen.insert(folded).second) << folded;
    }
    const TQuickCodeKey* beforeDate = FindQuickCodeKey("page12", "BEFOREDATETEXT");
    ASSERT_NE(beforeDate, nullptr);
    EXPECT_STREQ(beforeDate->defaultValue, "Last Updated - ");
    EXPECT_EQ(beforeDate->kind, TQuickCodeKeyKind::Text);
    EXPECT_EQ(FindQuickCodeKey("Page16", "i"), nullptr);
    EXPECT_NE(FindQuickCodeKey("Page16", kNumberedLowerRomanKey), nullptr);
}

// ---- insertion into an editor ---------------------------------------------

std::string AllText(const TVeskMemoCore& editor) { return editor.GetTextPart(0, editor.CharCount()); }

TEST_F(QuickCodes, WebSiteShellKeepsTheDocumentBetweenHeadAndEnd)
{
    Write("[Page0]\nHTML4=0\nHTML4T=0\nHTML4F=0\ngenerator=0\nTitle=T\n"
          "[Page1]\nauthor=0\nkeywords=0\ndescription=0\n");
    TVeskMemoCore editor;
    editor.SetTextBuf("<P>one</P>\r\n<P>two</P>");
    // Made right to left, the selection reaches forward from the caret and
    // would swallow the document's start if it were not collapsed first.
    editor.Select(8, 3);
    EXPECT_TRUE(InsertQuickCode(editor, qcWebSiteShell, path(), kToday));
    EXPECT_EQ(AllText(editor), "<HTML><HEAD><TITLE>T</TITLE>\r\n</HEAD><BODY>\r\n"
                               "<P>one</P>\r\n<P>two</P></BODY></HTML>\r\n");
    EXPECT_EQ(editor.SelStart(), editor.CharCount());
    EXPECT_EQ(editor.SelLength(), 0);
    editor.Undo();  // both insertions in one step
    EXPECT_EQ(AllText(editor), "<P>one</P>\r\n<P>two</P>");

    // With no settings file: the Frameset type, and an empty document too.
    ASSERT_TRUE(QFile::remove(path()));
    TVeskMemoCore empty;
    EXPECT_TRUE(InsertQuickCode(empty, qcWebSiteShell, path(), kToday));
    const QString text = QString::fromStdString(AllText(empty));
    EXPECT_TRUE(text.startsWith(kFramesetType)) << AllText(empty);
    EXPECT_TRUE(text.endsWith("</HEAD><BODY>\r\n</BODY></HTML>\r\n")) << AllText(empty);
}

TEST_F(QuickCodes, InsertionWrapsTheSelectionInEitherDirection)
{
    Write("[Page9]\nlink=0\njump=1\njumptext=top\ntitle=0\n");
    TVeskMemoCore editor;
    editor.SetTextBuf("go here now");
    editor.Select(7, 3);  // made right to left: caret at 3, anchor at 7
    ASSERT_EQ(editor.SelText(), "here");
    EXPECT_TRUE(InsertQuickCode(editor, qcLinkHref, path(), kToday));
    EXPECT_EQ(AllText(editor), "go <A HREF=\"#top\">here</A> now");
    EXPECT_EQ(editor.SelStart(), 3 + int(std::string("<A HREF=\"#top\">here</A>").size()));
    EXPECT_EQ(editor.SelLength(), 0);

    // A selection across a paragraph break is repeated whole; non-ASCII survives.
    Write("[Page15]\nnum=2\n");
    editor.SetTextBuf("é1\r\nb2");
    editor.Select(1, 5);
    EXPECT_TRUE(InsertQuickCode(editor, qcBullets, path(), kToday));
    EXPECT_EQ(AllText(editor), "é<UL><LI>1\r\nb\r\n<LI>1\r\nb\r\n</UL>2");

    // Nothing selected: goes in at the caret.
    editor.SetTextBuf("ab");
    editor.Select(1, 1);
    EXPECT_TRUE(InsertQuickCode(editor, qcLine, path(), kToday));
    EXPECT_EQ(AllText(editor), "a<HR WIDTH=\"90%\"><BR>b");
}

TEST_F(QuickCodes, NothingBuiltLeavesTheEditorAlone)
{
    // A thousand copies of a 200 000-character selection are too long to build.
    Write("[Page16]\nnum=1000\n");
    TVeskMemoCore editor;
    const std::string keep(200000, 'k');
    editor.SetTextBuf(keep + " me");
    editor.Select(0, 200000);
    EXPECT_FALSE(InsertQuickCode(editor, qcNumbered, path(), kToday));
    EXPECT_FALSE(InsertQuickCode(editor, 11, path(), kToday));
    EXPECT_EQ(AllText(editor), keep + " me");
    EXPECT_EQ(editor.SelText(), keep);
}

} // namespace
} // namespace vesk

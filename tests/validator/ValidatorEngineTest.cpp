// The validation engine against small rules files of its own: every error
// code with its message and line, the scanner's quirks, the nesting walk,
// closing, the end of the document, text runs and the run's life cycle.
#include "ValidatorTestUtil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <string>
#include <thread>
#include <sys/stat.h>

namespace vesk {
namespace {

using test::RecordingResults;
using test::RulesFile;
using test::Validate;

// A small HTML-like rule set. Sections that a test adds must not repeat
// these (the first section of a name wins).
const std::string kBase = R"([StartTag]
0=,HTML,HEAD,TITLE,BODY,P,B,I,BR,IMG,TABLE,TR,TD,
1=UL,LI,DIV,FONT,A,DL,DT,DD,
[NoEndTag]
0=,BR,IMG,
[OptEndTag]
0=,HTML,HEAD,BODY,P,LI,TR,TD,
[HTML]
elem=,HEAD,BODY,
[HEAD]
elem=,TITLE,
ReqElem1=". TITLE"
[TITLE]
chars=1
[BODY]
elem=%block
[%block]
elem=,P,DIV,TABLE,UL,DL,
[DIV]
elem=%flow
[%flow]
elem=,P,DIV,TABLE,UL,DL,B,I,BR,IMG,A,FONT,
[P]
elem=%inline
align=(,LEFT,RIGHT,)
[%inline]
elem=,B,I,BR,IMG,A,FONT,
[B]
elem=%inline
[I]
elem=%inline
[A]
elem=%inline
attr=%attrs
[%attrs]
href=URI
name=NAME
[IMG]
src=CDATA
alt=CDATA
width=NUMBER
ReqAttr1=src
ReqAttr2=alt
[FONT]
elem=%inline
color=COLOR
size=SIZE
[TABLE]
elem=,TR,
ReqElem1=.+TR
[TR]
elem=,TD,
[TD]
elem=%flow
[UL]
elem=,LI,
[LI]
elem=%flow
[DL]
elem=,DT,DD,
ReqElem1=,+DT
ReqElem2=,+DD
[DT]
elem=%inline
[DD]
elem=%flow
)";

QStringList Check(const std::string& extra, std::string_view text)
{
    RulesFile rules(kBase + extra);
    return Validate(rules, text);
}

const QString kNone = QStringLiteral("No Errors Found");

// ---- scanner and document basics ---------------------------------------------

TEST(ValidatorEngine, EmptyDocumentCommentsAndDeclarationsGiveNoErrors)
{
    EXPECT_EQ(Check("", ""), QStringList{kNone});
    // "!" stays at the front of the name collected up to ">", so the first
    // tag inside a comment is not checked; the name is cleared at that ">",
    // so a second one is.
    EXPECT_EQ(Check("", "<!-- <BLINK> -->"), QStringList{kNone});
    EXPECT_EQ(Check("", "<!-- <BLINK> <B> -->"),
              QStringList{"1: Error 16 - Begin tag, <B> found, but required end tag, </B> not found."});
    EXPECT_EQ(Check("", R"(<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01//EN">)"), QStringList{kNone});
}

TEST(ValidatorEngine, AnUnclosedTagRunsItsNameIntoTheNextTag)
{
    // "<B " is checked as B at the next "<", and the name goes on: "BI".
    EXPECT_EQ(Check("", "<B <I>x"),
              (QStringList{"1: Error 1 - Unknown Tag :BI.",
                           "1: Error 16 - Begin tag, <B> found, but required end tag, </B> not found."}));
}

TEST(ValidatorEngine, AGreaterThanInsideQuotesStillEndsTheTag)
{
    // The value stays open: error 15, then the value check of "5%" (NUMBER).
    EXPECT_EQ(Check("", R"(<IMG src="a" alt="b" width="5%>)"),
              (QStringList{"1: Error 15 - Beginning or Ending Quote Marks not found in WIDTH.",
                           "1: Error 8 - The value, 5%, is not valid for WIDTH."}));
}

TEST(ValidatorEngine, LineNumbersAreTheSameForEveryLineBreakConvention)
{
    for (const char* br : {"\r\n", "\n", "\r"}) {
        const std::string text = std::string("<P>") + br + br + "<BLINK>" + br + "</BLINK>";
        EXPECT_EQ(Check("", text), (QStringList{"3: Error 1 - Unknown Tag :BLINK.", "4: Error 1 - Unknown Tag :BLINK."}))
            << "break " << int(br[0]) << " " << std::string(br).size();
    }
}

TEST(ValidatorEngine, AnErrorInATagOverSeveralLinesIsPlacedByItsComputedPosition)
{
    // The "<" is on line 1. Error 6 stands at the start of the attributes
    // (line 2); error 8 at the character that ended the value (line 3).
    EXPECT_EQ(Check("", "<IMG\r\nsrc=\"a.gif\"\r\nwidth=\"5x\">"),
              (QStringList{"2: Error 6 - The required element, alt, was not found in <IMG>.",
                           "3: Error 8 - The value, 5X, is not valid for WIDTH."}));
    // An attribute in the middle is placed at the blank that ends it: here
    // the line break closing line 2.
    EXPECT_EQ(Check("", "<IMG src=\"a\" alt=\"b\"\r\nborder=\"0\"\r\nwidth=\"1\">"),
              (QStringList{"2: Error 7 - BORDER in <IMG> is not valid."}));
    EXPECT_EQ(Check("", "<IMG src=\"a\" alt=\"b\"\r\nborder=\"0\" width=\"1\">"),
              (QStringList{"2: Error 7 - BORDER in <IMG> is not valid."}));
}

TEST(ValidatorEngine, ATabInATagCountsAsABlank)
{
    // Pages indented with tabs: a tab ends the name, separates attributes
    // and stands before the first one exactly as a blank or a line break.
    const struct {
        const char* text;
        QStringList entries;
    } cases[] = {
        {"<IMG\r\n\tsrc=\"a.png\"\r\n\talt=\"A\">", {kNone}},
        {"<IMG\tsrc=\"a.png\"\talt=\"A\"\t>", {kNone}},
        {"<P\talign=\"left\">x<B\t>y</B\t>", {kNone}},
        {"<P\talign=\"up\">", {"1: Error 8 - The value, UP, is not valid for ALIGN."}},
        {"<IMG src=\"a\"\talt=\"b\"\r\n\t\twidth=\"5%\">", {"2: Error 8 - The value, 5%, is not valid for WIDTH."}},
        // Inside quotes a tab belongs to the value, as a blank does.
        {"<P\talign=\"left\tx\">", {"1: Error 8 - The value, LEFT X, is not valid for ALIGN."}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Check("", c.text), c.entries) << c.text;
}

TEST(ValidatorEngine, NonAsciiTextCountsCharactersNotBytes)
{
    // "é" and "€" are one character each; positions stay on their lines.
    // Only a-z are upper-cased.
    EXPECT_EQ(Check("", "<P>caf\xC3\xA9 \xE2\x82\xAC\r\n<P align=\"\xC3\xA9t\xC3\xA9\">"),
              QStringList{QString::fromUtf8("2: Error 8 - The value, \xC3\xA9T\xC3\xA9, is not valid for ALIGN.")});
}

// ---- error codes ----------------------------------------------------------------

TEST(ValidatorEngine, Error1UnknownTagsAndLowerCaseListNames)
{
    EXPECT_EQ(Check("", "<HTML>\r\n<BLINK>x</BLINK>\r\n</HTML>"),
              (QStringList{"2: Error 1 - Unknown Tag :BLINK.", "2: Error 1 - Unknown Tag :BLINK."}));
    // Names in the StartTag list must be upper case; lower case in an elem
    // list or an enumeration does no harm.
    RulesFile rules("[StartTag]\n0=,P,b,I,\n[P]\nelem=,i,\nalign=(,left,)\n[I]\nchars=1\n");
    EXPECT_EQ(Validate(rules, "<b>"), QStringList{"1: Error 1 - Unknown Tag :B."});
    EXPECT_EQ(Validate(rules, "<P align=\"LEFT\"><I>x</I></P>"), QStringList{kNone});
}

TEST(ValidatorEngine, Error2EndTagOfAnEmptyElement)
{
    EXPECT_EQ(Check("", "<P>a\r\nb<BR></BR>"), QStringList{"2: Error 2 - </BR> is not allowed."});
}

TEST(ValidatorEngine, EmptyElementsAreNeverPushed)
{
    // BR is in NoEndTag only under key "1", which the end of the document
    // does not read: were BR pushed, it would be reported there.
    const std::string rules = "[StartTag]\n0=,BR,SPAN,\n[NoEndTag]\n0=,IMG,\n1=BR,\n[SPAN]\nchars=1\n";
    EXPECT_EQ(Validate(RulesFile(rules), "<BR><BR>"), QStringList{kNone});
    EXPECT_EQ(Validate(RulesFile(rules), "<SPAN>"),
              QStringList{"1: Error 16 - Begin tag, <SPAN> found, but required end tag, </SPAN> not found."});
}

TEST(ValidatorEngine, Error3NestingAndTheHtmlHeadBodyRule)
{
    EXPECT_EQ(Check("", "<DIV>\r\n<B><DIV>x</DIV></B></DIV>"),
              QStringList{"2: Error 3 - <DIV> is not allowed between <B> and </B>."});
    // BODY may end implicitly, but not when "</BODY" follows in the text.
    EXPECT_EQ(Check("", "<HTML><BODY>\r\n<LI>x</BODY></HTML>"),
              QStringList{"2: Error 3 - <LI> is not allowed between <BODY> and </BODY>."});
    // Without it the walk passes BODY and HTML and reaches the bottom.
    EXPECT_EQ(Check("", "<HTML><BODY>\r\n<LI>x"), QStringList{kNone});
    // Error 3 stands at the start of the attributes.
    EXPECT_EQ(Check("", "<B><DIV\r\nclass=\"x\"></DIV></B>"),
              (QStringList{"2: Error 3 - <DIV> is not allowed between <B> and </B>.",
                           "2: Error 7 - CLASS in <DIV> is not valid."}));
}

TEST(ValidatorEngine, ImplicitlyClosedElementsStayOpenUntilAnEndTagPopsThem)
{
    EXPECT_EQ(Check("", "<BODY><P>one<P>two</BODY>"), QStringList{kNone});
    // P is optional for the tag checks (key "1") but not for the end of the
    // document (key "0" only): both P start tags are still open there.
    const std::string rules = "[StartTag]\n0=,BODY,P,\n[OptEndTag]\n0=,BODY,\n1=P,\n[BODY]\nelem=,P,\n[P]\nchars=1\n";
    EXPECT_EQ(Validate(RulesFile(rules), "<BODY>\r\n<P>one\r\n<P>two\r\n</BODY>"), QStringList{kNone});
    EXPECT_EQ(Validate(RulesFile(rules), "<BODY>\r\n<P>one\r\n<P>two"),
              (QStringList{"3: Error 16 - Begin tag, <P> found, but required end tag, </P> not found.",
                           "2: Error 16 - Begin tag, <P> found, but required end tag, </P> not found."}));
}

TEST(ValidatorEngine, TheNestingWalkAnswersTheSameOverLongRunsOfOpenElements)
{
    // Hundreds of implicitly closed P and LI entries between the new tag and
    // the element that allows it; alternating names too.
    std::string text = "<BODY>";
    for (int i = 0; i < 500; ++i)
        text += "<P>x";
    text += "<DIV>y</DIV><UL>";
    for (int i = 0; i < 300; ++i)
        text += "<LI><P>z";
    text += "<LI>last</UL></BODY>";
    EXPECT_EQ(Check("", text), QStringList{kNone});
    // A walk that passes P entries still stops at a B that is not optional.
    EXPECT_EQ(Check("", "<BODY><B><P>x<P>y<P>z<TABLE>"),
              (QStringList{"1: Error 3 - <P> is not allowed between <B> and </B>.",
                           "1: Error 3 - <P> is not allowed between <B> and </B>.",
                           "1: Error 3 - <P> is not allowed between <B> and </B>.",
                           "1: Error 3 - <TABLE> is not allowed between <B> and </B>.",
                           "1: Error 16 - Begin tag, <TABLE> found, but required end tag, </TABLE> not found.",
                           "1: Error 16 - Begin tag, <B> found, but required end tag, </B> not found."}));
}

TEST(ValidatorEngine, Error4AndTheEndTagsThatAreIgnored)
{
    EXPECT_EQ(Check("", "<BODY><DIV><B>x\r\n</DIV>"),
              (QStringList{"2: Error 4 - The End Tag, </DIV> found but </B> expected.",
                           "1: Error 16 - Begin tag, <B> found, but required end tag, </B> not found.",
                           "1: Error 16 - Begin tag, <DIV> found, but required end tag, </DIV> not found."}));
    // Nothing named B open, and no "B" anywhere in the stack's text: ignored.
    EXPECT_EQ(Check("", "</B>"), QStringList{kNone});
    EXPECT_EQ(Check("", "<P>x</B>"), QStringList{kNone});
    // "B" occurs in "BODY:…": HTML and BODY are popped as optional and the
    // expected name is empty.
    EXPECT_EQ(Check("", "<HTML><BODY></B>"), QStringList{"1: Error 4 - The End Tag, </B> found but </> expected."});
}

TEST(ValidatorEngine, ClosingStopsWhenTheStackRunsEmptyEvenIfAListHoldsAnEmptyName)
{
    // ",," in OptEndTag makes the empty name optional; popping must still
    // end with the stack (this would otherwise never finish).
    const std::string rules = "[StartTag]\n0=,BODY,B,\n[OptEndTag]\n0=,,BODY,\n[BODY]\nelem=,B,\n";
    EXPECT_EQ(Validate(RulesFile(rules), "<BODY></B>"),
              QStringList{"1: Error 4 - The End Tag, </B> found but </> expected."});
}

TEST(ValidatorEngine, Error5RequiredElementMissing)
{
    EXPECT_EQ(Check("", "<BODY>\r\n<TABLE>\r\n</TABLE>"),
              QStringList{"3: Error 5 - The required element, <TR>, was not found between <TABLE> and </TABLE>."});
    EXPECT_EQ(Check("", "<HEAD>\r\n</HEAD>"),
              QStringList{"2: Error 5 - The required element, <TITLE>, was not found between <HEAD> and </HEAD>."});
    EXPECT_EQ(Check("", "<HEAD><TITLE>t</TITLE></HEAD>"), QStringList{kNone});
}

TEST(ValidatorEngine, ContentRulesAreThoseOfTheInnermostOpenElement)
{
    // At </DIV> the innermost element is the implicitly closed P, whose
    // rule ("o": content required) is applied, not DIV's.
    RulesFile rules("[StartTag]\n0=,DIV,P,\n[OptEndTag]\n0=,P,\n[DIV]\nelem=,P,\n[P]\nchars=1\nReqElem1=.oP\n");
    EXPECT_EQ(Validate(rules, "<DIV><P></DIV>"), QStringList{"1: Error 13 - Content is required between <P> and </P>."});
    EXPECT_EQ(Validate(rules, "<DIV><P>x</DIV>"), QStringList{kNone});
    // The searched text runs from the start tag's ">" to the end tag's ">",
    // so the end tag's own name is part of it.
    RulesFile itself("[StartTag]\n0=,TABLE,\n[TABLE]\nchars=1\nReqElem1=.+TABLE\n");
    EXPECT_EQ(Validate(itself, "<TABLE>x</TABLE>"), QStringList{kNone});
}

TEST(ValidatorEngine, TextOutsideEveryElementAnswersToTheRulesOfTheEmptyName)
{
    // An end tag with no known element open (an unknown tag, or an empty
    // stack) applies the content rules of the section with the empty name,
    // over the text from the start of the document.
    const std::string rules = "[]\nReqElem1=.+B\nReqElem2=,?<P\n";
    const struct {
        const char* text;
        QStringList entries;
    } cases[] = {
        // "B" is found in "</BLINK": the ordered "?<P" (not found) comes before it.
        {"</BLINK>",
         {"1: Error 1 - Unknown Tag :BLINK.",
          "1: Error 10 - The element, <P, is not in the correct place between <> and </>."}},
        {"<P>one<P>two</FOO>",
         {"1: Error 1 - Unknown Tag :FOO.", "1: Error 5 - The required element, <B>, was not found between <> and </>.",
          "1: Error 11 - The element, <P, is only allowed once between <> and </>."}},
        {"text <P>x</P> more</P>", {"1: Error 5 - The required element, <B>, was not found between <> and </>."}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Check(rules, c.text), c.entries) << c.text;
}

TEST(ValidatorEngine, AnElementKeepsTheContentRulesItOpenedWith)
{
    // Content rules are followed from the start tag on: the first TABLE is
    // checked against the rule it opened with, though the file loses that
    // rule while it is open; the second opens without it.
    RulesFile rules(kBase);
    std::string withoutRule = kBase;
    withoutRule.erase(withoutRule.find("ReqElem1=.+TR\n"), 14);
    RecordingResults r;
    bool changed = false;
    r.onAdd = [&](const QString&) {
        if (!changed) {
            rules.Write(withoutRule);
            changed = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    };
    EXPECT_EQ(Validate(rules, "<TABLE><BLINK>\r\n</TABLE>\r\n<TABLE></TABLE>", &r),
              (QStringList{"1: Error 1 - Unknown Tag :BLINK.",
                           "2: Error 5 - The required element, <TR>, was not found between <TABLE> and </TABLE>."}));
}

TEST(ValidatorEngine, Error6RequiredAttributeIsAPlainSubstringTest)
{
    EXPECT_EQ(Check("", "<P>\r\n<IMG src=\"a.gif\">"),
              QStringList{"2: Error 6 - The required element, alt, was not found in <IMG>."});
    // "alt" is found inside "alternate.gif".
    EXPECT_EQ(Check("", "<IMG src=\"alternate.gif\">"), QStringList{kNone});
    EXPECT_EQ(Check("", "<IMG>"),
              (QStringList{"1: Error 6 - The required element, src, was not found in <IMG>.",
                           "1: Error 6 - The required element, alt, was not found in <IMG>."}));
}

TEST(ValidatorEngine, Error7AttributeWithoutAType)
{
    EXPECT_EQ(Check("", "<P\r\nclass=\"x\">"), QStringList{"2: Error 7 - CLASS in <P> is not valid."});
    // Attributes without a value, empty quoted values and blanks around "="
    // are not examined.
    EXPECT_EQ(Check("", "<P compact class=\"\" id = \"x\">"), QStringList{kNone});
}

TEST(ValidatorEngine, Error8ValuesOfEachKind)
{
    // A WIDTH written with blanks around "=" is not examined; without them,
    // "5%" is not a NUMBER.
    EXPECT_EQ(Check("", "<IMG src=\"a\" alt=\"b\" width = \"5%\">"), QStringList{kNone});
    EXPECT_EQ(Check("", "<IMG src=\"a\" alt=\"b\" width=\"5%\">"),
              QStringList{"1: Error 8 - The value, 5%, is not valid for WIDTH."});
    // Colours: "#FFF" and names pass; seven digits and non-hex digits fail;
    // the value is shown upper-cased as the scanner collected it.
    EXPECT_EQ(Check("", "<FONT color=\"#fff\"></FONT><FONT color=\"navy\"></FONT><FONT color=\"#\"></FONT>"),
              QStringList{kNone});
    EXPECT_EQ(Check("", "<FONT color=\"#1234567\"></FONT>\n<FONT color=\"#gg0000\"></FONT>"),
              (QStringList{"1: Error 8 - The value, #1234567, is not valid for COLOR.",
                           "2: Error 8 - The value, #GG0000, is not valid for COLOR."}));
    // Enumerations compare upper-cased on both sides.
    EXPECT_EQ(Check("", "<P align=\"left\">"), QStringList{kNone});
    EXPECT_EQ(Check("", "<P align=\"middle\">"), QStringList{"1: Error 8 - The value, MIDDLE, is not valid for ALIGN."});
    // A type name outside the table (URI) fails every non-empty value.
    EXPECT_EQ(Check("", "<A href=\"x.htm\">a</A><A href=\"\">b</A>"),
              QStringList{"1: Error 8 - The value, X.HTM, is not valid for HREF."});
    // "=" inside quotes is not part of the value.
    EXPECT_EQ(Check("", "<FONT size=\"=+=2\"></FONT>"), QStringList{kNone});
}

TEST(ValidatorEngine, Error10RequiredOrder)
{
    EXPECT_EQ(Check("", "<DL>\r\n<DD>b</DD><DT>a</DT></DL>"),
              QStringList{"2: Error 10 - The element, DD, is not in the correct place between <DL> and </DL>."});
    // An ordered rule whose element is missing also fails the order test
    // (0 < 1); the next rule then compares with 0.
    EXPECT_EQ(Check("", "<DL></DL>"),
              (QStringList{"1: Error 5 - The required element, <DT>, was not found between <DL> and </DL>.",
                           "1: Error 10 - The element, DT, is not in the correct place between <DL> and </DL>.",
                           "1: Error 5 - The required element, <DD>, was not found between <DL> and </DL>."}));
    EXPECT_EQ(Check("", "<DL><DT>a</DT><DD>b</DD></DL>"), QStringList{kNone});
}

TEST(ValidatorEngine, Error11OnlyOnce)
{
    EXPECT_EQ(Check("", "<HEAD><TITLE>a</TITLE>\r\n<TITLE>b</TITLE></HEAD>"),
              QStringList{"2: Error 11 - The element, TITLE, is only allowed once between <HEAD> and </HEAD>."});
    // "?" looks for its text (with the "<") a second time.
    RulesFile rules("[StartTag]\n0=,DIV,P,\n[DIV]\nelem=,P,\nReqElem1=.?<p\n[P]\nchars=1\n");
    EXPECT_EQ(Validate(rules, "<DIV><P>a</P></DIV>"), QStringList{kNone});
    EXPECT_EQ(Validate(rules, "<DIV><P>a</P>\n<P>b</P></DIV>"),
              QStringList{"2: Error 11 - The element, <p, is only allowed once between <DIV> and </DIV>."});
}

TEST(ValidatorEngine, Error12NotAllowedAndError13ContentRequired)
{
    RulesFile rules("[StartTag]\n0=,A,P,\n[A]\nelem=,A,\nReqElem1=.-<a\n[P]\nchars=1\nReqElem1=.oP\n");
    EXPECT_EQ(Validate(rules, "<A>a<A>b</A>\r\n</A>"),
              QStringList{"2: Error 12 - The element, <a, is not allowed between <A> and </A>."});
    EXPECT_EQ(Validate(rules, "<P>\r\n</P>"), QStringList{kNone});
    EXPECT_EQ(Validate(rules, "<P> </P>"), QStringList{kNone});
    EXPECT_EQ(Validate(rules, "<P></P>"), QStringList{"1: Error 13 - Content is required between <P> and </P>."});
    // The "<" of the end tag counts, not the length of its name.
    EXPECT_EQ(Validate(rules, "<P></P >"), QStringList{"1: Error 13 - Content is required between <P> and </P>."});
}

TEST(ValidatorEngine, Error15UnclosedQuote)
{
    EXPECT_EQ(Check("", "<A\r\nhref=\"x>a</A>"),
              (QStringList{"2: Error 15 - Beginning or Ending Quote Marks not found in HREF.",
                           "2: Error 8 - The value, X, is not valid for HREF."}));
}

TEST(ValidatorEngine, Error16ElementsLeftOpen)
{
    // TABLE is reported on the line of its start tag's ">"; TR, TD and P
    // are in key "0" of OptEndTag and are not.
    EXPECT_EQ(Check("", "<BODY><P>x\r\n<TABLE\r\n>\r\n<TR><TD>x"),
              QStringList{"3: Error 16 - Begin tag, <TABLE> found, but required end tag, </TABLE> not found."});
}

// ---- text runs ----------------------------------------------------------------

TEST(ValidatorEngine, TextRunsAreCheckedAgainstTheSectionWithTheEmptyName)
{
    const std::string tags = "[StartTag]\n0=,P,\n[P]\nchars=1\n";
    // No such section: text is not checked.
    EXPECT_EQ(Validate(RulesFile(tags), "<P>hello</P><P>bye</P>"), QStringList{kNone});
    // An enumeration: membership, error 8 with an empty context at the
    // run's first character.
    RulesFile listed(tags + "[]\nchars=(,hello,)\n");
    EXPECT_EQ(Validate(listed, "<P>hello</P><P>\r\nbye</P>"),
              QStringList{"1: Error 8 - The value,   BYE, is not valid for ."});
    // Any other type fails every non-empty run, CDATA too.
    RulesFile cdata(tags + "[]\nchars=CDATA\n");
    EXPECT_EQ(Validate(cdata, "<P>a</P><P></P>"), QStringList{"1: Error 8 - The value, A, is not valid for ."});
}

// ---- end of document and the run ------------------------------------------------

TEST(ValidatorEngine, CountlessMadeUpNamesLeaveTheOpenElementsIntact)
{
    // More distinct names than the engine keeps records for: the records of
    // the open TABLE, TR and TD must outlive the forgetting.
    std::string page = "<TABLE><TR><TD>\r\n";
    for (int i = 0; i < 50500; ++i)
        page += "<u" + std::to_string(i) + ">";
    page += "\r\n</TD></TR></TABLE><TABLE>";
    const QStringList entries = Check("", page);
    ASSERT_EQ(entries.size(), 50501);
    EXPECT_EQ(entries[50499], "2: Error 1 - Unknown Tag :U50499.");
    EXPECT_EQ(entries[50500], "3: Error 16 - Begin tag, <TABLE> found, but required end tag, </TABLE> not found.");
}

TEST(ValidatorEngine, MissingRulesFileMakesEveryTagUnknown)
{
    test::TempDir dir;
    EXPECT_EQ(Validate(dir.fileStd(QStringLiteral("absent.ini")), "<HTML><P class=\"x\" id>t</P></HTML>"),
              (QStringList{"1: Error 1 - Unknown Tag :HTML.", "1: Error 1 - Unknown Tag :P.",
                           "1: Error 7 - CLASS in <P> is not valid.", "1: Error 1 - Unknown Tag :P.",
                           "1: Error 1 - Unknown Tag :HTML."}));
}

TEST(ValidatorEngine, ARunReportsStatusProgressAndTheFirstError)
{
    RulesFile rules(kBase);
    RecordingResults r;
    const std::string text = "<P>" + std::string(20000, 'x') + "<BLINK>";
    TValidator validator(rules.Path());
    validator.SetEventInterval(0);
    TPlainTextDocument doc;
    doc.SetText(text);
    ASSERT_TRUE(validator.Validator(doc, r));
    EXPECT_EQ(r.entries, QStringList{"1: Error 1 - Unknown Tag :BLINK."});
    EXPECT_EQ(r.statuses, (QStringList{"Validating ", "Validating Finished"}));
    EXPECT_EQ(r.shown, 1);
    EXPECT_EQ(r.firstErrorShown, 1);
    EXPECT_EQ(r.progressMax, std::int32_t(text.size()));
    ASSERT_GE(r.progress.size(), 3);
    EXPECT_EQ(r.progress.front(), 0);
    EXPECT_EQ(r.progress.back(), 0);
    EXPECT_GT(r.progress[r.progress.size() - 2], 10000);  // moved during the scan
    EXPECT_EQ(validator.ErrorCount(), 1);
    EXPECT_FALSE(validator.Running());
}

TEST(ValidatorEngine, ClosingTheResultsStopsTheScanButNotTheEndOfDocument)
{
    RulesFile rules(kBase);
    RecordingResults r;
    r.onEvents = [&] { r.visible = false; };
    TValidator validator(rules.Path());
    validator.SetEventInterval(0);
    TPlainTextDocument doc;
    doc.SetText("<TABLE>\r\n<BLINK><BLINK>");
    validator.Validator(doc, r);
    // Stopped after the first check: no error 1, but TABLE is reported
    // open, and neither "No Errors Found" nor the jump follow.
    EXPECT_EQ(r.entries,
              QStringList{"1: Error 16 - Begin tag, <TABLE> found, but required end tag, </TABLE> not found."});
    EXPECT_EQ(r.firstErrorShown, 0);
    EXPECT_EQ(r.statuses.back(), "Validating Finished");

    RecordingResults quiet;
    quiet.onEvents = [&] { quiet.visible = false; };
    doc.SetText("<P>x<P>y<P>z");
    validator.Validator(doc, quiet);
    EXPECT_TRUE(quiet.entries.isEmpty());
}

TEST(ValidatorEngine, ASecondRequestDuringARunIsIgnored)
{
    RulesFile rules(kBase);
    TValidator validator(rules.Path());
    validator.SetEventInterval(0);
    TPlainTextDocument doc, other;
    doc.SetText("<P>a<P>b<BLINK>");
    other.SetText("<FOO>");
    RecordingResults r, second;
    int refused = 0;
    r.onEvents = [&] {
        if (!validator.Validator(other, second))
            ++refused;
    };
    ASSERT_TRUE(validator.Validator(doc, r));
    EXPECT_GE(refused, 2);
    EXPECT_EQ(second.shown, 0);
    EXPECT_TRUE(second.entries.isEmpty());
    EXPECT_EQ(r.entries, QStringList{"1: Error 1 - Unknown Tag :BLINK."});
    // Afterwards a new run is accepted again.
    EXPECT_TRUE(validator.Validator(other, second));
    EXPECT_EQ(second.entries, QStringList{"1: Error 1 - Unknown Tag :FOO."});
}

TEST(ValidatorEngine, AChangedRulesFileTakesEffectAtTheNextCheckWithinARun)
{
    RulesFile rules("[StartTag]\n0=,P,\n");
    RecordingResults r;
    bool changed = false;
    r.onAdd = [&](const QString&) {
        if (!changed) {
            rules.Write("[StartTag]\n0=,P,BLINK,\n");
            changed = true;
            // Changes are looked for every millisecond or so.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    };
    EXPECT_EQ(Validate(rules, "<BLINK>\r\n<BLINK>", &r), QStringList{"1: Error 1 - Unknown Tag :BLINK."});
}

TEST(ValidatorEngine, AChangeToALongUnchangedRulesFileIsSeen)
{
    // A file whose times lie well in the past is trusted on its stamp; a
    // rewrite changes the stamp and what was derived from it is dropped.
    RulesFile rules("[StartTag]\n0=,P,\n");
    auto age = [&] {
        const timespec t[2] = {{1000000000, 0}, {1000000000, 0}};
        ::utimensat(AT_FDCWD, rules.Path().c_str(), t, 0);
    };
    age();
    RecordingResults r;
    bool changed = false;
    r.onAdd = [&](const QString&) {
        if (!changed) {
            rules.Write("[StartTag]\n0=,BLINK,\n");
            age();
            changed = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    };
    EXPECT_EQ(Validate(rules, "<P><BLINK>\n<BLINK><P>", &r),
              (QStringList{"1: Error 1 - Unknown Tag :BLINK.", "2: Error 1 - Unknown Tag :P."}));
}

} // namespace
} // namespace vesk

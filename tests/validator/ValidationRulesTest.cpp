// The rules file as the validator reads it: joined name lists, the
// end-of-document key, references, type names, the missing file.
#include "ValidatorTestUtil.h"
#include "validator/ValidationRules.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vesk {
namespace {

using test::RulesFile;
using test::Validate;

const QString kNone = QStringLiteral("No Errors Found");

TEST(ValidationRules, ListsJoinNumberedKeysUpToTheFirstEmptyOne)
{
    RulesFile rules("[StartTag]\n0=,A,B,\n1=C,D,\n[starttag]\n2=E,\n[NoEndTag]\n0=,BR,\n2=IMG,\n"
                    "[OptEndTag]\n0=,P,\n1=\n2=LI,\n");
    TValidationRules r(rules.Path());
    EXPECT_EQ(r.List("StartTag"), ",A,B,C,D,");
    EXPECT_EQ(r.List("NoEndTag"), ",BR,");   // a gap ends the list
    EXPECT_EQ(r.List("OptEndTag"), ",P,");   // so does an empty value
    EXPECT_EQ(r.ListFirstKey("StartTag"), ",A,B,");
    // C, from key "1", is a known element.
    EXPECT_EQ(Validate(rules, "<C><E>"), QStringList{"1: Error 1 - Unknown Tag :E."});
}

TEST(ValidationRules, EndOfDocumentReadsOnlyKeyZero)
{
    // TABLE is optional under key "1": fine inside the document, reported
    // when left open at the end.
    RulesFile rules("[StartTag]\n0=,BODY,TABLE,\n[OptEndTag]\n0=,BODY,\n1=TABLE,\n[BODY]\nelem=,TABLE,\n"
                    "[TABLE]\nchars=1\n");
    EXPECT_EQ(Validate(rules, "<BODY><TABLE></BODY>"), QStringList{kNone});
    EXPECT_EQ(Validate(rules, "<BODY><TABLE>"),
              QStringList{"1: Error 16 - Begin tag, <TABLE> found, but required end tag, </TABLE> not found."});
}

TEST(ValidationRules, ReferencesAreFollowedOneLevel)
{
    RulesFile rules(
        "[StartTag]\n0=,BODY,DIV,B,IMG,A,\n"
        "[BODY]\nelem=%block\n"
        "[%block]\nelem=,div,\n"
        "[DIV]\nelem=%inline\n"
        "[%inline]\nelem=%text\n"
        "[%text]\nelem=,B,\n"
        "[IMG]\nReqAttr1=%req\nReqAttr2=title\ntitle=CDATA\n[%req]\nReqAttr1=alt\n"
        "[A]\nchars=1\nattr=%core\nhref=CDATA\nReqElem1=%rules\n[%core]\nhref=%uri\nname=NAME\n[%uri]\nhref=CDATA\n"
        "[%rules]\nReqElem1=.+B\n");
    TValidationRules r(rules.Path());
    EXPECT_EQ(r.Referenced("BODY", "elem"), ",div,");
    // The referenced value holds "%" again: used as it stands.
    EXPECT_EQ(r.Referenced("DIV", "elem"), "%text");
    EXPECT_EQ(r.Numbered("IMG", "ReqAttr"), (std::vector<std::string>{"alt", "title"}));
    EXPECT_EQ(r.Numbered("A", "ReqElem"), (std::vector<std::string>{".+B"}));
    // Attribute types come from the `attr` section; a type is never followed.
    EXPECT_EQ(r.AttrType("A", "href"), "%uri");
    EXPECT_EQ(r.AttrType("A", "name"), "NAME");

    EXPECT_EQ(Validate(rules, "<BODY><DIV></DIV></BODY>"), QStringList{kNone});
    EXPECT_EQ(Validate(rules, "<DIV><B></DIV>"), QStringList{"1: Error 3 - <B> is not allowed between <DIV> and </DIV>."});
    EXPECT_EQ(Validate(rules, "<IMG title=\"t\">"),
              QStringList{"1: Error 6 - The required element, alt, was not found in <IMG>."});
    EXPECT_EQ(Validate(rules, "<A href=\"x\">a</A>"),
              (QStringList{"1: Error 8 - The value, X, is not valid for HREF.",
                           "1: Error 5 - The required element, <B>, was not found between <A> and </A>."}));
}

TEST(ValidationRules, AnAttrValueWithoutPercentIsIgnored)
{
    RulesFile rules("[StartTag]\n0=,P,\n[P]\nattr=coreattrs\nid=ID\n[coreattrs]\nid=CDATA\n");
    TValidationRules r(rules.Path());
    EXPECT_EQ(r.AttrType("P", "id"), "ID");
    EXPECT_EQ(Validate(rules, "<P id=\"1x\">"), QStringList{"1: Error 8 - The value, 1X, is not valid for ID."});
}

TEST(ValidationRules, MisspeltTypeNamesFailEveryNonEmptyValue)
{
    RulesFile rules("[StartTag]\n0=,A,\n[A]\nhref=URI\ntitle=cdata\n");
    EXPECT_EQ(Validate(rules, "<A href=\"index.htm\" title=\"t\" href=\"\">"),
              (QStringList{"1: Error 8 - The value, INDEX.HTM, is not valid for HREF.",
                           "1: Error 8 - The value, T, is not valid for TITLE."}));
}

TEST(ValidationRules, TextRunTypeAndMissingFile)
{
    RulesFile rules("[StartTag]\n0=,P,\n[]\nchars=(,A,)\n");
    EXPECT_EQ(TValidationRules(rules.Path()).TextRunType(), "(,A,)");
    test::TempDir dir;
    TValidationRules missing(dir.fileStd(QStringLiteral("none.ini")));
    EXPECT_EQ(missing.List("StartTag"), "");
    EXPECT_EQ(missing.Referenced("P", "elem"), "");
    EXPECT_EQ(missing.AttrType("P", "id"), "");
    EXPECT_TRUE(missing.Numbered("P", "ReqElem").empty());
}

// Lets a little time pass between a change and the look for it.
void Pause()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

TEST(ValidationRules, RefreshNoticesEveryKindOfChange)
{
    RulesFile rules("[StartTag]\n0=,P,\n");
    TValidationRules r(rules.Path());
    EXPECT_TRUE(r.Refresh());
    Pause();
    EXPECT_FALSE(r.Refresh());
    // Rewritten with the same size within the same second.
    rules.Write("[StartTag]\n0=,B,\n");
    Pause();
    EXPECT_TRUE(r.Refresh());
    Pause();
    EXPECT_FALSE(r.Refresh());
    // Touched.
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ::utimensat(AT_FDCWD, rules.Path().c_str(), old, 0);
    Pause();
    EXPECT_TRUE(r.Refresh());
    // Replaced by a rename, as editors save.
    test::WriteFileBytes(rules.Folder() + "/new.ini", "[StartTag]\n0=,I,\n");
    ASSERT_EQ(::rename((rules.Folder() + "/new.ini").toLocal8Bit().constData(), rules.Path().c_str()), 0);
    EXPECT_TRUE(r.Refresh());
    EXPECT_EQ(r.List("StartTag"), ",I,");
    // Another file of the folder changing is no news.
    test::WriteFileBytes(rules.Folder() + "/orla.ini", "[x]\n");
    Pause();
    EXPECT_FALSE(r.Refresh());
    // Deleted, and created again.
    ::unlink(rules.Path().c_str());
    EXPECT_TRUE(r.Refresh());
    EXPECT_EQ(r.List("StartTag"), "");
    rules.Write("[StartTag]\n0=,A,\n");
    EXPECT_TRUE(r.Refresh());
}

TEST(ValidationRules, ALinkedRulesFileIsLookedAtItself)
{
    // The link's target lives in another folder, out of sight of the folder
    // watch: its stamp is compared instead.
    test::TempDir elsewhere, here;
    const QString target = elsewhere.file(QStringLiteral("rules.ini"));
    test::WriteFileBytes(target, "[StartTag]\n0=,P,\n");
    const std::string link = here.fileStd(QStringLiteral("4strict.ini"));
    ASSERT_EQ(::symlink(target.toLocal8Bit().constData(), link.c_str()), 0);
    TValidationRules r(link);
    EXPECT_TRUE(r.Refresh());
    test::WriteFileBytes(target, "[StartTag]\n0=,P,B,\n");
    EXPECT_TRUE(r.Refresh());
    EXPECT_EQ(r.List("StartTag"), ",P,B,");
}

} // namespace
} // namespace vesk

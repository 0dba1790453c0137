// Tests of the code bar lists: designed defaults and Code<n>/Check<n> storage.
#include "settings/CodeLists.h"

#include "platform/ProfileFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

using test::ScopedProgramFolder;
using test::WriteFileBytes;

bool AllChecked(const std::vector<CodeItem>& items)
{
    for (const CodeItem& item : items) {
        if (item.check != kCodeChecked)
            return false;
    }
    return true;
}

TEST(CodeLists, DesignedDefaults)
{
    const std::vector<CodeItem> se = DefaultSECodes();
    ASSERT_EQ(se.size(), 78u);
    EXPECT_EQ(se.front().code, "<A>");
    EXPECT_EQ(se[27].code, "<H1>");
    EXPECT_EQ(se.back().code, "<VAR>");
    EXPECT_TRUE(AllChecked(se));

    const std::vector<CodeItem> single = DefaultSingleCodes();
    ASSERT_EQ(single.size(), 22u);
    EXPECT_EQ(single.front().code, "&amp");
    EXPECT_EQ(single[4].code, "&quote");
    EXPECT_EQ(single[5].code, "<! >");
    EXPECT_EQ(single[15].code, "<IMG SRC=\"\">");
    EXPECT_EQ(single.back().code, "<PARAM>");
    EXPECT_TRUE(AllChecked(single));
}

TEST(CodeLists, FreshStartGivesTheDefaults)
{
    ScopedProgramFolder folder;
    EXPECT_EQ(ReadCodeList(kSECodesSection), DefaultSECodes());
    EXPECT_EQ(ReadCodeList(kSingleCodesSection), DefaultSingleCodes());
}

TEST(CodeLists, RewriteLeavesNoStaleCodes)
{
    ScopedProgramFolder folder;
    SettingsFile file;
    const std::vector<CodeItem> five = {
        {"<A>", kCodeChecked}, {"<B>", kCodeUnchecked}, {"<C>", kCodeGreyed},
        {"<D>", kCodeChecked}, {"<E>", kCodeUnchecked}};
    WriteCodeList(kSECodesSection, five, file);
    EXPECT_EQ(ReadCodeList(kSECodesSection, file), five);

    const std::vector<CodeItem> three(five.begin(), five.begin() + 3);
    WriteCodeList(kSECodesSection, three, file);
    EXPECT_EQ(ReadCodeList(kSECodesSection, file), three);
    EXPECT_EQ(GetPrivateProfileKeys(kSECodesSection, file.path()),
              std::vector<std::string>({"Code0", "Check0", "Code1", "Check1", "Code2", "Check2"}));
    // The other list is untouched.
    EXPECT_EQ(ReadCodeList(kSingleCodesSection, file), DefaultSingleCodes());
}

TEST(CodeLists, CodesWithQuotesAndBlanksRoundTrip)
{
    ScopedProgramFolder folder;
    const std::vector<CodeItem> items = {
        {"<IMG SRC=\"\">", kCodeChecked}, {"\"x\"", kCodeChecked}, {" <P> ", kCodeUnchecked}};
    WriteCodeList(kSingleCodesSection, items);
    EXPECT_EQ(ReadCodeList(kSingleCodesSection), items);
}

TEST(CodeLists, EmptyListFallsBackToDefaultsAndEmptyCodesAreDropped)
{
    ScopedProgramFolder folder;
    WriteCodeList(kSECodesSection, {});
    EXPECT_EQ(ReadCodeList(kSECodesSection), DefaultSECodes());

    WriteCodeList(kSECodesSection, {{"<A>", 0}, {"", 1}, {"<B>", 2}});
    EXPECT_EQ(ReadCodeList(kSECodesSection),
              std::vector<CodeItem>({{"<A>", 0}, {"<B>", 2}}));
}

TEST(CodeLists, ReadingHandEditedFiles)
{
    ScopedProgramFolder folder;
    ASSERT_TRUE(WriteFileBytes(folder.file("orla.ini"),
                               "[S/E Codes]\nCode0=<A>\nCode1=<B>\nCheck1=0\nCode2=<C>\nCheck2=9\n"
                               "Code4=<after gap>\n"
                               "[Single Codes]\nCode0=\nCode1=<BR>\n"));
    // A missing Check<n> and an unknown state count as checked; the list
    // ends at the first missing code.
    EXPECT_EQ(ReadCodeList(kSECodesSection),
              std::vector<CodeItem>({{"<A>", 1}, {"<B>", 0}, {"<C>", 1}}));
    // An empty Code0 is as good as none.
    EXPECT_EQ(ReadCodeList(kSingleCodesSection), DefaultSingleCodes());
    // Section names are not case-sensitive, for the defaults too.
    EXPECT_EQ(ReadCodeList("single codes"), DefaultSingleCodes());
}

} // namespace
} // namespace vesk

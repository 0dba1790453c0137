// Tests of the settings file handle: value encodings, numbered lists and StrParse.
#include "settings/Settings.h"

#include "platform/ProfileFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFile>

namespace vesk {
namespace {

using test::ReadFileBytes;
using test::ScopedProgramFolder;
using test::WriteFileBytes;

// Replaces orla.ini as another program would, and makes sure the next read parses it.
TEST(SettingsFile, DefaultsToOrlaIniInTheProgramFolder)
{
    ScopedProgramFolder folder;
    SettingsFile file;
    EXPECT_EQ(QString::fromStdString(file.path()), folder.file("orla.ini"));
    // Reads of a missing file give the defaults and create nothing.
    EXPECT_TRUE(file.ReadBool("View", "Toolbar", true));
    EXPECT_EQ(file.ReadInt("SiteList", "SelectedSite", -1), -1);
    EXPECT_EQ(file.ReadString("Browsers", "Browser2", "none"), "none");
    EXPECT_FALSE(QFile::exists(folder.file("orla.ini")));
}

TEST(SettingsFile, BooleansAndIntegersReadAsProfileIntegers)
{
    ScopedProgramFolder folder;
    ASSERT_TRUE(folder.Write("orla.ini", "[T]\nhex=0x10\nzero=0\ntext=abc\nneg=-1\nint=0x1F\n"));
    SettingsFile file;
    EXPECT_TRUE(file.ReadBool("T", "hex", false));
    EXPECT_FALSE(file.ReadBool("T", "zero", true));
    EXPECT_TRUE(file.ReadBool("T", "text", true));   // unreadable: the default
    EXPECT_FALSE(file.ReadBool("T", "text", false));
    EXPECT_TRUE(file.ReadBool("T", "neg", false));
    EXPECT_TRUE(file.ReadBool("T", "missing", true));
    EXPECT_EQ(file.ReadInt("T", "int", 0), 31);

    file.WriteBool("T", "on", true);
    file.WriteBool("T", "off", false);
    file.WriteInt("T", "num", -5);
    const QByteArray bytes = ReadFileBytes(folder.file("orla.ini"));
    EXPECT_TRUE(bytes.contains("on=1\n"));
    EXPECT_TRUE(bytes.contains("off=0\n"));
    EXPECT_TRUE(bytes.contains("num=-5\n"));
}

TEST(SettingsFile, StringsSurviveBlanksQuotesAndUtf8)
{
    ScopedProgramFolder folder;
    SettingsFile file;
    file.WriteQuotedString("S", "quoted", "  two blanks  ");
    file.WriteString("S", "plain", "C:/Program Files/b.exe -new %1");
    file.WriteString("S", "lead", " lead");
    file.WriteString("S", "inQuotes", "\"x\"");
    file.WriteString("S", "utf8", QString::fromUtf8("Grüße"));

    EXPECT_EQ(file.ReadString("S", "quoted"), "  two blanks  ");
    EXPECT_EQ(file.ReadString("S", "plain"), "C:/Program Files/b.exe -new %1");
    EXPECT_EQ(file.ReadString("S", "lead"), " lead");
    EXPECT_EQ(file.ReadString("S", "inQuotes"), "\"x\"");
    EXPECT_EQ(file.ReadString("S", "utf8"), QString::fromUtf8("Grüße"));

    const QByteArray bytes = ReadFileBytes(folder.file("orla.ini"));
    EXPECT_TRUE(bytes.contains("quoted=\"  two blanks  \"\n"));
    // An ordinary value is written as it stands.
    EXPECT_TRUE(bytes.contains("plain=C:/Program Files/b.exe -new %1\n"));
}

TEST(SettingsFile, ListRewriteLeavesNoStaleKeysAndKeepsOtherSections)
{
    ScopedProgramFolder folder;
    ASSERT_TRUE(folder.Write("orla.ini", "[Other]\nkeep=1\n[L]\nforeign=x\n"));
    SettingsFile file;
    file.WriteList("L", "Item", {"a", "b", "c", "d", "e"});
    EXPECT_EQ(file.ReadList("L", "Item"), QStringList({"a", "b", "c", "d", "e"}));

    file.WriteList("L", "Item", {"c", "", "e"});
    EXPECT_EQ(file.ReadList("L", "Item"), QStringList({"c", "e"}));
    EXPECT_EQ(GetPrivateProfileKeys("L", file.path()),
              std::vector<std::string>({"Item0", "Item1"}));
    EXPECT_EQ(file.ReadString("Other", "keep"), "1");

    EXPECT_EQ(file.ReadList("L", "Item", 1), QStringList({"c"}));
    file.WriteList("L", "Item", {});
    EXPECT_TRUE(file.ReadList("L", "Item").isEmpty());
}

TEST(SettingsFile, ListEndsAtTheFirstMissingOrEmptyKey)
{
    ScopedProgramFolder folder;
    ASSERT_TRUE(folder.Write("orla.ini", "[A]\n0=x\n1=y\n3=z\n[B]\n0=x\n1=\n2=y\n"));
    SettingsFile file;
    EXPECT_EQ(file.ReadList("A", ""), QStringList({"x", "y"}));
    EXPECT_EQ(file.ReadList("B", ""), QStringList({"x"}));
}

TEST(SettingsFile, ExplicitPathIsUsed)
{
    test::TempDir dir;
    SettingsFile file(dir.fileStd("other.ini"));
    file.WriteInt("X", "n", 7);
    EXPECT_TRUE(ReadFileBytes(dir.file("other.ini")).contains("n=7"));
    EXPECT_EQ(file.ReadInt("X", "n", 0), 7);
}

TEST(StrParse, SplitsOffTheFirstField)
{
    struct Case {
        const char* text;
        const char* field;
        const char* rest;
    };
    const Case cases[] = {
        {"a,b,c", "a", "b,c"},
        {",abc", "", "abc"},
        {"abc,", "abc", ""},
        {"a,,b", "a", ",b"},
        {",", "", ""},
        // No separator: the whole text, and the text is left unchanged.
        {"abc", "abc", "abc"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        QString text = QString::fromLatin1(c.text);
        EXPECT_EQ(StrParse(text, u','), QString::fromLatin1(c.field)) << c.text;
        EXPECT_EQ(text, QString::fromLatin1(c.rest)) << c.text;
    }
    QString text = "1;2";
    EXPECT_EQ(StrParse(text, u';'), "1");
    EXPECT_EQ(StrParse(text, u';'), "2");
    EXPECT_EQ(text, "2");
}

} // namespace
} // namespace vesk

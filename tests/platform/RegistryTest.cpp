// Registry stand-in: keys, values, case rules and deletion in registry.ini.
#include "platform/ProfileFile.h"
#include "platform/Registry.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace vesk;

namespace {

const RegRoot CR = RegRoot::ClassesRoot;
const RegRoot CU = RegRoot::CurrentUser;

class Registry : public ::testing::Test {
protected:
    void SetUp() override { ClearProfileCache(); }
    test::ScopedProgramFolder home;
    QString fileText() const { return QString::fromUtf8(test::ReadFileBytes(home.file("registry.ini"))); }
};

} // namespace

TEST_F(Registry, DefaultAndNamedValuesRoundTripInTheirOwnSections)
{
    RegWriteValue(CR, "\\.htm", "", "HTMLVeskMarkup");
    RegWriteValue(CR, "\\.htm", "Content Type", "text/html");
    RegWriteValue(CU, "\\.htm", "", "other root");

    EXPECT_EQ(RegReadValue(CR, "\\.htm", ""), QString("HTMLVeskMarkup"));
    EXPECT_EQ(RegReadValue(CR, "\\.htm", "Content Type"), QString("text/html"));
    EXPECT_EQ(RegReadValue(CU, "\\.htm", ""), QString("other root"));
    EXPECT_EQ(RegReadValue(CR, "\\.htm", "Missing"), std::nullopt);
    EXPECT_EQ(RegReadValue(CR, "\\.html", ""), std::nullopt);

    // The file layout is what users and older tools edit by hand.
    const QString text = fileText();
    EXPECT_TRUE(text.contains("[HKEY_CLASSES_ROOT\\.htm]")) << text.toStdString();
    EXPECT_TRUE(text.contains("[HKEY_CURRENT_USER\\.htm]")) << text.toStdString();
    EXPECT_TRUE(text.contains("@=\"HTMLVeskMarkup\"")) << text.toStdString();
}

TEST_F(Registry, OpenKeyCreatesEmptyKeysAndSeesImplicitParents)
{
    EXPECT_FALSE(RegOpenKey(CU, "\\Software\\HTML Vesk", false));
    EXPECT_TRUE(RegOpenKey(CU, "\\Software\\HTML Vesk", true));
    EXPECT_TRUE(RegOpenKey(CU, "Software\\HTML Vesk", false));
    EXPECT_EQ(RegReadValue(CU, "\\Software\\HTML Vesk", ""), std::nullopt);

    RegWriteValue(CR, "\\HTMLVeskMarkup\\Shell\\Open\\Command", "", "vesk %1");
    EXPECT_TRUE(RegOpenKey(CR, "\\HTMLVeskMarkup\\Shell", false));
    EXPECT_FALSE(RegOpenKey(CR, "\\HTMLVeskMark", false));
}

TEST_F(Registry, PathsAndValueNamesIgnoreCaseAndLeadingBackslash)
{
    RegWriteValue(CR, "\\HTMLVeskMarkup\\Shell\\Open\\Command", "", "first");
    EXPECT_EQ(RegReadValue(CR, "htmlveskmarkup\\SHELL\\open\\command", ""), QString("first"));

    RegWriteValue(CU, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "HTMLVeskRunOnce", "a");
    RegWriteValue(CU, "\\software\\microsoft\\windows\\currentversion\\runonce", "htmlveskrunonce", "b");
    EXPECT_EQ(RegReadValue(CU, "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                           "HTMLVeskRunOnce"),
              QString("b"));
    // The second write replaced the value rather than adding a shadowed copy.
    EXPECT_EQ(fileText().count("unonce=", Qt::CaseInsensitive), 1) << fileText().toStdString();
}

TEST_F(Registry, ValuesKeepBlanksQuotesAndEmptiness)
{
    const QStringList values{"  padded both  ", "\"fully quoted\"", "say \"hi\" now", "a=b;c",
                             "/usr/bin/vesk \"%1\"", ""};
    for (int i = 0; i < values.size(); ++i)
        RegWriteValue(CR, "\\Values", QString("v%1").arg(i), values[i]);
    ClearProfileCache();  // read back from the file, not from memory
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(RegReadValue(CR, "\\Values", QString("v%1").arg(i)), values[i]) << i;
}

TEST_F(Registry, DeleteValueRemovesOnlyThatValue)
{
    RegWriteValue(CR, "\\.htm", "", "HTMLVeskMarkup");
    RegWriteValue(CR, "\\.htm", "Keep", "kept");
    EXPECT_TRUE(RegDeleteValue(CR, "\\.HTM", ""));
    EXPECT_FALSE(RegDeleteValue(CR, "\\.htm", ""));
    EXPECT_FALSE(RegDeleteValue(CR, "\\.none", "Keep"));
    EXPECT_EQ(RegReadValue(CR, "\\.htm", ""), std::nullopt);
    EXPECT_EQ(RegReadValue(CR, "\\.htm", "Keep"), QString("kept"));
    EXPECT_TRUE(RegOpenKey(CR, "\\.htm", false));
}

TEST_F(Registry, DeleteKeyTakesSubkeysButNotPrefixSiblings)
{
    RegWriteValue(CR, "\\A", "", "parent");
    RegWriteValue(CR, "\\A\\B", "", "doomed");
    RegWriteValue(CR, "\\A\\B\\C", "x", "doomed too");
    RegOpenKey(CR, "\\A\\B\\Empty", true);
    RegWriteValue(CR, "\\A\\BC", "", "sibling");
    RegWriteValue(CU, "\\A\\B", "", "other root");

    EXPECT_TRUE(RegDeleteKey(CR, "\\a\\b"));
    EXPECT_FALSE(RegOpenKey(CR, "\\A\\B", false));
    EXPECT_FALSE(RegOpenKey(CR, "\\A\\B\\C", false));
    EXPECT_FALSE(RegOpenKey(CR, "\\A\\B\\Empty", false));
    EXPECT_EQ(RegReadValue(CR, "\\A\\BC", ""), QString("sibling"));
    EXPECT_EQ(RegReadValue(CR, "\\A", ""), QString("parent"));
    EXPECT_EQ(RegReadValue(CU, "\\A\\B", ""), QString("other root"));
    EXPECT_FALSE(RegDeleteKey(CR, "\\A\\B"));

    // The whole root is never wiped by an empty path.
    EXPECT_FALSE(RegDeleteKey(CR, "\\"));
    EXPECT_EQ(RegReadValue(CR, "\\A", ""), QString("parent"));

    // A key whose only trace is a subkey section is deleted with it.
    RegWriteValue(CR, "\\*\\Shell\\Edit with HTML Vesk\\command", "", "vesk %1");
    EXPECT_TRUE(RegDeleteKey(CR, "\\*\\Shell\\Edit with HTML Vesk"));
    EXPECT_FALSE(RegOpenKey(CR, "\\*\\Shell", false));
}

TEST_F(Registry, MissingFileIsAnEmptyRegistryAndReadsDoNotCreateIt)
{
    EXPECT_EQ(RegReadValue(CR, "\\.htm", ""), std::nullopt);
    EXPECT_FALSE(RegOpenKey(CR, "\\.htm", false));
    EXPECT_FALSE(RegDeleteValue(CR, "\\.htm", ""));
    EXPECT_FALSE(RegDeleteKey(CR, "\\.htm"));
    EXPECT_FALSE(QFileInfo::exists(home.file("registry.ini")));
}

TEST_F(Registry, FailedWritesThrowAndBadNamesAreRefused)
{
    // A folder in the file's place makes the atomic rename fail, even for root.
    ASSERT_TRUE(QDir(home.path()).mkdir("registry.ini"));
    EXPECT_THROW(RegWriteValue(CR, "\\.htm", "", "x"), EIniFileException);
    EXPECT_THROW(RegOpenKey(CR, "\\.htm", true), EIniFileException);
    ASSERT_TRUE(QDir(home.path()).rmdir("registry.ini"));

    EXPECT_THROW(RegWriteValue(CR, "\\.htm", "a=b", "x"), std::invalid_argument);
    EXPECT_THROW(RegWriteValue(CR, "\\.htm", ";comment", "x"), std::invalid_argument);
}

// Program folder: which folder is chosen, and seeding it from the shipped data.
#include "platform/ProgramFolder.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace vesk;
using vesk::test::ReadFileBytes;
using vesk::test::WriteFileBytes;

TEST(ProgramFolder, HomeVariableChoosesTheFolderAndIsSeededFromShippedData)
{
    test::ScopedProgramFolder home;
    const QString expected = QFileInfo(home.path()).absoluteFilePath() + "/";
    EXPECT_EQ(ProgramFolder(), expected);
    EXPECT_EQ(ProgramFile("orla.ini"), expected + "orla.ini");
    ASSERT_FALSE(ShippedDataFolder().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(expected + "4strict.ini"));  // copied at first use
}

TEST(ProgramFolder, WithoutHomeTheTestProgramsFolderFallsBackToThePerUserFolder)
{
    // The test program's own folder holds no rules file, so it is not a
    // program folder; the per-user data folder is used instead.
    test::TempDir xdg;
    const QByteArray oldXdg = qgetenv("XDG_DATA_HOME");
    const QByteArray oldHome = qgetenv("HTMLVESK_HOME");
    qunsetenv("HTMLVESK_HOME");
    qputenv("XDG_DATA_HOME", xdg.path().toUtf8());
    ResetProgramFolderForTests();
    const QString folder = ProgramFolder();
    qputenv("XDG_DATA_HOME", oldXdg);
    if (!oldHome.isEmpty())
        qputenv("HTMLVESK_HOME", oldHome);
    ResetProgramFolderForTests();
    EXPECT_EQ(folder, xdg.path() + "/htmlvesk/");
    EXPECT_TRUE(QFileInfo(xdg.path() + "/htmlvesk").isDir());
}

TEST(ProgramFolder, SeedingCopiesWhatIsMissingAndNeverOverwrites)
{
    test::TempDir from, to;
    ASSERT_TRUE(QDir(from.path()).mkpath("Script/Clocks"));
    ASSERT_TRUE(WriteFileBytes(from.file("4strict.ini"), "shipped rules"));
    ASSERT_TRUE(WriteFileBytes(from.file("Script/Clocks/clock.htm"), "<p>clock"));
    ASSERT_TRUE(WriteFileBytes(to.file("4strict.ini"), "user's rules"));

    EXPECT_EQ(SeedFolder(from.path(), to.path()), 1);
    EXPECT_EQ(ReadFileBytes(to.file("4strict.ini")), "user's rules");
    EXPECT_EQ(ReadFileBytes(to.file("Script/Clocks/clock.htm")), "<p>clock");
    EXPECT_EQ(SeedFolder(from.path(), to.path()), 0);  // nothing left to copy
    EXPECT_EQ(SeedFolder(from.file("absent"), to.path()), 0);
}

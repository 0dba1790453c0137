// Tests of the recent, preferred and upload file lists.
#include "settings/FileLists.h"

#include "platform/ProfileFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

using test::ReadFileBytes;
using test::ScopedProgramFolder;
using test::WriteFileBytes;

TEST(FileLists, FreshStartHasNoFiles)
{
    ScopedProgramFolder folder;
    EXPECT_EQ(ReadRecentFiles(), FileSlots());
    EXPECT_EQ(ReadPreferredMenu(), FileSlots());
    EXPECT_TRUE(ReadPreferredFiles().isEmpty());
    EXPECT_TRUE(ReadUploadFiles().isEmpty());
}

TEST(FileLists, AtMarksAnEmptyRecentSlot)
{
    ScopedProgramFolder folder;
    ASSERT_TRUE(folder.Write("orla.ini", "[RecentFiles]\n0=/a.htm\n1=@\n2=/c.htm\n3=\n8=/i.htm\n9=/ignored\n"));
    const FileSlots recent = ReadRecentFiles();
    EXPECT_EQ(recent[0], "/a.htm");
    EXPECT_EQ(recent[1], "");
    EXPECT_EQ(recent[2], "/c.htm");
    EXPECT_EQ(recent[3], "");
    EXPECT_EQ(recent[8], "/i.htm");

    WriteRecentFile(2, "");
    WriteRecentFile(0, "/new.htm");
    WriteRecentFile(9, "/out of range");
    const QByteArray bytes = ReadFileBytes(folder.file("orla.ini"));
    EXPECT_TRUE(bytes.contains("0=/new.htm\n1=@\n2=@\n"));
    EXPECT_FALSE(bytes.contains("out of range"));

    FileSlots all;
    all[0] = "/x.htm";
    all[4] = "/y.htm";
    WriteRecentFiles(all);
    EXPECT_EQ(ReadRecentFiles(), all);
    const QByteArray rewritten = ReadFileBytes(folder.file("orla.ini"));
    EXPECT_TRUE(rewritten.contains("\n3=@\n"));
    EXPECT_TRUE(rewritten.contains("\n4=/y.htm\n"));
    EXPECT_TRUE(rewritten.contains("\n8=@\n"));
}

TEST(FileLists, PreferredFilesForTheMenuAndForTheDialog)
{
    ScopedProgramFolder folder;
    ASSERT_TRUE(folder.Write("orla.ini", "[OpenPreferredMenu]\n0=/p0\n1=/p1\n2=@\n3=/p3\n"));
    // The menu sees every slot; the dialog's list ends at the first empty one.
    const FileSlots menu = ReadPreferredMenu();
    EXPECT_EQ(menu[1], "/p1");
    EXPECT_EQ(menu[2], "");
    EXPECT_EQ(menu[3], "/p3");
    EXPECT_EQ(ReadPreferredFiles(), QStringList({"/p0", "/p1"}));

    WritePreferredMenuEntry(2, "/p2");
    EXPECT_EQ(ReadPreferredFiles(), QStringList({"/p0", "/p1", "/p2", "/p3"}));

    WritePreferredFiles({"/q0"});
    EXPECT_EQ(ReadPreferredMenu()[0], "/q0");
    EXPECT_EQ(ReadPreferredMenu()[3], "");
    EXPECT_EQ(GetPrivateProfileKeys("OpenPreferredMenu", SettingsFile().path()),
              std::vector<std::string>({"0"}));
}

TEST(FileLists, DialogReadsAtMostNinePreferredFiles)
{
    ScopedProgramFolder folder;
    QStringList ten;
    for (int i = 0; i < 10; ++i)
        ten << QString("/f%1").arg(i);
    WritePreferredFiles(ten);
    EXPECT_EQ(ReadPreferredFiles(), ten.mid(0, 9));
}

TEST(FileLists, UploadBinRewriteLeavesNoStaleKeys)
{
    ScopedProgramFolder folder;
    WriteUploadFiles({"/1", "/2", "/3", "/4", "/5"});
    WriteUploadFiles({"/3", "/4", "/5"});
    EXPECT_EQ(ReadUploadFiles(), QStringList({"/3", "/4", "/5"}));
    EXPECT_EQ(GetPrivateProfileKeys("UploadFiles", SettingsFile().path()),
              std::vector<std::string>({"0", "1", "2"}));
}

} // namespace
} // namespace vesk

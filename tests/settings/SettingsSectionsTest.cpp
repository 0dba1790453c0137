// Tests of the fixed switch groups and the browser and viewer commands.
#include "settings/ProgramCommands.h"
#include "settings/SettingsSections.h"

#include "platform/ProfileFile.h"
#include "settings/AssociatedCommand.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

using test::ReadFileBytes;
using test::ScopedProgramFolder;
using test::WriteFileBytes;

TEST(SettingsSections, FreshStartDefaults)
{
    ScopedProgramFolder folder;
    const ViewBars bars = ReadViewBars();
    EXPECT_TRUE(bars.toolbar);
    EXPECT_FALSE(bars.clipper);
    EXPECT_FALSE(bars.seCodes);
    EXPECT_FALSE(bars.singleCodes);

    const AutoCloseOptions close = ReadAutoClose();
    EXPECT_TRUE(close.backup && close.updater && close.validator && close.spell &&
                close.saveChanges && close.addToUploadBin && close.runUploader);

    const ValidatorVersions v = ReadValidatorVersions();
    EXPECT_FALSE(v.html20 || v.html32 || v.html40loose || v.html40frame);
    EXPECT_TRUE(v.html40strict);

    EXPECT_EQ(ReadFileTypes(), FileTypeSettings());
    EXPECT_FALSE(ReadFileTypes().html);
}

TEST(SettingsSections, GroupsRoundTripUnderTheirKeys)
{
    ScopedProgramFolder folder;
    const ViewBars bars{false, true, true, false};
    const AutoCloseOptions close{false, true, false, true, false, true, false};
    const ValidatorVersions versions{true, false, false, true, false};
    const FileTypeSettings types{true, false, true, "OldType", "", "txtfile", " spaced "};
    WriteViewBars(bars);
    WriteAutoClose(close);
    WriteValidatorVersions(versions);
    WriteFileTypes(types);
    EXPECT_EQ(ReadViewBars(), bars);
    EXPECT_EQ(ReadAutoClose(), close);
    EXPECT_EQ(ReadValidatorVersions(), versions);
    EXPECT_EQ(ReadFileTypes(), types);

    const QByteArray bytes = ReadFileBytes(folder.file("orla.ini"));
    EXPECT_TRUE(bytes.contains("[View]\nToolbar=0\nClipper=1\nS/E Codes=1\nSingle Codes=0\n"));
    EXPECT_TRUE(bytes.contains("AddToUploadBin=1\nRunUploader=0\n"));
    EXPECT_TRUE(bytes.contains("HTML2.0=1\n"));
    EXPECT_TRUE(bytes.contains("HTMOldData=OldType\n"));
}

TEST(SettingsSections, ValuesWrittenByOthersAreRead)
{
    ScopedProgramFolder folder;
    ASSERT_TRUE(folder.Write("orla.ini", "[view]\ntoolbar=0\nCLIPPER=0x1\n[AutoClose]\nSpell=no\nBackup=0\n"
                      "[Validator]\nHTML4.0strict=0\nHTML4.0frame=1\n"));
    const ViewBars bars = ReadViewBars();
    EXPECT_FALSE(bars.toolbar);
    EXPECT_TRUE(bars.clipper);
    const AutoCloseOptions close = ReadAutoClose();
    EXPECT_TRUE(close.spell);  // unreadable: the default
    EXPECT_FALSE(close.backup);
    const ValidatorVersions v = ReadValidatorVersions();
    EXPECT_FALSE(v.html40strict);
    EXPECT_TRUE(v.html40frame);
}

TEST(ProgramCommands, FreshStartUsesTheSystemCommands)
{
    ScopedProgramFolder folder;
    const ProgramCommands c = ReadProgramCommands();
    EXPECT_EQ(c.browsers[0], GetAssociatedCommand(".htm"));
    EXPECT_EQ(c.browsers[1], "");
    EXPECT_EQ(c.browsers[3], "");
    EXPECT_EQ(c.gifViewer, GetAssociatedCommand(".gif"));
    EXPECT_EQ(c.jpgViewer, GetAssociatedCommand(".jpg"));
    EXPECT_EQ(c.bmpViewer, GetAssociatedCommand(".bmp"));
    EXPECT_EQ(DefaultBrowserCommand(), GetAssociatedCommand(".htm"));
}

TEST(ProgramCommands, EmptyFieldsAreNotWrittenSoTheOldCommandStays)
{
    ScopedProgramFolder folder;
    ProgramCommands c;
    c.browsers = {" /opt/b1 -new %1 ", "/opt/b2", "", "/opt/b4"};
    c.gifViewer = "gifview";
    c.jpgViewer = "jpgview";
    c.bmpViewer = "bmpview";
    WriteProgramCommands(c);
    EXPECT_EQ(ReadProgramCommands(), c);
    EXPECT_TRUE(ReadFileBytes(folder.file("orla.ini")).contains("Browser1=\" /opt/b1 -new %1 \"\n"));

    ProgramCommands cleared = c;
    cleared.browsers[1] = "";
    cleared.gifViewer = "";
    cleared.browsers[3] = "/opt/new4";
    WriteProgramCommands(cleared);
    const ProgramCommands read = ReadProgramCommands();
    EXPECT_EQ(read.browsers[1], "/opt/b2");
    EXPECT_EQ(read.gifViewer, "gifview");
    EXPECT_EQ(read.browsers[3], "/opt/new4");
    EXPECT_FALSE(ReadFileBytes(folder.file("orla.ini")).contains("Browser3"));
}

TEST(ProgramCommands, AbsentOrEmptyBrowser1FallsBackButStoredValuesWin)
{
    ScopedProgramFolder folder;
    ASSERT_TRUE(folder.Write("orla.ini", "[Browsers]\nBrowser1=\nBrowser2=\"\"\n[Viewers]\nGIF=\"my gif\"\nJPG=\n"));
    const ProgramCommands c = ReadProgramCommands();
    EXPECT_EQ(c.browsers[0], GetAssociatedCommand(".htm"));
    EXPECT_EQ(c.browsers[1], "");
    EXPECT_EQ(c.gifViewer, "my gif");
    EXPECT_EQ(c.jpgViewer, GetAssociatedCommand(".jpg"));
}

} // namespace
} // namespace vesk

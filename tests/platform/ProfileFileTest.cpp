// Profile files: read rules, write rules, caching and atomic replacement.
#include "platform/ProfileFile.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vesk;
using vesk::test::ReadFileBytes;
using vesk::test::WriteFileBytes;

namespace {

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override { ClearProfileCache(); }
    std::string Path(const char* name = "t.ini") const { return dir.fileStd(name); }
    void Put(const QByteArray& bytes, const char* name = "t.ini") const
    {
        ASSERT_TRUE(WriteFileBytes(dir.file(name), bytes));
    }
    QByteArray Bytes(const char* name = "t.ini") const { return ReadFileBytes(dir.file(name)); }
    std::string Get(std::string_view s, std::string_view k, std::string_view d = "DEF") const
    {
        return GetPrivateProfileString(s, k, d, Path());
    }
    // Moves the file's times an hour back, as for a file written long ago.
    void Age(const char* name = "t.ini") const
    {
        timespec times[2];
        clock_gettime(CLOCK_REALTIME, &times[0]);
        times[0].tv_sec -= 3600;
        times[1] = times[0];
        ASSERT_EQ(::utimensat(AT_FDCWD, Path(name).c_str(), times, 0), 0);
    }
    test::TempDir dir;
};

} // namespace

TEST_F(ProfileFileTest, NamesMatchWithoutCaseAndValuesAreTrimmedAndUnquoted)
{
    Put("[View]\r\nToolBar =  1  \r\n[Paths]\r\nBrowser1=\"  /usr/bin/b %1  \"\r\n"
        "Half=\"open\r\nBoth=\"\"\r\nInner=a \"b\" c\r\nTwice=\"\"x\"\"\r\nEmpty=\r\n");
    EXPECT_EQ(Get("view", "TOOLBAR"), "1");
    EXPECT_EQ(Get("VIEW", "toolbar"), "1");
    EXPECT_EQ(Get("paths", "browser1"), "  /usr/bin/b %1  ");
    EXPECT_EQ(Get("Paths", "Half"), "\"open");  // no closing quote: kept
    EXPECT_EQ(Get("Paths", "Both"), "");
    EXPECT_EQ(Get("Paths", "Inner"), "a \"b\" c");
    EXPECT_EQ(Get("Paths", "Twice"), "\"x\"");  // only one pair goes
    EXPECT_EQ(Get("Paths", "Empty"), "");       // present but empty is not the default
}

TEST_F(ProfileFileTest, DefaultsForMissingFileSectionOrKeyGetTheSameTreatment)
{
    EXPECT_EQ(GetPrivateProfileString("A", "b", "dflt", dir.fileStd("missing.ini")), "dflt");
    Put("[A]\nb=1\n");
    EXPECT_EQ(Get("Z", "b"), "DEF");
    EXPECT_EQ(Get("A", "z"), "DEF");
    EXPECT_EQ(Get("A", "z", "\"  quoted  \""), "  quoted  ");
    EXPECT_EQ(Get("A", "z", "trail   "), "trail");
    EXPECT_EQ(GetPrivateProfileInt("A", "z", -7, Path()), -7);
    EXPECT_FALSE(QFile::exists(dir.file("missing.ini")));  // reading never creates
}

TEST_F(ProfileFileTest, LongValuesAreCutTo1023CharactersNeverInsideACharacter)
{
    const std::string ascii(1500, 'x');
    std::string utf8;
    for (int i = 0; i < 1100; ++i)
        utf8 += "\xC3\xA9";  // é, two bytes each
    Put(QByteArray("[S]\nascii=") + ascii.c_str() + "\nutf8=" + utf8.c_str() + "\nexact="
        + std::string(1023, 'y').c_str() + "\n");
    EXPECT_EQ(Get("S", "ascii"), std::string(1023, 'x'));
    const std::string cut = Get("S", "utf8");
    EXPECT_EQ(cut.size(), 2046u);
    EXPECT_EQ(cut, utf8.substr(0, 2046));
    EXPECT_EQ(Get("S", "exact").size(), 1023u);
    EXPECT_EQ(Get("S", "none", std::string(2000, 'd')).size(), 1023u);
}

TEST_F(ProfileFileTest, IntegersReadDecimalOrHexAndUnreadableGivesDefault)
{
    Put("[N]\na=42\nb=-17\nc=0x1F\nd=0XfF\ne=abc\nf=\ng= 12abc\nh=99999999999\ni=\"5\"\nj=-0x10\n");
    const auto I = [&](const char* k) { return GetPrivateProfileInt("N", k, 555, Path()); };
    EXPECT_EQ(I("a"), 42);
    EXPECT_EQ(I("b"), -17);
    EXPECT_EQ(I("c"), 31);
    EXPECT_EQ(I("d"), 255);
    EXPECT_EQ(I("e"), 555);
    EXPECT_EQ(I("f"), 555);
    EXPECT_EQ(I("g"), 12);
    EXPECT_EQ(I("h"), INT_MAX);
    EXPECT_EQ(I("i"), 5);
    EXPECT_EQ(I("j"), -16);
    EXPECT_EQ(I("absent"), 555);
}

TEST_F(ProfileFileTest, WriteChangesOneValueAndKeepsEveryOtherLine)
{
    const QByteArray before =
        "; settings written by hand\r\n"
        "[View]\r\n"
        "Toolbar=1\r\n"
        "  ; a comment inside\r\n"
        "Unknown Key = kept  as is\r\n"
        "this line has no equals sign\r\n"
        "\r\n"
        "[Other]\r\n"
        "x=1";  // no final line end
    Put(before);
    WritePrivateProfileString("VIEW", "toolbar", "0", Path());
    EXPECT_EQ(Bytes(), QByteArray(before).replace("Toolbar=1", "toolbar=0"));
    EXPECT_EQ(Get("View", "Toolbar"), "0");

    WritePrivateProfileString("View", "Clipper", "1", Path());
    QByteArray expected = QByteArray(before).replace("Toolbar=1", "toolbar=0");
    // A new key goes after the section's last non-blank line.
    expected.replace("this line has no equals sign\r\n", "this line has no equals sign\r\nClipper=1\r\n");
    EXPECT_EQ(Bytes(), expected);

    WritePrivateProfileString("Other", "y", "2", Path());
    expected += "\r\ny=2\r\n";
    EXPECT_EQ(Bytes(), expected);
}

TEST_F(ProfileFileTest, WriteCreatesFileAndSectionAndUsesTheFilesLineEnds)
{
    WritePrivateProfileString("New", "k", "v", Path());
    EXPECT_EQ(Bytes(), "[New]\nk=v\n");
    WritePrivateProfileString("Second", "a", "b", Path());
    EXPECT_EQ(Bytes(), "[New]\nk=v\n[Second]\na=b\n");

    Put("[A]\r\nx=1", "crlf.ini");
    WritePrivateProfileString("B", "y", "2", dir.fileStd("crlf.ini"));
    EXPECT_EQ(Bytes("crlf.ini"), "[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
}

TEST_F(ProfileFileTest, NullKeyErasesSectionAndNullValueDeletesKey)
{
    Put("[Keep]\na=1\n[Codes]\nCode0=<A>\nCode1=<B>\n; note\n[codes]\nCode2=<C>\n[Tail]\nz=9\n");
    WritePrivateProfileString("Codes", "Code1", std::nullopt, Path());
    EXPECT_EQ(Get("Codes", "Code1"), "DEF");
    EXPECT_EQ(Get("Codes", "Code0"), "<A>");
    WritePrivateProfileString("Codes", "NotThere", std::nullopt, Path());  // harmless
    WritePrivateProfileString("CODES", std::nullopt, std::nullopt, Path());
    // Both spellings of the repeated section go, so no stale entry reappears.
    EXPECT_EQ(Bytes(), "[Keep]\na=1\n[Tail]\nz=9\n");
    EXPECT_EQ(Get("Codes", "Code2"), "DEF");
}

TEST_F(ProfileFileTest, KeyAndSectionNamesAreListedInFileOrder)
{
    Put("junk before any section\n[S]\nb=1\nA=2\nB=3\n; c=4\n[T]\n[s]\nz=1\n");
    EXPECT_EQ(GetPrivateProfileKeys("s", Path()), (std::vector<std::string>{"b", "A"}));
    EXPECT_EQ(GetPrivateProfileSectionNames(Path()), (std::vector<std::string>{"S", "T"}));
    EXPECT_TRUE(ProfileSectionExists("t", Path()));
    EXPECT_TRUE(GetPrivateProfileKeys("T", Path()).empty());
    EXPECT_TRUE(GetPrivateProfileKeys("missing", dir.fileStd("none.ini")).empty());
    EnsureProfileSection("Empty", Path());
    EXPECT_TRUE(ProfileSectionExists("empty", Path()));
}

TEST_F(ProfileFileTest, MalformedLinesNeverBreakReadsAndSurviveWrites)
{
    QByteArray weird = "[Good]\rcr=1\rlf=2\n[Broken\nno equals here\n=novalue\n";
    weird += QByteArray(200000, 'L') + "\n";
    weird += QByteArray("bin=\x01\x02\xFF\xFE", 8) + QByteArray(1, '\0') + "tail\n";
    weird += "[Good2]\nkey=val\n";
    Put(weird);
    EXPECT_EQ(Get("Good", "cr"), "1");
    EXPECT_EQ(Get("Good", "lf"), "2");  // "[Broken" is not a header
    EXPECT_EQ(Get("Good", "bin").substr(0, 4), "\x01\x02\xFF\xFE");
    EXPECT_EQ(Get("Good2", "key"), "val");
    WritePrivateProfileString("Good2", "key", "new", Path());
    EXPECT_EQ(Bytes(), QByteArray(weird).replace("key=val", "key=new"));
}

TEST_F(ProfileFileTest, ValuesCannotBreakTheLineStructure)
{
    WritePrivateProfileString("S", "k", "line1\r\nline2", Path());
    WritePrivateProfileString("S", "next", "x", Path());
    EXPECT_EQ(Get("S", "k"), "line1  line2");
    EXPECT_EQ(Get("S", "next"), "x");
    WritePrivateProfileString("S", "", "lost", Path());  // no key: nothing to write
    EXPECT_EQ(Bytes(), "[S]\nk=line1  line2\nnext=x\n");
}

TEST_F(ProfileFileTest, UnchangedFilesAreNotParsedAgainButChangesAreSeenAtOnce)
{
    Put("[S]\nk=one\n");
    Age();
    EXPECT_EQ(Get("S", "k"), "one");
    const std::size_t parses = ProfileParseCount();
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(Get("S", "k"), "one");
    EXPECT_EQ(ProfileParseCount(), parses);

    // Another program rewrites the file in place with the same size at once.
    Put("[S]\nk=two\n");
    EXPECT_EQ(Get("S", "k"), "two");
    Put("[S]\nk=six\n");
    EXPECT_EQ(Get("S", "k"), "six");
    // Replaced by rename, as editors save.
    Put("[S]\nk=ten\n", "other.ini");
    ASSERT_EQ(::rename(Path("other.ini").c_str(), Path().c_str()), 0);
    EXPECT_EQ(Get("S", "k"), "ten");
    // Our own write is seen by the next read.
    WritePrivateProfileString("S", "k", "own", Path());
    EXPECT_EQ(Get("S", "k"), "own");
    // Removed: defaults again.
    ASSERT_EQ(::unlink(Path().c_str()), 0);
    EXPECT_EQ(Get("S", "k"), "DEF");
}

TEST_F(ProfileFileTest, WritesReplaceTheFileAtomicallyKeepingPermissionsAndLinks)
{
    Put("[S]\nk=1\n");
    ASSERT_EQ(::chmod(Path().c_str(), 0640), 0);
    struct stat before{};
    ASSERT_EQ(::stat(Path().c_str(), &before), 0);
    WritePrivateProfileString("S", "k", "2", Path());
    struct stat after{};
    ASSERT_EQ(::stat(Path().c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);  // a new file was renamed into place
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    // No temporary files are left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"t.ini"});

    ASSERT_EQ(::symlink(Path().c_str(), Path("link.ini").c_str()), 0);
    WritePrivateProfileString("S", "k", "3", Path("link.ini"));
    struct stat link{};
    ASSERT_EQ(::lstat(Path("link.ini").c_str(), &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode));
    EXPECT_EQ(Get("S", "k"), "3");
}

TEST_F(ProfileFileTest, RefusedWriteRaisesUnableToWriteAndKeepsTheFile)
{
    const std::string missingFolder = dir.fileStd("no/such/folder/x.ini");
    try {
        WritePrivateProfileString("S", "k", "v", missingFolder);
        FAIL() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + missingFolder);
    }

    // A folder the writer may not create files in (tested as an unprivileged
    // user, since root ignores permissions).
    Put("[S]\nk=old\n");
    ASSERT_EQ(::chmod(dir.path().toUtf8().constData(), 0755), 0);
    ASSERT_EQ(::chmod(Path().c_str(), 0666), 0);
    const test::ChildResult result = test::RunInChild(
        [&]() {
            try {
                WritePrivateProfileString("S", "k", "new", Path());
            } catch (const EIniFileException&) {
                return true;
            }
            return false;
        },
        true);
    if (result == test::ChildResult::CannotSwitchUser)
        GTEST_SKIP() << "cannot switch to an unprivileged user here";
    EXPECT_EQ(result, test::ChildResult::Passed);
    EXPECT_EQ(Bytes(), "[S]\nk=old\n");
    EXPECT_EQ(Get("S", "k"), "old");
}

TEST_F(ProfileFileTest, BatchWritesOnceAndReadsSeePendingValues)
{
    Put("[Keep]\nz=1\n");
    {
        ProfileWriteBatch batch(Path());
        WritePrivateProfileString("Codes", std::nullopt, std::nullopt, Path());
        for (int i = 0; i < 50; ++i)
            WritePrivateProfileString("Codes", "Code" + std::to_string(i), std::to_string(i), Path());
        EXPECT_EQ(Get("Codes", "Code49"), "49");
        {
            ProfileWriteBatch inner(Path());
            WritePrivateProfileString("Codes", "Extra", "e", Path());
            inner.Commit();  // inner batches leave the writing to the outer one
        }
        EXPECT_EQ(Bytes(), "[Keep]\nz=1\n");  // nothing on disk yet
        batch.Commit();
    }
    EXPECT_EQ(Get("Codes", "Code0"), "0");
    EXPECT_EQ(Get("Codes", "Extra"), "e");
    EXPECT_TRUE(Bytes().startsWith("[Keep]\nz=1\n[Codes]\nCode0=0\n"));

    // A batch that cannot be written throws at Commit and leaves no phantom values.
    const std::string bad = dir.fileStd("gone/x.ini");
    ProfileWriteBatch failing(bad);
    WritePrivateProfileString("S", "k", "v", bad);
    EXPECT_EQ(GetPrivateProfileString("S", "k", "d", bad), "v");
    EXPECT_THROW(failing.Commit(), EIniFileException);
    EXPECT_EQ(GetPrivateProfileString("S", "k", "d", bad), "d");
}

TEST_F(ProfileFileTest, ChangeWithinOneClockTickKeepingSizeAndTimesIsSeen)
{
    // Another program rewrites the file twice within one tick of the file
    // system clock and puts the old modification time back: only the content
    // can tell the two states apart.
    const auto putWithFixedTime = [&](const QByteArray& bytes) {
        Put(bytes);
        timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, Path().c_str(), times, 0), 0);
    };
    putWithFixedTime("[S]\nk=aaa\n");
    EXPECT_EQ(Get("S", "k"), "aaa");
    putWithFixedTime("[S]\nk=bbb\n");
    EXPECT_EQ(Get("S", "k"), "bbb");
}

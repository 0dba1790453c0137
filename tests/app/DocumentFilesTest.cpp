// Saving documents with their backup, and the recent-files list.
#include "app/DocumentFiles.h"
#include "editor/VeskMemoStore.h"
#include "settings/Settings.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vesk {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

TEST(BackupPath, ReplacesTheExtensionOfTheFileNameOnly)
{
    EXPECT_EQ(BackupPath("/site/index.htm"), "/site/index.BAK");
    EXPECT_EQ(BackupPath("/site/archive.tar.gz"), "/site/archive.tar.BAK");
    EXPECT_EQ(BackupPath("/site/README"), "/site/README.BAK");
    EXPECT_EQ(BackupPath("/my.site/README"), "/my.site/README.BAK");
    EXPECT_EQ(BackupPath("page.html"), "page.BAK");
}

TEST(SaveDocument, KeepsThePreviousVersionAsBackupAndReplacesItNextTime)
{
    test::TempDir dir;
    const QString path = dir.file("index.htm");
    ASSERT_TRUE(WriteFileBytes(path, "version 1"));
    ::chmod(path.toUtf8().constData(), 0640);
    TVeskMemoStore doc;
    doc.SetTextBuf("version 2\r\nline");
    SaveDocumentFile(doc, path, true);
    EXPECT_EQ(ReadFileBytes(path), "version 2\r\nline");
    EXPECT_EQ(ReadFileBytes(dir.file("index.BAK")), "version 1");
    struct stat st {};
    ASSERT_EQ(::stat(path.toUtf8().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);  // the old file's permissions stay

    doc.SetTextBuf("version 3");
    SaveDocumentFile(doc, path, true);
    EXPECT_EQ(ReadFileBytes(dir.file("index.BAK")), "version 2\r\nline");
    doc.SetTextBuf("version 4");
    SaveDocumentFile(doc, path, false);  // backups off: the old backup stays
    EXPECT_EQ(ReadFileBytes(dir.file("index.BAK")), "version 2\r\nline");
    EXPECT_EQ(ReadFileBytes(path), "version 4");
}

TEST(SaveDocument, AFailedSaveLeavesTheOldFileAndThrows)
{
    test::TempDir dir;
    TVeskMemoStore doc;
    doc.SetTextBuf("text");
    EXPECT_THROW(SaveDocumentFile(doc, dir.file("missing/folder/a.htm"), true), EDocumentWriteError);

    // A folder the writer may not write to (as an unprivileged user; root
    // ignores permissions).
    const QString path = dir.file("keep.htm");
    ASSERT_TRUE(WriteFileBytes(path, "old"));
    ASSERT_EQ(::chmod(dir.path().toUtf8().constData(), 0755), 0);
    ASSERT_EQ(::chmod(path.toUtf8().constData(), 0644), 0);
    const test::ChildResult result = test::RunInChild(
        [&]() {
            try {
                SaveDocumentFile(doc, path, true);
            } catch (const EDocumentWriteError&) {
                return true;  // refused, as it must be
            }
            return false;
        },
        true);
    if (result == test::ChildResult::CannotSwitchUser)
        GTEST_SKIP() << "cannot switch to an unprivileged user here";
    EXPECT_EQ(result, test::ChildResult::Passed);
    EXPECT_EQ(ReadFileBytes(path), "old");
}

TEST(SaveDocument, ASymbolicLinkKeepsPointingAtTheSavedFile)
{
    test::TempDir dir;
    const QString real = dir.file("real.htm");
    ASSERT_TRUE(WriteFileBytes(real, "old"));
    ASSERT_TRUE(QFile::link(real, dir.file("link.htm")));
    TVeskMemoStore doc;
    doc.SetTextBuf("new");
    SaveDocumentFile(doc, dir.file("link.htm"), false);
    EXPECT_TRUE(QFileInfo(dir.file("link.htm")).isSymLink());
    EXPECT_EQ(ReadFileBytes(real), "new");
}

FileSlots Slots(std::initializer_list<const char*> paths)
{
    FileSlots s;
    int i = 0;
    for (const char* p : paths)
        s[std::size_t(i++)] = QString::fromUtf8(p);
    return s;
}

TEST(RecentFiles, MoveToTheFrontShiftingOnlyThoseBefore)
{
    const FileSlots full = Slots({"/0", "/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8"});
    EXPECT_EQ(WithRecent(full, "/3", {}), Slots({"/3", "/0", "/1", "/2", "/4", "/5", "/6", "/7", "/8"}));
    EXPECT_EQ(WithRecent(full, "/8", {}), Slots({"/8", "/0", "/1", "/2", "/3", "/4", "/5", "/6", "/7"}));
    EXPECT_EQ(WithRecent(full, "/new", {}), Slots({"/new", "/0", "/1", "/2", "/3", "/4", "/5", "/6", "/7"}));
    EXPECT_EQ(WithRecent(full, "/NEW", {"/new"}), full);  // preferred files stay out
    EXPECT_EQ(WithRecent(Slots({"/A.htm", "/b"}), "/a.HTM", {}), Slots({"/a.HTM", "/b"}));
    EXPECT_EQ(WithRecent(Slots({}), "/x", {}), Slots({"/x"}));
}

TEST(RecentFiles, AddRecentWritesTheSettingsFile)
{
    test::ScopedProgramFolder home;
    ASSERT_TRUE(home.Write("orla.ini", "[RecentFiles]\n0=/a\n1=@\n[OpenPreferredMenu]\n0=/pref\n"
                                       "[Preferred]\n"));
    AddRecent("/b");
    EXPECT_EQ(ReadRecentFiles(), Slots({"/b", "/a"}));
    const TReopenMenu menu = ReadReopenMenu();
    EXPECT_EQ(menu.recent, (QStringList{"/b", "/a"}));
    EXPECT_EQ(menu.preferred, QStringList{"/pref"});
}

} // namespace
} // namespace vesk

namespace vesk {
namespace {

TEST(SaveDocument, AHardLinkedFileIsWrittenInPlaceSoEveryLinkSeesTheText)
{
    test::TempDir dir;
    const QString path = dir.file("page.htm");
    ASSERT_TRUE(WriteFileBytes(path, "old"));
    ASSERT_EQ(::link(path.toUtf8().constData(), dir.fileStd("other-name.htm").c_str()), 0);
    TVeskMemoStore doc;
    doc.SetTextBuf("new text");
    const TSaveResult saved = SaveDocumentFile(doc, path, true);
    EXPECT_FALSE(saved.backupFailed);
    EXPECT_EQ(ReadFileBytes(dir.file("other-name.htm")), "new text");
    EXPECT_EQ(ReadFileBytes(dir.file("page.BAK")), "old");
}

TEST(SaveDocument, AFailedBackupIsReportedButTheSaveGoesAhead)
{
    test::TempDir dir;
    const QString path = dir.file("page.htm");
    ASSERT_TRUE(WriteFileBytes(path, "old"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("page.BAK"));  // a folder where the backup should go
    ASSERT_TRUE(WriteFileBytes(dir.file("page.BAK/keep"), "x"));
    TVeskMemoStore doc;
    doc.SetTextBuf("new");
    const TSaveResult saved = SaveDocumentFile(doc, path, true);
    EXPECT_TRUE(saved.backupFailed);
    EXPECT_EQ(ReadFileBytes(path), "new");
}

TEST(SaveDocument, AFullDiskLosesNothing)
{
    // A file-size limit stands in for a full disk: the write fails part-way.
    test::TempDir dir;
    const QString path = dir.file("page.htm");
    ASSERT_TRUE(WriteFileBytes(path, "the old text"));
    const test::ChildResult result = test::RunInChild(
        [&]() {
            ::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit {4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            TVeskMemoStore doc;
            doc.SetTextBuf(std::string(100000, 'x'));
            try {
                SaveDocumentFile(doc, path, true);
            } catch (const EDocumentWriteError&) {
                return true;
            }
            return false;
        },
        false);
    EXPECT_EQ(result, test::ChildResult::Passed);
    EXPECT_EQ(ReadFileBytes(path), "the old text");
}

} // namespace
} // namespace vesk

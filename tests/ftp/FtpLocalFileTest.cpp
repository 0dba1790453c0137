// Local files of transfers: share modes as locks, and downloads that
// replace a file only when they succeed.
#include "ftp/FtpLocalFile.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vesk;
using namespace vesk::test;

TEST(FtpLocalFileTest, ShareModesMeetOtherHolders)
{
    struct Row {
        int held;  // the other holder's lock, 0 for none
        TFtpShareMode mode;
        bool opens;
    };
    const Row rows[] = {
        {0, ftpShareExclusive, true},        {LOCK_SH, ftpShareExclusive, false}, {LOCK_EX, ftpShareDenyRead, false},
        {LOCK_SH, ftpShareDenyWrite, true},  {LOCK_EX, ftpShareDenyWrite, false}, {LOCK_EX, ftpShareDenyNone, true},
        {LOCK_EX, ftpShareCompat, true},
    };
    TempDir dir;
    WriteFileBytes(dir.file("page.htm"), "<p>");
    for (const Row& r : rows) {
        int other = ::open(QFile::encodeName(dir.file("page.htm")).constData(), O_RDONLY | O_CLOEXEC);
        if (r.held) {
            ASSERT_EQ(::flock(other, r.held), 0);
        }
        EXPECT_EQ(TFtpLocalFile::OpenForSend(dir.file("page.htm"), 0, r.mode) != nullptr, r.opens)
            << r.held << " " << r.mode;
        EXPECT_EQ(TFtpLocalFile::OpenForReceive(dir.file("page.htm"), 0, r.mode) != nullptr, r.opens)
            << r.held << " " << r.mode;
        ::close(other);
    }
}

TEST(FtpLocalFileTest, DownloadsReplaceOnlyOnCommit)
{
    TempDir dir;
    const QString target = dir.file("page.htm");
    WriteFileBytes(target, "old");
    ::chmod(QFile::encodeName(target).constData(), 0640);
    {
        auto file = TFtpLocalFile::OpenForReceive(target, 0, ftpShareExclusive);
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->Write("new", 3));
        EXPECT_EQ(ReadFileBytes(target), "old");
    }  // not committed
    EXPECT_EQ(ReadFileBytes(target), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"page.htm"});

    auto file = TFtpLocalFile::OpenForReceive(target, 0, ftpShareExclusive);
    ASSERT_TRUE(file->Write("new", 3));
    ASSERT_TRUE(file->Commit());
    EXPECT_EQ(ReadFileBytes(target), "new");
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // Resuming appends in place; a folder, a FIFO or a missing folder is no file.
    auto resumed = TFtpLocalFile::OpenForReceive(target, 3, ftpShareExclusive);
    ASSERT_TRUE(resumed->Write("er", 2));
    ASSERT_TRUE(resumed->Commit());
    EXPECT_EQ(ReadFileBytes(target), "newer");
    ::mkfifo(QFile::encodeName(dir.file("fifo")).constData(), 0600);
    for (const QString& bad : {dir.path(), dir.file("fifo"), dir.file("no/such/file")}) {
        EXPECT_FALSE(TFtpLocalFile::OpenForSend(bad, 0, ftpShareDenyNone)) << bad.toStdString();
        EXPECT_FALSE(TFtpLocalFile::OpenForReceive(bad, 0, ftpShareDenyNone)) << bad.toStdString();
    }
}

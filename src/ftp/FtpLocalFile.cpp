// The local file of one FTP transfer: share-mode locks, reading, and
// downloads through a temporary file that replaces the target on success.
#include "ftp/FtpLocalFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {

namespace {

// 0 for the modes that take no lock.
int LockOperation(TFtpShareMode mode)
{
    switch (mode) {
    case ftpShareExclusive:
    case ftpShareDenyRead:
        return LOCK_EX;
    case ftpShareDenyWrite:
        return LOCK_SH;
    case ftpShareCompat:
    case ftpShareDenyNone:
        break;
    }
    return 0;
}

bool Lock(int fd, TFtpShareMode mode)
{
    int operation = LockOperation(mode);
    if (operation == 0)
        return true;
    int rc;
    do
        rc = ::flock(fd, operation | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    return rc == 0;
}

// Opens without blocking (a FIFO must not hang us) and accepts only a
// regular file; the descriptor is then switched back to blocking I/O.
int OpenRegular(const QByteArray& path, int flags)
{
    int fd = ::open(path.constData(), flags | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

void CloseFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

TFtpLocalFile::~TFtpLocalFile()
{
    Discard();
}

void TFtpLocalFile::Discard()
{
    CloseFd(fd_);
    if (!temp_.isEmpty() && !committed_)
        ::unlink(temp_.constData());
    temp_.clear();
    CloseFd(targetLockFd_);
}

std::unique_ptr<TFtpLocalFile> TFtpLocalFile::OpenForReceive(const QString& path, qint64 resumeAt, TFtpShareMode mode)
{
    if (path.isEmpty())
        return nullptr;
    std::unique_ptr<TFtpLocalFile> file(new TFtpLocalFile);
    QByteArray name = QFile::encodeName(path);
    if (resumeAt > 0) {
        file->fd_ = OpenRegular(name, O_WRONLY);
        if (file->fd_ < 0 || !Lock(file->fd_, mode) || ::lseek(file->fd_, resumeAt, SEEK_SET) != resumeAt)
            return nullptr;
        return file;
    }
    // A symbolic link stays a link: its target is what gets replaced.
    char resolved[PATH_MAX];
    if (::realpath(name.constData(), resolved))
        name = QByteArray(resolved);
    struct stat st;
    if (::stat(name.constData(), &st) == 0) {
        file->targetLockFd_ = OpenRegular(name, O_RDONLY);
        if (file->targetLockFd_ < 0 || !Lock(file->targetLockFd_, mode))
            return nullptr;
    } else if (errno != ENOENT) {
        return nullptr;
    }
    file->target_ = name;
    QByteArray pattern = QFile::encodeName(QFileInfo(QFile::decodeName(name)).absolutePath()) + "/." +
                         QFile::encodeName(QFileInfo(QFile::decodeName(name)).fileName()) + ".XXXXXX";
    file->fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (file->fd_ < 0)
        return nullptr;
    file->temp_ = pattern;
    if (!Lock(file->fd_, mode))
        return nullptr;
    return file;
}

std::unique_ptr<TFtpLocalFile> TFtpLocalFile::OpenForSend(const QString& path, qint64 resumeAt, TFtpShareMode mode)
{
    if (path.isEmpty())
        return nullptr;
    std::unique_ptr<TFtpLocalFile> file(new TFtpLocalFile);
    file->fd_ = OpenRegular(QFile::encodeName(path), O_RDONLY);
    if (file->fd_ < 0 || !Lock(file->fd_, mode))
        return nullptr;
    if (resumeAt > 0 && ::lseek(file->fd_, resumeAt, SEEK_SET) != resumeAt)
        return nullptr;
    return file;
}

long TFtpLocalFile::Read(char* buffer, long size)
{
    if (fd_ < 0)
        return -1;
    ssize_t n;
    do
        n = ::read(fd_, buffer, std::size_t(size));
    while (n < 0 && errno == EINTR);
    return long(n);
}

bool TFtpLocalFile::Write(const char* data, long length)
{
    if (fd_ < 0)
        return false;
    while (length > 0) {
        ssize_t n = ::write(fd_, data, std::size_t(length));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        length -= long(n);
    }
    return true;
}

bool TFtpLocalFile::Commit()
{
    if (temp_.isEmpty()) {
        CloseFd(fd_);
        return true;
    }
    // A replaced file keeps its permissions; a new one gets the usual ones.
    struct stat st;
    mode_t permissions;
    if (::stat(target_.constData(), &st) == 0) {
        permissions = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        permissions = 0666 & ~mask;
    }
    bool ok = ::fchmod(fd_, permissions) == 0 && ::close(fd_) == 0;
    fd_ = -1;
    ok = ok && ::rename(temp_.constData(), target_.constData()) == 0;
    committed_ = ok;
    Discard();
    return ok;
}

qint64 TFtpLocalFile::SizeOf(const QString& path)
{
    struct stat st;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return qint64(st.st_size);
}

} // namespace vesk

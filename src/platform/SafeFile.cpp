// Safe file writing: link chains, copies and replacements through temporary files, in-place writes with reserved space.
#include "platform/SafeFile.h"

#include "platform/FileNames.h"

#include <QByteArray>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace vesk {

namespace {

constexpr int kMaxLinkHops = 40;

std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Closes a descriptor once, keeping the errno of an earlier failure.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0) {
            const int saved = errno;
            ::close(fd_);
            errno = saved;
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now; the errno of a failed close (a delayed write error).
    int Close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int fd_;
};

int WriteAll(int fd, const char* data, std::size_t size, off_t at = -1)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = at < 0 ? ::write(fd, data + done, size - done)
                                 : ::pwrite(fd, data + done, size - done, at + off_t(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        done += std::size_t(n);
    }
    return 0;
}

void FlushFolder(const std::string& folder)
{
    // A rename reaches the disk only when its folder is flushed.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
}

// Creates a new, empty temporary file beside `target` (mode 0666 less the
// umask). Returns the descriptor, or -1 with errno set.
int CreateTempBeside(const std::string& target, std::string& tempName)
{
    static std::atomic<unsigned> counter{0};
    const std::string stem = FolderOf(target) + "/." + NameOf(target) + ".tmp-" + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = stem + std::to_string(counter.fetch_add(1));
        const int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Fills a temporary file through `fill`, flushes it and renames it over
// `target`. Removes the temporary file on any failure.
template <typename Fill>
int WriteThroughTemp(const std::string& target, bool* noTempFile, Fill fill)
{
    std::string temp;
    Fd fd(CreateTempBeside(target, temp));
    if (fd.get() < 0) {
        if (noTempFile)
            *noTempFile = true;
        return errno;
    }
    int error = fill(fd.get());
    if (error == 0 && ::fsync(fd.get()) != 0)
        error = errno;
    if (error == 0)
        error = fd.Close();
    if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        return error;
    }
    FlushFolder(FolderOf(target));
    return 0;
}

} // namespace

QString DescribeFileError(int error)
{
    if (error == ENOSPC || error == EDQUOT)
        return QStringLiteral("The disk is full");
    return QString::fromLocal8Bit(std::strerror(error));
}

QString FinalLinkTarget(const QString& path)
{
    std::string current = FileNameToBytes(path).toStdString();
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st{};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        std::string target(std::size_t(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n <= 0 || std::size_t(n) >= target.size())
            break;
        target.resize(std::size_t(n));
        current = target.front() == '/' ? target : FolderOf(current) + "/" + target;
    }
    return FileNameFromBytes(QByteArrayView(current.data(), qsizetype(current.size())));
}

int CopyFileSafely(const QString& from, const QString& to)
{
    Fd in(::open(FileNameToBytes(from).constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return errno;
    struct stat st{};
    if (::fstat(in.get(), &st) != 0)
        return errno;
    return WriteThroughTemp(FileNameToBytes(to).toStdString(), nullptr, [&](int out) {
        if (::fchmod(out, st.st_mode & 07777) != 0)
            return errno;
        char buffer[64 * 1024];
        for (;;) {
            const ssize_t n = ::read(in.get(), buffer, sizeof buffer);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            if (n == 0)
                return 0;
            if (const int error = WriteAll(out, buffer, std::size_t(n)))
                return error;
        }
    });
}

int ReplaceFile(const QString& target, QByteArrayView bytes, bool* noTempFile)
{
    const std::string name = FileNameToBytes(target).toStdString();
    struct stat old{};
    const bool hadOld = ::stat(name.c_str(), &old) == 0;
    return WriteThroughTemp(name, noTempFile, [&](int out) {
        if (hadOld) {
            if (::fchmod(out, old.st_mode & 07777) != 0)
                return errno;
            (void)!::fchown(out, old.st_uid, old.st_gid);  // only root may; harmless otherwise
        }
        return WriteAll(out, bytes.data(), std::size_t(bytes.size()));
    });
}

int OverwriteFileInPlace(const QString& target, QByteArrayView bytes)
{
    Fd fd(::open(FileNameToBytes(target).constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0)
        return errno;
    struct stat st{};
    if (::fstat(fd.get(), &st) != 0)
        return errno;
    const off_t newSize = off_t(bytes.size());
    if (newSize > st.st_size) {
        // Reserve every block the new text needs while the old text is
        // still whole. Where the file system cannot reserve, at least make
        // sure the free space is there.
        const int reserved = ::posix_fallocate(fd.get(), 0, newSize);
        if (reserved == EINVAL || reserved == EOPNOTSUPP) {
            struct statvfs vfs{};
            if (::fstatvfs(fd.get(), &vfs) == 0 &&
                off_t(vfs.f_bavail) * off_t(vfs.f_frsize) < newSize - st.st_size + off_t(vfs.f_frsize))
                return ENOSPC;
        } else if (reserved != 0) {
            (void)!::ftruncate(fd.get(), st.st_size);  // undo a partial extension
            return reserved;
        }
    }
    if (const int error = WriteAll(fd.get(), bytes.data(), std::size_t(bytes.size()), 0))
        return error;
    if (::ftruncate(fd.get(), newSize) != 0 || ::fsync(fd.get()) != 0)
        return errno;
    return fd.Close();
}

int CreatePrivateFile(const QString& path)
{
    const QByteArray name = FileNameToBytes(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno == EEXIST ? 0 : errno;
    ::close(fd);
    return 0;
}

int MakeFilePrivate(const QString& path)
{
    const QByteArray name = FileNameToBytes(path);
    struct stat st{};
    if (::stat(name.constData(), &st) != 0)
        return errno;
    if ((st.st_mode & 077) == 0)
        return 0;
    return ::chmod(name.constData(), st.st_mode & 07700) == 0 ? 0 : errno;
}

} // namespace vesk

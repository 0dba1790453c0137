// Opening document files: regular files of bounded size only, without blocking.
#include "platform/DocumentFile.h"

#include "platform/FileNames.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {

std::optional<QString> OpenDocumentFile(const QString& path, QFile& file, qint64 maxBytes)
{
    const QByteArray name = FileNameToBytes(path);
    // O_NONBLOCK: opening a FIFO without a writer would otherwise wait forever.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return path + QStringLiteral(" does not exist.");
        return QStringLiteral("Cannot open file ") + path + QStringLiteral(" (") +
               QString::fromLocal8Bit(std::strerror(error)) + QStringLiteral(").");
    }
    struct stat st{};
    std::optional<QString> problem;
    if (::fstat(fd, &st) != 0)
        problem = QStringLiteral("Cannot open file ") + path + QStringLiteral(".");
    else if (S_ISDIR(st.st_mode))
        problem = path + QStringLiteral(" is a folder, not a file.");
    else if (!S_ISREG(st.st_mode))
        problem = path + QStringLiteral(" is not a regular file (it is a device, pipe or socket) and cannot be "
                                        "opened as a document.");
    else if (st.st_size > maxBytes)
        problem = path + QStringLiteral(" is too large to open (%1 MB; at most %2 MB can be edited).")
                             .arg(st.st_size / (1024 * 1024))
                             .arg(maxBytes / (1024 * 1024));
    if (problem) {
        ::close(fd);
        return problem;
    }
    // Reads of a regular file never block; clear the flag all the same so the
    // descriptor behaves as an ordinary one.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file.setFileName(path);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return QStringLiteral("Cannot open file ") + path + QStringLiteral(".");
    }
    return std::nullopt;
}

} // namespace vesk

// Documents on disk: backup copies, atomic saves, recent files, the Reopen menu.
#include "app/DocumentFiles.h"

#include "editor/VeskMemoStore.h"
#include "settings/Settings.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {

QString BackupPath(const QString& path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot >= 0 ? name.left(dot) : name;
    const QString folder = path.left(path.size() - name.size());
    return folder + base + QStringLiteral(".BAK");
}

namespace {

// The file a save really replaces: the target of a symbolic link.
QString SaveTarget(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.symLinkTarget();
        if (!target.isEmpty())
            return target;
    }
    return path;
}

} // namespace

namespace {

[[noreturn]] void Fail(const QString& path, const QString& why)
{
    throw EDocumentWriteError("Unable to write to " + path.toStdString() + ": " + why.toStdString());
}

void FlushFolderOf(const QString& file)
{
    // The rename itself reaches the disk only when the folder is flushed.
    const int dir = ::open(QFile::encodeName(QFileInfo(file).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
}

// Writes over the file itself: for files with other hard links (a rename
// would cut them off) and folders where no new file may be created.
void WriteInPlace(const QString& target, const QString& path, const QByteArray& bytes)
{
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        Fail(path, out.errorString());
    if (out.write(bytes) != bytes.size() || !out.flush() || ::fsync(out.handle()) != 0)
        Fail(path, out.errorString());
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    const QString target = SaveTarget(path);
    struct stat st {};
    if (::stat(QFile::encodeName(target).constData(), &st) == 0 && st.st_nlink > 1) {
        WriteInPlace(target, path, bytes);
        return;
    }
    // QSaveFile writes a temporary file beside the target, flushes it and
    // renames it into place, keeping the old file's permissions; where no
    // temporary file can be created it writes the file in place.
    QSaveFile out(target);
    out.setDirectWriteFallback(true);
    if (!out.open(QIODevice::WriteOnly))
        Fail(path, out.errorString());
    if (out.write(bytes) != bytes.size()) {
        const QString why = out.errorString();
        out.cancelWriting();
        Fail(path, why);
    }
    if (!out.commit())
        Fail(path, out.errorString());
    FlushFolderOf(target);
}

} // namespace

QString EncodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8: return QStringLiteral("UTF-8");
    case TextEncoding::Utf8Bom: return QStringLiteral("UTF-8 with BOM");
    case TextEncoding::Windows1252: return QStringLiteral("Windows-1252");
    }
    return QString();
}

void WriteFileSafely(const QString& path, const QByteArray& bytes)
{
    WriteBytes(path, bytes);
}

TSaveResult SaveDocumentFile(const TVeskMemoStore& document, const QString& path, bool backup)
{
    TSaveResult result;
    // The whole text is encoded first: nothing on disk changes until it is ready.
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        result.encoding = document.SaveToStream(buffer);
    }
    const QString target = SaveTarget(path);
    if (backup && QFileInfo::exists(target)) {
        const QString backupPath = BackupPath(target);
        QFile::remove(backupPath);
        result.backupFailed = !QFile::copy(target, backupPath);
    }
    WriteBytes(path, bytes);
    return result;
}

FileSlots WithRecent(const FileSlots& recent, const QString& path, const QStringList& preferred)
{
    for (const QString& p : preferred) {
        if (p.compare(path, Qt::CaseInsensitive) == 0)
            return recent;  // preferred files never enter the recent list
    }
    int found = -1;
    for (int i = 0; i < kFileSlots; ++i) {
        if (!recent[std::size_t(i)].isEmpty() && recent[std::size_t(i)].compare(path, Qt::CaseInsensitive) == 0) {
            found = i;
            break;
        }
    }
    FileSlots next = recent;
    const int shiftEnd = found >= 0 ? found : kFileSlots - 1;
    for (int i = shiftEnd; i > 0; --i)
        next[std::size_t(i)] = recent[std::size_t(i - 1)];
    next[0] = path;
    return next;
}

void AddRecent(const QString& path, const SettingsFile& file)
{
    const FileSlots before = ReadRecentFiles(file);
    const FileSlots after = WithRecent(before, path, ReadPreferredFiles(file));
    if (after != before)
        WriteRecentFiles(after, file);
}

TReopenMenu ReadReopenMenu(const SettingsFile& file)
{
    TReopenMenu menu;
    for (const QString& p : ReadPreferredMenu(file)) {
        if (p.isEmpty())
            break;
        menu.preferred << p;
    }
    for (const QString& p : ReadRecentFiles(file)) {
        if (p.isEmpty())
            break;
        menu.recent << p;
    }
    return menu;
}

} // namespace vesk

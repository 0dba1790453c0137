// Documents on disk: backup copies, atomic saves, recent files, the Reopen menu.
#include "app/DocumentFiles.h"

#include "editor/VeskMemoStore.h"
#include "settings/Settings.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

void Commit(QSaveFile& out, const QString& path)
{
    if (!out.commit())
        throw EDocumentWriteError("Unable to write to " + path.toStdString() + ": "
                                  + out.errorString().toStdString());
}

} // namespace

void WriteFileSafely(const QString& path, const QByteArray& bytes)
{
    // QSaveFile writes a temporary file beside the target, flushes it and
    // renames it into place, keeping the old file's permissions.
    QSaveFile out(SaveTarget(path));
    if (!out.open(QIODevice::WriteOnly))
        throw EDocumentWriteError("Unable to write to " + path.toStdString() + ": "
                                  + out.errorString().toStdString());
    if (out.write(bytes) != bytes.size())
        out.cancelWriting();
    Commit(out, path);
}

TextEncoding SaveDocumentFile(const TVeskMemoStore& document, const QString& path, bool backup)
{
    const QString target = SaveTarget(path);
    if (backup && QFileInfo::exists(target)) {
        // The backup is a convenience: when it cannot be made, the save goes on.
        const QString backupPath = BackupPath(target);
        QFile::remove(backupPath);
        QFile::copy(target, backupPath);
    }
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        throw EDocumentWriteError("Unable to write to " + path.toStdString() + ": "
                                  + out.errorString().toStdString());
    TextEncoding written;
    try {
        written = document.SaveToStream(out);
    } catch (const std::exception& e) {
        out.cancelWriting();
        throw EDocumentWriteError("Unable to write to " + path.toStdString() + ": " + e.what());
    }
    Commit(out, path);
    return written;
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

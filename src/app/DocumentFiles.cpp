// Documents on disk: backup copies, atomic saves, recent files, the Reopen menu.
#include "app/DocumentFiles.h"

#include "editor/VeskMemoStore.h"
#include "platform/DocumentFile.h"
#include "platform/FileNames.h"
#include "platform/SafeFile.h"
#include "settings/Settings.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>

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

QString BackupPathFor(const QString& path)
{
    const QString target = FinalLinkTarget(path);
    const QString backup = BackupPath(target);
    // "page.BAK" would be its own backup: copying it onto itself and
    // removing "the old backup" first would remove the document.
    return backup == target ? target + QStringLiteral(".BAK") : backup;
}

namespace {

[[noreturn]] void Fail(const QString& path, const QString& why)
{
    throw EDocumentWriteError("Unable to write to " + path.toStdString() + ": " + why.toStdString() + ".");
}

// Writes `bytes` as the new content of `path`. `backupError` is the errno
// of a backup copy that was wanted and failed (0 otherwise): a file that
// can only be written over in place is then left alone, since a failure or
// a crash half-way would leave neither the old text nor a copy of it.
void WriteBytes(const QString& path, const QByteArray& bytes, int backupError)
{
    const QString target = FinalLinkTarget(path);
    struct stat st {};
    const bool exists = ::stat(FileNameToBytes(target).constData(), &st) == 0;
    // A rename would cut the file off from its other hard links.
    bool inPlace = exists && S_ISREG(st.st_mode) && st.st_nlink > 1;
    if (!inPlace) {
        bool noTempFile = false;
        const int error = ReplaceFile(target, bytes, &noTempFile);
        if (error == 0)
            return;
        // A folder where no new file may be created: the file itself may
        // still be writable.
        if (!(noTempFile && exists && S_ISREG(st.st_mode) && (error == EACCES || error == EPERM)))
            Fail(path, DescribeFileError(error));
        inPlace = true;
    }
    if (backupError != 0)
        Fail(path, DescribeFileError(backupError) +
                       QStringLiteral(" (its backup copy could not be made, and this file can only be written "
                                      "over in place, which is never done without one; the file is unchanged)"));
    if (const int error = OverwriteFileInPlace(target, bytes))
        Fail(path, DescribeFileError(error));
}

} // namespace

QString EncodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8: return QStringLiteral("UTF-8");
    case TextEncoding::Utf8Bom: return QStringLiteral("UTF-8 with BOM");
    case TextEncoding::Windows1252: return QStringLiteral("Windows-1252");
    case TextEncoding::Utf16LE: return QStringLiteral("UTF-16 LE");
    case TextEncoding::Utf16BE: return QStringLiteral("UTF-16 BE");
    case TextEncoding::Utf32LE: return QStringLiteral("UTF-32 LE");
    case TextEncoding::Utf32BE: return QStringLiteral("UTF-32 BE");
    }
    return QString();
}

void WriteFileSafely(const QString& path, const QByteArray& bytes)
{
    WriteBytes(path, bytes, 0);
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
    int backupError = 0;
    const QString target = FinalLinkTarget(path);
    if (backup && FileExists(target)) {
        // The old backup is replaced only by a complete new one.
        backupError = CopyFileSafely(target, BackupPathFor(path));
        result.backupFailed = backupError != 0;
    }
    WriteBytes(path, bytes, backupError);
    return result;
}

std::optional<QString> OpenDocumentForReading(const QString& path, QFile& file)
{
    std::optional<QString> problem = OpenDocumentFile(path, file);
    if (problem && !problem->startsWith(QLatin1String("Cannot open file")))
        problem = QStringLiteral("Cannot open file ") + path + QStringLiteral("\r\r") + *problem;
    return problem;
}

QString NulBytesMessage(const QString& path, const TNulReport& nuls, bool savedBack)
{
    if (nuls.count == 0)
        return {};
    QStringList lines;
    for (const std::int32_t p : nuls.paragraphs)
        lines << QString::number(p + 1);
    QString where;
    if (lines.size() == 1)
        where = QStringLiteral("on line ") + lines.front();
    else if (lines.size() < qsizetype(kNulParagraphsKept))
        where = QStringLiteral("on lines ") + lines.mid(0, lines.size() - 1).join(QStringLiteral(", ")) +
                QStringLiteral(" and ") + lines.back();
    else
        where = QStringLiteral("first on lines ") + lines.join(QStringLiteral(", ")) + QStringLiteral(", …");
    const QString substitute = QChar(char16_t(kNulSubstitute));
    const QString count = nuls.count == 1 ? QStringLiteral("a NUL byte")
                                          : QString::number(nuls.count) + QStringLiteral(" NUL bytes");
    return QFileInfo(path).fileName() + QStringLiteral(" holds ") + count + QStringLiteral(" (") + where +
           QStringLiteral(").") + QStringLiteral("\r\r") +
           (savedBack ? QStringLiteral("Each is shown as ") + substitute +
                            QStringLiteral(" and saved back as a NUL byte; delete the ") + substitute +
                            QStringLiteral(" characters you do not want to keep.")
                      : QStringLiteral("Each was inserted as ") + substitute + QStringLiteral("."));
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

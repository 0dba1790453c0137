// Reading and writing the recent, preferred and upload file lists.
#include "settings/FileLists.h"

#include "platform/FileNames.h"
#include "platform/ProfileFile.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

#include <algorithm>
#include <string>

namespace vesk {

namespace {

constexpr const char* kRecentSection = "RecentFiles";
constexpr const char* kPreferredSection = "OpenPreferredMenu";
constexpr const char* kUploadSection = "UploadFiles";

bool IsEmptySlot(const QString& value)
{
    return value.isEmpty() || value == QLatin1String(kEmptySlot);
}

FileSlots ReadSlots(const SettingsFile& file, const char* section)
{
    FileSlots entries;
    for (int i = 0; i < kFileSlots; ++i) {
        const QString value = file.ReadString(section, std::to_string(i));
        if (!IsEmptySlot(value))
            entries[std::size_t(i)] = value;
    }
    return entries;
}

void WriteSlot(const SettingsFile& file, const char* section, int slot, const QString& path)
{
    if (slot < 0 || slot >= kFileSlots)
        return;
    file.WriteString(section, std::to_string(slot),
                     path.isEmpty() ? QString::fromLatin1(kEmptySlot) : path);
}

} // namespace

FileSlots ReadRecentFiles(const SettingsFile& file) { return ReadSlots(file, kRecentSection); }

void WriteRecentFile(int slot, const QString& path, const SettingsFile& file)
{
    WriteSlot(file, kRecentSection, slot, path);
}

void WriteRecentFiles(const FileSlots& entries, const SettingsFile& file)
{
    ProfileWriteBatch batch(file.path());
    for (int i = 0; i < kFileSlots; ++i)
        WriteSlot(file, kRecentSection, i, entries[std::size_t(i)]);
    batch.Commit();
}

FileSlots ReadPreferredMenu(const SettingsFile& file)
{
    return ReadSlots(file, kPreferredSection);
}

void WritePreferredMenuEntry(int slot, const QString& path, const SettingsFile& file)
{
    WriteSlot(file, kPreferredSection, slot, path);
}

QStringList ReadPreferredFiles(const SettingsFile& file)
{
    QStringList files = file.ReadList(kPreferredSection, "", kFileSlots);
    // "@" is an empty slot, and an empty slot ends the list.
    const qsizetype end = files.indexOf(QLatin1String(kEmptySlot));
    if (end >= 0)
        files.resize(end);
    return files;
}

void WritePreferredFiles(const QStringList& files, const SettingsFile& file)
{
    file.WriteList(kPreferredSection, "", files);
}

QStringList ReadUploadFiles(const SettingsFile& file) { return file.ReadList(kUploadSection, ""); }

void WriteUploadFiles(const QStringList& files, const SettingsFile& file)
{
    file.WriteList(kUploadSection, "", files);
}

QString UploadBinEntry(const QString& path)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    const QString name = info.fileName();
    const bool hasLowerCase = std::any_of(name.begin(), name.end(), [](QChar c) {
        return c >= QLatin1Char('a') && c <= QLatin1Char('z');
    });
    QString lower;
    for (const QChar c : name)
        lower += (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ? QChar(c.unicode() + 32) : c;
    if (!hasLowerCase && lower != name) {
        struct stat asStored{}, asLower{};
        const QByteArray stored = FileNameToBytes(QDir(folder).filePath(name));
        const QByteArray lowered = FileNameToBytes(QDir(folder).filePath(lower));
        if (::stat(stored.constData(), &asStored) == 0 && ::stat(lowered.constData(), &asLower) == 0
            && asStored.st_dev == asLower.st_dev && asStored.st_ino == asLower.st_ino)
            return QDir(folder).filePath(lower);
    }
    return QDir(folder).filePath(name);
}

} // namespace vesk

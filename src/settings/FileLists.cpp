// Reading and writing the recent, preferred and upload file lists.
#include "settings/FileLists.h"

#include "platform/ProfileFile.h"

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

} // namespace vesk

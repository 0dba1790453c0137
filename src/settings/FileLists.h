// The file lists of the settings file: recent files, preferred files and the upload bin.
//
// [RecentFiles] and [OpenPreferredMenu] use the keys "0" … "8"; the value "@"
// marks an empty slot. [UploadFiles] is an open-ended list under "0", "1", ….
// Here an empty slot is an empty QString; "@" never reaches the callers.
#pragma once

#include "settings/Settings.h"

#include <QString>
#include <QStringList>
#include <array>

namespace vesk {

inline constexpr int kFileSlots = 9;
using FileSlots = std::array<QString, kFileSlots>;

// The text that marks an empty slot in the file.
inline constexpr const char* kEmptySlot = "@";

// [RecentFiles] 0 … 8, most recent first; "@" and absent slots are empty.
FileSlots ReadRecentFiles(const SettingsFile& file = SettingsFile());
// Writes one slot (0 … 8); an empty path is written as "@". Other slots are
// left as they are. Out-of-range slots are ignored.
void WriteRecentFile(int slot, const QString& path, const SettingsFile& file = SettingsFile());
// Writes all nine slots (empty ones as "@") in one file replacement.
void WriteRecentFiles(const FileSlots& entries, const SettingsFile& file = SettingsFile());

// [OpenPreferredMenu] as the Reopen menu reads it: the nine slots, "@" and
// absent slots empty.
FileSlots ReadPreferredMenu(const SettingsFile& file = SettingsFile());
// Writes one slot (0 … 8) of [OpenPreferredMenu]; an empty path is written as
// "@". Out-of-range slots are ignored.
void WritePreferredMenuEntry(int slot, const QString& path,
                             const SettingsFile& file = SettingsFile());

// [OpenPreferredMenu] as the preferences dialog reads it: "0", "1", … up to
// the first missing, empty or "@" entry, at most nine files.
QStringList ReadPreferredFiles(const SettingsFile& file = SettingsFile());
// Erases [OpenPreferredMenu] and writes files from "0" on (empty ones left out).
void WritePreferredFiles(const QStringList& files, const SettingsFile& file = SettingsFile());

// The upload bin's entry for a file chosen by the user: the folder of
// `path` and the file's name as it is stored on disk. A name without any
// letter a to z (a DOS-style "INDEX.HTM") is taken in lower case, which is
// how web servers expect it, but only where the file system finds the very
// same file under the lower-case name (a case-insensitive volume, or a
// link): on an ordinary Linux file system "index.htm" would be another,
// probably missing, file, and the name is kept as stored.
QString UploadBinEntry(const QString& path);

// [UploadFiles] "0", "1", … up to the first missing or empty entry.
QStringList ReadUploadFiles(const SettingsFile& file = SettingsFile());
// Erases [UploadFiles] and writes files from "0" on (empty ones left out).
void WriteUploadFiles(const QStringList& files, const SettingsFile& file = SettingsFile());

} // namespace vesk

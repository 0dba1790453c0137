// Documents on disk: safe saving with the backup copy, the recent-files list,
// and what the Reopen menu shows.
#pragma once

#include "editor/TextEncoding.h"
#include "settings/FileLists.h"

#include <QString>
#include <QStringList>

#include <stdexcept>
#include <string>

namespace vesk {

class TVeskMemoStore;

// Raised when a document cannot be written; what() names the file and why.
class EDocumentWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The backup path of a file: its extension replaced by ".BAK", or ".BAK"
// appended to a name without one ("page.htm" → "page.BAK", "README" →
// "README.BAK"). Only the file name counts, never a dot in a folder name.
QString BackupPath(const QString& path);

struct TSaveResult {
    TextEncoding encoding = TextEncoding::Utf8;  // what was written
    bool backupFailed = false;  // the backup copy could not be made (the save went ahead)
};

// Saves a document to `path`. With `backup` and an existing file, the old
// file is first copied to BackupPath(path), replacing an older backup; a
// failed backup copy does not stop the save but is reported in the result.
// The text then goes to a temporary file in the same folder, which is flushed
// and renamed over `path`, and the folder is flushed, so a failed save leaves
// the old file as it was; the old file's permissions are kept and a symbolic
// link keeps pointing at the saved file. A file with other hard links, or one
// in a folder where no new file can be created, is written in place instead
// (after the backup). Throws EDocumentWriteError when the file cannot be
// written.
TSaveResult SaveDocumentFile(const TVeskMemoStore& document, const QString& path, bool backup);

// How an encoding is named to the user ("UTF-8", "Windows-1252", …).
QString EncodingName(TextEncoding encoding);

// Writes `bytes` to `path` in the same safe way (no backup).
void WriteFileSafely(const QString& path, const QByteArray& bytes);

// The recent-files list after opening or saving `path`: nothing changes when
// it is a preferred file; otherwise it moves to slot 0, the entries that were
// before its old place (all of them when it was not listed) move down one
// slot, those after it keep theirs, and an entry pushed past slot 8 drops
// out. Paths compare without regard to case; empty slots are empty strings.
FileSlots WithRecent(const FileSlots& recent, const QString& path, const QStringList& preferred);

// The same, applied to the settings file at once.
void AddRecent(const QString& path, const SettingsFile& file = SettingsFile());

// What the Reopen menu shows: up to nine recent and nine preferred paths in
// slot order, stopping at the first empty slot of each; an empty list shows
// the placeholder caption ("No Recent Files", "Specify Files in Settings").
struct TReopenMenu {
    QStringList recent;
    QStringList preferred;
};
TReopenMenu ReadReopenMenu(const SettingsFile& file = SettingsFile());

} // namespace vesk

// Documents on disk: safe saving with the backup copy, the recent-files list,
// and what the Reopen menu shows.
#pragma once

#include "editor/TextEncoding.h"
#include "editor/VeskMemoStore.h"
#include "settings/FileLists.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <optional>

#include <stdexcept>
#include <string>

namespace vesk {

// Raised when a document cannot be written; what() names the file and why.
class EDocumentWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The backup path of a file: its extension replaced by ".BAK", or ".BAK"
// appended to a name without one ("page.htm" → "page.BAK", "README" →
// "README.BAK"). Only the file name counts, never a dot in a folder name.
QString BackupPath(const QString& path);

// Where saving `path` puts its backup copy: beside the file a chain of
// symbolic links finally names, under BackupPath of that file, or with
// ".BAK" appended when BackupPath would be the file itself ("page.BAK" →
// "page.BAK.BAK").
QString BackupPathFor(const QString& path);

struct TSaveResult {
    TextEncoding encoding = TextEncoding::Utf8;  // what was written
    bool backupFailed = false;  // the backup copy could not be made (the save went ahead)
};

// Saves a document to `path`. With `backup` and an existing file, the old
// file is first copied to BackupPathFor(path) through a temporary file that
// replaces an older backup only when complete; a failed backup copy does
// not stop an ordinary save but is reported in the result. The text then
// goes to a temporary file in the same folder, which is flushed and renamed
// over the file (a symbolic link keeps pointing at it), and the folder is
// flushed, so a failed save leaves the old file as it was; the old file's
// permissions are kept. A file with other hard links, or one in a folder
// where no new file can be created, is written over in place instead: only
// after its backup copy exists (when one is wanted) and once the space for
// the new text is reserved, so a full disk leaves it untouched. Throws
// EDocumentWriteError ("Unable to write to <path>: <why>.", "The disk is
// full" for a full disk) when the file cannot be written.
TSaveResult SaveDocumentFile(const TVeskMemoStore& document, const QString& path, bool backup);

// How an encoding is named to the user ("UTF-8", "Windows-1252", …).
QString EncodingName(TextEncoding encoding);

// Writes `bytes` to `path` in the same safe way (no backup).
void WriteFileSafely(const QString& path, const QByteArray& bytes);

// Opens `path` for reading as a document (OpenDocumentFile: a regular file
// of bounded size, without blocking). Returns nothing on success; otherwise
// the message to show, which begins "Cannot open file <path>" and then says
// why (missing, a folder, a device or pipe, too large, …).
std::optional<QString> OpenDocumentForReading(const QString& path, QFile& file);

// What to tell the user after `path` was loaded with NUL bytes in it: where
// they are, how they are shown and, for a document of its own
// (`savedBack`), that saving writes them back; for text inserted into
// another document, that they went in as the substitute. Empty when the
// load met none.
QString NulBytesMessage(const QString& path, const TNulReport& nuls, bool savedBack = true);
inline constexpr const char* kNulBytesCaption = "NUL Bytes";

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

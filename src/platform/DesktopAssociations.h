// The user's own desktop associations: our desktop entry and icon, and the values of the user's mimeapps.list.
//
// Everything written here lies in the user's own XDG folders:
//   $XDG_DATA_HOME/applications/htmlvesk.desktop          (default ~/.local/share)
//   $XDG_DATA_HOME/icons/hicolor/scalable/apps/htmlvesk.svg
//   $XDG_CONFIG_HOME/mimeapps.list                        (default ~/.config)
// A relative XDG_DATA_HOME or XDG_CONFIG_HOME is ignored, as the XDG rules say.
//
// mimeapps.list is edited as a profile file: one value changes, every other
// line (comments, other groups, odd or repeated groups, other programs'
// associations) stays byte for byte, and the file is replaced atomically
// with its permissions kept. A file that is not ours to replace is left
// alone and the write fails with a message naming it:
//   - a file that exists but cannot be read, is not a regular file, or is
//     not text (NUL bytes, a UTF-16 or UTF-32 byte-order mark): replacing
//     it would throw away associations that could not be read;
//   - a symbolic link whose chain does not end at an existing file inside
//     the user's configuration or data folder (a link into a dotfiles
//     repository, /etc, or nowhere): nothing outside those folders is written.
// A link that ends inside those folders is followed, and its target written.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vesk {

// The desktop id of the program's own entry.
inline constexpr const char* kDesktopEntryId = "htmlvesk.desktop";
// The two groups of mimeapps.list that the associations use.
inline constexpr const char* kDefaultApplicationsGroup = "Default Applications";
inline constexpr const char* kAddedAssociationsGroup = "Added Associations";

QString UserConfigHome();      // $XDG_CONFIG_HOME, else ~/.config
QString UserDataHome();        // $XDG_DATA_HOME, else ~/.local/share
QString UserMimeAppsPath();    // UserConfigHome() + "/mimeapps.list"
QString UserDesktopEntryPath();  // UserDataHome() + "/applications/htmlvesk.desktop"
QString UserIconPath();        // the scalable hicolor icon under UserDataHome()

// The desktop entry that starts the program at `programPath` on one file:
// its Exec line holds the path (quoted only where the desktop-entry rules
// require it) and the file placeholder %f; it offers the program for
// text/html and text/plain, and names the icon "htmlvesk".
QByteArray DesktopEntryFor(const QString& programPath);

// The program's icon (SVG), built into the program.
QByteArray ProgramIconSvg();

// Writes the desktop entry and the icon into the user's data folder,
// creating folders as needed; a file that already holds the right bytes is
// not rewritten. Throws std::runtime_error naming the file that could not
// be written.
void InstallUserDesktopEntry(const QString& programPath);

// The value of `mimeType` in `group` of the user's mimeapps.list, exactly as
// its line holds it (not cut, quotes kept); "" when the file, the group or
// the key is missing or the file cannot be read.
QString ReadUserMimeApps(const QString& group, const QString& mimeType);

// Sets `mimeType` in `group` of the user's mimeapps.list to `value`, or
// removes it (from every group of that name) when `value` is empty. Creates
// the file and its folder when missing. Throws std::runtime_error, with a
// message naming the file, when it may not or cannot be written (see above).
void WriteUserMimeApps(const QString& group, const QString& mimeType, const QString& value);

// A desktop id list ("a.desktop;b.desktop;") as its ids, blanks trimmed and
// empty entries left out.
QStringList DesktopIds(const QString& list);

} // namespace vesk

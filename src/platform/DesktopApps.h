// The desktop's default applications: which program opens a MIME type or URL scheme.
//
// Follows the freedesktop.org rules for MIME application associations, read
// fresh on every call (the files are cached by the profile module, so a
// repeated lookup costs a few stat calls):
//   mimeapps.list files, highest precedence first:
//     $XDG_CONFIG_HOME (default ~/.config), each of $XDG_CONFIG_DIRS (default
//     /etc/xdg), $XDG_DATA_HOME/applications (default ~/.local/share/applications),
//     each of $XDG_DATA_DIRS/applications (default /usr/local/share:/usr/share);
//     in each folder "<desktop>-mimeapps.list" for every name of
//     $XDG_CURRENT_DESKTOP (lower-cased) comes before plain "mimeapps.list".
//   The candidates for a type, tried in this order until one is installed:
//     1. [Default Applications] of every mimeapps.list;
//     2. [Added Associations] of every mimeapps.list, skipping ids that a file
//        of higher precedence lists in [Removed Associations];
//     3. [MIME Cache] of each applications folder's mimeinfo.cache (a folder
//        without that file has its .desktop files' MimeType keys scanned
//        instead), skipping every removed id;
//     4. [Default Applications] of each applications folder's defaults.list.
//   When nothing handles the type itself, its parent types are tried (an HTML
//   file may be opened by a text/plain editor); application/octet-stream never is.
// A desktop id ("firefox-esr.desktop"; a "-" may stand for a sub-folder "/")
// is looked up in $XDG_DATA_HOME/applications first, then in each
// $XDG_DATA_DIRS/applications; the first file found decides: when it has
// Hidden=true, a Type other than Application, or no usable Exec line, the id
// counts as not installed.
// TryExec, OnlyShowIn and NotShowIn are not consulted.
// Values of these files are read with the profile module; a value that holds
// a double quote or reaches the profile reader's length limit is read again
// from the raw line, so Exec lines that start and end with quotes keep them.
#pragma once

#include <QString>

namespace vesk {

// An extension as ".ext": blanks trimmed and the dot added when missing;
// "" for an empty extension or a lone ".".
QString NormalizedExtension(const QString& extension);

// The MIME type the desktop gives files with this extension (".htm" or
// "htm" → "text/html"); empty when the extension is unknown.
QString MimeTypeForExtension(const QString& extension);

// The command line of the default application for a MIME type (use
// "x-scheme-handler/<scheme>" for URLs), ready for RunCommandLine: the
// Exec line converted by ExecToCommandLine. Empty when no installed
// application handles the type.
QString DefaultApplicationCommand(const QString& mimeType);

// Absolute path of the .desktop file chosen for the type; empty when none.
QString DefaultApplicationDesktopFile(const QString& mimeType);

// The value of `key` in `group` of a desktop-style file (desktop entries,
// mimeapps.list), trimmed, exactly as its line holds it: unlike a profile
// read, enclosing quotes are kept and long values are not cut. Empty when
// the file, group or key is missing.
QString ReadDesktopFileValue(const QString& path, const QString& group, const QString& key);

// Converts a desktop entry's Exec value (already free of the desktop-file
// escapes \s \n \t \r \\) into a command line for RunCommandLine:
//   %f %F %u %U  the first becomes "%1", later ones are dropped; when there
//                is none, " %1" is appended;
//   %%           becomes "%";
//   other codes  (%i %c %k and the deprecated %d %D %n %N %v %m, and unknown
//                ones) are removed, and a word left empty by that is dropped.
// Words are re-quoted only where needed. Empty when the Exec value has
// unbalanced quotes or no program.
// Note: "%%1" in an Exec line turns into a literal "%1", which the launcher
// would then take for the document placeholder; no real entry does that.
QString ExecToCommandLine(const QString& exec);

} // namespace vesk

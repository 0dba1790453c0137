// Coming back after a logout: an XDG autostart entry that starts the program
// once at the next login with the documents that were open.
//
// The entry is "$XDG_CONFIG_HOME/autostart/htmlvesk-session.desktop"
// (~/.config/autostart when the variable is unset or not absolute). It is
// written when the desktop session ends and removed by the next start, so it
// acts once. Its Exec line quotes every argument by the desktop-entry rules
// and escapes the value as desktop files do, so each path reads back as one
// argument whatever it holds: blanks, quotes, "$", "`", "\", "%", ";", line
// breaks.
#pragma once

#include <QString>
#include <QStringList>

namespace vesk {

// Absolute path of the session entry.
QString SessionAutostartPath();

// One argument as the Exec key wants it: in double quotes, with ", `, $ and the backslash
// escaped by a backslash and "%" doubled.
QString QuoteExecArgument(const QString& argument);

// The Exec value for a command (program first), ready to be written into a
// desktop file: arguments quoted, then "\" written "\\" and line breaks,
// tabs and carriage returns as "\n", "\t", "\r".
QString ExecValue(const QStringList& command);

// One argument quoted only where the desktop-entry rules require it: an
// empty argument, or one holding a blank, a tab, a line break or one of
// " ' \ > < ~ | & ; $ * ? # ( ) `, is quoted as QuoteExecArgument does;
// any other is written as it is, with "%" doubled. Plain paths stay
// unquoted, which tools that read Exec lines naively (xdg-mime) depend on.
QString ExecArgumentWhereNeeded(const QString& argument);

// A string as a desktop file's value holds it: "\" written "\\" and
// line breaks, tabs and carriage returns as "\n", "\t", "\r".
QString EscapeDesktopValue(const QString& value);

// The whole entry for the command.
QByteArray SessionAutostartEntry(const QStringList& command);

// Writes the entry (creating the folder), replacing an older one through a
// temporary file. False when it cannot be written.
bool WriteSessionAutostart(const QStringList& command);

// Removes the entry; true when there was one.
bool RemoveSessionAutostart();

} // namespace vesk

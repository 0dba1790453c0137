// Starting other programs for the user: browsers on the document, viewers on
// pictures, web addresses; a start that fails is reported under "Execute Error".
//
// Nothing here runs through a shell: command lines are split into words by
// the launcher and the document is placed into them as one argument, so file
// names with blanks, quotes, "$(…)", ";" or a leading "-" are passed as they
// are and can never become part of a command or an option.
#pragma once

#include "settings/ProgramCommands.h"

#include <QString>

#include <optional>

namespace vesk {

// The message for a failed start (a launch result of 32 or less); empty for a
// result the table does not list, which is then not reported.
QString ExecuteErrorMessage(int result);

// With useShell, `command` is a document path or a web address opened with
// the desktop's default application; otherwise it is a command line, with the
// document (when given) put into its first "%1" or, without one, after its
// last word. A failure is shown with MsgBox(message, "Execute Error", OK,
// error sound). Returns the launch result (above 32 when started).
int RunExecutable(const QString& command, bool useShell,
                  const std::optional<QString>& document = std::nullopt);

// `command` with its first "%1" taken out (a word left empty by that is
// dropped), for a document that has no file to show. Unchanged when it has
// no "%1"; empty when its quotes do not balance.
QString WithoutDocumentPlaceholder(const QString& command);

// The picture a selection names: the folder of the document (with its
// trailing "/") followed by the selected text, made absolute against the
// current folder when the document has no name yet, so a name starting with
// "-" can never be taken for an option. Empty for an empty selection.
QString PictureCandidate(const QString& documentPath, const QString& selection);

// The command that shows `picture`, chosen by its extension compared exactly
// (lower case only): ".gif", ".jpg", ".bmp" their viewers, ".htm" and ".html"
// browser 1. Empty for any other extension or an empty command: the desktop's
// default application then opens the picture.
QString PictureProgram(const QString& picture, const ProgramCommands& commands);

} // namespace vesk

// Starting other programs and opening documents with their default application.
//
// Result numbers follow the old Windows launch calls the rest of the program
// was written against: a value above 32 is success, smaller values name the
// failure (see the kLaunch* constants). Nothing is ever run through a shell:
// command lines are split here, so no variable, glob or "~" is expanded.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace vesk {

inline constexpr int kLaunchOk = 33;              // started
inline constexpr int kLaunchNoResources = 0;      // fork failed (EAGAIN) or an unlisted error
inline constexpr int kLaunchFileNotFound = 2;     // no such program/document, or an unusable command line
inline constexpr int kLaunchPathNotFound = 3;     // a folder of the program's path is missing
inline constexpr int kLaunchAccessDenied = 5;     // not permitted, or the path is a folder
inline constexpr int kLaunchOutOfMemory = 8;      // ENOMEM
inline constexpr int kLaunchBadFormat = 11;       // not an executable format (ENOEXEC)
inline constexpr int kLaunchNoAssociation = 31;   // no application opens this document or URL

// Where RunCommandLine puts the document.
enum class DocumentArgument {
    SubstituteOrAppend,  // into the first "%1" of any word, else as a last argument
    AppendOnly,          // always as a last argument; "%1" stays as written
};

// Splits a command line into words the way a POSIX shell splits words:
// blanks and tabs separate words; '…' is literal; "…" groups, and inside it a
// backslash escapes only " \ $ ` (any other backslash is kept); a backslash
// outside quotes makes the next character literal; quoted and unquoted parts
// that touch form one word; "" is an empty word. nullopt for an unbalanced
// quote or a trailing lone backslash.
std::optional<QStringList> SplitCommandLine(const QString& commandLine);

// The inverse of SplitCommandLine: words that need it are double-quoted.
QString JoinCommandLine(const QStringList& words);

// Splits commandLine, places the document (when given) as `mode` says, then
// starts word 0 (searched in PATH when it has no "/") as a detached process:
// its own session, default signal mask and handlers, none of our file
// descriptors except 0, 1 and 2. Its exit is collected by a background
// thread so no zombie stays behind; the caller never waits.
// A document that is placed into a word, or appended, is always exactly one
// argument, whatever blanks or quotes it holds.
// Returns kLaunchOk or a failure number; an empty or unbalanced command
// line runs nothing and gives kLaunchFileNotFound.
int RunCommandLine(const QString& commandLine,
                   const std::optional<QString>& document = std::nullopt,
                   DocumentArgument mode = DocumentArgument::SubstituteOrAppend);

// Opens a document path or a URL ("https://…", "mailto:…", "file://…") with
// the desktop's default application. kLaunchFileNotFound for a missing file,
// kLaunchNoAssociation when no application handles it, otherwise the result
// of starting the application.
int ShellOpen(const QString& target);

} // namespace vesk

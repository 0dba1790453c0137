// Writing files so that a failure never leaves half of one: temporary files renamed into place, space reserved first.
//
// Every function takes names as FileNames.h describes (the bytes the file
// system holds) and reports failure as the errno value of the step that
// failed, 0 meaning success. Nothing here throws.
#pragma once

#include <QByteArrayView>
#include <QString>

namespace vesk {

// "The disk is full" for ENOSPC and EDQUOT (what the user can act on), the
// system's text for any other errno value.
QString DescribeFileError(int error);

// The file a write to `path` really changes: symbolic links are followed to
// the end of the chain (relative targets are taken from the link's own
// folder). `path` itself when it is not a link; the last name reached when
// the chain is broken (a dangling link names the file a save creates) or
// longer than 40 links.
QString FinalLinkTarget(const QString& path);

// Copies `from` to `to` through a temporary file beside `to`, which is
// flushed and renamed over `to` only when it is complete: when the copy
// fails, an existing `to` stays exactly as it was and no temporary file is
// left. The copy gets `from`'s permissions. `to` is replaced, not followed,
// when it is a symbolic link.
int CopyFileSafely(const QString& from, const QString& to);

// Replaces the file `target` (a real file name, not a link) by `bytes`: a
// temporary file in the same folder is written, flushed and renamed over
// it, and the folder is flushed, so a crash or a full disk leaves either
// the old or the new file. An existing file's permissions (and owner, when
// we may set it) are kept; a new file gets 0666 less the umask. When no
// temporary file can be created in the folder, `noTempFile` (if given) is
// set and nothing has changed.
int ReplaceFile(const QString& target, QByteArrayView bytes, bool* noTempFile = nullptr);

// Writes `bytes` over the existing file `target` in place, keeping its
// identity (for a file with other hard links, which a rename would cut
// off). Space for the new length is reserved before the first byte
// changes, so a full disk is found while the file is still as it was; then
// the bytes are written from the start, the file is cut to their length
// and flushed.
int OverwriteFileInPlace(const QString& target, QByteArrayView bytes);

// Files only their owner may read: settings that may hold a password.
// CreatePrivateFile creates `path` empty with mode 0600 when nothing is
// there yet (an existing file is left as it is, and is not an error), so
// later atomic rewrites, which keep a file's mode, keep it private.
// MakeFilePrivate takes every permission of group and others away from an
// existing file (following links); a missing file is ENOENT.
int CreatePrivateFile(const QString& path);
int MakeFilePrivate(const QString& path);

} // namespace vesk

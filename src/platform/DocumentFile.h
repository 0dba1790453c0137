// Opening a file that the user named as a document, safely: only a regular
// file of bounded size is ever read, and nothing blocks.
//
// A name can stand for a FIFO (opening one waits for a writer), a device
// such as /dev/zero (endless), a folder, or a file too large for the editor.
// OpenDocumentFile refuses all of these before a byte is read. It opens
// without blocking and checks what was opened (fstat on the descriptor), so
// a name swapped for a FIFO between a check and the open cannot hang it.
#pragma once

#include <QFile>
#include <QString>

#include <optional>

namespace vesk {

// The largest file a document can come from: the editor counts characters
// in 32-bit signed offsets.
inline constexpr qint64 kMaxDocumentFileBytes = 0x7fffffff;

// Opens `path` read-only into `file` when it names a regular file of at most
// `maxBytes` bytes. Returns nothing on success; otherwise the message to
// show the user, naming the file and why ("… does not exist.", "… is a
// folder, not a file.", "… is not a regular file …", "… is too large …",
// "Cannot open file …"), and `file` stays closed. `path` is taken as the
// bytes the file system holds (see FileNames.h).
std::optional<QString> OpenDocumentFile(const QString& path, QFile& file,
                                        qint64 maxBytes = kMaxDocumentFileBytes);

} // namespace vesk

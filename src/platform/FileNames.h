// File names as the file system holds them: bytes, which are usually but not always UTF-8.
//
// A name that is valid UTF-8 becomes the QString of its characters, exactly
// as Qt would decode it. A byte that is not part of a valid UTF-8 sequence
// becomes a lone low surrogate U+DC80 … U+DCFF (0xDC00 plus the byte), a
// code that no decoded UTF-8 can hold, so FileNameToBytes gives back the very
// bytes the name had and a file with such a name can still be opened and
// saved. Qt's own file classes would turn those bytes into U+FFFD and lose
// them, so every place that hands a document's path to the system encodes
// it here.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace vesk {

QString FileNameFromBytes(QByteArrayView bytes);

// The bytes of a name made by FileNameFromBytes (or any valid QString, as
// UTF-8). A lone surrogate outside U+DC80 … U+DCFF, which only a broken
// string can hold, is written as U+FFFD.
QByteArray FileNameToBytes(const QString& name);

// True when something exists at `path` (stat follows symbolic links, so a
// dangling link does not count).
bool FileExists(const QString& path);

} // namespace vesk

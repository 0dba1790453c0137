// What the uploader's local list shows: the entries of a folder, or the list of volumes, in its order.
//
// The list shows one folder at a time, or the volumes a user cares about
// (the root folder, the home folder, removable media and other mounts of
// real file systems); going up from a volume's root leads to that list.
// Everything here works on absolute paths: the list never changes the
// process's current directory, so nothing else in the program sees its
// relative names move.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace vesk {

enum class TLocalKind { Directory, File, Volume };

struct TLocalEntry {
    QString caption;  // what the list shows (see LocalCaption; a volume's name)
    TLocalKind kind = TLocalKind::File;
    QString path;     // the absolute path; a volume's root folder

    friend bool operator==(const TLocalEntry&, const TLocalEntry&) = default;
};

// The masks the list starts with: every file.
inline constexpr const char* kDefaultLocalMask = "*.*";

// A name as the list shows it: a name with no letter a to z (an all-capitals
// name such as "INDEX.HTM" from an old DOS tool) shows its letters A to Z
// in lower case; any other name keeps its case. The entry's path keeps the
// name as stored.
QString LocalCaption(const QString& name);

// The list's order: folders first; volumes compare equal to each other;
// otherwise the captions upper-cased and compared code point by code point.
int LocalCompare(const TLocalEntry& a, const TLocalEntry& b);

// The entries of `folder` matching each mask of `masks` (separated by ";",
// shell patterns, "*.*" meaning every name as it does on the systems the
// masks come from), hidden ones included, "." and ".." left out, sorted
// with LocalCompare. An entry found by two masks is listed twice. A folder
// that cannot be read gives no entries.
std::vector<TLocalEntry> ReadLocalFolder(const QString& folder, const QString& masks = kDefaultLocalMask);

// The volume list: "/", the home folder, then the mount points of real file
// systems (a device under /dev, or anything under /media, /run/media or
// /mnt), without pseudo and read-only image file systems, each root once.
std::vector<TLocalEntry> ReadLocalVolumes();

// The roots of the volume list that are mount points ("/" and the mounts;
// the home folder is a shortcut, not a root).
QStringList LocalVolumeRoots();

// Where Up One Level leads from `folder`: its parent folder, or nothing
// when `folder` is "/" or one of `roots` (the volume list comes next).
std::optional<QString> LocalParentFolder(const QString& folder, const QStringList& roots);

} // namespace vesk

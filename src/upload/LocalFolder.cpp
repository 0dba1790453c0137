// What the uploader's local list shows: the entries of a folder, or the list of volumes, in its order.
#include "upload/LocalFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace vesk {

namespace {

int Rank(const TLocalEntry& entry)
{
    return entry.kind == TLocalKind::Directory ? 0 : 1;
}

QString Cleaned(const QString& folder)
{
    return QDir::cleanPath(QDir(folder).absolutePath());
}

bool IsRealFileSystem(const QStorageInfo& volume)
{
    static const QByteArray pseudo[] = {"proc", "sysfs", "devtmpfs", "devpts", "tmpfs", "cgroup", "cgroup2",
                                        "securityfs", "debugfs", "tracefs", "pstore", "bpf", "configfs",
                                        "fusectl", "mqueue", "hugetlbfs", "autofs", "binfmt_misc", "squashfs",
                                        "efivarfs", "rpc_pipefs", "nsfs", "ramfs", "overlay"};
    const QByteArray type = volume.fileSystemType();
    if (std::find(std::begin(pseudo), std::end(pseudo), type) != std::end(pseudo))
        return false;
    const QString root = volume.rootPath();
    for (const char* place : {"/media/", "/run/media/", "/mnt/"}) {
        if (root.startsWith(QLatin1StringView(place)))
            return true;
    }
    return volume.device().startsWith("/dev/") && !root.startsWith(QLatin1StringView("/boot"))
        && !root.startsWith(QLatin1StringView("/snap/"));
}

} // namespace

QString LocalCaption(const QString& name)
{
    const bool hasLower = std::any_of(name.begin(), name.end(), [](QChar c) { return c >= u'a' && c <= u'z'; });
    if (hasLower)
        return name;
    QString out = name;
    for (QChar& c : out) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return out;
}

int LocalCompare(const TLocalEntry& a, const TLocalEntry& b)
{
    if (a.kind == TLocalKind::Volume && b.kind == TLocalKind::Volume)
        return 0;
    if (Rank(a) != Rank(b))
        return Rank(a) - Rank(b);
    const QByteArray ka = a.caption.toUpper().toUtf8(), kb = b.caption.toUpper().toUtf8();
    return ka < kb ? -1 : (kb < ka ? 1 : 0);
}

std::vector<TLocalEntry> ReadLocalFolder(const QString& folder, const QString& masks)
{
    std::vector<TLocalEntry> entries;
    const QDir dir(folder);
    for (QString mask : masks.split(u';', Qt::SkipEmptyParts)) {
        mask = mask.trimmed();
        if (mask == u"*.*")
            mask = QStringLiteral("*");
        const QFileInfoList found = dir.entryInfoList(
            {mask}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
        for (const QFileInfo& info : found) {
            entries.push_back({LocalCaption(info.fileName()), info.isDir() ? TLocalKind::Directory : TLocalKind::File,
                               info.absoluteFilePath()});
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TLocalEntry& a, const TLocalEntry& b) { return LocalCompare(a, b) < 0; });
    return entries;
}

std::vector<TLocalEntry> ReadLocalVolumes()
{
    std::vector<TLocalEntry> volumes;
    auto add = [&](const QString& caption, const QString& root) {
        if (std::none_of(volumes.begin(), volumes.end(), [&](const TLocalEntry& v) { return v.path == root; }))
            volumes.push_back({caption, TLocalKind::Volume, root});
    };
    add(QStringLiteral("/"), QStringLiteral("/"));
    add(QDir::homePath(), Cleaned(QDir::homePath()));
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady() || !IsRealFileSystem(volume))
            continue;
        const QString name = volume.name();
        const QString root = Cleaned(volume.rootPath());
        add(name.isEmpty() || root == u"/" ? root : name + " (" + root + ")", root);
    }
    return volumes;
}

QStringList LocalVolumeRoots()
{
    QStringList roots{QStringLiteral("/")};
    for (const TLocalEntry& volume : ReadLocalVolumes()) {
        if (volume.path != Cleaned(QDir::homePath()) || QStorageInfo(volume.path).rootPath() == volume.path)
            roots << volume.path;
    }
    roots.removeDuplicates();
    return roots;
}

std::optional<QString> LocalParentFolder(const QString& folder, const QStringList& roots)
{
    const QString path = Cleaned(folder);
    if (path == u"/")
        return std::nullopt;
    for (const QString& root : roots) {
        if (Cleaned(root) == path)
            return std::nullopt;
    }
    QDir dir(path);
    if (!dir.cdUp())
        return QFileInfo(path).absolutePath();
    return dir.absolutePath();
}

} // namespace vesk

// Default applications: mimeapps.list, mimeinfo.cache and .desktop file lookup.
#include "platform/DesktopApps.h"

#include "platform/Launcher.h"
#include "platform/ProfileFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSet>

namespace vesk {
namespace {

// ---- XDG folders -----------------------------------------------------------

QString EnvDir(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    // Relative paths in these variables are invalid and must be ignored.
    return value.startsWith(QLatin1Char('/')) ? value : fallback;
}

QStringList EnvDirList(const char* name, const QStringList& fallback)
{
    QStringList dirs;
    for (const QString& d : qEnvironmentVariable(name).split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (d.startsWith(QLatin1Char('/')))
            dirs << d;
    return dirs.isEmpty() ? fallback : dirs;
}

QStringList Deduplicated(const QStringList& dirs)
{
    QStringList out;
    QSet<QString> seen;
    for (const QString& d : dirs) {
        const QString clean = QDir::cleanPath(d);
        if (!seen.contains(clean)) {
            seen.insert(clean);
            out << clean;
        }
    }
    return out;
}

QStringList ConfigDirs()
{
    const QString home = EnvDir("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"));
    return Deduplicated(QStringList{home} + EnvDirList("XDG_CONFIG_DIRS", {QStringLiteral("/etc/xdg")}));
}

// $XDG_DATA_HOME/applications first, then each $XDG_DATA_DIRS/applications.
QStringList ApplicationDirs()
{
    const QString home =
        EnvDir("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share"));
    const QStringList dataDirs = EnvDirList(
        "XDG_DATA_DIRS", {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")});
    QStringList dirs{home + QStringLiteral("/applications")};
    for (const QString& d : dataDirs)
        dirs << d + QStringLiteral("/applications");
    return Deduplicated(dirs);
}

QStringList MimeAppsFiles()
{
    QStringList desktops;
    for (const QString& d : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'),
                                                                              Qt::SkipEmptyParts))
        desktops << d.toLower();
    QStringList files;
    for (const QString& dir : ConfigDirs() + ApplicationDirs()) {
        for (const QString& desktop : desktops)
            files << dir + QLatin1Char('/') + desktop + QStringLiteral("-mimeapps.list");
        files << dir + QStringLiteral("/mimeapps.list");
    }
    return files;
}

// ---- reading INI-style values ----------------------------------------------

// The value exactly as written on its line (trimmed), for the cases the
// profile reader cannot return faithfully: it drops a pair of enclosing
// quotes and cuts long values, which would break Exec lines such as
// "/opt/My App/run" "%f" and long mimeinfo.cache lists.
QString RawValue(const QString& path, const QString& section, const QString& key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    bool inSection = false;
    const QList<QByteArray> lines = file.readAll().replace("\r\n", "\n").replace('\r', '\n').split('\n');
    for (const QByteArray& raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.contains(QLatin1Char(']'))) {
            const QString name = line.mid(1, line.indexOf(QLatin1Char(']')) - 1).trimmed();
            // Like the profile reader, only the first matching section counts.
            if (inSection)
                return {};
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (inSection && eq > 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1).trimmed();
    }
    return {};
}

QString ReadValue(const QString& path, const QString& section, const QString& key)
{
    const std::string value = GetPrivateProfileString(section.toStdString(), key.toStdString(),
                                                      "", path.toStdString());
    QString result = QString::fromStdString(value);
    if (result.contains(QLatin1Char('"')) || std::size_t(result.size()) >= kProfileValueMax)
        return RawValue(path, section, key);
    return result;
}

QStringList ReadIdList(const QString& path, const QString& section, const QString& mimeType)
{
    QStringList ids;
    for (const QString& id : ReadValue(path, section, mimeType).split(QLatin1Char(';')))
        if (!id.trimmed().isEmpty())
            ids << id.trimmed();
    return ids;
}

// Undoes the general escapes of desktop-file string values.
QString UnescapeDesktopString(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value[++i];
        switch (next.unicode()) {
        case 's': out += QLatin1Char(' '); break;
        case 'n': out += QLatin1Char('\n'); break;
        case 't': out += QLatin1Char('\t'); break;
        case 'r': out += QLatin1Char('\r'); break;
        case '\\': out += QLatin1Char('\\'); break;
        // Unknown escapes are kept whole so Exec quoting (\" \$ \`) survives.
        default: out += c; out += next; break;
        }
    }
    return out;
}

// ---- desktop ids -----------------------------------------------------------

// Finds `name` in `dir`, where any "-" of the name may stand for a sub-folder.
QString FindIdInDir(const QString& dir, const QString& name)
{
    const QString direct = dir + QLatin1Char('/') + name;
    if (QFileInfo(direct).isFile())
        return direct;
    for (qsizetype dash = name.indexOf(QLatin1Char('-')); dash > 0;
         dash = name.indexOf(QLatin1Char('-'), dash + 1)) {
        const QString sub = dir + QLatin1Char('/') + name.left(dash);
        if (QFileInfo(sub).isDir()) {
            const QString found = FindIdInDir(sub, name.mid(dash + 1));
            if (!found.isEmpty())
                return found;
        }
    }
    return {};
}

struct Resolved {
    QString file;
    QString command;
};

// The command of an installed desktop id; nothing when the id is not
// installed. The first file found shadows the same id in later folders, so a
// user's Hidden=true copy really hides the system entry.
std::optional<Resolved> ResolveId(const QString& id, const QStringList& appDirs)
{
    if (id.contains(QLatin1Char('/')) || !id.endsWith(QStringLiteral(".desktop")))
        return std::nullopt;
    for (const QString& dir : appDirs) {
        const QString file = FindIdInDir(dir, id);
        if (file.isEmpty())
            continue;
        const QString group = QStringLiteral("Desktop Entry");
        if (ReadValue(file, group, QStringLiteral("Hidden")).compare(QStringLiteral("true"),
                                                                     Qt::CaseInsensitive) == 0)
            return std::nullopt;
        const QString type = ReadValue(file, group, QStringLiteral("Type"));
        if (!type.isEmpty() && type != QStringLiteral("Application"))
            return std::nullopt;
        const QString command =
            ExecToCommandLine(UnescapeDesktopString(ReadValue(file, group, QStringLiteral("Exec"))));
        if (command.isEmpty())
            return std::nullopt;
        return Resolved{file, command};
    }
    return std::nullopt;
}

// The desktop ids of an applications folder that has no mimeinfo.cache and
// declare the type in their MimeType key.
QStringList ScanDirForType(const QString& dir, const QString& mimeType)
{
    QStringList ids;
    QDirIterator it(dir, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QStringList types =
            ReadValue(file, QStringLiteral("Desktop Entry"), QStringLiteral("MimeType"))
                .split(QLatin1Char(';'), Qt::SkipEmptyParts);
        if (types.contains(mimeType, Qt::CaseInsensitive))
            ids << QDir(dir).relativeFilePath(file).replace(QLatin1Char('/'), QLatin1Char('-'));
    }
    ids.sort();  // directory order is arbitrary; keep the choice stable
    return ids;
}

// Walks the candidates for one type in precedence order and stops at the
// first installed one.
std::optional<Resolved> FindForType(const QString& mimeType)
{
    const QStringList appDirs = ApplicationDirs();
    const QStringList mimeApps = MimeAppsFiles();
    const auto first = [&](const QStringList& ids) -> std::optional<Resolved> {
        for (const QString& id : ids)
            if (auto r = ResolveId(id, appDirs))
                return r;
        return std::nullopt;
    };

    for (const QString& file : mimeApps)
        if (auto r = first(ReadIdList(file, QStringLiteral("Default Applications"), mimeType)))
            return r;

    QSet<QString> removed;
    const auto allowed = [&](const QStringList& ids) {
        QStringList out;
        for (const QString& id : ids)
            if (!removed.contains(id))
                out << id;
        return out;
    };
    for (const QString& file : mimeApps) {
        if (auto r = first(allowed(ReadIdList(file, QStringLiteral("Added Associations"), mimeType))))
            return r;
        for (const QString& id : ReadIdList(file, QStringLiteral("Removed Associations"), mimeType))
            removed.insert(id);
    }

    for (const QString& dir : appDirs) {
        const QString cache = dir + QStringLiteral("/mimeinfo.cache");
        const QStringList ids = QFileInfo::exists(cache)
                                    ? ReadIdList(cache, QStringLiteral("MIME Cache"), mimeType)
                                    : (QFileInfo(dir).isDir() ? ScanDirForType(dir, mimeType)
                                                              : QStringList());
        if (auto r = first(allowed(ids)))
            return r;
    }

    for (const QString& dir : appDirs)
        if (auto r = first(ReadIdList(dir + QStringLiteral("/defaults.list"),
                                      QStringLiteral("Default Applications"), mimeType)))
            return r;
    return std::nullopt;
}

std::optional<Resolved> Find(const QString& mimeType)
{
    if (mimeType.isEmpty())
        return std::nullopt;
    QStringList types{mimeType};
    const QMimeType known = QMimeDatabase().mimeTypeForName(mimeType);
    if (known.isValid()) {
        QStringList more = QStringList{known.name()} + known.allAncestors();
        // Everything descends from octet-stream; a handler for "any bytes"
        // (a hex editor) is not what the user means by the default application.
        more.removeAll(QStringLiteral("application/octet-stream"));
        types << more;
        types.removeDuplicates();
    }
    for (const QString& type : types)
        if (auto r = FindForType(type))
            return r;
    return std::nullopt;
}

} // namespace

QString NormalizedExtension(const QString& extension)
{
    QString ext = extension.trimmed();
    if (ext.isEmpty() || ext == QStringLiteral("."))
        return {};
    if (!ext.startsWith(QLatin1Char('.')))
        ext.prepend(QLatin1Char('.'));
    return ext;
}

QString MimeTypeForExtension(const QString& extension)
{
    const QString ext = NormalizedExtension(extension);
    if (ext.isEmpty())
        return {};
    const QMimeType type =
        QMimeDatabase().mimeTypeForFile(QStringLiteral("file") + ext, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault())
        return {};
    return type.name();
}

QString DefaultApplicationCommand(const QString& mimeType)
{
    const auto r = Find(mimeType);
    return r ? r->command : QString();
}

QString DefaultApplicationDesktopFile(const QString& mimeType)
{
    const auto r = Find(mimeType);
    return r ? r->file : QString();
}

QString ReadDesktopFileValue(const QString& path, const QString& group, const QString& key)
{
    return ReadValue(path, group, key);
}

QString ExecToCommandLine(const QString& exec)
{
    const std::optional<QStringList> words = SplitCommandLine(exec);
    if (!words || words->isEmpty() || words->first().isEmpty())
        return {};
    bool placed = false;
    QStringList out;
    for (const QString& word : *words) {
        QString converted;
        bool removedCode = false;
        for (qsizetype i = 0; i < word.size(); ++i) {
            if (word[i] != QLatin1Char('%')) {
                converted += word[i];
                continue;
            }
            const QChar code = i + 1 < word.size() ? word[++i] : QChar();
            if (code == QLatin1Char('%')) {
                converted += QLatin1Char('%');
            } else if (!code.isNull() && QStringLiteral("fFuU").contains(code) && !placed) {
                // Lists (%F %U) become one document as well: we open one at a time.
                converted += QStringLiteral("%1");
                placed = true;
            } else {
                removedCode = true;
            }
        }
        // "%i" alone would otherwise leave an empty argument behind.
        if (!converted.isEmpty() || !removedCode)
            out << converted;
    }
    if (out.isEmpty() || out.first().isEmpty())
        return {};
    QString line = JoinCommandLine(out);
    if (!placed)
        line += QStringLiteral(" %1");
    return line;
}

} // namespace vesk

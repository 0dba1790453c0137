// The script folder's files: listing, viewing copies, safe deletion and the temporary folder.
#include "tools/ScriptFolder.h"

#include "platform/DocumentFile.h"
#include "platform/FileNames.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {
namespace {

// Sites that keep publishing scripts and examples.
constexpr TScriptSite kSites[] = {
    {"MDN Web Docs", "https://developer.mozilla.org/en-US/docs/Web/JavaScript"},
    {"JavaScript.info", "https://javascript.info/"},
    {"JavaScript Source", "https://javascriptsource.com/"},
    {"30 Seconds of Code", "https://www.30secondsofcode.org/"},
    {"CodePen", "https://codepen.io/"},
    {"W3Schools JavaScript", "https://www.w3schools.com/js/"},
    {"GitHub Gists", "https://gist.github.com/discover"},
};

QString WithSlash(QString path)
{
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}

QString SystemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool IsPlainName(const QString& name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(QChar(0));
}

// The canonical path of an existing folder, or "" when it has none.
QString Canonical(const QString& path)
{
    char* resolved = ::realpath(FileNameToBytes(path).constData(), nullptr);
    if (!resolved)
        return {};
    const QString result = FileNameFromBytes(resolved);
    std::free(resolved);
    return result;
}

} // namespace

QString ScriptFolder()
{
    return ProgramFile(QStringLiteral("Script/"));
}

QString ScriptPath(const QString& root, const QString& category, const QString& name)
{
    return WithSlash(root) + category + u'/' + name;
}

void EnsureCategoryFolders(const QString& root)
{
    for (const char* category : kScriptCategories) {
        const QByteArray path = FileNameToBytes(WithSlash(root) + QString::fromLatin1(category));
        struct stat st{};
        if (::stat(path.constData(), &st) == 0)
            continue;  // there already (a file of that name is left alone and lists nothing)
        QDir().mkpath(WithSlash(root));
        ::mkdir(path.constData(), 0777);
    }
}

QStringList ListScripts(const QString& root, const QString& category)
{
    QStringList names;
    const QByteArray folder = FileNameToBytes(WithSlash(root) + category);
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        struct stat st{};
        if (::fstatat(::dirfd(dir), name, &st, 0) == 0 && S_ISREG(st.st_mode))
            names << FileNameFromBytes(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

bool IsPageFile(const QString& name)
{
    for (const char* extension : {".htm", ".html", ".shtml"})
        if (name.endsWith(QLatin1String(extension), Qt::CaseInsensitive))
            return true;
    return false;
}

QString ViewCopyName(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return (dot > 0 ? name.left(dot) : name) + QStringLiteral(".htm");
}

TScriptView ScriptToView(const QString& root, const QString& category, const QString& name)
{
    const QString path = ScriptPath(root, category, name);
    if (!IsPlainName(name))
        return {{}, path + QStringLiteral(" is not a script file.")};
    if (IsPageFile(name))
        return {path, {}};

    QFile file;
    if (const std::optional<QString> problem = OpenDocumentFile(path, file))
        return {{}, *problem};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {{}, QStringLiteral("Cannot read file ") + path + QStringLiteral(".")};

    const QString temp = WithSlash(root) + QString::fromLatin1(kScriptTempFolder);
    const QByteArray tempBytes = FileNameToBytes(temp);
    struct stat st{};
    if (::lstat(tempBytes.constData(), &st) == 0 && !S_ISDIR(st.st_mode))
        ::unlink(tempBytes.constData());  // a link or a file in the way: copies go into a folder of our own
    if (::mkdir(tempBytes.constData(), 0700) != 0 && errno != EEXIST)
        return {{}, QStringLiteral("Cannot create the folder ") + temp + QStringLiteral(" (") + SystemError(errno) +
                        QStringLiteral(").")};
    const QString copy = WithSlash(temp) + ViewCopyName(name);
    if (const int error = ReplaceFile(copy, bytes))
        return {{}, QStringLiteral("Cannot copy ") + path + QStringLiteral(" to ") + copy + QStringLiteral(": ") +
                        DescribeFileError(error) + QStringLiteral(".")};
    return {copy, {}};
}

std::optional<QString> DeleteScript(const QString& root, const QString& category, const QString& name)
{
    const QString path = ScriptPath(root, category, name);
    if (!IsPlainName(name) || !IsPlainName(category))
        return path + QStringLiteral(" is not a script file; nothing was deleted.");
    // The file must lie in the category folder that really is inside the
    // script folder: a category that is a link elsewhere is not followed.
    const QString canonicalRoot = Canonical(root);
    const QString canonicalCategory = Canonical(WithSlash(root) + category);
    if (canonicalRoot.isEmpty() || canonicalCategory != WithSlash(canonicalRoot) + category)
        return WithSlash(root) + category + QStringLiteral(" is not a folder inside the script folder; nothing was "
                                                           "deleted.");
    const QByteArray bytes = FileNameToBytes(path);
    struct stat st{};
    if (::lstat(bytes.constData(), &st) != 0)
        return path + QStringLiteral(" does not exist.");
    if (S_ISDIR(st.st_mode))
        return path + QStringLiteral(" is a folder; only script files are deleted.");
    if (::unlink(bytes.constData()) != 0)
        return QStringLiteral("Cannot delete ") + path + QStringLiteral(" (") + SystemError(errno) +
               QStringLiteral(").");
    return std::nullopt;
}

void RemoveScriptTemp(const QString& root)
{
    const QByteArray temp = FileNameToBytes(WithSlash(root) + QString::fromLatin1(kScriptTempFolder));
    struct stat st{};
    if (::lstat(temp.constData(), &st) != 0)
        return;
    if (!S_ISDIR(st.st_mode)) {
        ::unlink(temp.constData());
        return;
    }
    // O_NOFOLLOW: the folder is opened only if it is still a real folder.
    const int fd = ::open(temp.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        struct stat inner{};
        if (::fstatat(fd, entry->d_name, &inner, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(inner.st_mode))
            ::unlinkat(fd, entry->d_name, 0);
    }
    ::closedir(dir);
    ::rmdir(temp.constData());
}

std::span<const TScriptSite> ScriptSites()
{
    return kSites;
}

} // namespace vesk

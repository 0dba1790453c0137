// Our desktop entry and icon in the user's data folder, and careful edits of the user's mimeapps.list.
#include "platform/DesktopAssociations.h"

#include "platform/Autostart.h"
#include "platform/DesktopApps.h"
#include "platform/FileNames.h"
#include "platform/ProfileFile.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>
#include <sys/stat.h>

namespace vesk {
namespace {

const char kIconSvg[] =
#include "ProgramIcon.inc"
    ;

QString XdgHome(const char* variable, const QString& fallback)
{
    const QString value = qEnvironmentVariable(variable);
    // Relative paths in these variables are invalid and must be ignored.
    return value.startsWith(QLatin1Char('/')) ? QDir::cleanPath(value) : QDir::homePath() + fallback;
}

[[noreturn]] void Refuse(const QString& path, const QString& why)
{
    throw std::runtime_error((path + why).toStdString());
}

// True when `path` lies inside `folder` (both made canonical, so a folder
// that is itself a link counts as what it leads to).
bool Inside(const QString& path, const QString& folder)
{
    const QString base = QFileInfo(folder).canonicalFilePath();
    const QString file = QFileInfo(path).canonicalFilePath();
    return !base.isEmpty() && !file.isEmpty() && file.startsWith(base + QLatin1Char('/'));
}

bool IsLink(const QString& path)
{
    struct stat st{};
    return ::lstat(FileNameToBytes(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

// Throws unless the user's mimeapps.list may be rewritten (see the header).
void CheckMimeAppsWritable(const QString& path)
{
    if (IsLink(path)) {
        const QString target = FinalLinkTarget(path);
        if (!QFileInfo(target).isFile())
            Refuse(path, QStringLiteral(" is a link that leads to no file, so HTML Vesk leaves it alone."));
        if (!Inside(target, UserConfigHome()) && !Inside(target, UserDataHome()))
            Refuse(path, QStringLiteral(" is a link to ") + target
                             + QStringLiteral(", outside your own configuration and data folders, so HTML Vesk "
                                              "leaves it alone."));
    }
    const QFileInfo info(path);
    if (!info.exists())
        return;  // created by the write
    const QString unreadable = QStringLiteral(" cannot be read, so HTML Vesk does not replace it: the associations "
                                              "it holds would be lost.");
    if (!info.isFile())
        Refuse(path, unreadable);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Refuse(path, unreadable);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || bytes.contains('\0') || bytes.startsWith("\xFF\xFE")
        || bytes.startsWith("\xFE\xFF"))
        Refuse(path, unreadable);
}

// Writes `bytes` to `path` unless it already holds them.
void WriteIfChanged(const QString& path, const QByteArray& bytes)
{
    QFile current(path);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == bytes)
        return;
    current.close();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || ReplaceFile(path, bytes) != 0)
        throw std::runtime_error("Unable to write to " + path.toStdString());
}

} // namespace

QString UserConfigHome() { return XdgHome("XDG_CONFIG_HOME", QStringLiteral("/.config")); }
QString UserDataHome() { return XdgHome("XDG_DATA_HOME", QStringLiteral("/.local/share")); }
QString UserMimeAppsPath() { return UserConfigHome() + QStringLiteral("/mimeapps.list"); }

QString UserDesktopEntryPath()
{
    return UserDataHome() + QStringLiteral("/applications/") + QString::fromLatin1(kDesktopEntryId);
}

QString UserIconPath() { return UserDataHome() + QStringLiteral("/icons/hicolor/scalable/apps/htmlvesk.svg"); }

QByteArray DesktopEntryFor(const QString& programPath)
{
    return QByteArrayLiteral("[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=HTML Vesk\n"
                             "GenericName=HTML Editor\n"
                             "Comment=Write web pages by hand, with tag bars, quick codes and an HTML validator\n"
                             "Exec=")
         + EscapeDesktopValue(ExecArgumentWhereNeeded(programPath)).toUtf8()
         + QByteArrayLiteral(" %f\n"
                             "Icon=htmlvesk\n"
                             "Terminal=false\n"
                             "Categories=Development;WebDevelopment;\n"
                             "MimeType=text/html;text/plain;\n");
}

QByteArray ProgramIconSvg() { return QByteArray(kIconSvg); }

void InstallUserDesktopEntry(const QString& programPath)
{
    WriteIfChanged(UserDesktopEntryPath(), DesktopEntryFor(programPath));
    WriteIfChanged(UserIconPath(), ProgramIconSvg());
}

QString ReadUserMimeApps(const QString& group, const QString& mimeType)
{
    return ReadDesktopFileValue(UserMimeAppsPath(), group, mimeType);
}

void WriteUserMimeApps(const QString& group, const QString& mimeType, const QString& value)
{
    const QString path = UserMimeAppsPath();
    CheckMimeAppsWritable(path);
    if (!QDir().mkpath(UserConfigHome()))
        throw std::runtime_error("Unable to write to " + path.toStdString());
    const std::string file = FileNameToBytes(path).toStdString();
    const std::string section = group.toStdString();
    const std::string key = mimeType.toStdString();
    if (value.isEmpty())
        WritePrivateProfileString(section, key, std::nullopt, file);
    else
        WritePrivateProfileString(section, key, value.toStdString(), file);
}

QStringList DesktopIds(const QString& list)
{
    QStringList ids;
    for (const QString& id : list.split(QLatin1Char(';'))) {
        if (!id.trimmed().isEmpty())
            ids << id.trimmed();
    }
    return ids;
}

} // namespace vesk

// The program folder: choice of the folder and seeding it from the shipped data.
#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <mutex>

#include <unistd.h>

namespace vesk {
namespace {

// The file whose presence marks an executable's folder as a program folder.
const char* const kMarkerFile = "4strict.ini";

std::mutex g_mutex;
QString g_folder;  // empty until chosen

QString WithSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QString ExecutableFolder()
{
    // applicationDirPath needs a QCoreApplication; /proc works without one.
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

bool IsWritableFolder(const QString& path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK | X_OK) == 0;
}

QString PerUserFolder()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/htmlvesk");
}

QString ChooseFolder()
{
    const QString home = qEnvironmentVariable("HTMLVESK_HOME");
    if (!home.isEmpty()) {
        QDir().mkpath(home);
        return QFileInfo(home).absoluteFilePath();
    }
    const QString exeDir = ExecutableFolder();
    if (!exeDir.isEmpty() && QFileInfo::exists(exeDir + QLatin1Char('/') + QLatin1String(kMarkerFile))
        && IsWritableFolder(exeDir))
        return exeDir;
    const QString user = PerUserFolder();
    QDir().mkpath(user);
    return user;
}

} // namespace

QString ShippedDataFolder()
{
    const QString exeDir = ExecutableFolder();
    // An installed program takes the data installed with it, even on a
    // machine that still holds the source tree it was built from.
    const QStringList candidates{
        exeDir + QStringLiteral("/../" VESK_INSTALL_DATA_SUBDIR),
        QStringLiteral(VESK_SOURCE_DATA_DIR),
    };
    for (const QString& c : candidates) {
        if (QFileInfo(c).isDir())
            return QDir::cleanPath(QFileInfo(c).absoluteFilePath());
    }
    return {};
}

int SeedFolder(const QString& from, const QString& to)
{
    if (from.isEmpty() || !QFileInfo(from).isDir())
        return 0;
    const QDir source(from);
    int copied = 0;
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString target = WithSlash(to) + source.relativeFilePath(src);
        if (QFileInfo::exists(target))
            continue;  // the user's copy always wins
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (QFile::copy(src, target)) {
            // Shipped files may be read-only in an installation; the copy
            // belongs to the user and must be editable.
            QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner
                                              | QFile::ReadOwner);
            ++copied;
        }
    }
    return copied;
}

QString ProgramFolder()
{
    std::lock_guard lock(g_mutex);
    if (g_folder.isEmpty()) {
        const QString chosen = ChooseFolder();
        const QString data = ShippedDataFolder();
        if (!data.isEmpty() && QFileInfo(data).canonicalFilePath() != QFileInfo(chosen).canonicalFilePath())
            SeedFolder(data, chosen);
        // A build tree also seeds from the data its build made (dictionaries).
        const QString generated = QStringLiteral(VESK_GENERATED_DATA_DIR);
        if (QFileInfo(generated).isDir() && QFileInfo(generated).canonicalFilePath() != QFileInfo(chosen).canonicalFilePath())
            SeedFolder(generated, chosen);
        g_folder = WithSlash(chosen);
    }
    return g_folder;
}

QString ProgramFile(const QString& name)
{
    return ProgramFolder() + name;
}

std::string ProgramFileStd(const QString& name)
{
    return QFile::encodeName(ProgramFile(name)).toStdString();
}

void ResetProgramFolderForTests()
{
    std::lock_guard lock(g_mutex);
    g_folder.clear();
}

} // namespace vesk

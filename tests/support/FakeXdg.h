// Test helper: private XDG folders so desktop lookups never see the machine's real configuration.
#pragma once

#include "support/TempDir.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>
#include <array>

namespace vesk::test {

// While alive, XDG_CONFIG_HOME, XDG_CONFIG_DIRS, XDG_DATA_HOME and
// XDG_DATA_DIRS point into a fresh temporary folder and XDG_CURRENT_DESKTOP
// is unset; the old values come back when it dies. Layout:
//   configHome()   <tmp>/config
//   configDir()    <tmp>/etc-xdg              (the only XDG_CONFIG_DIRS entry)
//   dataHomeApps() <tmp>/data/applications
//   dataDirApps(i) <tmp>/share<i>/applications (XDG_DATA_DIRS = share1:share2)
//   <tmp>/share2/mime is a link to the machine's MIME database.
class FakeXdg {
public:
    FakeXdg()
    {
        for (std::size_t i = 0; i < kNames.size(); ++i) {
            had_[i] = qEnvironmentVariableIsSet(kNames[i]);
            old_[i] = qgetenv(kNames[i]);
        }
        // QMimeDatabase finds its data through XDG_DATA_DIRS too; link the
        // real MIME database in so file types stay known, while the
        // applications folders stay empty.
        const QString mime = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                    QStringLiteral("mime"),
                                                    QStandardPaths::LocateDirectory);
        QDir().mkpath(dir_.file(QStringLiteral("share2")));
        if (!mime.isEmpty())
            QFile::link(mime, dir_.file(QStringLiteral("share2/mime")));
        qputenv("XDG_CONFIG_HOME", configHome().toUtf8());
        qputenv("XDG_CONFIG_DIRS", configDir().toUtf8());
        qputenv("XDG_DATA_HOME", dir_.file(QStringLiteral("data")).toUtf8());
        qputenv("XDG_DATA_DIRS",
                (dir_.file(QStringLiteral("share1")) + ":" + dir_.file(QStringLiteral("share2"))).toUtf8());
        qunsetenv("XDG_CURRENT_DESKTOP");
    }
    ~FakeXdg()
    {
        for (std::size_t i = 0; i < kNames.size(); ++i) {
            if (had_[i])
                qputenv(kNames[i], old_[i]);
            else
                qunsetenv(kNames[i]);
        }
    }
    FakeXdg(const FakeXdg&) = delete;
    FakeXdg& operator=(const FakeXdg&) = delete;

    QString root() const { return dir_.path(); }
    QString configHome() const { return dir_.file(QStringLiteral("config")); }
    QString configDir() const { return dir_.file(QStringLiteral("etc-xdg")); }
    QString dataHomeApps() const { return dir_.file(QStringLiteral("data/applications")); }
    QString dataDirApps(int i) const
    {
        return dir_.file(QStringLiteral("share%1/applications").arg(i));
    }

    // Writes a file, creating its folders. Returns its path.
    static QString Write(const QString& path, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        WriteFileBytes(path, bytes);
        return path;
    }
    // A minimal application entry; `extra` lines are added to the group.
    static QString WriteDesktop(const QString& appsDir, const QString& relPath, const QByteArray& exec,
                                const QByteArray& extra = {})
    {
        return Write(appsDir + "/" + relPath,
                     "[Desktop Entry]\nType=Application\nName=Test\nExec=" + exec + "\n" + extra);
    }

private:
    static constexpr std::array<const char*, 5> kNames{
        "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CURRENT_DESKTOP"};
    TempDir dir_;
    std::array<bool, 5> had_{};
    std::array<QByteArray, 5> old_{};
};

} // namespace vesk::test

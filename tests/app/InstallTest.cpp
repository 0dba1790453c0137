// Installing: `cmake --install` into a temporary prefix gives a program that
// finds its own data, a valid desktop entry, the icon at every size and a
// manual page that renders.
#include "support/TempDir.h"

#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace vesk {
namespace {

struct TRun {
    int exitCode = -1;
    QString out;
    QString err;
};

TRun RunProgram(const QString& program, const QStringList& arguments, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, arguments);
    TRun r;
    if (!p.waitForStarted(30000) || !p.waitForFinished(240000)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("did not run to its end: ") + program;
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

TEST(Install, TheInstalledProgramItsEntryIconAndManualPage)
{
    test::TempDir prefix;
    const TRun install = RunProgram(QStringLiteral(VESK_CMAKE),
                             {"--install", QStringLiteral(VESK_BINARY_DIR), "--prefix", prefix.path()});
    ASSERT_EQ(install.exitCode, 0) << install.err.toStdString();

    for (const char* file : {"bin/htmlvesk", "share/htmlvesk/4strict.ini", "share/htmlvesk/help/index.html",
                             "share/icons/hicolor/scalable/apps/htmlvesk.svg"})
        EXPECT_TRUE(QFileInfo(prefix.file(file)).isFile()) << file;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QImage icon(prefix.file(QStringLiteral("share/icons/hicolor/%1x%1/apps/htmlvesk.png").arg(size)));
        EXPECT_EQ(icon.size(), QSize(size, size));
    }

    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    ASSERT_FALSE(validator.isEmpty()) << "desktop-file-validate (package desktop-file-utils) is missing";
    const TRun entry = RunProgram(validator, {prefix.file("share/applications/htmlvesk.desktop")});
    EXPECT_EQ(entry.exitCode, 0);
    EXPECT_EQ(entry.out + entry.err, "");

    // The installed program finds the data installed beside it: its
    // per-user folder is seeded from there, marker included.
    test::TempDir user;
    ASSERT_TRUE(test::WriteFileBytes(prefix.file("share/htmlvesk/installed-marker.txt"), "here"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("HTMLVESK_HOME"));
    env.insert(QStringLiteral("HOME"), user.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), user.file("data"));
    const TRun validate = RunProgram(prefix.file("bin/htmlvesk"),
                              {"--validate", prefix.file("share/htmlvesk/help/validator.html")}, env);
    EXPECT_EQ(validate.exitCode, 0) << validate.out.toStdString() << validate.err.toStdString();
    EXPECT_TRUE(validate.out.endsWith("No Errors Found\n")) << validate.out.toStdString();
    EXPECT_TRUE(QFileInfo(user.file("data/htmlvesk/installed-marker.txt")).isFile());

    QProcessEnvironment manEnv = QProcessEnvironment::systemEnvironment();
    manEnv.insert(QStringLiteral("MANPAGER"), QStringLiteral("cat"));
    manEnv.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
    const TRun man = RunProgram(QStringLiteral("man"), {"--warnings", "-l", prefix.file("share/man/man1/htmlvesk.1")}, manEnv);
    EXPECT_EQ(man.exitCode, 0);
    EXPECT_EQ(man.err, "");
    EXPECT_TRUE(man.out.contains("htmlvesk --validate file...")) << man.out.toStdString();
}

} // namespace
} // namespace vesk

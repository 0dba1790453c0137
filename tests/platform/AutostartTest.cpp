// The session autostart entry: every path comes back as one argument, and
// the entry is written to and removed from the user's autostart folder.
#include "platform/Autostart.h"
#include "platform/DesktopApps.h"
#include "platform/Launcher.h"
#include "support/FakeXdg.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace vesk {
namespace {

// Reads an Exec value back as a desktop would: the desktop file's escapes
// first, then the field codes and quoting of the Exec key.
std::optional<QStringList> ReadBack(const QString& execValue)
{
    QString unescaped;
    for (qsizetype i = 0; i < execValue.size(); ++i) {
        QChar c = execValue[i];
        if (c == QLatin1Char('\\') && i + 1 < execValue.size()) {
            const QChar n = execValue[++i];
            c = n == QLatin1Char('n') ? QChar('\n') : n == QLatin1Char('t') ? QChar('\t')
              : n == QLatin1Char('r') ? QChar('\r') : n == QLatin1Char('s') ? QChar(' ') : n;
        }
        unescaped += c;
    }
    // ExecToCommandLine adds " %1" for the document; take it off again.
    QString line = ExecToCommandLine(unescaped);
    if (!line.endsWith(QStringLiteral(" %1")))
        return std::nullopt;
    line.chop(3);
    return SplitCommandLine(line);
}

TEST(Autostart, EveryPathReadsBackAsOneArgument)
{
    const QStringList paths{
        "/usr/bin/htmlvesk",
        "/home/me/plain.htm",
        "/home/me/two  blanks/page.htm",
        "/home/me/\"quoted\" and 'single'.htm",
        "/home/me/$(rm -rf ~); `id`.htm",
        "/home/me/back\\slash\\\\two.htm",
        "/home/me/100%1 %f %% %u.htm",
        "/home/me/line\nbreak\tand\rreturn.htm",
        "/home/me/ünïcødé ページ.htm",
        "/home/me/-leading dash.htm",
        "/home/me/#hash ~tilde *star ?q [b] {c} <a>|&.htm",
    };
    const QString value = ExecValue(paths);
    EXPECT_FALSE(value.contains('\n'));
    EXPECT_EQ(ReadBack(value), std::optional<QStringList>(paths)) << value.toStdString();
    for (const QString& p : paths)
        EXPECT_EQ(ReadBack(ExecValue({"/bin/x", p})), std::optional<QStringList>(QStringList{"/bin/x", p}))
            << p.toStdString();
}

TEST(Autostart, WrittenAtSessionEndAndRemovedOnce)
{
    test::FakeXdg xdg;
    const QString path = SessionAutostartPath();
    EXPECT_EQ(path, xdg.configHome() + "/autostart/htmlvesk-session.desktop");
    EXPECT_FALSE(RemoveSessionAutostart());
    ASSERT_TRUE(WriteSessionAutostart({"/opt/htmlvesk/bin/htmlvesk", "/site/a b.htm"}));
    const QByteArray entry = test::ReadFileBytes(path);
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\nType=Application\n"));
    EXPECT_TRUE(entry.contains("\nExec=\"/opt/htmlvesk/bin/htmlvesk\" \"/site/a b.htm\"\n"));
    EXPECT_TRUE(RemoveSessionAutostart());
    EXPECT_FALSE(QFileInfo::exists(path));

    // A relative XDG_CONFIG_HOME is ignored, as the desktop rules say.
    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_TRUE(SessionAutostartPath().endsWith("/.config/autostart/htmlvesk-session.desktop"));
    EXPECT_TRUE(QFileInfo(SessionAutostartPath()).isAbsolute());
}

} // namespace
} // namespace vesk

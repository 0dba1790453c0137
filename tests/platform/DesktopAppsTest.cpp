// Default applications: precedence of the association files, desktop id lookup, Exec conversion.
#include "platform/DesktopApps.h"
#include "platform/Launcher.h"
#include "platform/ProfileFile.h"
#include "support/FakeXdg.h"

#include <gtest/gtest.h>

using namespace vesk;
using test::FakeXdg;

namespace {

class DesktopApps : public ::testing::Test {
protected:
    void SetUp() override { ClearProfileCache(); }
    FakeXdg xdg;

    // Installs <id> in the first system applications folder; its command is "<name> %f".
    void Install(const QString& id, const QString& appsDir = {})
    {
        const QString rel = QString(id).replace("vendor-", "vendor/");
        FakeXdg::WriteDesktop(appsDir.isEmpty() ? xdg.dataDirApps(1) : appsDir, rel,
                              id.chopped(8).toUtf8() + " %f");
    }
    static QString Cmd(const QString& id) { return id.chopped(8) + " %1"; }
    static QByteArray List(const char* group, const char* type, const char* ids)
    {
        return QByteArray("[") + group + "]\n" + type + "=" + ids + "\n";
    }
};

} // namespace

TEST(ExecToCommandLine, FieldCodesBecomeOnePlaceholder)
{
    const struct {
        const char* exec;
        const char* command;
    } table[] = {
        {"firefox-esr %u", "firefox-esr %1"},
        {"gimp %U", "gimp %1"},
        {"app --file=%f", "app --file=%1"},
        {"app %F %u", "app %1"},                           // only the first file code counts
        {"app --icon %i %f", "app --icon %1"},             // a word of removed codes vanishes
        {"app --name=%c --at=%k %d%D%n%N%v%m", "app --name= --at= %1"},
        {"app 100%% %f", "app 100% %1"},
        {"app", "app %1"},                                 // no file code: the document is appended
        {"\"/opt/My App/run\" \"%f\"", "\"/opt/My App/run\" %1"},
        {"sh -c \"echo \\\"\\$1\\\"\" x %f", "sh -c \"echo \\\"\\$1\\\"\" x %1"},
        {"app \"unbalanced %f", ""},
        {"%i", ""},
        {"", ""},
    };
    for (const auto& row : table)
        EXPECT_EQ(ExecToCommandLine(row.exec), QString(row.command)) << row.exec;

    // The result must split back into the intended arguments.
    EXPECT_EQ(SplitCommandLine(ExecToCommandLine("\"/opt/My App/run\" --title \"a b\" %f")),
              QStringList({"/opt/My App/run", "--title", "a b", "%1"}));
}

TEST(MimeTypeForExtension, KnownAndUnknownExtensions)
{
    EXPECT_EQ(MimeTypeForExtension(".htm"), "text/html");
    EXPECT_EQ(MimeTypeForExtension("html"), "text/html");
    EXPECT_EQ(MimeTypeForExtension(".gif"), "image/gif");
    EXPECT_EQ(MimeTypeForExtension(".zzqxunknown"), "");
    EXPECT_EQ(MimeTypeForExtension(""), "");
}

TEST_F(DesktopApps, MimeappsDefaultWinsOverCacheAndFirstInstalledIdIsTaken)
{
    Install("cached.desktop");
    Install("chosen.desktop");
    Install("later.desktop");
    FakeXdg::Write(xdg.dataDirApps(1) + "/mimeinfo.cache",
                   List("MIME Cache", "text/html", "cached.desktop;"));
    EXPECT_EQ(DefaultApplicationCommand("text/html"), Cmd("cached.desktop"));

    FakeXdg::Write(xdg.configHome() + "/mimeapps.list",
                   List("Default Applications", "text/html",
                        "missing.desktop;chosen.desktop;later.desktop"));
    EXPECT_EQ(DefaultApplicationCommand("text/html"), Cmd("chosen.desktop"));
    EXPECT_EQ(DefaultApplicationDesktopFile("text/html"), xdg.dataDirApps(1) + "/chosen.desktop");
    EXPECT_EQ(DefaultApplicationCommand("TEXT/HTML"), Cmd("chosen.desktop"));
}

TEST_F(DesktopApps, MimeappsFilesFollowFolderPrecedence)
{
    for (const char* id : {"home.desktop", "etc.desktop", "datahome.desktop", "share.desktop"})
        Install(id);
    const auto def = [](const char* id) { return List("Default Applications", "text/html", id); };
    FakeXdg::Write(xdg.dataDirApps(2) + "/mimeapps.list", def("share.desktop"));
    EXPECT_EQ(DefaultApplicationCommand("text/html"), Cmd("share.desktop"));
    FakeXdg::Write(xdg.dataHomeApps() + "/mimeapps.list", def("datahome.desktop"));
    EXPECT_EQ(DefaultApplicationCommand("text/html"), Cmd("datahome.desktop"));
    FakeXdg::Write(xdg.configDir() + "/mimeapps.list", def("etc.desktop"));
    EXPECT_EQ(DefaultApplicationCommand("text/html"), Cmd("etc.desktop"));
    FakeXdg::Write(xdg.configHome() + "/mimeapps.list", def("home.desktop"));
    EXPECT_EQ(DefaultApplicationCommand("text/html"), Cmd("home.desktop"));

    // A desktop-specific list comes before the plain one of the same folder.
    Install("desk.desktop");
    FakeXdg::Write(xdg.configHome() + "/testdesk-mimeapps.list", def("desk.desktop"));
    qputenv("XDG_CURRENT_DESKTOP", "Other:TestDesk");
    EXPECT_EQ(DefaultApplicationCommand("text/html"), Cmd("desk.desktop"));
}

TEST_F(DesktopApps, UnusableCandidatesFallThroughToTheNextSource)
{
    Install("added.desktop");
    Install("cached.desktop");
    Install("fallback.desktop");
    FakeXdg::Write(xdg.configHome() + "/mimeapps.list",
                   List("Default Applications", "text/html", "missing.desktop") +
                       List("Added Associations", "text/html", "hidden.desktop;added.desktop") +
                       List("Removed Associations", "text/html", "removed.desktop"));
    // A user's Hidden=true copy hides the system entry of the same id.
    Install("hidden.desktop");
    FakeXdg::WriteDesktop(xdg.dataHomeApps(), "hidden.desktop", "hidden %f", "Hidden=true\n");
    EXPECT_EQ(DefaultApplicationCommand("text/html"), Cmd("added.desktop"));

    QFile::remove(xdg.dataDirApps(1) + "/added.desktop");
    Install("removed.desktop");
    FakeXdg::Write(xdg.dataDirApps(1) + "/mimeinfo.cache",
                   List("MIME Cache", "text/html", "removed.desktop;cached.desktop"));
    EXPECT_EQ(DefaultApplicationCommand("text/html"), Cmd("cached.desktop"));

    QFile::remove(xdg.dataDirApps(1) + "/cached.desktop");
    FakeXdg::Write(xdg.dataDirApps(2) + "/defaults.list",
                   List("Default Applications", "text/html", "fallback.desktop"));
    EXPECT_EQ(DefaultApplicationCommand("text/html"), Cmd("fallback.desktop"));

    QFile::remove(xdg.dataDirApps(2) + "/defaults.list");
    EXPECT_EQ(DefaultApplicationCommand("text/html"), "");
}

TEST_F(DesktopApps, DesktopIdsAndEntries)
{
    // "-" in an id may stand for a sub-folder.
    Install("vendor-tool.desktop");
    FakeXdg::Write(xdg.configHome() + "/mimeapps.list",
                   "[Default Applications]\n"
                   "x-scheme-handler/https=vendor-tool.desktop\n"
                   "image/png=quoted.desktop\n"
                   "image/gif=link.desktop;plain.desktop\n");
    EXPECT_EQ(DefaultApplicationCommand("x-scheme-handler/https"), "vendor-tool %1");

    // An Exec line that starts and ends with quotes keeps them.
    FakeXdg::WriteDesktop(xdg.dataHomeApps(), "quoted.desktop", "\"/opt/My App/run\" \"%f\"");
    EXPECT_EQ(DefaultApplicationCommand("image/png"), "\"/opt/My App/run\" %1");

    // Entries that are not applications do not count.
    FakeXdg::Write(xdg.dataHomeApps() + "/link.desktop",
                   "[Desktop Entry]\nType=Link\nURL=https://example.invalid/\nExec=link %f\n");
    FakeXdg::WriteDesktop(xdg.dataHomeApps(), "plain.desktop", "plain\\sview");
    EXPECT_EQ(DefaultApplicationCommand("image/gif"), "plain view %1");
}

TEST_F(DesktopApps, LongCacheListsAreReadWhole)
{
    // Real mimeinfo.cache lines for common types run past the profile
    // reader's value limit; the installed id may sit at the very end.
    QByteArray ids;
    for (int i = 0; i < 80; ++i)
        ids += "not-installed-application-number-" + QByteArray::number(i) + ".desktop;";
    Install("last.desktop");
    FakeXdg::Write(xdg.dataDirApps(1) + "/mimeinfo.cache",
                   List("MIME Cache", "text/html", ids + "last.desktop;"));
    ASSERT_GT(ids.size(), int(kProfileValueMax));
    EXPECT_EQ(DefaultApplicationCommand("text/html"), Cmd("last.desktop"));
}

TEST_F(DesktopApps, FolderWithoutCacheIsScannedAndParentTypesHelp)
{
    FakeXdg::WriteDesktop(xdg.dataHomeApps(), "editor.desktop", "editor %F",
                          "MimeType=text/plain;text/x-c;\n");
    // No handler for text/html itself: an editor for its parent type will do.
    EXPECT_EQ(DefaultApplicationCommand("text/plain"), "editor %1");
    EXPECT_EQ(DefaultApplicationCommand("text/html"), "editor %1");

    // A catch-all handler for raw bytes is never the default for a real type.
    FakeXdg::WriteDesktop(xdg.dataHomeApps(), "hexed.desktop", "hexed %f",
                          "MimeType=application/octet-stream;\n");
    EXPECT_EQ(DefaultApplicationCommand("image/gif"), "");
    EXPECT_EQ(DefaultApplicationCommand("application/octet-stream"), "hexed %1");
    EXPECT_EQ(DefaultApplicationCommand(""), "");
}

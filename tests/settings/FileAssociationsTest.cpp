// The desktop switches of the preferences against a private mimeapps.list: set, kept, restored, refused.
#include "platform/DesktopAssociations.h"
#include "platform/ProfileFile.h"
#include "settings/FileAssociations.h"
#include "support/FakeXdg.h"
#include "support/TempDir.h"

#include <QFile>
#include <QFileInfo>

#include <functional>

#include <gtest/gtest.h>

using namespace vesk;

namespace {

class FileAssociations : public ::testing::Test {
protected:
    void SetUp() override { ClearProfileCache(); }
    QString MimeApps() const { return xdg.configHome() + "/mimeapps.list"; }
    QByteArray Bytes() const { return test::ReadFileBytes(MimeApps()); }
    void WriteMimeApps(const QByteArray& bytes) const
    {
        test::FakeXdg::Write(MimeApps(), bytes);
        ClearProfileCache();
    }
    QStringList Switch(AssociationSwitches wanted)
    {
        return UpdateDesktopAssociations(wanted, types, QStringLiteral("/opt/HTML Vesk/htmlvesk"));
    }

    test::ScopedProgramFolder home;
    test::FakeXdg xdg;
    FileTypeSettings types;
};

// Other programs' lines, comments, odd and repeated groups must survive every change.
const QByteArray kBusyFile = "# my associations\n"
                             "[Default Applications]\n"
                             "text/html=firefox.desktop\n"
                             "image/png=eog.desktop;\n"
                             "[Added Associations]\n"
                             "text/plain=gedit.desktop;\n"
                             "[X-Odd Group]\n"
                             "text/html=strange.desktop\n"
                             "[Default Applications]\n"
                             "application/pdf=evince.desktop\n";

TEST_F(FileAssociations, EachSwitchTurnedOnAndOffGivesTheFileBackByteForByte)
{
    struct Case {
        const char* name;
        AssociationSwitches on;
        QString group, type;
    };
    const Case cases[] = {
        {"htm", {true, false, false}, "Default Applications", "text/html"},
        {"txt", {false, true, false}, "Default Applications", "text/plain"},
        {"edit", {false, false, true}, "Added Associations", "text/plain"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        types = {};
        WriteMimeApps(kBusyFile);
        EXPECT_TRUE(Switch(c.on).isEmpty());
        EXPECT_EQ(DesktopIds(ReadUserMimeApps(c.group, c.type)).value(0), "htmlvesk.desktop");
        EXPECT_TRUE(Bytes().contains("image/png=eog.desktop;\n"));
        EXPECT_TRUE(Bytes().contains("[X-Odd Group]\ntext/html=strange.desktop\n"));
        EXPECT_TRUE(Switch({}).isEmpty());
        EXPECT_EQ(Bytes(), kBusyFile);
        EXPECT_EQ(types, FileTypeSettings());  // every kept value cleared
    }
}

TEST_F(FileAssociations, HtmKeepsTheOtherProgramsDefaultAndRestoresIt)
{
    WriteMimeApps("[Default Applications]\ntext/html=firefox.desktop\n");
    Switch({true, false, false});
    EXPECT_TRUE(types.html);
    EXPECT_EQ(types.htmOldData, "firefox.desktop");
    EXPECT_EQ(types.htmlOldData, "firefox.desktop");
    EXPECT_EQ(ReadUserMimeApps("Default Applications", "text/html"), "htmlvesk.desktop");
    // The desktop entry runs this program on one file, path quoted for its blank.
    const QByteArray entry = test::ReadFileBytes(UserDesktopEntryPath());
    EXPECT_TRUE(entry.contains("Exec=\"/opt/HTML Vesk/htmlvesk\" %f\n")) << entry.constData();
    EXPECT_TRUE(QFileInfo(UserIconPath()).isFile());

    // The program moved: the next save points the entry at its new place.
    UpdateDesktopAssociations({true, false, false}, types, QStringLiteral("/usr/bin/htmlvesk"));
    EXPECT_TRUE(test::ReadFileBytes(UserDesktopEntryPath()).contains("Exec=/usr/bin/htmlvesk %f\n"));

    Switch({});
    EXPECT_EQ(ReadUserMimeApps("Default Applications", "text/html"), "firefox.desktop");
    EXPECT_TRUE(types.htmOldData.isEmpty() && types.htmlOldData.isEmpty());
}

TEST_F(FileAssociations, OffWithNothingKeptRemovesOurDefaultsAndEditLeavesNothingKept)
{
    // No file at all: it is created, then left without our values.
    Switch({true, true, true});
    EXPECT_EQ(types.htmOldData, "");
    EXPECT_EQ(types.editOldData, "");
    Switch({});
    EXPECT_EQ(ReadUserMimeApps("Default Applications", "text/html"), "");
    EXPECT_EQ(ReadUserMimeApps("Default Applications", "text/plain"), "");
    EXPECT_EQ(ReadUserMimeApps("Added Associations", "text/plain"), "");
    EXPECT_EQ(ReadUserMimeApps("Added Associations", "application/octet-stream"), "");

    // Edit over existing added lists, then off: they come back and EditOldData is empty.
    WriteMimeApps("[Added Associations]\ntext/plain=gedit.desktop;\napplication/octet-stream=hexedit.desktop;\n");
    Switch({false, false, true});
    EXPECT_FALSE(types.editOldData.isEmpty());
    Switch({});
    EXPECT_EQ(ReadUserMimeApps("Added Associations", "text/plain"), "gedit.desktop;");
    EXPECT_EQ(ReadUserMimeApps("Added Associations", "application/octet-stream"), "hexedit.desktop;");
    EXPECT_TRUE(types.editOldData.isEmpty());
}

TEST_F(FileAssociations, ADefaultTheUserChangedMeanwhileIsLeftAlone)
{
    WriteMimeApps("[Default Applications]\ntext/html=firefox.desktop\n");
    Switch({true, false, false});
    WriteMimeApps("[Default Applications]\ntext/html=chromium.desktop\n");
    Switch({});
    EXPECT_EQ(ReadUserMimeApps("Default Applications", "text/html"), "chromium.desktop");
}

TEST_F(FileAssociations, FilesThatAreNotOursToReplaceAreRefusedAndKept)
{
    test::TempDir outside;
    const QString target = outside.file("mimeapps.list");
    const QByteArray original = "[Default Applications]\ntext/html=firefox.desktop\n";
    test::WriteFileBytes(target, original);
    struct Case {
        const char* name;
        std::function<void()> make;
    };
    const Case cases[] = {
        {"a link out of the user's folders", [&]() { QFile::link(target, MimeApps()); }},
        {"a dangling link", [&]() { QFile::link(outside.file("missing"), MimeApps()); }},
        {"a folder", [&]() { QDir().mkpath(MimeApps()); }},
        {"UTF-16 text", [&]() { test::FakeXdg::Write(MimeApps(), QByteArray("\xFF\xFE[\0", 4)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir().mkpath(xdg.configHome());
        QFile::remove(MimeApps());
        QDir().rmdir(MimeApps());
        c.make();
        ClearProfileCache();
        types = {};
        const QStringList problems = Switch({true, false, false});
        ASSERT_EQ(problems.size(), 1);
        EXPECT_TRUE(problems[0].contains(MimeApps())) << problems[0].toStdString();
        EXPECT_FALSE(types.html);  // recorded as before, so the next save tries again
        EXPECT_EQ(test::ReadFileBytes(target), original);
        EXPECT_FALSE(QFileInfo::exists(outside.file("missing")));
    }
    QFile::remove(MimeApps());
    QDir().rmdir(MimeApps());

    // A link that stays inside the user's configuration folder is followed.
    const QString inside = xdg.configHome() + "/dotfiles/mimeapps.list";
    test::FakeXdg::Write(inside, original);
    QFile::link(inside, MimeApps());
    ClearProfileCache();
    EXPECT_TRUE(Switch({true, false, false}).isEmpty());
    EXPECT_TRUE(QFileInfo(MimeApps()).isSymLink());
    EXPECT_TRUE(test::ReadFileBytes(inside).contains("text/html=htmlvesk.desktop"));
}

} // namespace

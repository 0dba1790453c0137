// The local list's entries: masks, the lower-casing rule, the order, going up and the volume list.
#include "upload/LocalFolder.h"

#include "support/TempDir.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;

namespace {

QStringList Captions(const std::vector<TLocalEntry>& entries)
{
    QStringList out;
    for (const TLocalEntry& e : entries)
        out << e.caption + (e.kind == TLocalKind::Directory ? "/" : "");
    return out;
}

} // namespace

TEST(LocalFolderTest, AllCapitalNamesShowInLowerCase)
{
    struct Case { const char* name; const char* caption; };
    const Case cases[] = {
        {"INDEX.HTM", "index.htm"}, {"LOGO_2.GIF", "logo_2.gif"}, {"Index.htm", "Index.htm"},
        {"README", "readme"}, {"123", "123"}, {"\xc3\x89T\xc3\x89.HTM", "\xc3\x89t\xc3\x89.htm"},
        {"aBC", "aBC"}, {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LocalCaption(QString::fromUtf8(c.name)), QString::fromUtf8(c.caption)) << c.name;
}

TEST(LocalFolderTest, MasksListFoldersFirstAndEntriesFoundTwiceTwice)
{
    TempDir dir;
    for (const char* name : {"INDEX.HTM", "about.htm", "zeta", ".htaccess", "logo.gif"})
        WriteFileBytes(dir.file(name), "x");
    QDir(dir.path()).mkdir("Images");
    QDir(dir.path()).mkdir("css");
    struct Case { const char* masks; QStringList captions; };
    const Case cases[] = {
        {"*.*", {"css/", "Images/", ".htaccess", "about.htm", "index.htm", "logo.gif", "zeta"}},
        {"*.htm", {"about.htm", "index.htm"}},
        {"*.htm;*.gif", {"about.htm", "index.htm", "logo.gif"}},
        {"*.htm;a*", {"about.htm", "about.htm", "index.htm"}},
        {"nothing*", {}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Captions(ReadLocalFolder(dir.path(), c.masks)), c.captions) << c.masks;
    // The path keeps the name as stored.
    const std::vector<TLocalEntry> pages = ReadLocalFolder(dir.path(), "index*");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].path, dir.file("INDEX.HTM"));
    EXPECT_TRUE(ReadLocalFolder(dir.file("missing")).empty());
}

TEST(LocalFolderTest, UpOneLevelWalksToTheVolumeList)
{
    TempDir dir;
    QDir(dir.path()).mkpath("site/pages");
    const QStringList roots{dir.path()};
    QStringList walk;
    std::optional<QString> at = dir.file("site/pages");
    while (at) {
        walk << *at;
        at = LocalParentFolder(*at, roots);
    }
    EXPECT_EQ(walk, QStringList({dir.file("site/pages"), dir.file("site"), dir.path()}));
    EXPECT_EQ(LocalParentFolder("/", {}), std::nullopt);
    EXPECT_EQ(LocalParentFolder(dir.file("site/"), {}), dir.path());
    // Without roots the walk ends at "/".
    EXPECT_EQ(LocalParentFolder("/usr", {}), QString("/"));
}

TEST(LocalFolderTest, TheVolumeListStartsWithRootAndHome)
{
    const std::vector<TLocalEntry> volumes = ReadLocalVolumes();
    ASSERT_GE(volumes.size(), 1u);
    EXPECT_EQ(volumes[0].path, "/");
    QStringList paths;
    for (const TLocalEntry& v : volumes) {
        EXPECT_EQ(v.kind, TLocalKind::Volume);
        EXPECT_TRUE(QDir(v.path).exists()) << v.path.toStdString();
        paths << v.path;
    }
    EXPECT_TRUE(paths.contains(QDir::cleanPath(QDir::homePath())));
    EXPECT_EQ(paths.removeDuplicates(), 0);
    EXPECT_TRUE(LocalVolumeRoots().contains("/"));
    EXPECT_EQ(LocalCompare(volumes[0], volumes.back()), 0);
}

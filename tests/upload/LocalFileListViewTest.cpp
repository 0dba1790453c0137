// The local list view: opening folders and files by double-click, going up to the volume list, refreshing.
#include "upload/LocalFileListView.h"

#include "support/TempDir.h"

#include <QDir>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;

namespace {

QStringList Texts(const TLocalFileListView& view)
{
    QStringList out;
    for (int row = 0; row < view.count(); ++row)
        out << view.item(row)->text();
    return out;
}

void DoubleClick(TLocalFileListView& view, const QString& caption)
{
    const QList<QListWidgetItem*> found = view.findItems(caption, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << caption.toStdString();
    const QPoint at = view.visualItemRect(found[0]).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, at);
}

} // namespace

TEST(LocalFileListViewTest, WalksFoldersAndReportsFiles)
{
    TempDir dir;
    QDir(dir.path()).mkpath("site/images");
    WriteFileBytes(dir.file("site/INDEX.HTM"), "<p>");
    WriteFileBytes(dir.file("site/images/logo.gif"), "GIF89a");

    TLocalFileListView view;
    QLabel label;
    view.SetDirLabel(&label);
    view.SetVolumeRoots({dir.path()});
    view.resize(400, 300);
    view.show();
    QStringList executed;
    view.OnExecute = [&](TLocalFileListView*, const QString& file) { executed << file; };

    ASSERT_TRUE(view.SetDirectory(dir.file("site")));
    EXPECT_EQ(view.Directory(), dir.file("site"));
    EXPECT_EQ(label.text(), dir.file("site"));
    EXPECT_EQ(Texts(view), QStringList({"images", "index.htm"}));

    DoubleClick(view, "index.htm");
    EXPECT_EQ(executed, QStringList{dir.file("site/INDEX.HTM")});
    DoubleClick(view, "images");
    EXPECT_EQ(view.Directory(), dir.file("site/images"));
    EXPECT_EQ(Texts(view), QStringList{"logo.gif"});
    EXPECT_FALSE(view.Updating());

    view.UpOneLevel();
    EXPECT_EQ(view.Directory(), dir.file("site"));
    view.UpOneLevel();
    EXPECT_EQ(view.Directory(), dir.path());
    view.UpOneLevel();  // a volume's root: the volume list
    EXPECT_TRUE(view.ShowsVolumes());
    EXPECT_EQ(label.text(), "");
    ASSERT_GE(view.count(), 1);
    EXPECT_EQ(view.EntryAt(0).path, "/");
    EXPECT_EQ(view.EntryAt(0).kind, TLocalKind::Volume);
    view.item(0)->setSelected(true);
    view.OpenSelected();
    EXPECT_EQ(view.Directory(), "/");
}

TEST(LocalFileListViewTest, TheSameFolderIsNotReadAgainAndAMissingOneChangesNothing)
{
    TempDir dir;
    WriteFileBytes(dir.file("a.htm"), "a");
    TLocalFileListView view;
    ASSERT_TRUE(view.SetDirectory(dir.path()));
    WriteFileBytes(dir.file("b.htm"), "b");
    ASSERT_TRUE(view.SetDirectory(dir.path() + "/"));
    EXPECT_EQ(Texts(view), QStringList{"a.htm"});
    view.Refresh();
    EXPECT_EQ(Texts(view), QStringList({"a.htm", "b.htm"}));

    view.SetMask("b*;*.htm");
    view.Refresh();
    EXPECT_EQ(Texts(view), QStringList({"a.htm", "b.htm", "b.htm"}));

    QString why;
    EXPECT_FALSE(view.SetDirectory(dir.file("missing"), &why));
    EXPECT_TRUE(why.contains("missing")) << why.toStdString();
    EXPECT_EQ(view.Directory(), dir.path());
    EXPECT_EQ(view.count(), 3);
}

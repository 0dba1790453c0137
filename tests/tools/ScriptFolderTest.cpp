// The script folder: listing awkward names, viewing copies, deletion that
// never leaves the folder, the temporary folder's end, and the window's
// buttons on scripts, categories and the root.
#include "tools/ScriptFolder.h"
#include "tools/ScriptFolderForm.h"

#include "platform/FileNames.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

struct Folder {
    Folder() { EnsureCategoryFolders(root); }
    QString Path(const QString& relative) const { return root + relative; }
    bool Write(const QString& relative, const QByteArray& bytes = "<script>x</script>") const
    {
        return WriteFileBytes(Path(relative), bytes);
    }
    test::TempDir dir;
    QString root = dir.path() + "/Script/";
};

bool Exists(const QString& path)
{
    struct stat st{};
    return ::lstat(FileNameToBytes(path).constData(), &st) == 0;
}

TEST(ScriptFolder, CategoriesListTheirRegularFilesWhateverTheirNames)
{
    Folder f;
    for (const char* category : kScriptCategories)
        EXPECT_TRUE(QFileInfo(f.Path(category)).isDir()) << category;
    const QStringList names = {"-leading dash.js", "a \"quoted\" name.js", "Beta.htm", "clock.js", "Zähler.js"};
    for (const QString& name : names)
        ASSERT_TRUE(f.Write("Time/" + name));
    // A name that is not UTF-8, made from its bytes as another program would.
    const int fd = ::open(FileNameToBytes(f.Path("Time/")) + "bad\xff.js", O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    ASSERT_TRUE(QDir().mkdir(f.Path("Time/folder.js")));
    ASSERT_EQ(::mkfifo(FileNameToBytes(f.Path("Time/pipe.js")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(f.Path("Time/clock.js"), f.Path("Time/link.js")));
    EXPECT_EQ(ListScripts(f.root, "Time"),
              (QStringList{"-leading dash.js", "a \"quoted\" name.js", FileNameFromBytes("bad\xff.js"), "Beta.htm",
                           "clock.js", "link.js", "Zähler.js"}));
    EXPECT_TRUE(ListScripts(f.root, "Games").isEmpty());
    EXPECT_TRUE(ListScripts(f.root, "Missing").isEmpty());
}

TEST(ScriptFolder, ScriptsAreViewedAsPagesFromTheTemporaryFolder)
{
    Folder f;
    const struct {
        const char* name;
        const char* shown;  // relative to the script folder
    } cases[] = {
        {"clock.js", "~temp/clock.htm"},
        {"-x.txt", "~temp/-x.htm"},
        {"README", "~temp/README.htm"},
        {"a.b.vbs", "~temp/a.b.htm"},
        {"page.HTML", "Time/page.HTML"},
        {"s.shtml", "Time/s.shtml"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(f.Write(QStringLiteral("Time/") + c.name, c.name));
        const TScriptView view = ScriptToView(f.root, "Time", c.name);
        EXPECT_EQ(view.problem, "") << c.name;
        EXPECT_EQ(view.path, f.Path(c.shown)) << c.name;
        EXPECT_EQ(ReadFileBytes(view.path), c.name);
    }
    // A copy is written over an older one; a pipe is refused without waiting.
    ASSERT_TRUE(f.Write("Time/clock.js", "new"));
    EXPECT_EQ(ReadFileBytes(ScriptToView(f.root, "Time", "clock.js").path), "new");
    ASSERT_EQ(::mkfifo(FileNameToBytes(f.Path("Time/pipe.js")).constData(), 0600), 0);
    EXPECT_TRUE(ScriptToView(f.root, "Time", "pipe.js").problem.contains("not a regular file"));
    EXPECT_TRUE(ScriptToView(f.root, "Time", "gone.js").problem.contains("does not exist"));

    // ~temp that became a link elsewhere is replaced by a folder of our own.
    RemoveScriptTemp(f.root);
    test::TempDir outside;
    ASSERT_TRUE(QFile::link(outside.path(), f.Path("~temp")));
    EXPECT_EQ(ScriptToView(f.root, "Time", "clock.js").path, f.Path("~temp/clock.htm"));
    EXPECT_TRUE(QDir(outside.path()).isEmpty());
    EXPECT_FALSE(QFileInfo(f.Path("~temp")).isSymLink());
}

TEST(ScriptFolder, DeletingNeverLeavesTheFolderNorRemovesFolders)
{
    Folder f;
    test::TempDir outside;
    ASSERT_TRUE(WriteFileBytes(outside.file("precious.js"), "keep"));
    ASSERT_TRUE(f.Write("Text/plain.js"));
    ASSERT_TRUE(QFile::link(outside.file("precious.js"), f.Path("Text/link.js")));
    ASSERT_TRUE(QDir().mkdir(f.Path("Text/folder.js")));
    // A category that is a link out of the script folder.
    ASSERT_TRUE(QDir(f.Path("Games")).removeRecursively());
    ASSERT_TRUE(QFile::link(outside.path(), f.Path("Games")));

    EXPECT_EQ(DeleteScript(f.root, "Text", "plain.js"), std::nullopt);
    EXPECT_FALSE(Exists(f.Path("Text/plain.js")));
    EXPECT_EQ(DeleteScript(f.root, "Text", "link.js"), std::nullopt);  // the link, not its file
    EXPECT_FALSE(Exists(f.Path("Text/link.js")));
    EXPECT_EQ(ReadFileBytes(outside.file("precious.js")), "keep");

    const struct {
        const char* category;
        const char* name;
        const char* says;
    } refusals[] = {
        {"Text", "folder.js", "is a folder"},
        {"Games", "precious.js", "not a folder inside the script folder"},
        {"Text", "gone.js", "does not exist"},
        {"Text", "..", "not a script file"},
        {"..", "x.js", "not a script file"},
    };
    for (const auto& r : refusals) {
        const std::optional<QString> problem = DeleteScript(f.root, r.category, r.name);
        ASSERT_TRUE(problem.has_value()) << r.name;
        EXPECT_TRUE(problem->contains(r.says)) << problem->toStdString();
    }
    EXPECT_TRUE(QFileInfo(f.Path("Text/folder.js")).isDir());
    EXPECT_EQ(ReadFileBytes(outside.file("precious.js")), "keep");
}

TEST(ScriptFolder, TheTemporaryFolderIsEmptiedAndRemovedButNeverFollowed)
{
    Folder f;
    test::TempDir outside;
    ASSERT_TRUE(WriteFileBytes(outside.file("keep.htm"), "keep"));
    ASSERT_TRUE(f.Write("Time/clock.js"));
    ASSERT_FALSE(ScriptToView(f.root, "Time", "clock.js").path.isEmpty());
    ASSERT_TRUE(QFile::link(outside.file("keep.htm"), f.Path("~temp/link.htm")));
    RemoveScriptTemp(f.root);
    EXPECT_FALSE(Exists(f.Path("~temp")));
    EXPECT_EQ(ReadFileBytes(outside.file("keep.htm")), "keep");
    EXPECT_TRUE(Exists(f.Path("Time/clock.js")));

    ASSERT_TRUE(QFile::link(outside.path(), f.Path("~temp")));
    RemoveScriptTemp(f.root);
    EXPECT_FALSE(Exists(f.Path("~temp")));
    EXPECT_EQ(ReadFileBytes(outside.file("keep.htm")), "keep");
    RemoveScriptTemp(f.root);  // nothing there: nothing happens
}

struct Window {
    Window()
    {
        form.SetRoot(folder.root);
        form.browserCommand = [this] { return browser; };
        form.run = [this](const QString& command, bool shell, const std::optional<QString>& document) {
            runs << (command + (shell ? " [shell] " : " ") + document.value_or("<none>"));
        };
        form.insertFile = [this](const QString& path) { inserted << path; };
        form.showError = [this](const QString& text, const QString&) { errors << text; };
        form.confirm = [this](const QString&, const QString&) { return yes; };
        form.BuildTree();
    }
    Folder folder;
    TForm7 form;
    QString browser = "firefox %1";
    QStringList runs, inserted, errors;
    bool yes = true;
};

TEST(ScriptFolderForm, TheTreeListsScriptsAndTheButtonsActOnScriptsOnly)
{
    Window w;
    ASSERT_TRUE(w.folder.Write("Time/clock.js"));
    w.form.BuildTree();
    QTreeWidgetItem* root = w.form.Tree()->topLevelItem(0);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text(0), "Scripts");
    ASSERT_EQ(root->childCount(), 10);
    EXPECT_EQ(root->child(9)->text(0), "Time");
    ASSERT_EQ(root->child(9)->childCount(), 1);
    EXPECT_EQ(root->child(9)->child(0)->text(0), "clock.js");

    // On the root or a category, Run, Insert and Delete do nothing.
    for (const QString& category : {QString(), QStringLiteral("Time")}) {
        ASSERT_TRUE(w.form.Select(category));
        w.form.Button30Click();
        w.form.Button31Click();
        w.form.Button32Click();
    }
    EXPECT_TRUE(w.runs.isEmpty() && w.inserted.isEmpty() && w.errors.isEmpty());
    EXPECT_TRUE(QFile::exists(w.folder.Path("Time/clock.js")));

    ASSERT_TRUE(w.form.Select("Time", "clock.js"));
    w.form.Button30Click();
    w.form.Button31Click();
    EXPECT_EQ(w.runs, QStringList{"firefox %1 " + w.folder.Path("~temp/clock.htm")});
    EXPECT_EQ(w.inserted, QStringList{w.folder.Path("Time/clock.js")});
    w.browser.clear();
    w.form.Button30Click();
    EXPECT_EQ(w.errors, QStringList{"Browser 1 must be specified in Preferences"});
    // Without browser 1 the sites open with the desktop's browser.
    w.form.LinkLabelClick(0);
    EXPECT_TRUE(w.runs.last().startsWith("https://") && w.runs.last().endsWith(" [shell] <none>"));

    // Delete asks; No keeps the file, Yes removes file and node.
    w.yes = false;
    w.form.Button32Click();
    EXPECT_TRUE(QFile::exists(w.folder.Path("Time/clock.js")));
    w.yes = true;
    ASSERT_TRUE(w.form.Select("Time", "clock.js"));
    w.form.Button32Click();
    EXPECT_FALSE(QFile::exists(w.folder.Path("Time/clock.js")));
    EXPECT_EQ(w.form.Tree()->topLevelItem(0)->child(9)->childCount(), 0);
}

} // namespace
} // namespace vesk

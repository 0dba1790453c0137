// The script folder without its window: the category folders of ready-made
// scripts under the program folder's "Script", viewing a script as a page,
// deleting one safely, and the temporary folder for viewing.
//
// Names are taken as FileNames.h describes (the bytes the file system holds),
// so a script whose name has blanks, quotes, non-ASCII letters, a leading
// dash or bytes that are not UTF-8 is listed, viewed and deleted like any
// other. Nothing here asks the user anything: failures come back as the
// message to show.
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <span>

namespace vesk {

// The categories, in the order the tree shows them; each is a folder name.
inline constexpr std::array<const char*, 10> kScriptCategories = {
    "Alerts", "Cookies", "Forms", "Games", "Images", "Misc.", "Password", "Scrolling", "Text", "Time"};

// The temporary folder inside the script folder that viewed copies go to.
inline constexpr const char* kScriptTempFolder = "~temp";

// The program folder's "Script/" (ending in "/").
QString ScriptFolder();

// Creates every category folder missing under `root` (and `root` itself).
// Folders that cannot be made are left out; their categories list nothing.
void EnsureCategoryFolders(const QString& root);

// The names of the regular files in `root`/`category` (a symbolic link to
// one counts; folders, pipes and devices do not), sorted without regard to
// case. Empty when the folder is missing or unreadable.
QStringList ListScripts(const QString& root, const QString& category);

// `root` + category + "/" + name.
QString ScriptPath(const QString& root, const QString& category, const QString& name);

// True for the extensions a browser shows as a page as they are: ".htm",
// ".html" and ".shtml", in any case.
bool IsPageFile(const QString& name);

// The name a script gets in the temporary folder: its extension (the text
// from its last dot, unless the name starts with that dot) replaced by
// ".htm", or ".htm" added ("clock.js" → "clock.htm", "README" → "README.htm").
QString ViewCopyName(const QString& name);

// What to show in a browser for the script: a page file itself; any other
// file copied over `root`/~temp/ViewCopyName(name), so a bare script
// shows as a page. Only a regular file is read (a pipe never blocks), and
// ~temp is made a real folder of our own when it is missing or something
// else stands there. Either the absolute path to show or the message saying
// why there is none.
struct TScriptView {
    QString path;
    QString problem;
};
TScriptView ScriptToView(const QString& root, const QString& category, const QString& name);

// Deletes the script `name` of `category`. Refused, with the message to
// show, when the name is not a plain file name, when the category folder is
// not really inside `root` (a symbolic link out of it), when nothing is
// there, or when it is a folder. A symbolic link is removed itself, never
// the file it points to. nullopt when the file was deleted.
std::optional<QString> DeleteScript(const QString& root, const QString& category, const QString& name);

// Empties and removes `root`/~temp: every file and link in it is removed
// (links themselves, never what they point to; folders inside are left, so
// the folder then stays). When ~temp is itself a link, only the link goes.
void RemoveScriptTemp(const QString& root);

// Web sites that publish scripts, for the window's links.
struct TScriptSite {
    const char* caption;
    const char* address;
};
std::span<const TScriptSite> ScriptSites();

} // namespace vesk

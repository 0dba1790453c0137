// TFileCommands: New, Open, Reopen, Save, Save As, Import and Export Text, the
// Reopen menu, and the save prompt's "Save Changes" step.
//
// Every command acts on the editor it is given (the one that was current when
// the command started), so a question answered later still acts on it.
#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <string>

class QFile;
class QMenu;

namespace vesk {

class THTMLVeskMain;
struct TSaveResult;
class TVeskMemoFile;

// Reads the file at `path` for inserting into a document, by the rules of
// opening one: a regular file only, any line-break convention, the document
// encodings, each NUL byte as the substitute character. When it cannot be
// read the user is told why (under "HTML Vesk") and nullopt comes back; NUL
// bytes are reported but the text still comes back.
std::optional<std::string> ReadTextToInsert(const QString& path);

class TFileCommands {
public:
    // Sets the handlers of the File menu's commands and registers the save step.
    explicit TFileCommands(THTMLVeskMain& window);

    void NewClick(TVeskMemoFile& editor);
    void OpenDirClick(TVeskMemoFile& editor);
    void OpenDialog(TVeskMemoFile& editor, const QString& initialFolder);
    void OpenClick(TVeskMemoFile& editor, const QString& caption);  // a Reopen menu item
    // False when nothing was saved (Save As cancelled, or the write failed).
    bool SaveClick(TVeskMemoFile& editor);
    bool SaveAsClick(TVeskMemoFile& editor);
    void ImportFile1Click(TVeskMemoFile& editor);
    void ExportText1Click(TVeskMemoFile& editor);
    // Rebuilds the Reopen menu from the settings file.
    void FillMenu();
    // Loads `path` into `editor` (caret at the start, FileName set, not
    // modified). Throws with the message to show when it cannot be read.
    // A file that cannot be opened leaves the editor as it was; one that
    // fails half-way leaves it empty and untitled, so no later Save can write
    // that emptiness over the file. A file that held NUL bytes is reported.
    void LoadInto(TVeskMemoFile& editor, const QString& path);
    void LoadInto(TVeskMemoFile& editor, QFile& file, const QString& path);

    // File dialogs (tests replace them): return the chosen path or "".
    std::function<QString(const QString& initial)> openFileDialog;
    std::function<QString(const QString& initial)> saveFileDialog;

private:
    // Loads `path` into `editor` (the save prompt has run).
    void OpenPath(TVeskMemoFile& editor, const QString& path);
    // After a save: the backup that could not be made, and an encoding that
    // changed because the text gained characters its old one lacks.
    void ReportSave(TVeskMemoFile& editor, const QString& path, const TSaveResult& saved);

    THTMLVeskMain& window_;
};

} // namespace vesk

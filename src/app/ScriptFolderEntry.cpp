// The script folder's entry point: the window's hooks into messages, browsers and the document.
#include "app/ScriptFolderEntry.h"

#include "app/ExternalPrograms.h"
#include "app/FileCommands.h"
#include "app/MsgBox.h"
#include "editor/VeskMemo.h"
#include "settings/ProgramCommands.h"
#include "tools/ScriptFolder.h"
#include "tools/ScriptFolderForm.h"

namespace vesk {

TScriptFolderEntry::TScriptFolderEntry(TToolHost& host) : host_(host)
{
    host.SetCommand("JavaScripts1", [this](TVeskMemoFile& e) { ScriptBtnClick(e); });
}

TScriptFolderEntry::~TScriptFolderEntry()
{
    // The folder the window showed (a test may point it elsewhere).
    RemoveScriptTemp(form7_ ? form7_->Root() : ScriptFolder());
}

TForm7* TScriptFolderEntry::Window()
{
    if (!form7_) {
        form7_ = new TForm7(host_.MainWindow());
        form7_->browserCommand = [] { return ReadProgramCommands().browsers[0]; };
        form7_->run = [](const QString& command, bool useShell, const std::optional<QString>& document) {
            RunExecutable(command, useShell, document);
        };
        form7_->showError = [](const QString& text, const QString& caption) {
            MsgBox(text, caption, kMbOk, kSoundError);
        };
        form7_->confirm = [](const QString& text, const QString& caption) {
            return MsgBox(text, caption, kMbYesNo, kSoundError) == kMrYes;
        };
    }
    return form7_;
}

void TScriptFolderEntry::ScriptBtnClick(TVeskMemoFile& editor)
{
    TForm7* form = Window();
    form->insertFile = [&editor](const QString& path) {
        if (editor.ReadOnly())
            return;
        // One edit of the selection: one step to undo.
        if (const std::optional<std::string> text = ReadTextToInsert(path))
            editor.ReplaceSelection(*text);
    };
    form->exec();
    form->insertFile = nullptr;
    editor.ScrollInView();
    editor.setFocus();
}

} // namespace vesk

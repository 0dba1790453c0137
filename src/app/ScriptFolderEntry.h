// The JavaScript folder in the main window: the JavaScripts command (tool
// bar "JavaScript", both menus) and the end of its temporary folder.
#pragma once

#include "app/ToolHost.h"

#include <QPointer>

namespace vesk {

class TForm7;

class TScriptFolderEntry : public TToolEntry {
public:
    explicit TScriptFolderEntry(TToolHost& host);
    // The program is ending: "Script/~temp" and the copies shown from it go.
    ~TScriptFolderEntry() override;

    // Shows the window modally; Insert puts scripts into `editor`.
    void ScriptBtnClick(TVeskMemoFile& editor);
    // The window (made on first use, then kept).
    TForm7* Window();

private:
    TToolHost& host_;
    QPointer<TForm7> form7_;
};

} // namespace vesk
